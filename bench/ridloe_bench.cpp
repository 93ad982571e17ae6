// Benchmarks of the readers, the writers and whole conversions. The inputs
// come from bench/run.sh: RIDLOE_BENCH_MPS names a large generated MPS file,
// RIDLOE_BENCH_GPX the same file converted to GPX.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/conversion_service.h"
#include "core/document/list_sink.h"
#include "formats/wtr/wtr_document.h"
#include "formats/mps/mps_document.h"

extern char** environ;

namespace {

std::string InputPath(const char* variable = "RIDLOE_BENCH_MPS") {
  const char* path = std::getenv(variable);
  return path ? path : "";
}

std::string ScratchPath(const char* name) {
  const char* dir = std::getenv("RIDLOE_BENCH_DIR");
  return std::string(dir ? dir : "/tmp") + "/" + name;
}

std::int64_t FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

// Keeps every line, as the dialog's list does, in one text. The text keeps its
// capacity from one iteration to the next, so that what is measured is the
// load and not the growth of the sink.
class TextSink final : public ridloe::ListSink {
 public:
  TextSink() { text.reserve(std::size_t{64} << 20); }
  void AddLine(std::string_view line) override {
    text.append(line);
    text.push_back('\n');
  }
  std::string text;
};

void Report(benchmark::State& state, std::int64_t bytes, std::int64_t items) {
  state.SetBytesProcessed(bytes * state.iterations());
  state.SetItemsProcessed(items * state.iterations());
}

bool Skip(benchmark::State& state, const std::string& path) {
  if (FileSize(path) > 0) return false;
  state.SkipWithError("set RIDLOE_BENCH_MPS to a generated MPS file (bench/run.sh does)");
  return true;
}

void MpsLoad(benchmark::State& state, bool withSink) {
  const std::string path = InputPath();
  if (Skip(state, path)) return;
  std::int64_t waypoints = 0;
  TextSink sink;
  for (auto _ : state) {
    ridloe::MpsDocument doc;
    sink.text.clear();
    if (!doc.Load(path, withSink ? &sink : nullptr, nullptr)) state.SkipWithError("load failed");
    waypoints = doc.waypointCount;
    benchmark::DoNotOptimize(sink.text.data());
  }
  Report(state, FileSize(path), waypoints);
}

void BM_MpsLoad(benchmark::State& state) { MpsLoad(state, false); }
void BM_MpsLoadWithSink(benchmark::State& state) { MpsLoad(state, true); }

void BM_SaveWtr(benchmark::State& state) {
  const std::string path = InputPath();
  if (Skip(state, path)) return;
  ridloe::MpsDocument doc;
  if (!doc.Load(path, nullptr, nullptr)) return state.SkipWithError("load failed");
  const std::string out = ScratchPath("bench-save.wtr");
  for (auto _ : state) {
    if (!doc.SaveWtr(out)) state.SkipWithError("write failed");
  }
  Report(state, FileSize(out), doc.waypointCount);
}

void BM_WtrLoad(benchmark::State& state) {
  const std::string path = InputPath();
  if (Skip(state, path)) return;
  const std::string wtr = ScratchPath("bench-load.wtr");
  {
    ridloe::MpsDocument doc;
    if (!doc.Load(path, nullptr, nullptr) || !doc.SaveWtr(wtr)) return state.SkipWithError("cannot prepare WTR file");
  }
  std::int64_t waypoints = 0;
  TextSink sink;
  for (auto _ : state) {
    ridloe::WtrDocument doc;
    sink.text.clear();
    if (!doc.Load(wtr, &sink, nullptr)) state.SkipWithError("load failed");
    waypoints = doc.waypointCount;
  }
  Report(state, FileSize(wtr), waypoints);
}

// Runs a program to its end with standard error discarded; true when it exits 0.
bool Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = 0;
  const bool ok = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
                  waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return ok;
}

// The waypoints of a file, counted outside the timed runs.
std::int64_t WaypointsIn(const std::string& path) {
  return ridloe::OpenDocument(path, ridloe::FormatSet::All(), nullptr, nullptr, ridloe::LoadParts::kWaypointsAndCounts)
      .document->waypointCount;
}

// Runs `command` on the input `variable` names, writing `output`; the rate
// is of the input's bytes and of its waypoints.
// ridloe-cli takes "-o OUT IN"; minimal_convert "IN OUT".
enum class Operands { kOutputOption, kInputThenOutput };

void Converts(benchmark::State& state, std::vector<std::string> command, const char* output,
              const char* variable = "RIDLOE_BENCH_MPS", Operands operands = Operands::kOutputOption) {
  const std::string path = InputPath(variable);
  if (Skip(state, path)) return;
  const std::string out = ScratchPath(output);
  if (operands == Operands::kOutputOption) {
    command.insert(command.end(), {"-o", out, path});
  } else {
    command.insert(command.end(), {path, out});
  }
  for (auto _ : state) {
    if (!Run(command)) state.SkipWithError((command[0] + " failed").c_str());
  }
  Report(state, FileSize(path), WaypointsIn(path));
}

// The whole command as a user runs it: start the process, load, translate, write.
void BM_CliConvert(benchmark::State& state) { Converts(state, {RIDLOE_CLI_PATH, "convert", "--force"}, "bench-cli.wtr"); }
void BM_CliMpsToGpx(benchmark::State& state) {
  Converts(state, {RIDLOE_CLI_PATH, "convert", "--force"}, "bench-cli.gpx");
}
void BM_CliGpxToWtr(benchmark::State& state) {
  Converts(state, {RIDLOE_CLI_PATH, "convert", "--force"}, "bench-cli-gpx.wtr", "RIDLOE_BENCH_GPX");
}

// The same conversions through the conversion service, in this process.
void ConvertsHere(benchmark::State& state, const char* variable, const char* output) {
  const std::string path = InputPath(variable);
  if (Skip(state, path)) return;
  const std::string out = ScratchPath(output);
  std::int64_t waypoints = 0;
  for (auto _ : state) {
    const ridloe::ConvertResult r = ridloe::ConvertFile(path, out, {.replace = true});
    if (!r.ok()) state.SkipWithError("conversion failed");
    waypoints = r.waypointCount;
  }
  Report(state, FileSize(path), waypoints);
}

void BM_MpsToGpx(benchmark::State& state) { ConvertsHere(state, "RIDLOE_BENCH_MPS", "bench-service.gpx"); }
void BM_GpxToWtr(benchmark::State& state) { ConvertsHere(state, "RIDLOE_BENCH_GPX", "bench-service.wtr"); }

// The least work a conversion needs (bench/minimal_convert.cpp), written as
// safely as ridloe-cli writes, and without flushing to disk.
void BM_MinimalConvert(benchmark::State& state) {
  Converts(state, {RIDLOE_MINIMAL_PATH}, "bench-minimal.wtr", "RIDLOE_BENCH_MPS", Operands::kInputThenOutput);
}
void BM_MinimalConvertNoSync(benchmark::State& state) {
  Converts(state, {RIDLOE_MINIMAL_PATH, "--no-sync"}, "bench-minimal-nosync.wtr", "RIDLOE_BENCH_MPS",
           Operands::kInputThenOutput);
}

}  // namespace

#define RIDLOE_BENCH(fn) \
  BENCHMARK(fn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)

RIDLOE_BENCH(BM_MpsLoad);
RIDLOE_BENCH(BM_MpsLoadWithSink);
RIDLOE_BENCH(BM_SaveWtr);
RIDLOE_BENCH(BM_WtrLoad);
RIDLOE_BENCH(BM_CliConvert);
RIDLOE_BENCH(BM_MinimalConvert);
RIDLOE_BENCH(BM_MinimalConvertNoSync);
RIDLOE_BENCH(BM_MpsToGpx);
RIDLOE_BENCH(BM_GpxToWtr);
RIDLOE_BENCH(BM_CliMpsToGpx);
RIDLOE_BENCH(BM_CliGpxToWtr);

BENCHMARK_MAIN();
