#include "formats/format_registry.h"

#include <utility>

#include "core/text/ascii.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"
#include "formats/mps/mps_document.h"
#include "formats/mps/mps_header.h"
#include "formats/wtr/wtr_format.h"

namespace ridloe {
namespace {

std::unique_ptr<GpsDocument> MakeReader(FileFormat format) {
  if (format == FileFormat::kWtr) return std::make_unique<WtrDocument>();
  if (format == FileFormat::kGpx) return std::make_unique<GpxDocument>();
  return std::make_unique<MpsDocument>();
}

FileFormat ReaderFor(FileFormat detected, FormatSet allowed) {
  if (allowed.Has(detected)) return detected;
  for (FileFormat f : {FileFormat::kMps, FileFormat::kWtr, FileFormat::kGpx}) {
    if (allowed.Has(f)) return f;
  }
  return FileFormat::kMps;
}

// WTR files hold names as 8-bit text, as the document's records do.
bool SaveWtrFile(const GpsDocument& document, const std::string& path, const char*, WriteError* why) {
  return SaveWtr(document, path, why);
}

constexpr FormatWriter kWriters[] = {
    {FileFormat::kWtr, "wtr", ".wtr", LoadParts::kWaypointsAndCounts, false, &SaveWtrFile},
    {FileFormat::kGpx, "gpx", ".gpx", LoadParts::kAll, true, &SaveGpx},
};

}  // namespace

FileFormat DetectFormat(ByteSpan firstBytes) {
  const ByteCursor cursor(firstBytes);
  if (cursor.StartsWith(kMpsSignature)) return FileFormat::kMps;
  if (cursor.StartsWith(kWtrWaypointMarker)) return FileFormat::kWtr;
  if (LooksLikeGpx(firstBytes)) return FileFormat::kGpx;
  return FileFormat::kUnknown;
}

const char* FormatName(FileFormat format) {
  switch (format) {
    case FileFormat::kMps: return "MPS";
    case FileFormat::kWtr: return "WTR";
    case FileFormat::kGpx: return "GPX";
    default: return "unknown";
  }
}

OpenedDocument OpenDocument(const std::string& path, FormatSet allowed, ListSink* waypointSink, ListSink* trackSink,
                            LoadParts parts) {
  OpenedDocument opened;
  ByteBlock buffer;
  ReadError why;
  if (!ReadWholeFile(path, buffer, &why)) {
    opened.document = MakeReader(ReaderFor(FileFormat::kUnknown, allowed));
    opened.ok = opened.document->FailRead(why);
    return opened;
  }
  opened.format = DetectFormat(buffer.bytes());
  opened.document = MakeReader(ReaderFor(opened.format, allowed));
  opened.document->parts = parts;
  opened.ok = opened.document->ParseBuffer(std::move(buffer), waypointSink, trackSink);
  return opened;
}

const FormatWriter* FindWriter(std::string_view name) {
  for (const FormatWriter& writer : kWriters) {
    if (name == writer.name) return &writer;
  }
  return nullptr;
}

const FormatWriter* WriterForPath(std::string_view path) {
  for (const FormatWriter& writer : kWriters) {
    if (EndsWithNoCase(path, writer.extension)) return &writer;
  }
  return nullptr;
}

}  // namespace ridloe
