// ridloe-cli convert, list and info run as processes on real files.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/platform/paths.h"
#include "testing/gpx_checks.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::CliRun;
using testing::Lines;
using testing::MpsBuilder;
using testing::ReadText;

constexpr std::uintmax_t kSampleWtrSize = 48 + 64 * 12;

class ConvertCliTest : public ::testing::Test {
 protected:
  // Runs the tool from the test's folder; arguments are quoted as given.
  CliRun Cli(const std::vector<std::string>& args) const {
    std::string quoted;
    for (const std::string& a : args) quoted += " '" + a + "'";
    return testing::RunCli(quoted, {.folder = dir_.string()});
  }
  std::string Sample() const { return std::string(RIDLOE_SOURCE_DIR) + "/samples/sample.mps"; }
  void Put(const std::string& name, const Bytes& bytes) {
    fs::create_directories((dir_ / name).parent_path());
    ASSERT_TRUE(testing::WriteBytes((dir_ / name).string(), bytes));
  }
  void PutMps(const std::string& name, int waypoints) {
    MpsBuilder b;
    b.Header();
    for (int i = 0; i < waypoints; ++i) b.Waypoint({.name = "W" + std::to_string(i), .symbol = 106});
    Put(name, b.End().bytes());
  }
  std::uintmax_t Size(const std::string& name) const { return fs::file_size(dir_ / name); }
  std::vector<std::string> Entries(const fs::path& folder = {}) const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder.empty() ? dir_ : folder)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Runs `script` with sh in the test's folder; $CLI names the tool. Tests
  // that need one skip where there is no POSIX shell.
  int Shell(const std::string& script) const {
    return testing::RunShell("cd '" + dir_.string() + "' && CLI='" + RIDLOE_CLI + "' && export CLI && sh -c '" +
                             script + "'");
  }

  testing::TempFolder folder_{"convert_cli"};
  const fs::path& dir_ = folder_.path();
};

TEST_F(ConvertCliTest, SampleConvertsAndListsPaddedNames) {
  const CliRun convert = Cli({"convert", "-o", "x.wtr", Sample()});
  ASSERT_EQ(convert.status, 0) << convert.err;
  EXPECT_EQ(Size("x.wtr"), kSampleWtrSize);

  const CliRun list = Cli({"list", "--raw", "x.wtr"});
  ASSERT_EQ(list.status, 0) << list.err;
  const std::vector<std::string> lines = Lines(list.out);
  ASSERT_EQ(lines.size(), 12u);
  for (const std::string& line : lines) {
    ASSERT_GE(line.size(), 14u) << line;
    EXPECT_EQ(line[10], ' ') << line;
  }
  // ASCII names come back with trailing spaces up to ten bytes.
  EXPECT_EQ(lines[6], "CAMP01     2890");
  EXPECT_EQ(lines[11], "TRAILHEAD  2140");
  // "台北101" is seven bytes in code page 950.
  EXPECT_EQ(lines[5].substr(0, 11), "\xA5\x78\xA5\x5F" "101    ");

  const CliRun info = Cli({"info", "x.wtr"});
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.out, "waypoints: 12\ntracks: 0\n");
}

TEST_F(ConvertCliTest, DefaultOutputAndExistingFiles) {
  fs::create_directory(dir_ / "trips");
  fs::copy_file(Sample(), dir_ / "trips/a.b.mps");
  CliRun run = Cli({"convert", "trips/a.b.mps"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Size("trips/a.b.wtr"), kSampleWtrSize);

  // Without --force an existing output stays as it was.
  Put("trips/a.b.wtr", Bytes{'k', 'e', 'e', 'p'});
  run = Cli({"convert", "trips/a.b.mps"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
  EXPECT_EQ(ReadText(dir_ / "trips/a.b.wtr"), "keep");
  run = Cli({"convert", "--force", "trips/a.b.mps"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Size("trips/a.b.wtr"), kSampleWtrSize);

  // Not even --force writes over the input itself.
  const std::string before = ReadText(dir_ / "trips/a.b.mps");
  run = Cli({"convert", "--force", "-o", "trips/a.b.mps", "trips/a.b.mps"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadText(dir_ / "trips/a.b.mps"), before);
}

TEST_F(ConvertCliTest, BackslashesAndColonsStayInTheName) {
  if (!SplitPath("a\\b").directory.empty()) GTEST_SKIP() << "this system splits paths at backslashes too";
  fs::create_directory(dir_ / "trips");
  // Folders are split at '/' only: a backslash and a drive-letter colon are
  // part of the file's name, so the output keeps them.
  fs::copy_file(Sample(), dir_ / "trips/c\\d.mps");
  fs::copy_file(Sample(), dir_ / "trips/C:e.mps");
  CliRun run = Cli({"convert", "trips/c\\d.mps"});
  EXPECT_EQ(run.status, 0) << run.err;
  run = Cli({"convert", "trips/C:e.mps"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(dir_ / "trips/c\\d.wtr"));
  EXPECT_TRUE(fs::exists(dir_ / "trips/C:e.wtr"));
  EXPECT_FALSE(fs::exists(dir_ / "trips/d.wtr"));
}

TEST_F(ConvertCliTest, SeveralInputsIntoOneFolder) {
  PutMps("in/one.mps", 2);
  PutMps("in/two.mps", 3);
  Put("in/bad.mps", Bytes{'n', 'o', 't', ' ', 'm', 'p', 's'});
  PutMps("other/one.mps", 1);  // names the same output as in/one.mps
  fs::create_directory(dir_ / "out");
  const CliRun run = Cli({"convert", "-o", "out", "in/one.mps", "in/bad.mps", "in/two.mps", "other/one.mps"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Size("out/one.wtr"), 48u + 2 * 64u);
  EXPECT_EQ(Size("out/two.wtr"), 48u + 3 * 64u);
  EXPECT_FALSE(fs::exists(dir_ / "out/bad.wtr"));
  EXPECT_NE(run.err.find("in/bad.mps: "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("other/one.mps: "), std::string::npos) << run.err;

  const CliRun good = Cli({"convert", "--force", "-o", "out", "in/one.mps", "in/two.mps"});
  EXPECT_EQ(good.status, 0) << good.err;
}

TEST_F(ConvertCliTest, WaypointsReadBeforeAFailureAreStillConverted) {
  MpsBuilder b;
  b.Header().Waypoint({.name = "KEPT", .symbol = 48}).Waypoint({.name = "ALSO"});
  b.Record('T', Bytes{'n', 'o', ' ', 'n', 'u', 'l'});  // a track name without its NUL
  Put("broken.mps", b.End().bytes());
  const CliRun run = Cli({"convert", "broken.mps"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("broken.mps -> broken.wtr: 2 waypoints, those read before the failure"), std::string::npos)
      << run.err;
  ASSERT_EQ(Size("broken.wtr"), 48u + 2 * 64u);
  const std::string wtr = ReadText(dir_ / "broken.wtr");
  EXPECT_EQ(wtr.substr(16, 10), "KEPT      ");
  EXPECT_EQ(wtr.substr(16 + 40, 2), std::string("\xA1\x00", 2));  // 48 became 161
}

TEST_F(ConvertCliTest, WtrFilesAreKnownByTheirFirstBytes) {
  // A WTR file with an .mps name, written through standard output.
  ASSERT_EQ(testing::RunCli("convert -o - '" + Sample() + "'", {.output = (dir_ / "renamed.mps").string()}).status, 0);
  const CliRun list = Cli({"list", "renamed.mps"});
  EXPECT_EQ(list.status, 0) << list.err;
  ASSERT_EQ(Lines(list.out).size(), 12u);
  EXPECT_EQ(Lines(list.out)[6], "CAMP01     2890");
  const CliRun info = Cli({"info", "renamed.mps"});
  EXPECT_EQ(info.out, "waypoints: 12\ntracks: 0\n");

  // convert never writes the format it read: translating WTR codes again would turn them into 18.
  const CliRun again = Cli({"convert", "-o", "again.wtr", "renamed.mps"});
  EXPECT_EQ(again.status, 1);
  EXPECT_FALSE(fs::exists(dir_ / "again.wtr"));
}

// `convert *.mps` gives each file its own output: a list of inputs never
// turns into an input and an output, and an MPS file is never written over.
TEST_F(ConvertCliTest, InputsAreNeverOutputs) {
  PutMps("a.mps", 1);
  PutMps("b.mps", 2);
  const std::string b = ReadText(dir_ / "b.mps");
  CliRun run = Cli({"convert", "--force", "a.mps", "b.mps"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadText(dir_ / "b.mps"), b);
  EXPECT_EQ(Size("a.wtr"), 48u + 64u);
  EXPECT_EQ(Size("b.wtr"), 48u + 2 * 64u);

  fs::copy_file(dir_ / "b.mps", dir_ / "named.wtr");  // MPS bytes under an output's name
  run = Cli({"convert", "--force", "-o", "named.wtr", "a.mps"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "ridloe-cli: named.wtr is an MPS file; it is never replaced\n");
  EXPECT_EQ(ReadText(dir_ / "named.wtr"), b);
  EXPECT_EQ(Cli({"convert", "--force", "a.mps", "b.mps", "c.wtr"}).status, 2);
}

// What a shell glob expands to is all input: `convert --force *.mps *.gpx`
// converts the GPX file too, and never writes the MPS file's waypoints over it.
TEST_F(ConvertCliTest, GlobShapedOperandsAreAllInputs) {
  PutMps("trip.mps", 3);
  Put("planned.gpx", testing::AsBytes(testing::GpxText("<wpt lat=\"1\" lon=\"2\"><name>P</name></wpt>")));
  ASSERT_EQ(Cli({"convert", "-o", "device.wtr", "trip.mps"}).status, 0);
  const std::string gpx = ReadText(dir_ / "planned.gpx"), device = ReadText(dir_ / "device.wtr");
  CliRun run = Cli({"convert", "--force", "trip.mps", "planned.gpx"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "trip.mps -> trip.wtr: 3 waypoints\nplanned.gpx -> planned.wtr: 1 waypoint\n");
  EXPECT_EQ(ReadText(dir_ / "planned.gpx"), gpx);
  run = Cli({"convert", "--force", "trip.mps", "device.wtr"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.err).back(), "device.wtr: the output device.wtr is the input itself");
  EXPECT_EQ(ReadText(dir_ / "device.wtr"), device);
  // A name meant as the output, given as an operand, is refused before
  // anything is written.
  fs::remove(dir_ / "trip.wtr");
  run = Cli({"convert", "trip.mps", "x.wtr"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Lines(run.err)[0], "ridloe-cli: x.wtr does not exist (to name the output, use -o x.wtr)");
  EXPECT_FALSE(fs::exists(dir_ / "trip.wtr"));
  EXPECT_EQ(Cli({"convert", "-o", "one.wtr", "trip.mps", "planned.gpx"}).status, 2);
}

// cmd.exe and PowerShell leave wildcards to the program: * and ? in the last
// part of an operand are expanded, in order of name, behind the folder as
// typed; a pattern that matches nothing is an error naming it, before
// anything is done; the value of -o is never expanded.
TEST_F(ConvertCliTest, WildcardsAreExpandedWhereTheShellLeavesThem) {
  if (SplitPath("a\\b").directory.empty()) GTEST_SKIP() << "the shell expands wildcards on this system";
  PutMps("b.mps", 2);
  PutMps("A.mps", 1);
  PutMps("in/c1.mps", 3);
  PutMps("in/c22.mps", 1);
  fs::create_directory(dir_ / "in/d.mps");  // a folder is no operand
  fs::create_directory(dir_ / "out");
  CliRun run = Cli({"convert", "*.mps"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "A.mps -> A.wtr: 1 waypoint\nb.mps -> b.wtr: 2 waypoints\n");
  run = Cli({"convert", "--force", "-o", "out\\", "in\\?1.mps", "in/*"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "in\\c1.mps -> out\\c1.wtr: 3 waypoints\n"
                     "in/c1.mps: would replace out\\c1.wtr, written from in\\c1.mps in this run\n"
                     "in/c22.mps -> out\\c22.wtr: 1 waypoint\n");
  EXPECT_EQ(Cli({"info", "in/c2*"}).out, "waypoints: 1\ntracks: 0\nroutes: 0\n");
  EXPECT_EQ(Cli({"list", "*.mps"}).status, 2);  // two files

  for (const char* pattern : {"*.gpx", "in/x?.mps"}) {
    run = Cli({"convert", "A.mps", pattern});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string("ridloe-cli: no file matches ") + pattern + "\n");
  }
  run = Cli({"convert", "-o", "o*\\", "A.mps"});
  EXPECT_EQ(run.err, "ridloe-cli: folder o*\\ does not exist\n");
  EXPECT_EQ(Entries(dir_ / "out"), (std::vector<std::string>{"c1.wtr", "c22.wtr"}));
}

// Two inputs whose outputs are one file (two spellings of one path, or two
// names of one file, as on a file system blind to case) are not both
// written, --force or not: the second is refused and the first kept.
TEST_F(ConvertCliTest, OneRunNeverWritesOneFileTwice) {
  PutMps("x/a.mps", 12);
  Put("x/a.gpx", testing::AsBytes(testing::GpxText("<wpt lat=\"1\" lon=\"2\"/><wpt lat=\"3\" lon=\"4\"/>")));
  PutMps("c.mps", 1);
  CliRun run = Cli({"convert", "--force", "x/a.mps", "./x/a.gpx", "c.mps"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.err)[1], "./x/a.gpx: would replace ./x/a.wtr, written from x/a.mps in this run");
  EXPECT_EQ(Size("x/a.wtr"), 48u + 12 * 64u);
  EXPECT_EQ(Size("c.wtr"), 48u + 64u);

  if (!SplitPath("a\\b").directory.empty()) {
    // Windows: names in another case, and folders split at either separator.
    PutMps("p/A.MPS", 4);
    PutMps("q/a.mps", 2);
    fs::create_directory(dir_ / "out");
    run = Cli({"convert", "--force", "-o", "out\\", "p/A.MPS", "q/a.mps"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Lines(run.err)[1], "q/a.mps: would replace out\\a.wtr, written from p/A.MPS in this run");
    EXPECT_EQ(Entries(dir_ / "out"), std::vector<std::string>{"A.wtr"});
    EXPECT_EQ(Size("out/A.wtr"), 48u + 4 * 64u);
    run = Cli({"convert", "--force", "x\\a.mps", "x/a.mps"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Lines(run.err)[1], "x/a.mps: would replace x/a.wtr, written from x\\a.mps in this run");
  }
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  PutMps("Trip.mps", 4);
  PutMps("trip.MPS", 2);
  ASSERT_EQ(Shell("mkdir usb && echo old > usb/Trip.wtr && ln -s Trip.wtr usb/trip.wtr"), 0);
  run = Cli({"convert", "--force", "-o", "usb/", "Trip.mps", "trip.MPS"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.err)[1], "trip.MPS: would replace usb/trip.wtr, written from Trip.mps in this run");
  EXPECT_EQ(Size("usb/Trip.wtr"), 48u + 4 * 64u);
}

// A file made at the output's name while a long input is read is kept: the
// input arrives through a FIFO, and the file is made once the tool has begun
// reading (a write larger than the pipe holds returns only then).
TEST_F(ConvertCliTest, AnOutputMadeDuringTheLoadIsKept) {
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  PutMps("in.mps", 4000);
  ASSERT_GT(Size("in.mps"), 200000u);
  const int status = Shell(
      "mkfifo p; $CLI convert -o out.wtr - < p 2> err & exec 3> p; head -c 150000 in.mps >&3; "
      "echo theirs > out.wtr; tail -c +150001 in.mps >&3; exec 3>&-; wait $!");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadText(dir_ / "out.wtr"), "theirs\n");
  EXPECT_EQ(ReadText(dir_ / "err"), "standard input: out.wtr exists; use --force to replace it\n");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"err", "in.mps", "out.wtr", "p"}));
}

// --force replaces regular files only; through a link to one, the file it
// names, keeping the link.
TEST_F(ConvertCliTest, ForceReplacesOnlyRegularFiles) {
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  ASSERT_EQ(Shell("mkfifo fifo.wtr && ln -s /proc/self/fd/1 stdout.wtr && mkdir real && echo old > real/t.wtr && "
                  "ln -s real/t.wtr link.wtr"),
            0);
  CliRun run = Cli({"convert", "--force", "-o", "fifo.wtr", Sample()});
  EXPECT_EQ(run.err, "ridloe-cli: fifo.wtr is a FIFO, not a regular file; it is never replaced\n");
  EXPECT_TRUE(fs::is_fifo(dir_ / "fifo.wtr"));
  run = testing::RunCli("convert --force -o stdout.wtr '" + Sample() + "'", {.folder = dir_.string(), .output = "/dev/null"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "ridloe-cli: stdout.wtr is a link into /proc, not a regular file; it is never replaced\n");
  EXPECT_TRUE(fs::is_symlink(dir_ / "stdout.wtr"));
  // Nor with standard output on a regular file, which the link would name:
  // neither the link nor the file itself is written over.
  Put("stdout.mps", testing::ReadBytes(Sample()));
  ASSERT_EQ(Shell("echo kept > my.log; $CLI convert --force stdout.mps >> my.log 2> err; "
                  "$CLI convert --force -o my.log stdout.mps >> my.log 2>> err"),
            1);
  EXPECT_EQ(ReadText(dir_ / "my.log"), "kept\n");
  EXPECT_EQ(ReadText(dir_ / "err"),
            "ridloe-cli: stdout.wtr is a link into /proc, not a regular file; it is never replaced\n"
            "ridloe-cli: my.log is this program's standard output; it is never replaced\n");
  run = Cli({"convert", "--force", "-o", "link.wtr", Sample()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.wtr"));
  EXPECT_EQ(Size("real/t.wtr"), kSampleWtrSize);
  // A read-only file is kept, also through a link, even for root.
  fs::permissions(dir_ / "real/t.wtr", fs::perms::owner_read | fs::perms::group_read);
  run = Cli({"convert", "--force", "-o", "link.wtr", Sample()});
  EXPECT_EQ(run.err, "ridloe-cli: link.wtr is read-only\n");
  EXPECT_EQ(fs::status(dir_ / "real/t.wtr").permissions(), fs::perms::owner_read | fs::perms::group_read);
}

// A read-only output (no write permission for anyone; on Windows, the
// read-only attribute) is kept as it is, --force or not.
TEST_F(ConvertCliTest, ReadOnlyOutputsAreKept) {
  PutMps("trip.mps", 2);
  ASSERT_EQ(Cli({"convert", "trip.mps"}).status, 0);
  const std::string before = ReadText(dir_ / "trip.wtr");
  PutMps("trip.mps", 3);
  const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(dir_ / "trip.wtr", writable, fs::perm_options::remove);
  for (const char* force : {"--force", "-f"}) {
    const CliRun run = Cli({"convert", force, "trip.mps"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ridloe-cli: trip.wtr is read-only\n");
  }
  EXPECT_EQ(ReadText(dir_ / "trip.wtr"), before);
  EXPECT_EQ(fs::status(dir_ / "trip.wtr").permissions() & writable, fs::perms::none);
  fs::permissions(dir_ / "trip.wtr", fs::perms::owner_write, fs::perm_options::add);
}

// With --force, an MPS file that a racing program puts at the target while
// the tool writes is never replaced. Each round the racer puts a WTR file
// there, then the MPS file, while the tool converts; once both are done the
// MPS file must be there, whichever came first.
TEST_F(ConvertCliTest, ForceNeverReplacesSourceDataPutThereMeanwhile) {
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  PutMps("in.mps", 2000);
  PutMps("src.mps", 1);
  ASSERT_EQ(Cli({"convert", "-o", "one.wtr", "src.mps"}).status, 0);
  ASSERT_EQ(Shell("rounds=0; lost=0; while [ $rounds -lt 25 ]; do "
                  "cp one.wtr t1 && mv t1 out.wtr; (cp src.mps t2 && mv t2 out.wtr) & "
                  "$CLI convert --force -o out.wtr in.mps 2>/dev/null; wait; "
                  "cmp -s out.wtr src.mps || lost=$((lost + 1)); rounds=$((rounds + 1)); done; "
                  "echo $lost > lost"),
            0);
  EXPECT_EQ(ReadText(dir_ / "lost"), "0\n");
}

// A write stopped by the file size limit fails with the system's reason, and
// one ended by a signal leaves nothing either.
TEST_F(ConvertCliTest, StoppedWritesLeaveNoFile) {
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  PutMps("in.mps", 4000);
  EXPECT_EQ(Shell("ulimit -f 100; $CLI convert in.mps 2> err"), 1);
  EXPECT_EQ(ReadText(dir_ / "err"), "ridloe-cli: cannot write in.wtr: File too large\n");
  EXPECT_EQ(Shell("mkfifo p; $CLI convert -o out.wtr - < p & exec 3> p; head -c 150000 in.mps >&3; "
                  "kill -TERM $!; wait $!; echo $? > status"),
            0);
  EXPECT_EQ(ReadText(dir_ / "status"), "143\n");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"err", "in.mps", "p", "status"}));
}

// "-" as the output is standard output, never a terminal.
TEST_F(ConvertCliTest, DashWritesStandardOutput) {
  ASSERT_EQ(Cli({"convert", "-o", "x.wtr", Sample()}).status, 0);
  const CliRun run = testing::RunCli("convert -o - '" + Sample() + "'", {.folder = dir_.string(), .output = (dir_ / "out").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, Sample() + " -> standard output: 12 waypoints\n");
  EXPECT_EQ(ReadText(dir_ / "out"), ReadText(dir_ / "x.wtr"));
  EXPECT_FALSE(fs::exists(dir_ / "-"));
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1) to make a terminal";
  EXPECT_EQ(Shell("script -qec \"$CLI convert -o - '" + Sample() + "'\" /dev/null > tty.txt"), 1);
  EXPECT_NE(ReadText(dir_ / "tty.txt").find("standard output is a terminal"), std::string::npos);
  // Nor does list --raw send stored bytes (escape sequences among them) to one.
  EXPECT_EQ(Shell("script -qec \"$CLI list --raw '" + Sample() + "'\" /dev/null > tty.txt"), 1);
  EXPECT_EQ(ReadText(dir_ / "tty.txt"),
            "ridloe-cli: list --raw: standard output is a terminal; send it to a file or a pipe\r\n");
}

TEST_F(ConvertCliTest, GpxOutAndBackIn) {
  CliRun run = Cli({"convert", "-o", "trip.gpx", Sample()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, Sample() + " -> trip.gpx: 12 waypoints, 2 tracks\n");
  EXPECT_TRUE(testing::ValidatesAsGpx11((dir_ / "trip.gpx").string()));
  EXPECT_EQ(Cli({"info", "trip.gpx"}).out, "waypoints: 12\ntracks: 2\nroutes: 0\n");
  EXPECT_EQ(Lines(Cli({"list", "trip.gpx"}).out)[0], "玉山主峰 3952");
  const std::string json = Cli({"list", "--json", "trip.gpx"}).out;
  EXPECT_NE(json.find("{\"name\":\"玉山主峰\""), std::string::npos) << json.substr(0, 300);
  EXPECT_NE(json.find("\"symbol_name\":\"Summit\""), std::string::npos);

  // Back to WTR beside it, as the sample converts directly.
  ASSERT_EQ(Cli({"convert", "trip.gpx"}).status, 0);
  ASSERT_EQ(Cli({"convert", "-o", "direct.wtr", Sample()}).status, 0);
  EXPECT_EQ(ReadText(dir_ / "trip.wtr"), ReadText(dir_ / "direct.wtr"));

  fs::create_directory(dir_ / "out");
  run = Cli({"convert", "--to", "gpx", "-o", "out", Sample()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadText(dir_ / "out/sample.gpx"), ReadText(dir_ / "trip.gpx"));
  run = Cli({"convert", "--to", "gpx", "-o", "copy.gpx", "trip.gpx"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "trip.gpx is already a GPX file; nothing to convert\n");
  EXPECT_FALSE(fs::exists(dir_ / "copy.gpx"));
  EXPECT_EQ(Cli({"convert", "--to", "gpx", "-o", "x.wtr", Sample()}).status, 1);
  run = Cli({"convert", "--to", "csv", Sample()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Lines(run.err)[0], "ridloe-cli: --to takes gpx, kml or wtr, not csv");

  // A GPX file is source data: WTR is never written over it.
  fs::copy_file(dir_ / "trip.gpx", dir_ / "kept.wtr");
  run = Cli({"convert", "--force", "-o", "kept.wtr", Sample()});
  EXPECT_EQ(run.err, "ridloe-cli: kept.wtr is a GPX file; it is never replaced\n");

  Put("planned.gpx", testing::AsBytes(testing::GpxText("<wpt lat=\"1\" lon=\"2\"><name>⛰ 1</name></wpt>")));
  run = Cli({"convert", "planned.gpx"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Lines(run.err)[0], "planned.gpx: 1 character with no code page 950 form written as ?");
}

// A planned route reaches the WTR device: the waypoints, then the route
// points not already among them (by name and place), each once; --no-routes
// leaves them out. Routes go into GPX as routes, and list and info show them.
TEST_F(ConvertCliTest, RoutesReachWtrAndGpx) {
  const std::string route = "<rte><name>Hike</name><rtept lat=\"1\" lon=\"2\"><name>W</name></rtept>"
                            "<rtept lat=\"3\" lon=\"4\"><name>X</name><sym>Summit</sym></rtept>"
                            "<rtept lat=\"3\" lon=\"4\"><name>X</name></rtept><rtept lat=\"5\" lon=\"6\"><name>Y</name></rtept></rte>";
  Put("planned.gpx", testing::AsBytes(testing::GpxText("<wpt lat=\"1\" lon=\"2\"><name>W</name></wpt>" + route)));
  Put("only.gpx", testing::AsBytes(testing::GpxText(route)));
  CliRun run = Cli({"convert", "planned.gpx", "only.gpx"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "planned.gpx -> planned.wtr: 1 waypoint and 2 route points\n"
                     "only.gpx -> only.wtr: 0 waypoints and 3 route points\n");
  EXPECT_EQ(Lines(Cli({"list", "--raw", "planned.wtr"}).out),
            (std::vector<std::string>{"W            0", "X            0", "Y            0"}));
  EXPECT_EQ(ReadText(dir_ / "planned.wtr").substr(16 + 64 + 40, 2), std::string("\x36\x20", 2));  // Summit: 8246
  run = Cli({"convert", "--no-routes", "--force", "planned.gpx", "only.gpx"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "planned.gpx -> planned.wtr: 1 waypoint\n"
                     "only.gpx: no waypoints (its routes left out by --no-routes); nothing written\n");
  EXPECT_EQ(Size("planned.wtr"), 48u + 64u);
  EXPECT_EQ(Cli({"list", "--tracks", "planned.gpx"}).out, "W   0\n\n\nHike (4)\n");

  if (testing::SharedTestData("mps").empty()) GTEST_SKIP() << testing::kNoSharedTestData;
  const std::string mps = testing::SharedTestData("mps") + "/route-v4.mps";
  EXPECT_EQ(Cli({"info", mps}).out, "waypoints: 14\ntracks: 0\nroutes: 2\n");
  run = Cli({"convert", "-o", "r.wtr", mps});
  EXPECT_EQ(run.err, mps + " -> r.wtr: 14 waypoints\n");  // its route points are its waypoints
  run = Cli({"convert", "-o", "r.gpx", mps});
  EXPECT_EQ(run.err, mps + " -> r.gpx: 14 waypoints, 2 routes, 0 tracks\n");
  EXPECT_TRUE(testing::ValidatesAsGpx11((dir_ / "r.gpx").string()));
  EXPECT_EQ(Cli({"list", "--tracks", "r.gpx"}).out.substr(Cli({"list", "r.gpx"}).out.size()),
            "\n\nATCHAFALAYA (3)\nLILI PATH (11)\n");
}

// Points beyond ±90° of latitude: left out of a GPX file read, and said; an
// MPS file's written to GPX as they stand, and said; control characters of
// names go to WTR as '?', and said.
TEST_F(ConvertCliTest, WhatIsLeftOutOrReplacedIsSaid) {
  Put("far.gpx", testing::AsBytes(testing::GpxText(
                     "<wpt lat=\"100\" lon=\"1\"/><wpt lat=\"1\" lon=\"1\"><name>A&#127;B</name></wpt>"
                     "<trk><trkseg><trkpt lat=\"-95\" lon=\"1\"/><trkpt lat=\"200\" lon=\"1\"/></trkseg></trk>")));
  const std::string leftOut = "far.gpx: 1 waypoint and 2 track points with a latitude beyond ±90° left out\n";
  CliRun run = Cli({"info", "far.gpx"});
  EXPECT_EQ(run.out, "waypoints: 1\ntracks: 1\nroutes: 0\n");
  EXPECT_EQ(run.err, leftOut);
  run = Cli({"convert", "far.gpx"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, leftOut + "far.gpx: 1 control character in names written as ?\nfar.gpx -> far.wtr: 1 waypoint\n");
  EXPECT_EQ(ReadText(dir_ / "far.wtr").substr(16, 3), "A?B");

  MpsBuilder b;
  b.Header();
  for (std::int32_t lat : {(1 << 30) + 1, 1 << 30, INT32_MIN, INT32_MAX}) b.Waypoint({.name = "P", .latitude = lat});
  b.Track({.name = "T", .points = {{.latitude = -(1 << 30) - 1}}});
  Put("far.mps", b.End().bytes());
  run = Cli({"convert", "-o", "far2.gpx", "far.mps"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "far.mps: 3 waypoints and 1 track point have a latitude beyond ±90°; the GPX schema does not allow it\n"
                     "far.mps -> far2.gpx: 4 waypoints, 1 track\n");
  EXPECT_EQ(Lines(Cli({"convert", "--to", "kml", "far.mps"}).err)[0],
            "far.mps: 3 waypoints and 1 track point have a latitude beyond ±90°; the KML schema does not allow it");
}

// list --json carries the text as it is: a line feed as \n, the controls
// that would drive a terminal escaped; a WTR name without its padding.
TEST_F(ConvertCliTest, JsonCarriesTheText) {
  Put("t.gpx", testing::AsBytes(testing::GpxText(
                   "<wpt lat=\"1\" lon=\"1\"><name>a\nb&#x202E;c&#x85;d&#127;</name><desc>x\ty</desc></wpt>"
                   "<rte><name>R</name><rtept lat=\"1\" lon=\"1\"><name>P</name></rtept></rte>")));
  const std::string json = Cli({"list", "--json", "t.gpx"}).out;
  EXPECT_NE(json.find(R"("name":"a\nb\u202ec\u0085d\u007f")"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("description":"x\ty")"), std::string::npos);
  EXPECT_NE(json.find(R"("routes":[)" "\n" R"({"name":"R","name_hex":"52","point_count":1,"points":[)" "\n" R"({"name":"P")"),
            std::string::npos);
  ASSERT_EQ(Cli({"convert", "-o", "x.wtr", Sample()}).status, 0);
  EXPECT_NE(Cli({"list", "--json", "x.wtr"}).out.find(R"({"name":"CAMP01","name_hex":"43414d503031",)"), std::string::npos);
}

// KML is named by --to or the output's extension; a KML file written before
// is replaced with --force (it is no source data), and is no input.
TEST_F(ConvertCliTest, KmlIsWrittenAndReplacedNeverRead) {
  PutMps("trip.mps", 3);
  CliRun run = Cli({"convert", "--to", "kml", "trip.mps"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "trip.mps -> trip.kml: 3 waypoints, 0 tracks\n");
  EXPECT_EQ(ReadText(dir_ / "trip.kml").rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml ", 0), 0u);
  run = Cli({"convert", "-o", "trip.kml", "trip.mps"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "trip.mps: trip.kml exists; use --force to replace it\n");
  EXPECT_EQ(Cli({"convert", "--force", "-o", "trip.kml", "trip.mps"}).status, 0);
  run = Cli({"convert", "--force", "-o", "x.gpx", "trip.kml"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.err).back(), "ridloe-cli: trip.kml is of no format that is read here");
  EXPECT_FALSE(fs::exists(dir_ / "x.gpx"));
  EXPECT_EQ(Cli({"convert", "-o", "y.kml", "trip.kml"}).err, "trip.kml is already a KML file; nothing to convert\n");
}

}  // namespace
}  // namespace ridloe
