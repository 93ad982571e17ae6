#include "core/platform/standard_streams.h"

namespace ridloe {

// Arguments arrive as the bytes the shell passed; streams are bytes already.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

// The shell has expanded them already.
bool ExpandWildcards(std::vector<std::string>&, std::string&) { return true; }

void PrepareStandardStreams() {}

// A terminal takes UTF-8 as it comes.
bool WriteText(std::FILE* stream, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

bool FlushText(std::FILE* stream) { return std::fflush(stream) == 0 && !std::ferror(stream); }

}  // namespace ridloe
