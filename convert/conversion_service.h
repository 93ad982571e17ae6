// The one conversion service both front-ends use: a file in, its waypoints
// (and, for formats that hold them, its tracks) out in another format, the
// symbols translated where the output numbers them its own way; and the one
// rule for naming the output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/document/gps_document.h"
#include "core/document/load_error.h"
#include "core/platform/file_access.h"
#include "formats/format_registry.h"

namespace ridloe {

// Where a conversion stopped.
enum class ConvertStep {
  kNone,            // the output was written
  kSameFile,        // the output names the input itself
  kExists,          // the output exists and may not be replaced
  kFormatConflict,  // the output's extension names another format than the one asked for
  kSameFormat,      // the input is already in the output's format
  kNoWaypoints,     // nothing to write: no waypoints (nor tracks, for a format that holds them)
  kSymbols,         // no memory to keep the symbol codes as loaded
  kWrite,           // the output could not be written
};

struct ConvertOptions {
  bool replace = false;  // an existing output may be replaced
  // The output's format; null for the one the output's extension names, and
  // WTR when it names none.
  const FormatWriter* writer = nullptr;
  // The code page of names the input holds as 8-bit text (MPS and WTR
  // files), for an output that holds Unicode text.
  std::string codePage = "CP950";
};

struct ConvertResult {
  ConvertStep step = ConvertStep::kNone;
  // False when the input did not load whole; what was read before the
  // failure is still written.
  bool loaded = true;
  LoadError loadError;
  WriteError writeError;
  FileFormat inputFormat = FileFormat::kUnknown;  // what the input's bytes named
  const FormatWriter* writer = nullptr;           // the output's format, once chosen
  std::int32_t waypointCount = 0;  // the waypoints converted (written unless the write failed)
  std::int32_t trackCount = 0;     // the tracks converted, for a format that holds them
  // Characters of the waypoints' names that the output's code page has no
  // form for, written as '?'.
  std::int64_t replacedCharacters = 0;

  bool written() const { return step == ConvertStep::kNone; }
  bool ok() const { return written() && loaded; }
};

// Loads `input` (MPS, WTR or GPX) and writes it as `output` in the format
// the options name, or the one the output's extension names, or else WTR.
ConvertResult ConvertFile(const std::string& input, const std::string& output, const ConvertOptions& options);

// Translates the symbols of a document already loaded and writes its
// waypoints as a WTR file, replacing whatever `output` holds.
ConvertResult WriteConverted(GpsDocument& document, const std::string& output);

// The name proposed for the output of `path`: its file name without folders
// and extension ("trip" for "gps/trip.mps"), split at this system's separators.
std::string ProposedOutputName(std::string_view path);

// The output path for `input`: the proposed name with the extension of
// `writer` (WTR when null), in `folder` when one is given, else beside the
// input.
std::string OutputPathFor(const std::string& input, const std::string* folder, const FormatWriter* writer = nullptr);

}  // namespace ridloe
