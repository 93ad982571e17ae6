// ridloe-cli convert: MPS, WTR and GPX files to WTR or GPX, one or many.
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/options.h"
#include "convert/conversion_service.h"
#include "core/platform/file_access.h"
#include "core/text/cp950.h"

namespace ridloe::cli {
namespace {

std::string Count(std::int64_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// What became of one job, in one line per fault (and one on success); true
// when nothing went wrong.
bool ConvertOne(const ConversionJob& job, ConversionRun& run) {
  const std::string in = Shown(job.input);
  const std::string out = job.output == "-" ? "standard output" : job.output;
  const ConvertResult result = run.Convert(job);
  ReportLeftOut(job.input, result.leftOut);
  if (!result.loaded) ReportLoadFailure(job.input, result.loadError);
  const Error& why = result.error;
  switch (why.stage()) {
    case Stage::kNone:
      break;
    case Stage::kRead:
    case Stage::kLoad:
      return false;  // reported above
    case Stage::kWrite:
      if (why.step == Step::kExists) {
        Tell(in + ": " + why.Describe(out) + "; use --force to replace it");
      } else {
        Tell("ridloe-cli: " + why.Describe(out));
      }
      return false;
    case Stage::kConvert:
      switch (why.step) {
        case Step::kNoWaypoints:
          Tell(in + (result.writer->writesTracks ? ": no waypoints, routes or tracks" : ": no waypoints") +
               (result.routesLeftOut > 0 ? " (its routes left out by --no-routes)" : "") + "; nothing written");
          return true;
        case Step::kInputFormat:
          Tell(why.Describe(in));
          return false;
        case Step::kWrittenThisRun: {
          Error shown = why;
          shown.subject = Shown(why.subject);
          Tell(in + ": " + shown.Describe(out));
          return false;
        }
        default:
          Tell(in + ": " + why.Describe(out));
          return false;
      }
  }
  if (result.replacedCharacters > 0) {
    Tell(in + ": " + Count(result.replacedCharacters, "character") + " with no code page 950 form written as ?");
  }
  if (result.controlCharacters > 0) {
    Tell(in + ": " + Count(result.controlCharacters, "control character") + " in names written as ?");
  }
  if (result.beyondPolesWritten.any()) {
    const PointCounts& beyond = result.beyondPolesWritten;
    const bool one = beyond.waypoints + beyond.routePoints + beyond.trackPoints == 1;
    Tell(in + ": " + DescribePoints(beyond) + (one ? " has" : " have") +
         " a latitude beyond ±90°; the " + result.writer->name + " schema does not allow it");
  }
  // GPX: "12 waypoints, 1 route, 2 tracks" (routes only where there are
  // any); WTR: "0 waypoints and 42 route points" where route points were added.
  std::string what = Count(result.waypointCount, "waypoint");
  if (result.writer->writesTracks) {
    if (result.routeCount > 0) what += ", " + Count(result.routeCount, "route");
    what += ", " + Count(result.trackCount, "track");
  } else if (result.routePointCount > 0) {
    what += " and " + Count(result.routePointCount, "route point");
  }
  Tell(in + " -> " + out + ": " + what + (result.loaded ? "" : ", those read before the failure"));
  return result.ok();
}

}  // namespace

int Convert(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  if (!ParseOptions(args, {kForce, kOutput, kTo, kEncoding, kNoRoutes},
                    parsed)) {
    return Usage(parsed.error);
  }
  if (parsed.help) return Help();
  if (!ExpandOperands(parsed.operands)) return kFailed;
  ConvertOptions options;
  options.replace = parsed.Has(kForce);
  options.routes = !parsed.Has(kNoRoutes);
  if (parsed.Has(kTo) && !(options.writer = FindWriter(parsed.Value(kTo)))) {
    return Usage("--to takes " + OneOf(WrittenFormats(), ", ", " or ") + ", not " + parsed.Value(kTo));
  }
  if (parsed.Has(kEncoding)) options.codePage = parsed.Value(kEncoding);
  if (!AcceptsEncoding(options.codePage)) return kUsage;
  const std::string* output = parsed.Has(kOutput) ? &parsed.Value(kOutput) : nullptr;
  const ConversionPlan plan = PlanConversions(parsed.operands, output, options.writer);
  if (!plan.usage.empty()) return Usage(plan.usage);
  if (!plan.folder.empty() && !IsFolder(plan.folder)) {
    Tell("ridloe-cli: " +
         (PathExists(plan.folder) ? plan.folder + " is not a folder" : "folder " + plan.folder + " does not exist"));
    return kFailed;
  }
  ConversionRun run(options);
  bool all = true;
  for (const ConversionJob& job : plan.jobs) all = ConvertOne(job, run) && all;
  return all ? kOk : kFailed;
}

}  // namespace ridloe::cli
