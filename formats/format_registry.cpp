#include "formats/format_registry.h"

#include <utility>

#include "core/text/ascii.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"
#include "formats/mps/mps_document.h"
#include "formats/mps/mps_header.h"
#include "formats/wtr/wtr_format.h"

namespace ridloe {

std::unique_ptr<GpsDocument> MakeReader(FileFormat format) {
  if (format == FileFormat::kWtr) return std::make_unique<WtrDocument>();
  if (format == FileFormat::kGpx) return std::make_unique<GpxDocument>();
  return std::make_unique<MpsDocument>();
}

namespace {

constexpr FileFormat kFormats[] = {FileFormat::kMps, FileFormat::kWtr, FileFormat::kGpx};

// The reader that says best what is wrong with bytes of no format: XML is
// GPX's to judge (a file cut to "<?xm" is no short MPS file), anything else
// the first format allowed.
FileFormat ReaderFor(FileFormat detected, FormatSet allowed, ByteSpan bytes = {}) {
  if (allowed.Has(detected)) return detected;
  if (detected == FileFormat::kUnknown && allowed.Has(FileFormat::kGpx) && !bytes.empty() && MayBeginXml(bytes)) {
    return FileFormat::kGpx;
  }
  for (FileFormat f : kFormats) {
    if (allowed.Has(f)) return f;
  }
  return FileFormat::kMps;
}

// WTR files hold names as 8-bit text, as the document's records do.
bool WriteWtrTo(const GpsDocument& document, const char*, OutputFile& out) {
  return WriteWtr(document, [&out](const std::uint8_t* bytes, std::size_t size) { return out.Write(bytes, size); });
}

bool WriteGpxTo(const GpsDocument& document, const char* codePage, OutputFile& out) {
  return WriteGpx(
      document, codePage,
      [](void* context, const char* bytes, std::size_t size) {
        return static_cast<OutputFile*>(context)->Write(bytes, size);
      },
      &out);
}

constexpr FormatWriter kWriters[] = {
    {FileFormat::kWtr, "wtr", ".wtr", LoadParts::kWaypointsAndCounts, false, &WriteWtrTo},
    {FileFormat::kGpx, "gpx", ".gpx", LoadParts::kAll, true, &WriteGpxTo},
};

}  // namespace

FileFormat DetectFormat(ByteSpan firstBytes) {
  const ByteCursor cursor(firstBytes);
  if (cursor.StartsWith(kMpsSignature)) return FileFormat::kMps;
  if (cursor.StartsWith(kWtrWaypointMarker)) return FileFormat::kWtr;
  if (LooksLikeGpx(firstBytes)) return FileFormat::kGpx;
  return FileFormat::kUnknown;
}

bool MayBeginFormat(ByteSpan prefix, FileFormat format) {
  const FileFormat named = DetectFormat(prefix);
  return named == format || (named == FileFormat::kUnknown && format == FileFormat::kGpx && MayBeginXml(prefix));
}

const char* FormatName(FileFormat format) {
  switch (format) {
    case FileFormat::kMps: return "MPS";
    case FileFormat::kWtr: return "WTR";
    case FileFormat::kGpx: return "GPX";
    case FileFormat::kUnknown: break;
  }
  return "unknown";
}

OpenedDocument OpenDocument(const std::string& path, FormatSet allowed, ListSink* waypointSink, ListSink* trackSink,
                            LoadParts parts) {
  OpenedDocument opened;
  ByteBlock buffer;
  ReadOptions options;
  options.prefixSize = kDetectBytes;
  options.acceptsPrefix = [allowed](ByteSpan prefix) {
    for (FileFormat f : kFormats) {
      if (allowed.Has(f) && MayBeginFormat(prefix, f)) return true;
    }
    return false;
  };
  // Once the first bytes name the format, its reader looks at the bytes as
  // they arrive, so that a file found damaged early is not read on.
  std::unique_ptr<GpsDocument> watching;
  FileFormat watched = FileFormat::kUnknown;
  options.watch = [&](ByteSpan soFar, std::size_t most) {
    if (!watching) {
      watched = DetectFormat(soFar);
      if (watched == FileFormat::kUnknown || !allowed.Has(watched)) return true;
      watching = MakeReader(watched);
      watching->parts = parts;
    }
    return watching->Watch(soFar, most, waypointSink, trackSink);
  };
  if (!ReadWholeFile(path, buffer, &opened.readError, options) &&
      opened.readError.failure != ReadFailure::kUnrecognised) {
    opened.document = MakeReader(ReaderFor(FileFormat::kUnknown, allowed));
    opened.ok = opened.document->FailRead(opened.readError);
    return opened;
  }
  opened.format = DetectFormat(buffer.bytes());
  if (opened.format != FileFormat::kUnknown && !allowed.Has(opened.format)) {
    opened.document = MakeReader(opened.format);
    opened.readError = {ReadFailure::kUnrecognised, {}};
    opened.ok = opened.document->FailRead(opened.readError);
    return opened;
  }
  // Bytes of no format are parsed so that the reader says what is wrong.
  opened.readError = {};
  if (watching && watched == opened.format) {
    opened.document = std::move(watching);
  } else {
    opened.document = MakeReader(ReaderFor(opened.format, allowed, buffer.bytes()));
    opened.document->parts = parts;
  }
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
