// What the ridloe-cli commands share: the usage text and the messages on
// standard error.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "core/platform/standard_streams.h"
#include "core/text/cp950.h"

namespace ridloe::cli {

const char kUsageText[] =
    "usage: ridloe-cli list [--raw] [--tracks] [--json] [--encoding NAME] FILE\n"
    "       ridloe-cli info FILE\n"
    "       ridloe-cli convert [--force] [--to gpx|wtr] [--encoding NAME] [-o OUT] IN...\n"
    "FILE and IN are MPS, WTR or GPX files, or - for standard input.\n"
    "Every operand of convert is an input, written beside itself unless -o names\n"
    "the output: -o DIR/ (or an existing folder) writes each input into DIR,\n"
    "-o FILE names the output of one input, and -o - is standard output.\n"
    "convert writes the format --to or OUT's extension names, else WTR.\n"
    "Options also take the form --name=value; after -- every argument is a file.\n";

void Tell(const std::string& message) {
  std::string shown;
  DecodeToUtf8(message, "UTF-8", shown);
  shown += '\n';
  FlushText(stdout);
  WriteText(stderr, shown);
}

bool ExpandOperands(std::vector<std::string>& operands) {
  std::string unmatched;
  if (ExpandWildcards(operands, unmatched)) return true;
  Tell("ridloe-cli: no file matches " + unmatched);
  return false;
}

int Usage(const std::string& complaint) {
  if (!complaint.empty()) Tell("ridloe-cli: " + complaint);
  WriteText(stderr, kUsageText);
  return kUsage;
}

bool AcceptsEncoding(const std::string& name) {
  if (IsAsciiCompatibleEncoding(name.c_str())) return true;
  Usage("unknown encoding \"" + name + "\", or one that does not read ASCII as ASCII");
  return false;
}

int Help() {
  WriteText(stdout, kUsageText);
  return kOk;
}

void ReportLoadFailure(const std::string& file, const LoadError& error, const ReadError& readError) {
  if (error.step == LoadStep::kFileRead && readError.failure != ReadFailure::kNone) {
    Tell("ridloe-cli: " + DescribeReadError(readError, Shown(file)));
  } else {
    Tell(Shown(file) + ": " + error.Describe());
  }
}

}  // namespace ridloe::cli
