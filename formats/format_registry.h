// The one place that knows every file format: it tells a format from a
// file's first bytes, opens a file with the reader of its format, and finds
// the writer for a format's name or an output file's extension.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/document/gps_document.h"
#include "core/platform/file_access.h"

namespace ridloe {

enum class FileFormat { kUnknown, kMps, kWtr, kGpx };

// The format the first bytes of a file name; kUnknown when they name none.
FileFormat DetectFormat(ByteSpan firstBytes);
// "MPS", "WTR", "GPX": how messages name a format.
const char* FormatName(FileFormat format);
// How many first bytes of a file tell whether it may be of a format at all
// (DetectFormat needs a GPX file's bytes up to its root element).
inline constexpr std::size_t kDetectBytes = 64;
// Whether `prefix`, a file's first bytes, may begin a file of `format`: it
// does of the format they name, and XML may be GPX until its root element
// says otherwise.
bool MayBeginFormat(ByteSpan prefix, FileFormat format);

// An empty document of `format`'s reader (MPS for kUnknown).
std::unique_ptr<GpsDocument> MakeReader(FileFormat format);

// A set of formats, for the readers a caller accepts.
class FormatSet {
 public:
  constexpr FormatSet() = default;
  constexpr FormatSet(std::initializer_list<FileFormat> formats) {
    for (FileFormat f : formats) bits_ |= Bit(f);
  }
  static constexpr FormatSet All() { return {FileFormat::kMps, FileFormat::kWtr, FileFormat::kGpx}; }
  // Every format but `format`.
  static constexpr FormatSet AllBut(FileFormat format) {
    FormatSet set = All();
    set.bits_ &= ~Bit(format);
    return set;
  }
  constexpr bool Has(FileFormat f) const { return (bits_ & Bit(f)) != 0; }

 private:
  static constexpr unsigned Bit(FileFormat f) { return 1u << static_cast<unsigned>(f); }
  unsigned bits_ = 0;
};

struct OpenedDocument {
  // Present also when the load failed: its error() says why.
  std::unique_ptr<GpsDocument> document;
  // What the first bytes named; kUnknown when the file could not be read.
  FileFormat format = FileFormat::kUnknown;
  // Why the file could not be read, when it could not; the document's error
  // then has the step LoadStep::kFileRead.
  ReadError readError;
  bool ok = false;
};

// Reads `path` ("-" for standard input) and parses it with the reader of the
// format its bytes name when `allowed` holds that format. Bytes of a format
// that `allowed` does not hold are not read past their first bytes nor
// parsed: `format` names it and the load fails with
// ReadFailure::kUnrecognised. Bytes of no format are not read past their
// first bytes either, and the reader of the first format in MPS, WTR, GPX
// order that `allowed` holds says why they are not of its format.
OpenedDocument OpenDocument(const std::string& path, FormatSet allowed, ListSink* waypointSink, ListSink* trackSink,
                            LoadParts parts = LoadParts::kAll);

// A writer of one format.
struct FormatWriter {
  FileFormat format;
  const char* name;       // "wtr"
  const char* extension;  // ".wtr"
  // What the writer needs of a document it writes.
  LoadParts reads;
  // Whether it writes tracks and routes as well as waypoints (WTR writes
  // route points as waypoints).
  bool writesTracks;
  // Writes the document's bytes to `out`, already open; false at the first
  // write that fails, or when the document holds nothing this format keeps.
  // Names held as 8-bit text are in `codePage`, which a format of Unicode
  // text decodes them from. Without `routes` the routes are left out.
  bool (*write)(const GpsDocument& document, const char* codePage, bool routes, OutputFile& out);
};

// The writer of a format by its name ("wtr", "gpx"), or null.
const FormatWriter* FindWriter(std::string_view name);
// The writer whose extension ends `path` (in any case), or null.
const FormatWriter* WriterForPath(std::string_view path);

}  // namespace ridloe
