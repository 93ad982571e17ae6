#include "convert/conversion_service.h"

#include "convert/symbols.h"
#include "core/platform/paths.h"
#include "formats/format_registry.h"

namespace ridloe {
namespace {

const FormatWriter& WtrWriter() { return *FindWriter("wtr"); }

}  // namespace

ConvertResult ConvertFile(const std::string& input, const std::string& output, const ConvertOptions& options) {
  ConvertResult result;
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
  // The input is read as an MPS file only: translating the symbols of a WTR
  // file would turn its codes 8246 and 161 into 18.
  OpenedDocument opened = OpenDocument(input, {FileFormat::kMps}, nullptr, nullptr, WtrWriter().reads);
  ConvertResult written = WriteConverted(*opened.document, output);
  written.loaded = opened.ok;
  written.loadError = opened.document->error();
  return written;
}

ConvertResult WriteConverted(GpsDocument& document, const std::string& output) {
  ConvertResult result;
  if (document.waypointCount <= 0 || !document.waypoints) {
    result.step = ConvertStep::kNoWaypoints;
    return result;
  }
  result.waypointCount = document.waypointCount;
  if (!MapSymbolsForWtr(document)) {
    result.step = ConvertStep::kSymbols;
  } else if (!WtrWriter().save(document, output, &result.writeError)) {
    result.step = ConvertStep::kWrite;
  }
  return result;
}

std::string ProposedOutputName(std::string_view path) { return SplitPath(path).baseName; }

std::string OutputPathFor(const std::string& input, const std::string* folder) {
  const PathParts parts = SplitPath(input);
  std::string dir = folder ? *folder : parts.drive + parts.directory;
  if (folder && !dir.empty() && dir.back() != '/') dir += '/';
  return dir + parts.baseName + WtrWriter().extension;
}

}  // namespace ridloe
