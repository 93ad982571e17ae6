// What the test helpers need from the system they run on: this process's id,
// a fresh folder, and a program run with its standard streams on files.
#pragma once

#include <string>

namespace ridloe::testing {

int ProcessId();

// A new folder whose name starts with `prefix` (a path); throws when none
// can be made.
std::string MakeUniqueFolder(const std::string& prefix);

// The file that reads as empty and swallows what is written to it.
extern const char kNullDevice[];

// Runs `program` with `args`, a command line written for a POSIX shell
// (words between spaces, '...' quoting a word whole), in `folder` when it is
// not empty, with its standard streams on the three files. Returns the exit
// status, or -1 when the program did not exit normally.
int RunProgram(const std::string& program, const std::string& args, const std::string& folder,
               const std::string& input, const std::string& output, const std::string& error);

// Whether this Windows program runs under Wine, whose own libraries differ
// from Windows' in places a test may need to know.
bool UnderWine();

// Whether there is a POSIX shell to run command lines with, and a test's
// words for skipping where there is none (Windows).
extern const bool kHasPosixShell;
inline constexpr char kNoPosixShell[] = "no POSIX shell here; the Windows tests cover the same ground with the system's own calls";
// Runs `command` with the POSIX shell; its exit status, or -1 when it did not
// exit normally or there is no shell.
int RunShell(const std::string& command);

}  // namespace ridloe::testing
