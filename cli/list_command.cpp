// ridloe-cli list and info.
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/options.h"
#include "core/document/list_sink.h"
#include "core/text/cp950.h"
#include "formats/format_registry.h"

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
      std::fwrite(line.data(), 1, line.size(), stdout);
    } else {
      DecodeToUtf8(line, encoding_, decoded_);
      std::fwrite(decoded_.data(), 1, decoded_.size(), stdout);
    }
    std::fputc('\n', stdout);
  }

 private:
  bool raw_;
  const char* encoding_;
  std::string decoded_;
};

}  // namespace

int List(const std::vector<std::string>& args) {
  ParsedOptions options;
  if (!ParseOptions(args, {{"--raw"}, {"--tracks"}, {"--json"}, {"--encoding", nullptr, true}}, options)) {
    return Usage(options.error);
  }
  if (options.operands.size() != 1) return Usage("list takes one file");
  const std::string& file = options.operands[0];
  const char* encoding = options.Has("--encoding") ? options.Value("--encoding").c_str() : "CP950";
  std::string probe;
  if (!DecodeToUtf8("", encoding, probe)) return Usage("unknown encoding " + std::string(encoding));

  if (options.Has("--json")) {
    const OpenedDocument opened = OpenDocument(file, FormatSet::All(), nullptr, nullptr);
    std::puts(DocumentToJson(*opened.document, encoding, opened.ok).dump(2).c_str());
    if (!opened.ok) ReportLoadFailure(file, *opened.document);
    return opened.ok ? kOk : kFailed;
  }
  const bool withTracks = options.Has("--tracks");
  PrintingSink waypointLines(options.Has("--raw"), encoding);
  VectorListSink trackLines;
  const OpenedDocument opened = OpenDocument(file, FormatSet::All(), &waypointLines, withTracks ? &trackLines : nullptr);
  if (withTracks && !trackLines.lines.empty()) {
    std::fputc('\n', stdout);
    for (const std::string& line : trackLines.lines) waypointLines.AddLine(line);
  }
  std::fflush(stdout);
  if (!opened.ok) ReportLoadFailure(file, *opened.document);
  return opened.ok ? kOk : kFailed;
}

int Info(const std::vector<std::string>& args) {
  if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-')) return Usage("info takes one file");
  const OpenedDocument opened = OpenDocument(args[0], FormatSet::All(), nullptr, nullptr);
  std::printf("waypoints: %d\ntracks: %d\n", opened.document->waypointCount, opened.document->trackCount);
  if (opened.document->routeCount >= 0) std::printf("routes: %d\n", opened.document->routeCount);
  std::fflush(stdout);
  if (!opened.ok) ReportLoadFailure(args[0], *opened.document);
  return opened.ok ? kOk : kFailed;
}

}  // namespace ridloe::cli
