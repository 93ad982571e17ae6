// ridloe-cli: lists, counts and converts GPS waypoint files from the shell.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/platform/standard_streams.h"
#include "core/platform/transcode.h"
#include "core/version.h"

namespace ridloe::cli {
namespace {

int Run(const std::string& command, const std::vector<std::string>& args) {
  if (command == "list" || command == "info") {
    const int status = command == "list" ? List(args) : Info(args);
    // Lines that never reached their destination (a full disk, a closed
    // pipe) are no success.
    if (!FlushText(stdout)) {
      Tell(std::string("ridloe-cli: cannot write the output: ") + std::strerror(errno));
      return status == kOk ? kFailed : status;
    }
    return status;
  }
  if (command == "convert") return Convert(args);
  if (command == "--help" || command == "-h" || command == "help") return Help();
  if (command == "--version") {
    WriteText(stdout, "ridloe-cli " RIDLOE_VERSION "\n");
    return kOk;
  }
  return Usage("unknown command " + command);
}

}  // namespace
}  // namespace ridloe::cli

int main(int argc, char** argv) {
  using namespace ridloe::cli;
  ridloe::PrepareStandardStreams();
  // Nothing ends the tool unreported: running out of memory (a huge list in
  // a small machine) is one line and a failure like any other.
  try {
    // Messages are cleaned as UTF-8: ready before memory can run short.
    ridloe::PrepareTranscoding("UTF-8");
    std::vector<std::string> args = ridloe::CommandLineArguments(argc, argv);
    if (args.empty()) return Usage();
    const std::string command = args.front();
    args.erase(args.begin());
    return Run(command, args);
  } catch (const std::bad_alloc&) {
    ridloe::FlushText(stdout);
    ridloe::WriteText(stderr, "ridloe-cli: out of memory\n");
  } catch (const std::exception& e) {
    Tell(std::string("ridloe-cli: ") + e.what());
  }
  return kFailed;
}
