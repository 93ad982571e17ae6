// ridloe-cli: lists, counts and converts GPS waypoint files from the shell.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace ridloe::cli {

const char kUsageText[] =
    "usage: ridloe-cli list [--raw] [--tracks] [--json] [--encoding NAME] FILE\n"
    "       ridloe-cli info FILE\n"
    "       ridloe-cli convert [--force] [--to gpx|wtr] [--encoding NAME] IN [OUT]\n"
    "       ridloe-cli convert [--force] [--to gpx|wtr] [--encoding NAME] -o DIR IN...\n"
    "FILE and IN may be an MPS, WTR or GPX file, or - for standard input.\n"
    "OUT's extension (.wtr, .gpx) names the format written; else --to, else WTR.\n";

int Usage(const std::string& complaint) {
  if (!complaint.empty()) std::fprintf(stderr, "ridloe-cli: %s\n", complaint.c_str());
  std::fputs(kUsageText, stderr);
  return kUsage;
}

void ReportLoadFailure(const std::string& file, const GpsDocument& document) {
  std::fprintf(stderr, "%s: %s\n", file.c_str(), document.error().Describe().c_str());
}

}  // namespace ridloe::cli

int main(int argc, char** argv) {
  using namespace ridloe::cli;
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "list" || command == "info") {
    const int status = command == "list" ? List(args) : Info(args);
    // Lines that never reached their destination (a full disk, a closed
    // pipe) are no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      std::fprintf(stderr, "ridloe-cli: cannot write the output: %s\n", std::strerror(errno));
      return status == kOk ? kFailed : status;
    }
    return status;
  }
  if (command == "convert") return Convert(args);
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsageText, stdout);
    return kOk;
  }
  if (command == "--version") {
    std::puts("ridloe-cli 1.0");
    return kOk;
  }
  return Usage("unknown command " + command);
}
