// POSIX only: named temporary files that a signal ending the process must
// not leave behind.
#pragma once

#include <signal.h>

#include <string>

namespace ridloe {

// Takes over the signals that end a process by default and that it may
// catch, to remove the files remembered below before the process ends; a
// program that handles or ignores one keeps its own choice.
void InstallCleanupHandlers();

// Remembers a named temporary file for the handler: its slot, or -1 when
// there is no room (the file is then still removed after a failure, only
// not on a signal).
int RegisterForCleanup(const std::string& path);
// Forgets the file in `slot` (a file put in place, or removed); -1 after.
void ForgetForCleanup(int& slot);

// Blocks every signal for the life of the object: between making a named
// file and remembering it, a signal would leave it behind.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace ridloe
