// The one place that knows every file format: the table of them (each
// format describes itself in its own folder, and formats/CMakeLists.txt
// registers it by its folder's name). It tells a format from a file's first
// bytes, opens a file with the reader of its format, and finds the writer
// for a format's name or an output file's extension.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/gps_document.h"
#include "core/platform/file_access.h"
#include "formats/format.h"

namespace ridloe {

// Every format, in the order they are registered.
std::span<const Format* const> Formats();

// The format the first bytes name; null when they name none.
const Format* DetectFormat(ByteSpan firstBytes);
// What a file whose first bytes are `firstBytes` holds, or may hold: the
// format they name, else the first whose files they may begin (XML whose
// root element comes later); null when they are of no format.
const Format* FormatHeld(ByteSpan firstBytes);
// "an MPS file", "a WTR file".
std::string AFileOf(const Format& format);
// How many first bytes of a file tell whether it may be of a format at all
// (a GPX file's bytes up to its root element).
inline constexpr std::size_t kDetectBytes = 64;

// A set of the formats that are read, for the readers a caller accepts.
class FormatSet {
 public:
  // Every format that has a reader.
  static FormatSet All();
  // Every format that has a reader but `format`.
  static FormatSet AllBut(const Format& format);
  bool Has(const Format* format) const;

 private:
  std::uint64_t bits_ = 0;
};

struct OpenedDocument {
  // Present also when the load failed: its error() says why.
  std::unique_ptr<GpsDocument> document;
  // What the first bytes named; null when the file could not be read (the
  // document's error then has a read step: Stage::kRead).
  const Format* format = nullptr;
  bool ok = false;
};

// Reads `path` ("-" for standard input) and parses it with the reader of the
// format its bytes name when `allowed` holds that format. Bytes of a format
// that `allowed` does not hold are not read past their first bytes nor
// parsed: `format` names it and the load fails with
// Step::kUnrecognised. Bytes of no format are not read past their
// first bytes either, and the reader of the first format in the table that
// `allowed` holds says why they are not of its format (for bytes that may
// begin one, that format's).
OpenedDocument OpenDocument(const std::string& path, FormatSet allowed, ListSink* waypointSink, ListSink* trackSink,
                            LoadParts parts = LoadParts::kAll);

// The format named `option` ("wtr", "gpx") when it is written, or null.
const Format* FindWriter(std::string_view option);
// The written format whose extension ends `path` (in any case), or null.
const Format* WriterForPath(std::string_view path);
// What is written when nothing names a format: the first format in the
// table that is written, the device's own.
const Format& DefaultWriter();
// The names of the formats that are read ("MPS", "WTR", "GPX"), in the
// table's order; the options of those written ("gpx", "wtr"), in the order
// of their names.
std::vector<std::string_view> ReadFormats();
std::vector<std::string_view> WrittenFormats();

// The bytes `format` writes of `document`, kept in memory; false as the
// writer returns false.
bool Encode(const Format& format, const GpsDocument& document, const WriteOptions& options, std::string& out);

}  // namespace ridloe
