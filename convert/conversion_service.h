// The one conversion service both front-ends use: an MPS, WTR or GPX file
// in, written in another format (WTR, with the symbols translated, or GPX);
// the one rule that pairs inputs with outputs; and what an existing output
// must be to be replaced.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/gps_document.h"
#include "core/document/load_error.h"
#include "core/platform/file_access.h"
#include "formats/format_registry.h"

namespace ridloe {

// Where a conversion stopped.
enum class ConvertStep {
  kNone,          // the output was written
  kNoOutputName,  // standard input has no name to give its output: it needs one
  kOutputTaken,   // an earlier input of the same command names the same output
  kSameFile,      // the output names the input itself
  kExists,        // the output exists and may not be replaced
  kFormatConflict,  // the output's name ends in another format's extension than the one asked for
  kInputFormat,   // the input is already in the output's format: nothing to convert
  kLoad,          // the input did not load and gave no waypoints
  kNoWaypoints,   // the input loaded and holds no waypoints (nor tracks, for GPX): nothing to write
  kSymbols,       // no memory to keep the symbol codes as loaded
  kWrite,         // the output could not be written, or is never replaced
};

struct ConvertOptions {
  bool replace = false;  // an existing output may be replaced
  // The output's format; null for the one the output's name ends in, and
  // WTR when it ends in none.
  const FormatWriter* writer = nullptr;
  // The code page of names the input holds as 8-bit text (MPS and WTR
  // files), for an output that holds Unicode text.
  std::string codePage = "CP950";
};

struct ConvertResult {
  ConvertStep step = ConvertStep::kNone;
  // False when the input did not load whole; the waypoints read before the
  // failure are still written.
  bool loaded = true;
  LoadError loadError;
  ReadError readError;    // why the input could not be read, when it could not
  WriteError writeError;  // why the output was not written, for kExists and kWrite
  FileFormat inputFormat = FileFormat::kUnknown;  // what the input is, for kInputFormat
  FileFormat outputHeld = FileFormat::kUnknown;   // what an output kept as it was holds
  const FormatWriter* writer = nullptr;           // the output's format, once chosen
  std::int32_t waypointCount = 0;  // the waypoints converted (written unless the write failed)
  std::int32_t trackCount = 0;     // the tracks converted, for a format that holds them
  // Characters of the waypoints' names that WTR's code page has no form
  // for, written as '?'.
  std::int64_t replacedCharacters = 0;

  bool written() const { return step == ConvertStep::kNone; }
  // Nothing went wrong: the input loaded whole, and its waypoints were
  // written or it had none.
  bool ok() const { return loaded && (written() || step == ConvertStep::kNoWaypoints); }
};

// One input and the output it is written to.
struct ConversionJob {
  std::string input;
  std::string output;                        // "-" is standard output
  ConvertStep refused = ConvertStep::kNone;  // kNoOutputName or kOutputTaken: not to be run
};

struct ConversionPlan {
  std::vector<ConversionJob> jobs;
  std::string usage;  // why the operands make no command; empty when they do
};

// Pairs the operands of one conversion command with outputs:
// - with `folder`, every operand is an input, written into the folder under
//   its proposed name;
// - without, two operands of which the second names an output (its name ends
//   in the extension of a format that is written, or it is "-", standard
//   output) are the input and its output;
// - otherwise every operand is an input, written beside itself under its
//   proposed name. More than two operands whose last names an output make
//   no command, as does "-" alone.
// Standard input has no name to propose, and an output named by an earlier
// input is not written twice: those inputs are refused. Proposed names take
// the extension of `writer` (WTR when null).
ConversionPlan PlanConversions(const std::vector<std::string>& operands, const std::string* folder,
                               const FormatWriter* writer = nullptr);

// Loads `input` (MPS, WTR or GPX, never in the output's format) and writes
// it to `output` ("-": standard output, never a terminal) in the format
// `options.writer` names, else the one `output`'s name ends in, else WTR:
// its waypoints as WTR, translating the symbols; its waypoints and tracks as
// GPX. The output is checked before the input is read. An existing output is
// kept unless `options.replace`; even then only a regular file (or, through a
// link, the file it names) is replaced, and never one whose first bytes name
// (or, being XML, may be) a format other than the one written: an MPS or GPX
// file is never written over by WTR.
ConvertResult ConvertFile(const std::string& input, const std::string& output, const ConvertOptions& options);

// Translates the symbols of a document already loaded and writes its
// waypoints as a WTR file, replacing whatever regular file `output` is.
ConvertResult WriteConverted(GpsDocument& document, const std::string& output);

// The name proposed for the output of `path`: its file name without folders
// and extension ("trip" for "gps/trip.mps"), split at this system's separators.
std::string ProposedOutputName(std::string_view path);

// The output path for `input`: the proposed name with the extension of
// `writer` (".wtr" when null), in `folder` when one is given, else beside
// the input.
std::string OutputPathFor(const std::string& input, const std::string* folder,
                          const FormatWriter* writer = nullptr);

}  // namespace ridloe
