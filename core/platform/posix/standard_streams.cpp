#include "core/platform/standard_streams.h"

#include <csignal>

namespace ridloe {

// Arguments arrive as the bytes the shell passed; streams are bytes already.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void PrepareStandardStreams() {
  // Past a file size limit (ulimit -f) a write fails with EFBIG and is
  // reported like any failed write, instead of the signal ending the tool
  // with a core dump; a caller that chose otherwise keeps its choice.
  struct sigaction old {};
  if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace ridloe
