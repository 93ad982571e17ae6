// What the ridloe-cli commands share: the usage text and the messages on
// standard error.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/platform/standard_streams.h"
#include "core/platform/transcode.h"
#include "core/text/cp950.h"

namespace ridloe::cli {

std::string OneOf(const std::vector<std::string_view>& items, std::string_view between, std::string_view last) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += i + 1 == items.size() ? last : between;
    out += items[i];
  }
  return out;
}

std::string UsageText() {
  return "usage: ridloe-cli list [--raw] [--tracks] [--json] [--encoding NAME] FILE\n"
         "       ridloe-cli info FILE\n"
         "       ridloe-cli convert [--force] [--to " + OneOf(WrittenFormats(), "|", "|") +
         "] [--no-routes] [--encoding NAME] [-o OUT] IN...\n"
         "FILE and IN are " + OneOf(ReadFormats(), ", ", " or ") + " files, or - for standard input.\n"
         "Every operand of convert is an input, written beside itself unless -o names\n"
         "the output: -o DIR/ (or an existing folder) writes each input into DIR,\n"
         "-o FILE names the output of one input, and -o - is standard output.\n"
         "convert writes the format --to or OUT's extension names, else " + DefaultWriter().name +
         "; routes are\nwritten as the format keeps them (into " + DefaultWriter().name +
         " as waypoints), unless --no-routes.\n"
         "Options also take the form --name=value; after -- every argument is a file.\n";
}

void Tell(const std::string& message) {
  FlushText(stdout);
  try {
    std::string shown;
    DecodeToUtf8(message, "UTF-8", shown);
    shown += '\n';
    WriteText(stderr, shown);
  } catch (const std::bad_alloc&) {
    // No memory to clean the message: its ASCII, which a terminal cannot
    // take for anything but text, is still worth saying.
    for (char c : message) {
      const char shown = c >= 0x20 && c < 0x7F ? c : '?';
      WriteText(stderr, std::string_view(&shown, 1));
    }
    WriteText(stderr, "\n");
  }
}

bool ExpandOperands(std::vector<std::string>& operands) {
  std::string unmatched;
  if (ExpandWildcards(operands, unmatched)) return true;
  Tell("ridloe-cli: no file matches " + unmatched);
  return false;
}

int Usage(const std::string& complaint) {
  if (!complaint.empty()) Tell("ridloe-cli: " + complaint);
  WriteText(stderr, UsageText());
  return kUsage;
}

bool AcceptsEncoding(const std::string& name) {
  // Names are decoded from this encoding and written in code page 950: the
  // converters are made ready now, while memory is still to be had.
  if (IsAsciiCompatibleEncoding(name.c_str()) && PrepareTranscoding(name.c_str()) && PrepareTranscoding("CP950")) {
    return true;
  }
  Usage("unknown encoding \"" + name + "\", or one that does not read ASCII as ASCII");
  return false;
}

int Help() {
  WriteText(stdout, UsageText());
  return kOk;
}

std::string DescribePoints(const PointCounts& counts) {
  std::vector<std::string> parts;
  const auto add = [&parts](std::int64_t n, const char* one, const char* many) {
    if (n > 0) parts.push_back(std::to_string(n) + " " + (n == 1 ? one : many));
  };
  add(counts.waypoints, "waypoint", "waypoints");
  add(counts.routePoints, "route point", "route points");
  add(counts.trackPoints, "track point", "track points");
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += i + 1 == parts.size() ? " and " : ", ";
    out += parts[i];
  }
  return out;
}

void ReportLeftOut(const std::string& file, const PointCounts& leftOut) {
  if (leftOut.any()) Tell(Shown(file) + ": " + DescribePoints(leftOut) + " with a latitude beyond ±90° left out");
}

void ReportLoadFailure(const std::string& file, const Error& error) {
  // What the system said comes from the program; what is wrong inside a
  // file is said of the file.
  Tell((error.stage() == Stage::kRead ? "ridloe-cli: " : "") + error.Describe(Shown(file)));
}

}  // namespace ridloe::cli
