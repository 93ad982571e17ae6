// The three ridloe-cli commands and what they share: exit statuses, the usage
// text and the messages on standard error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/format_registry.h"

namespace ridloe::cli {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// The usage text, naming the formats there are.
std::string UsageText();
// "a, b or c": `items` joined by `between`, the last two by `last`.
std::string OneOf(const std::vector<std::string_view>& items, std::string_view between, std::string_view last);

// How messages name a file: "standard input" for "-".
inline std::string Shown(const std::string& file) { return file == "-" ? "standard input" : file; }
// Prints one line to standard error. File names in it are shown as names in
// lines are: bytes that are no UTF-8 and control characters (which a
// terminal would act on) become U+FFFD.
void Tell(const std::string& message);
// Expands the wildcards in `operands` where the shell left them to the
// program (Windows); false, having said which matched nothing, when one did.
bool ExpandOperands(std::vector<std::string>& operands);
// Prints the complaint, if any, and the usage text to standard error; kUsage.
int Usage(const std::string& complaint = {});
// Whether `name` may follow --encoding: an encoding the system knows that
// reads ASCII as ASCII. Otherwise says so, as Usage does.
bool AcceptsEncoding(const std::string& name);
// The usage text on standard output, for --help; kOk.
int Help();
// Why `file` did not load, in one line: "cannot open FILE: Permission
// denied", or "FILE: waypoint record 4 at byte 1234: comment has no
// terminating NUL".
void ReportLoadFailure(const std::string& file, const Error& error);
inline void ReportLoadFailure(const std::string& file, const OpenedDocument& opened) {
  ReportLoadFailure(file, opened.document->error());
}

// "1 waypoint and 2 track points": each kind of point that has any.
std::string DescribePoints(const PointCounts& counts);
// Says how many points of `file` its load left out for a latitude beyond
// ±90°, if any: "trip.gpx: 2 track points with a latitude beyond ±90° left out".
void ReportLeftOut(const std::string& file, const PointCounts& leftOut);

int List(const std::vector<std::string>& args);
int Info(const std::vector<std::string>& args);
int Convert(const std::vector<std::string>& args);

}  // namespace ridloe::cli
