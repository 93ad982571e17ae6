// The one conversion service both front-ends use: an MPS, WTR or GPX file
// in, written in another format (WTR, with the symbols translated, or GPX);
// the one rule that names each input's output; and what an existing output
// must be to be replaced.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/document/gps_document.h"
#include "core/error/error.h"
#include "core/platform/file_access.h"
#include "formats/format_registry.h"

namespace ridloe {

struct ConvertOptions {
  bool replace = false;  // an existing output may be replaced
  // The output's format; null for the one the output's name ends in, and
  // WTR when it ends in none.
  const Format* writer = nullptr;
  // The code page of names the input holds as 8-bit text (MPS and WTR
  // files), for an output that holds Unicode text.
  std::string codePage = "CP950";
  // Whether routes are written: as routes in GPX, and in WTR as waypoints
  // (the route points not already among the waypoints).
  bool routes = true;
};

struct ConvertResult {
  // Why the output was not written: a write step (kExists: it exists and
  // may not be replaced), a conversion step (kNoWaypoints: the input holds
  // nothing to write), or, when the input did not load and gave nothing to
  // write, the load's own failure. No failure when the output was written.
  Error error;
  // False when the input did not load whole, and `loadError` says why; the
  // waypoints read before the failure are still written.
  bool loaded = true;
  Error loadError;
  const Format* inputFormat = nullptr;  // what the input is, for kInputFormat
  const Format* outputHeld = nullptr;   // what an output kept as it was holds
  const Format* writer = nullptr;       // the output's format, once chosen
  std::int32_t waypointCount = 0;  // the waypoints converted (written unless the write failed)
  std::int32_t trackCount = 0;     // the tracks converted, for a format that holds them
  std::int32_t routeCount = 0;     // the routes converted, for a format that holds them
  // The route points written as waypoints after the waypoints, for WTR.
  std::int64_t routePointCount = 0;
  // The routes of the input that were left out because routes were not to
  // be written.
  std::int32_t routesLeftOut = 0;
  // Characters of the waypoints' names that WTR's code page has no form
  // for, and control characters of them, written as '?'.
  std::int64_t replacedCharacters = 0;
  std::int64_t controlCharacters = 0;
  // Points the load left out: their latitude lies beyond ±90°.
  PointCounts leftOut;
  // Points written with a latitude beyond ±90°, which the output's format
  // (GPX) does not allow.
  PointCounts beyondPolesWritten;

  bool written() const { return !error.failed(); }
  // Nothing went wrong: the input loaded whole, and its waypoints were
  // written or it had none.
  bool ok() const { return loaded && (written() || error.step == Step::kNoWaypoints); }
};

// One input and the output it is written to.
struct ConversionJob {
  std::string input;
  std::string output;  // "-" is standard output
};

struct ConversionPlan {
  std::vector<ConversionJob> jobs;
  std::string folder;  // the folder every output goes into, when the output named one
  std::string usage;   // why the operands make no command; empty when they do
};

// Names the output of every operand of one conversion command. Every operand
// is an input, whatever its name. Without `output`, each is written beside
// itself under its proposed name; with it, `output` is a folder when it ends
// in one of this system's separators or is an existing folder (each input is
// written into it under its proposed name), else the output of the one
// input there must be ("-" is standard output). Proposed names take the
// extension of `writer` (WTR when null). The operands make no command when
// there are none, when several inputs would share one named output, when an
// input is a stream (standard input, a pipe, a device: no folder to write
// beside) and no output is named, or when an operand that names an output's
// format by its extension does not exist (a user naming the output as an
// operand would otherwise have the name taken as an input).
ConversionPlan PlanConversions(const std::vector<std::string>& operands, const std::string* output,
                               const Format* writer = nullptr);

// Loads `input` (MPS, WTR or GPX, never in the output's format) and writes
// it to `output` ("-": standard output, never a terminal) in the format
// `options.writer` names, else the one `output`'s name ends in, else WTR:
// its waypoints as WTR, translating the symbols, then (with
// `options.routes`) the route points not among them; its waypoints, routes
// and tracks as GPX. The output is checked before the input is read. An existing output is
// kept unless `options.replace`; even then only a regular file (or, through a
// link, the file it names) is replaced, and never one whose first bytes name
// (or, being XML, may be) a format other than the one written: an MPS or GPX
// file is never written over by WTR.
ConvertResult ConvertFile(const std::string& input, const std::string& output, const ConvertOptions& options);

// The conversions of one command: each as ConvertFile does, and none writes
// a file that an earlier one of the run wrote (by the file's identity, so
// two spellings of one name, or two names of one file, are caught), whatever
// `options.replace` says.
class ConversionRun {
 public:
  explicit ConversionRun(ConvertOptions options) : options_(std::move(options)) {}
  ConvertResult Convert(const ConversionJob& job);

 private:
  struct Written {
    FileIdentity identity;
    std::string input;
  };
  ConvertOptions options_;
  std::vector<Written> written_;
};

// Translates the symbols of a document already loaded and writes its
// waypoints as a WTR file, replacing whatever regular file `output` is,
// unless it holds another format (it is source data: an MPS file above all).
ConvertResult WriteConverted(GpsDocument& document, const std::string& output);

// The name proposed for the output of `path`: its file name without folders
// and extension ("trip" for "gps/trip.mps"), split at this system's separators.
std::string ProposedOutputName(std::string_view path);

// The output path for `input`: the proposed name with the extension of
// `writer` (".wtr" when null), in `folder` when one is given, else beside
// the input.
std::string OutputPathFor(const std::string& input, const std::string* folder,
                          const Format* writer = nullptr);

}  // namespace ridloe
