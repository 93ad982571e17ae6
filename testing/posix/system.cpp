#include "testing/system.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace ridloe::testing {

const char kNullDevice[] = "/dev/null";

int ProcessId() { return static_cast<int>(::getpid()); }

std::string MakeUniqueFolder(const std::string& prefix) {
  std::string pattern = prefix + "_XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder like " + pattern);
  return pattern;
}

bool UnderWine() { return false; }

const bool kHasPosixShell = true;

int RunShell(const std::string& command) {
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Through the shell, with the arguments as they stand.
int RunProgram(const std::string& program, const std::string& args, const std::string& folder,
               const std::string& input, const std::string& output, const std::string& error) {
  std::string command = folder.empty() ? "" : "cd '" + folder + "' && ";
  command += "'" + program + "' " + args + " <'" + input + "' >'" + output + "' 2>'" + error + "'";
  return RunShell(command);
}

}  // namespace ridloe::testing
