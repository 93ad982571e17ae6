#include "convert/conversion_service.h"

#include "convert/symbols.h"
#include "core/platform/paths.h"

namespace ridloe {
namespace {

const FormatWriter& WtrWriter() { return *FindWriter("wtr"); }

bool HasSomethingFor(const GpsDocument& document, const FormatWriter& writer) {
  const bool waypoints = document.waypointCount > 0 && document.waypoints;
  const bool tracks = document.trackCount > 0 && document.tracks;
  return waypoints || (writer.writesTracks && tracks);
}

// Writes a document as it was loaded, to a format that keeps the symbols'
// own numbers.
ConvertResult WriteAsLoaded(const GpsDocument& document, const std::string& output, const FormatWriter& writer,
                            const std::string& codePage) {
  ConvertResult result;
  result.writer = &writer;
  if (!HasSomethingFor(document, writer)) {
    result.step = ConvertStep::kNoWaypoints;
    return result;
  }
  result.waypointCount = document.waypoints ? document.waypointCount : 0;
  result.trackCount = document.tracks ? document.trackCount : 0;
  if (!writer.save(document, output, codePage.c_str(), &result.writeError)) result.step = ConvertStep::kWrite;
  return result;
}

}  // namespace

ConvertResult ConvertFile(const std::string& input, const std::string& output, const ConvertOptions& options) {
  ConvertResult result;
  const FormatWriter* named = WriterForPath(output);
  if (options.writer && named && named != options.writer) {
    result.step = ConvertStep::kFormatConflict;
    return result;
  }
  const FormatWriter& writer = options.writer ? *options.writer : named ? *named : WtrWriter();
  result.writer = &writer;
  if (PathExists(output)) {
    if (SameFile(input, output)) {
      result.step = ConvertStep::kSameFile;
      return result;
    }
    if (!options.replace) {
      result.step = ConvertStep::kExists;
      return result;
    }
  }
  OpenedDocument opened = OpenDocument(input, FormatSet::All(), nullptr, nullptr, writer.reads);
  if (opened.format == writer.format) {
    // Nothing to convert; and translating the symbols of a WTR file again
    // would turn its codes 8246 and 161 into 18.
    result.step = ConvertStep::kSameFormat;
    result.inputFormat = opened.format;
    return result;
  }
  ConvertResult written = writer.format == FileFormat::kWtr
                              ? WriteConverted(*opened.document, output)
                              : WriteAsLoaded(*opened.document, output, writer, options.codePage);
  written.inputFormat = opened.format;
  written.loaded = opened.ok;
  written.loadError = opened.document->error();
  return written;
}

ConvertResult WriteConverted(GpsDocument& document, const std::string& output) {
  ConvertResult result;
  result.writer = &WtrWriter();
  if (!HasSomethingFor(document, WtrWriter())) {
    result.step = ConvertStep::kNoWaypoints;
    return result;
  }
  result.waypointCount = document.waypointCount;
  result.replacedCharacters = document.unmappedCharacters;
  if (!MapSymbolsForWtr(document)) {
    result.step = ConvertStep::kSymbols;
  } else if (!WtrWriter().save(document, output, nullptr, &result.writeError)) {
    result.step = ConvertStep::kWrite;
  }
  return result;
}

std::string ProposedOutputName(std::string_view path) { return SplitPath(path).baseName; }

std::string OutputPathFor(const std::string& input, const std::string* folder, const FormatWriter* writer) {
  const PathParts parts = SplitPath(input);
  std::string dir = folder ? *folder : parts.drive + parts.directory;
  if (folder && !dir.empty() && dir.back() != '/') dir += '/';
  return dir + parts.baseName + (writer ? *writer : WtrWriter()).extension;
}

}  // namespace ridloe
