// The one conversion service both front-ends use: MPS waypoints in, their
// symbols translated, a WTR file out; and the one rule for naming the output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/document/gps_document.h"
#include "core/document/load_error.h"
#include "core/platform/file_access.h"

namespace ridloe {

// Where a conversion stopped.
enum class ConvertStep {
  kNone,         // the output was written
  kSameFile,     // the output names the input itself
  kExists,       // the output exists and may not be replaced
  kNoWaypoints,  // the input holds no waypoints (or its load read none)
  kSymbols,      // no memory to keep the symbol codes as loaded
  kWrite,        // the output could not be written
};

struct ConvertOptions {
  bool replace = false;  // an existing output may be replaced
};

struct ConvertResult {
  ConvertStep step = ConvertStep::kNone;
  // False when the input did not load whole; the waypoints read before the
  // failure are still written.
  bool loaded = true;
  LoadError loadError;
  WriteError writeError;
  std::int32_t waypointCount = 0;  // the waypoints converted (written unless the write failed)

  bool written() const { return step == ConvertStep::kNone; }
  bool ok() const { return written() && loaded; }
};

// Loads `input` as an MPS file and writes its waypoints as a WTR file.
ConvertResult ConvertFile(const std::string& input, const std::string& output, const ConvertOptions& options);

// Translates the symbols of a document already loaded and writes its
// waypoints as a WTR file, replacing whatever `output` holds.
ConvertResult WriteConverted(GpsDocument& document, const std::string& output);

// The name proposed for the output of `path`: its file name without folders
// and extension ("trip" for "gps/trip.mps"), split at this system's separators.
std::string ProposedOutputName(std::string_view path);

// The output path for `input`: the proposed name with the extension ".wtr",
// in `folder` when one is given, else beside the input.
std::string OutputPathFor(const std::string& input, const std::string* folder);

}  // namespace ridloe
