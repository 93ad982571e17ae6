#include "convert/conversion_service.h"

#include <memory>
#include <utility>

#include "convert/symbols.h"
#include "core/platform/paths.h"

namespace ridloe {
namespace {

// Whether `path` ends in one of this system's separators (or, on Windows,
// is a bare drive): a folder, whether or not it exists yet.
bool EndsInSeparator(const std::string& path) {
  const PathParts end = SplitPath(path);
  return !path.empty() && end.baseName.empty() && end.extension.empty();
}

// A file that holds another format than the one written is source data,
// never an output to write over; `held` is set to what it holds.
ReplaceCheck KeepsSourceData(const Format& writer, const Format*& held) {
  return [&held, &writer](ByteSpan firstBytes) {
    // What may be of a format (XML whose root is past the first bytes) is
    // kept as if it were, unless that format is written.
    held = FormatHeld(firstBytes);
    return !held || held == &writer;
  };
}

// The conversion of `result` stopped at `step`; `subject` as Error says.
ConvertResult Stopped(ConvertResult result, Step step, std::string subject = {}) {
  result.error = Error(step, {}, std::move(subject));
  return result;
}

// `result` with what the output holds, when it was looked at: a refusal to
// replace it says what it is.
ConvertResult WithHeld(ConvertResult result, const Format* held) {
  result.outputHeld = held;
  if (held && result.error.step == Step::kKept) result.error.subject = AFileOf(*held);
  return result;
}

// Writes the document to `out`, opening it first unless `alreadyOpen`; for
// WTR, translates the symbols first.
ConvertResult WriteDocument(GpsDocument& document, const Format& writer, const WriteOptions& options, OutputFile& out,
                            bool alreadyOpen) {
  const bool routes = options.routes;
  ConvertResult result;
  result.writer = &writer;
  const std::int32_t inputRoutes = document.routes ? document.routeCount : 0;
  result.routesLeftOut = routes ? 0 : inputRoutes;
  const bool toDevice = writer.deviceCodes;
  const bool waypoints = document.waypointCount > 0 && document.waypoints;
  const bool tracks = writer.writesTracks && document.trackCount > 0 && document.tracks;
  const bool gpxRoutes = writer.writesTracks && routes && inputRoutes > 0;
  const std::size_t routePoints = writer.routePoints && routes ? writer.routePoints(document) : 0;
  if (!waypoints && !tracks && !gpxRoutes && routePoints == 0) {
    return Stopped(std::move(result), Step::kNoWaypoints);
  }
  result.waypointCount = waypoints ? document.waypointCount : 0;
  result.trackCount = tracks ? document.trackCount : 0;
  result.routeCount = gpxRoutes ? document.routeCount : 0;
  result.routePointCount = static_cast<std::int64_t>(routePoints);
  if (toDevice) {
    result.replacedCharacters = document.unmappedCharacters;
    result.controlCharacters = document.controlCharacters;
  } else {
    result.beyondPolesWritten = CountBeyondPoles(document, routes);
  }
  if (toDevice && !MapSymbolsForWtr(document)) {
    result.error = Error(Step::kNoWriteMemory);
  } else if ((!alreadyOpen && !out.Open()) || !writer.write(document, options, out) ||
             !out.Commit()) {
    result.error = out.error();
    // A writer that stops with no fault of the output's has names it
    // cannot decode.
    if (!result.error.failed()) {
      result.error = Error(Step::kWrite, "names in " + options.codePage + " cannot be decoded");
    }
  }
  return result;
}

}  // namespace

ConversionPlan PlanConversions(const std::vector<std::string>& operands, const std::string* output,
                               const Format* writer) {
  ConversionPlan plan;
  if (operands.empty()) {
    plan.usage = "convert needs an input file";
    return plan;
  }
  for (const std::string& operand : operands) {
    if (operand != "-" && WriterForPath(operand) && !PathExists(operand)) {
      plan.usage = operand + " does not exist (to name the output, use -o " + operand + ")";
      return plan;
    }
  }
  if (!output) {
    for (const std::string& input : operands) {
      if (IsStream(input)) {
        plan.usage = (input == "-" ? std::string("standard input") : input) +
                     " is a stream, with no folder to write its output beside; name the output with -o";
        return plan;
      }
      plan.jobs.push_back({input, OutputPathFor(input, nullptr, writer)});
    }
    return plan;
  }
  if (*output != "-" && (EndsInSeparator(*output) || IsFolder(*output))) {
    plan.folder = *output;
    for (const std::string& input : operands) plan.jobs.push_back({input, OutputPathFor(input, output, writer)});
    return plan;
  }
  if (operands.size() > 1) {
    plan.usage = "-o " + *output + " names the output of one input; for several, name a folder: -o DIR/";
    return plan;
  }
  plan.jobs.push_back({operands[0], *output});
  return plan;
}

ConvertResult ConvertFile(const std::string& input, const std::string& output, const ConvertOptions& options) {
  ConversionRun run(options);
  return run.Convert({input, output});
}

ConvertResult ConversionRun::Convert(const ConversionJob& job) {
  const std::string& input = job.input;
  const std::string& output = job.output;
  const ConvertOptions& options = options_;
  // A file this run wrote is never written again: two inputs that name one
  // output (x/a.mps and ./x/a.gpx; Trip.mps and trip.MPS on a file system
  // blind to case) would otherwise leave only the last one's waypoints.
  if (FileIdentity target; output != "-" && IdentityOf(output, target)) {
    for (const Written& earlier : written_) {
      if (earlier.identity == target) return Stopped({}, Step::kWrittenThisRun, earlier.input);
    }
  }

  const Format* named = output == "-" ? nullptr : WriterForPath(output);
  if (options.writer && named && named != options.writer) {
    ConvertResult result;
    result.writer = options.writer;
    return Stopped(std::move(result), Step::kFormatConflict, options.writer->extension);
  }
  const Format& writer = options.writer ? *options.writer : named ? *named : DefaultWriter();
  if (input != "-" && output != "-" && SameFile(input, output)) return Stopped({}, Step::kSameFile);
  // The output is looked at first, so that a refusal comes before a long
  // load.
  const Format* held = nullptr;
  std::unique_ptr<OutputFile> out;
  if (output == "-") {
    out = std::make_unique<StandardOutputWriter>();
  } else {
    out = std::make_unique<AtomicFileWriter>(
        output, options.replace ? ExistingTarget::kReplace : ExistingTarget::kKeep, KeepsSourceData(writer, held));
  }
  if (!out->Open()) {
    ConvertResult result;
    result.error = out->error();
    return WithHeld(std::move(result), held);
  }

  // Never the output's own format: there is nothing to convert, and
  // translating the symbols of a WTR file again would turn 8246 and 161 into 18.
  const FormatSet allowed = FormatSet::AllBut(writer);
  OpenedDocument opened = OpenDocument(input, allowed, nullptr, nullptr, writer.writerReads);
  if (!opened.ok && opened.format == &writer) {
    ConvertResult result;
    result.inputFormat = opened.format;
    return Stopped(std::move(result), Step::kInputFormat, AFileOf(*opened.format));
  }
  ConvertResult result = WriteDocument(*opened.document, writer, {options.codePage, options.routes}, *out, true);
  result.leftOut = opened.document->beyondPoles;
  result.loaded = opened.ok;
  result.loadError = opened.document->error();
  result = WithHeld(std::move(result), held);
  if (!opened.ok && result.error.step == Step::kNoWaypoints) result.error = result.loadError;
  if (FileIdentity written; result.written() && out->WrittenIdentity(written)) written_.push_back({written, input});
  return result;
}

ConvertResult WriteConverted(GpsDocument& document, const std::string& output) {
  // The dialog translates the symbols before it writes, so a write that
  // fails leaves them translated. The file chosen is replaced without a
  // question, unless it is source data (the MPS file just listed, say).
  const Format* held = nullptr;
  AtomicFileWriter out(output, ExistingTarget::kReplace, KeepsSourceData(DefaultWriter(), held));
  return WithHeld(WriteDocument(document, DefaultWriter(), {}, out, false), held);
}

std::string ProposedOutputName(std::string_view path) { return SplitPath(path).baseName; }

std::string OutputPathFor(const std::string& input, const std::string* folder, const Format* writer) {
  const PathParts parts = SplitPath(input);
  std::string dir = folder ? *folder : parts.drive + parts.directory;
  // A folder that already ends in one of this system's separators (or, on
  // Windows, is a bare drive) takes the name as it is.
  if (folder && !dir.empty() && !EndsInSeparator(dir)) dir += '/';
  return dir + parts.baseName + (writer ? *writer : DefaultWriter()).extension;
}

}  // namespace ridloe
