// ridloe-cli convert: MPS, WTR and GPX files to WTR or GPX, one or many.
#include <cstdio>
#include <set>
#include <string>

#include "cli/commands.h"
#include "cli/options.h"
#include "convert/conversion_service.h"
#include "core/platform/file_access.h"
#include "core/text/cp950.h"

namespace ridloe::cli {
namespace {

bool ConvertOne(const std::string& input, const std::string& output, const ConvertOptions& options) {
  const ConvertResult result = ConvertFile(input, output, options);
  const char* in = input.c_str();
  const char* out = output.c_str();
  switch (result.step) {
    case ConvertStep::kSameFile:
      std::fprintf(stderr, "%s: the output %s is the input itself\n", in, out);
      return false;
    case ConvertStep::kExists:
      std::fprintf(stderr, "%s: %s exists; use --force to replace it\n", in, out);
      return false;
    case ConvertStep::kFormatConflict:
      std::fprintf(stderr, "%s: %s does not end in %s, the format asked for\n", in, out, result.writer->extension);
      return false;
    case ConvertStep::kSameFormat:
      std::fprintf(stderr, "%s: already a %s file; nothing to convert\n", in, FormatName(result.inputFormat));
      return false;
    default:
      break;
  }
  const bool tracks = result.writer->writesTracks;
  if (!result.loaded) std::fprintf(stderr, "%s: %s\n", in, result.loadError.Describe().c_str());
  if (result.step == ConvertStep::kNoWaypoints) {
    std::fprintf(stderr, "%s: no waypoints%s to convert\n", in, tracks ? " or tracks" : "");
    return false;
  }
  if (!result.loaded) {
    std::fprintf(stderr, "%s: converting the %d waypoints read before the failure\n", in, result.waypointCount);
  }
  switch (result.step) {
    case ConvertStep::kSymbols:
      std::fprintf(stderr, "%s: cannot write %s: out of memory\n", in, out);
      return false;
    case ConvertStep::kWrite:
      std::fprintf(stderr, "%s: cannot write %s: %s\n", in, out, result.writeError.Describe().c_str());
      return false;
    default:
      break;
  }
  if (result.replacedCharacters > 0) {
    std::fprintf(stderr, "%s: %lld characters of the names have no code page 950 form and were written as ?\n", in,
                 static_cast<long long>(result.replacedCharacters));
  }
  if (tracks) {
    std::fprintf(stderr, "%s -> %s: %d waypoints, %d tracks\n", in, out, result.waypointCount, result.trackCount);
  } else {
    std::fprintf(stderr, "%s -> %s: %d waypoints\n", in, out, result.waypointCount);
  }
  return result.ok();
}

}  // namespace

int Convert(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  if (!ParseOptions(args, {{"--force", "-f"}, {"--output-dir", "-o", true}, {"--to", nullptr, true},
                           {"--encoding", nullptr, true}},
                    parsed)) {
    return Usage(parsed.error);
  }
  const std::vector<std::string>& paths = parsed.operands;
  ConvertOptions options;
  options.replace = parsed.Has("--force");
  if (parsed.Has("--to") && !(options.writer = FindWriter(parsed.Value("--to")))) {
    return Usage("--to takes gpx or wtr, not " + parsed.Value("--to"));
  }
  if (parsed.Has("--encoding")) {
    options.codePage = parsed.Value("--encoding");
    std::string probe;
    if (!DecodeToUtf8("", options.codePage.c_str(), probe)) return Usage("unknown encoding " + options.codePage);
  }
  if (paths.empty()) return Usage("convert needs an input file");
  if (parsed.Has("--output-dir")) {
    const std::string& folder = parsed.Value("--output-dir");
    if (!IsFolder(folder)) {
      std::fprintf(stderr, "ridloe-cli: %s is not a folder\n", folder.c_str());
      return kFailed;
    }
    // Two inputs with the same base name would name the same output; the
    // second is refused rather than replacing what the first just wrote.
    std::set<std::string> outputs;
    bool all = true;
    for (const std::string& input : paths) {
      const std::string output = OutputPathFor(input, &folder, options.writer);
      if (input == "-") {
        std::fprintf(stderr, "ridloe-cli: standard input needs an output name, not -o\n");
        all = false;
      } else if (!outputs.insert(output).second) {
        std::fprintf(stderr, "%s: %s is the output of an earlier input too\n", input.c_str(), output.c_str());
        all = false;
      } else {
        all = ConvertOne(input, output, options) && all;
      }
    }
    return all ? kOk : kFailed;
  }
  if (paths.size() > 2) return Usage("several inputs need -o DIR");
  if (paths[0] == "-" && paths.size() == 1) return Usage("standard input needs an output name");
  const std::string output = paths.size() == 2 ? paths[1] : OutputPathFor(paths[0], nullptr, options.writer);
  return ConvertOne(paths[0], output, options) ? kOk : kFailed;
}

}  // namespace ridloe::cli
