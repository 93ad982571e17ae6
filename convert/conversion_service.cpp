#include "convert/conversion_service.h"

#include <memory>
#include <set>

#include "convert/symbols.h"
#include "core/platform/paths.h"

namespace ridloe {
namespace {

const FormatWriter& WtrWriter() { return *FindWriter("wtr"); }

bool NamesOutput(const std::string& operand) { return operand == "-" || WriterForPath(operand) != nullptr; }

ConvertStep StepFor(const WriteError& why) {
  return why.failure == WriteFailure::kExists ? ConvertStep::kExists : ConvertStep::kWrite;
}

// Writes the document to `out`, opening it first unless `alreadyOpen`; for
// WTR, translates the symbols first.
ConvertResult WriteDocument(GpsDocument& document, const FormatWriter& writer, const std::string& codePage,
                            OutputFile& out, bool alreadyOpen) {
  ConvertResult result;
  result.writer = &writer;
  const bool waypoints = document.waypointCount > 0 && document.waypoints;
  const bool tracks = writer.writesTracks && document.trackCount > 0 && document.tracks;
  if (!waypoints && !tracks) {
    result.step = ConvertStep::kNoWaypoints;
    return result;
  }
  result.waypointCount = waypoints ? document.waypointCount : 0;
  result.trackCount = tracks ? document.trackCount : 0;
  const bool toWtr = writer.format == FileFormat::kWtr;
  if (toWtr) result.replacedCharacters = document.unmappedCharacters;
  if (toWtr && !MapSymbolsForWtr(document)) {
    result.step = ConvertStep::kSymbols;
  } else if ((!alreadyOpen && !out.Open()) || !writer.write(document, codePage.c_str(), out) || !out.Commit()) {
    result.writeError = out.error();
    result.step = StepFor(result.writeError);
  }
  return result;
}

}  // namespace

ConversionPlan PlanConversions(const std::vector<std::string>& operands, const std::string* folder,
                               const FormatWriter* writer) {
  ConversionPlan plan;
  if (operands.empty()) {
    plan.usage = "convert needs an input file";
  } else if (!folder && operands.size() == 2 && NamesOutput(operands[1])) {
    plan.jobs.push_back({operands[0], operands[1]});
  } else if (!folder && operands.size() > 2 && NamesOutput(operands.back())) {
    plan.usage = "one output takes one input; for several, name a folder with -o DIR";
  } else if (!folder && operands.size() == 1 && operands[0] == "-") {
    plan.usage = "standard input needs an output name";
  } else {
    std::set<std::string> outputs;
    for (const std::string& input : operands) {
      ConversionJob job{input, OutputPathFor(input, folder, writer)};
      if (input == "-") {
        job.refused = ConvertStep::kNoOutputName;
      } else if (!outputs.insert(job.output).second) {
        job.refused = ConvertStep::kOutputTaken;
      }
      plan.jobs.push_back(std::move(job));
    }
  }
  return plan;
}

ConvertResult ConvertFile(const std::string& input, const std::string& output, const ConvertOptions& options) {
  const FormatWriter* named = output == "-" ? nullptr : WriterForPath(output);
  if (options.writer && named && named != options.writer) {
    ConvertResult result;
    result.step = ConvertStep::kFormatConflict;
    result.writer = options.writer;
    return result;
  }
  const FormatWriter& writer = options.writer ? *options.writer : named ? *named : WtrWriter();
  if (input != "-" && output != "-" && SameFile(input, output)) {
    ConvertResult result;
    result.step = ConvertStep::kSameFile;
    return result;
  }
  // The output is looked at first, so that a refusal comes before a long
  // load. A file that holds another format is source data, never an output
  // to write over.
  FileFormat held = FileFormat::kUnknown;
  const auto mayReplace = [&held, &writer](ByteSpan firstBytes) {
    held = DetectFormat(firstBytes);
    // XML whose root is past the first bytes may be GPX: kept, unless GPX is written.
    if (held == FileFormat::kUnknown && MayBeginFormat(firstBytes, FileFormat::kGpx)) held = FileFormat::kGpx;
    return held == FileFormat::kUnknown || held == writer.format;
  };
  std::unique_ptr<OutputFile> out;
  if (output == "-") {
    out = std::make_unique<StandardOutputWriter>();
  } else {
    out = std::make_unique<AtomicFileWriter>(
        output, options.replace ? ExistingTarget::kReplace : ExistingTarget::kKeep, mayReplace);
  }
  if (!out->Open()) {
    ConvertResult result;
    result.writeError = out->error();
    result.step = StepFor(result.writeError);
    result.outputHeld = held;
    return result;
  }

  // Never the output's own format: there is nothing to convert, and
  // translating the symbols of a WTR file again would turn 8246 and 161 into 18.
  const FormatSet allowed = FormatSet::AllBut(writer.format);
  OpenedDocument opened = OpenDocument(input, allowed, nullptr, nullptr, writer.reads);
  if (!opened.ok && opened.format != FileFormat::kUnknown && !allowed.Has(opened.format)) {
    ConvertResult result;
    result.step = ConvertStep::kInputFormat;
    result.inputFormat = opened.format;
    return result;
  }
  ConvertResult result = WriteDocument(*opened.document, writer, options.codePage, *out, true);
  result.loaded = opened.ok;
  result.loadError = opened.document->error();
  result.readError = opened.readError;
  result.outputHeld = held;
  if (!opened.ok && result.step == ConvertStep::kNoWaypoints) result.step = ConvertStep::kLoad;
  return result;
}

ConvertResult WriteConverted(GpsDocument& document, const std::string& output) {
  // The dialog translates the symbols before it writes, so a write that
  // fails leaves them translated.
  AtomicFileWriter out(output);
  return WriteDocument(document, WtrWriter(), {}, out, false);
}

std::string ProposedOutputName(std::string_view path) { return SplitPath(path).baseName; }

std::string OutputPathFor(const std::string& input, const std::string* folder, const FormatWriter* writer) {
  const PathParts parts = SplitPath(input);
  std::string dir = folder ? *folder : parts.drive + parts.directory;
  if (folder && !dir.empty()) {
    // A folder that already ends in one of this system's separators (or, on
    // Windows, is a bare drive) takes the name as it is.
    const PathParts end = SplitPath(dir);
    if (!end.baseName.empty() || !end.extension.empty()) dir += '/';
  }
  return dir + parts.baseName + (writer ? *writer : WtrWriter()).extension;
}

}  // namespace ridloe
