// ridloe-cli list and info.
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/options.h"
#include "core/document/list_sink.h"
#include "core/platform/standard_streams.h"
#include "core/text/cp950.h"

namespace ridloe::cli {
namespace {

// Prints each line as it arrives, so the lines of a load that fails later are
// already out when its error is reported.
class PrintingSink final : public ListSink {
 public:
  PrintingSink(bool raw, const char* encoding) : raw_(raw), encoding_(encoding) {}
  void LinesAreUtf8() override { encoding_ = "UTF-8"; }
  void AddLine(std::string_view line) override {
    if (raw_) {
      decoded_.assign(line);
    } else {
      DecodeToUtf8(line, encoding_, decoded_);
    }
    decoded_ += '\n';
    WriteText(stdout, decoded_);
  }

 private:
  bool raw_;
  const char* encoding_;
  std::string decoded_;
};

}  // namespace

int List(const std::vector<std::string>& args) {
  ParsedOptions options;
  if (!ParseOptions(args, {kRaw, kTracks, kJson, kEncoding}, options)) {
    return Usage(options.error);
  }
  if (options.help) return Help();
  if (!ExpandOperands(options.operands)) return kFailed;
  if (options.operands.size() != 1) return Usage("list takes one file");
  const std::string& file = options.operands[0];
  const char* encoding = options.Has(kEncoding) ? options.Value(kEncoding).c_str() : "CP950";
  if (!AcceptsEncoding(encoding)) return kUsage;

  if (options.Has(kJson)) {
    const OpenedDocument opened = OpenDocument(file, FormatSet::All(), nullptr, nullptr);
    // A file that could not be read has no document to show.
    if (opened.document->error().stage() != Stage::kRead) {
      WriteDocumentJson(*opened.document, encoding, opened.ok, stdout);
    }
    ReportLeftOut(file, opened.document->beyondPoles);
    if (!opened.ok) ReportLoadFailure(file, opened);
    return opened.ok ? kOk : kFailed;
  }
  // Raw names are bytes as stored: escape sequences and all, which a
  // terminal would act on rather than show.
  if (Error why; options.Has(kRaw) && !PrepareStandardOutputForBytes(&why)) {
    Tell("ridloe-cli: list --raw: " + why.Describe("standard output"));
    return kFailed;
  }
  const bool withTracks = options.Has(kTracks);
  PrintingSink waypointLines(options.Has(kRaw), encoding);
  VectorListSink trackLines;
  const OpenedDocument opened = OpenDocument(file, FormatSet::All(), &waypointLines, withTracks ? &trackLines : nullptr);
  const GpsDocument& document = *opened.document;
  const std::int32_t routes = document.routes ? document.routeCount : 0;
  // The tracks after a blank line; the routes, where there are any, after
  // another, so that the third block is always the routes.
  if (withTracks && (!trackLines.lines.empty() || routes > 0)) {
    WriteText(stdout, "\n");
    for (const std::string& line : trackLines.lines) waypointLines.AddLine(line);
  }
  if (withTracks && routes > 0) {
    WriteText(stdout, "\n");
    for (std::int32_t j = 0; j < routes; ++j) {
      waypointLines.AddLine(std::string(document.RouteNameOf(j)) + " (" + std::to_string(document.routes[j].pointCount) + ")");
    }
  }
  ReportLeftOut(file, document.beyondPoles);
  if (!opened.ok) ReportLoadFailure(file, opened);
  return opened.ok ? kOk : kFailed;
}

int Info(const std::vector<std::string>& args) {
  ParsedOptions options;
  if (!ParseOptions(args, {}, options)) return Usage(options.error);
  if (options.help) return Help();
  if (!ExpandOperands(options.operands)) return kFailed;
  if (options.operands.size() != 1) return Usage("info takes one file");
  const std::string& file = options.operands[0];
  const OpenedDocument opened = OpenDocument(file, FormatSet::All(), nullptr, nullptr);
  const GpsDocument& document = *opened.document;
  // A file that could not be read, or is of no known format, has nothing to count.
  if (opened.ok || document.reachedRecords()) {
    std::string counts = "waypoints: " + std::to_string(document.waypointCount) +
                         "\ntracks: " + std::to_string(document.trackCount) + "\n";
    if (document.routeCount >= 0) counts += "routes: " + std::to_string(document.routeCount) + "\n";
    WriteText(stdout, counts);
  }
  ReportLeftOut(file, document.beyondPoles);
  if (!opened.ok) ReportLoadFailure(file, opened);
  return opened.ok ? kOk : kFailed;
}

}  // namespace ridloe::cli
