// Helpers shared by the test suites: loading built bytes, checking the lines
// a load reports against the records it filled, temporary files, and
// ridloe-cli run as a process.
#pragma once

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "core/document/line_format.h"
#include "core/document/list_sink.h"
#include "core/platform/file_access.h"
#include "formats/mps/mps_document.h"
#include "testing/mps_builder.h"
#include "testing/system.h"

namespace ridloe::testing {

struct Loaded {
  MpsDocument doc;
  VectorListSink waypointLines;
  VectorListSink trackLines;
  bool ok = false;
};

// Parses `bytes` from a heap block of exactly their size, so that the
// sanitizer reports any read past the end.
inline std::unique_ptr<Loaded> LoadBytes(const Bytes& bytes, bool withSinks = true) {
  auto out = std::make_unique<Loaded>();
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  out->ok = out->doc.Parse(exact.get(), bytes.size(), withSinks ? &out->waypointLines : nullptr,
                           withSinks ? &out->trackLines : nullptr);
  return out;
}

inline const char* StepName(Step step) {
  if (StageOf(step) == Stage::kRead) return "file read";
  switch (step) {
    case Step::kNone: return "ok";
    case Step::kSignature: return "signature";
    case Step::kHeader: return "header";
    case Step::kWaypointRun: return "waypoint run";
    case Step::kWaypointAlloc: return "waypoint alloc";
    case Step::kTrackRun: return "track run";
    case Step::kTrackCount: return "track count";
    case Step::kTrackAlloc: return "track alloc";
    case Step::kTrackConversion: return "track conversion";
    case Step::kCheckedRun: return "checked run";
    case Step::kTruncated: return "truncated";
    case Step::kSyntax: return "syntax";
    case Step::kRouteRun: return "route run";
    case Step::kRouteAlloc: return "route alloc";
    default: return "other";
  }
}

// What a load gave, e.g. "ok 3w 1t 3+1" (3 waypoints, 1 track, 3 waypoint
// lines and 1 track line), or the step that failed: "track run 3w 0t 3+0".
inline std::string Summary(const Loaded& r) {
  const Step step = r.doc.error().step;
  const std::string head = std::string(r.ok == (step == Step::kNone) ? "" : "INCONSISTENT ") + StepName(step);
  return head + " " + std::to_string(r.doc.waypointCount) + "w " + std::to_string(r.doc.trackCount) + "t " +
         std::to_string(r.waypointLines.lines.size()) + "+" + std::to_string(r.trackLines.lines.size());
}
inline std::string Summary(const Bytes& bytes) { return Summary(*LoadBytes(bytes)); }

// The lines a document's records call for, in the list's formats.
inline std::vector<std::string> WaypointLinesOf(const WtrDocument& d) {
  std::vector<std::string> lines;
  char line[kLineBufferSize];
  for (std::int32_t i = 0; d.waypoints && i < d.waypointCount; ++i) {
    lines.emplace_back(line, FormatWaypointLine(line, d.waypoints[i].name, AltitudeShown(d.waypoints[i].altitude)));
  }
  return lines;
}

inline std::vector<std::string> TrackLinesOf(const WtrDocument& d, std::int32_t count) {
  std::vector<std::string> lines;
  char line[kLineBufferSize];
  for (std::int32_t j = 0; d.tracks && j < count; ++j) {
    lines.emplace_back(line, FormatTrackLine(line, d.tracks[j].name, d.tracks[j].pointCount));
  }
  return lines;
}

// What the system says when `path` is read, e.g. "No such file or directory"
// for a path into a missing folder; each system has its own words.
inline std::string SystemReasonFor(const std::string& path) {
  ByteBlock buffer;
  Error why;
  ReadWholeFile(path, buffer, &why);
  return why.reason;
}

// A folder of the real files shared between checkouts ("mps", "gpx"):
// RIDLOE_SHARED_TESTDATA from the environment, else as configured (by default
// ../shared/testdata beside the project). Empty when it is not there, as in a
// clean clone, and a test that reads it then skips:
//   const std::string mps = SharedTestData("mps");
//   if (mps.empty()) GTEST_SKIP() << kNoSharedTestData;
inline std::string SharedTestData(const std::string& kind) {
  const char* env = std::getenv("RIDLOE_SHARED_TESTDATA");
  const std::string folder = std::string(env && *env ? env : RIDLOE_SHARED_TESTDATA) + "/" + kind;
  std::error_code ignored;
  return std::filesystem::is_directory(folder, ignored) ? folder : std::string();
}
inline constexpr char kNoSharedTestData[] = "no shared test files in " RIDLOE_SHARED_TESTDATA
                                           " (a clean clone has none; RIDLOE_SHARED_TESTDATA names a folder that has)";

// A file name in the test's temporary folder, unique to this test and process.
inline std::string TempPath(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "ridloe_" + info->test_suite_name() + "_" + info->name() + "_" +
         std::to_string(ProcessId()) + "_" + name;
}

// A fresh folder in the system's temporary folder, removed with all it holds
// when the object goes. A folder that cannot be made fails the test.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "ridloe")
      : path_(MakeUniqueFolder((std::filesystem::temp_directory_path() / prefix).string())) {}
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // A file or folder inside, `name` relative to the folder.
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Text split at its newlines, which are left out.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// RIDLOE_CLI names the tool in tests that run it (cli/tests/CMakeLists.txt).
#ifdef RIDLOE_CLI
struct CliRun {
  int status = -1;  // the exit status; -1 when the tool did not exit
  std::string out, err;
};

struct CliOptions {
  std::string folder;               // where the tool runs; empty: this process's folder
  std::string input = kNullDevice;  // the file on standard input
  std::string output;               // a file standard output goes to instead, not read back
};

// Runs the tool with `args` as a shell would split them, so they are quoted
// by the caller; standard output and error are read back separately.
inline CliRun RunCli(const std::string& args, const CliOptions& options = {}) {
  const std::string out = options.output.empty() ? TempPath("stdout") : options.output;
  const std::string err = TempPath("stderr");
  CliRun run;
  run.status = RunProgram(RIDLOE_CLI, args, options.folder, options.input, out, err);
  if (options.output.empty()) {
    run.out = ReadText(out);
    std::remove(out.c_str());
  }
  run.err = ReadText(err);
  std::remove(err.c_str());
  return run;
}
#endif

}  // namespace ridloe::testing
