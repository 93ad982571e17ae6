#include "core/platform/standard_streams.h"

#include <csignal>

namespace ridloe {

// Arguments arrive as the bytes the shell passed; streams are bytes already.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

// The shell has expanded them already.
bool ExpandWildcards(std::vector<std::string>&, std::string&) { return true; }

void PrepareStandardStreams() {
  // Past a file size limit (ulimit -f) a write fails with EFBIG and is
  // reported like any failed write, instead of the signal ending the tool
  // with a core dump; a caller that chose otherwise keeps its choice.
  struct sigaction old {};
  if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
}

// A terminal takes UTF-8 as it comes.
bool WriteText(std::FILE* stream, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

bool FlushText(std::FILE* stream) { return std::fflush(stream) == 0 && !std::ferror(stream); }

}  // namespace ridloe
