// ridloe-cli run as a process, and the decoding of names it shows.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "core/text/cp950.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

using testing::CliRun;
using testing::Lines;
using testing::MpsBuilder;
using testing::RunCli;
using testing::TempPath;

const std::string kSample = std::string(RIDLOE_SOURCE_DIR) + "/samples/sample.mps";

TEST(Cli, ListShowsDecodedRawAndTrackLines) {
  const CliRun run = RunCli("list '" + kSample + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "玉山主峰 3952");
  EXPECT_EQ(lines[5], "台北101 508");
  EXPECT_EQ(lines[11], "TRAILHEAD 2140");
  EXPECT_EQ(RunCli("list -", {.input = kSample}).out, run.out);

  lines = Lines(RunCli("list --raw '" + kSample + "'").out);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "\xA5\xC9\xA4\x73\xA5\x44\xAE\x70 3952");
  EXPECT_EQ(DecodeCp950(lines[9]), "雪山東峰 3201");

  lines = Lines(RunCli("list --tracks '" + kSample + "'").out);
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 12, lines.end()),
            (std::vector<std::string>{"", "雪山步道 (20)", "Jade Mountain trail (20)"}));
}

TEST(Cli, InfoAndJson) {
  const CliRun info = RunCli("info '" + kSample + "'");
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.out, "waypoints: 12\ntracks: 2\n");

  const CliRun run = RunCli("list --json '" + kSample + "'");
  EXPECT_EQ(run.status, 0);
  const nlohmann::json doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["loaded"], true);
  EXPECT_EQ(doc["waypoint_count"], 12);
  ASSERT_EQ(doc["waypoints"].size(), 12u);
  const auto& first = doc["waypoints"][0];
  EXPECT_EQ(first["name"], "玉山主峰");
  EXPECT_EQ(first["name_hex"], "a5c9a473a544ae70");
  EXPECT_EQ(first["altitude"], 3952);
  EXPECT_EQ(first["symbol"], 106);
  EXPECT_NEAR(first["latitude"]["degrees"].get<double>(), 23.47, 1e-6);
  EXPECT_EQ(first["longitude"]["semicircles"].get<std::int64_t>(),
            std::llround(120.9572 / 180.0 * 2147483648.0));
  ASSERT_EQ(doc["tracks"].size(), 2u);
  EXPECT_EQ(doc["tracks"][0]["name"], "雪山步道");
  EXPECT_EQ(doc["tracks"][0]["point_count"], 20);
  ASSERT_EQ(doc["tracks"][0]["points"].size(), 20u);
  EXPECT_EQ(doc["tracks"][0]["points"][0]["altitude"], 2140);
}

TEST(Cli, DamagedFilePrintsWhatLoadedThenTheReason) {
  MpsBuilder b;
  b.Header().Waypoint({.name = "\xA4\xA4", .altitude = 10}).Waypoint({.name = "B", .altitude = 20});
  b.Track({.name = "T"});
  const std::size_t at = b.size();
  b.Record('T', {'X', 0, 1}).End();
  const std::string path = TempPath("damaged.mps");
  ASSERT_TRUE(testing::WriteBytes(path, b.bytes()));
  CliRun run = RunCli("list '" + path + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "中  10\nB  20\n");
  EXPECT_EQ(run.err, path + ": track record 1 at byte " + std::to_string(at) +
                         ": fewer than 9 track block bytes after the name\n");

  MpsBuilder w;
  w.Header().Waypoint({.name = "A"});
  const std::size_t wat = w.size();
  w.Record('W', {'N', 0});
  ASSERT_TRUE(testing::WriteBytes(path, w.bytes()));
  run = RunCli("list '" + path + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, path + ": waypoint record 1 at byte " + std::to_string(wat) +
                         ": fewer than 29 header bytes after the name\n");
  std::remove(path.c_str());

  run = RunCli("info '" + TempPath("missing.mps") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "ridloe-cli: cannot open " + TempPath("missing.mps") + ": " +
                         testing::SystemReasonFor(TempPath("missing.mps")) + "\n");
  EXPECT_EQ(run.out, "");
}

TEST(Cli, UsageErrorsExitWith2) {
  for (const char* args : {"", "frobnicate x", "list", "list a b", "list --bogus x", "list --encoding",
                           "list --encoding NO-SUCH-CODEPAGE x", "info", "info a b"}) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find("usage:"), std::string::npos) << args;
    EXPECT_EQ(run.out, "") << args;
  }
  EXPECT_EQ(RunCli("list --encoding BIG5 '" + kSample + "'").status, 0);
}

TEST(Cli, OutputThatCannotBeWrittenFails) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(RunCli("list '" + kSample + "'", {.output = "/dev/full"}).status, 1);
  EXPECT_EQ(RunCli("info '" + kSample + "'", {.output = "/dev/full"}).status, 1);
}

// A shell line run in `folder` with $CLI naming the tool; its standard
// output, then its standard error after a line "--".
std::string Sh(const testing::TempFolder& folder, const std::string& script) {
  const std::string out = folder.Path(".out"), err = folder.Path(".err");
  const std::string command = "cd '" + folder.path().string() + "' && CLI='" + RIDLOE_CLI + "' && export CLI && " +
                              "timeout 20 sh -c '" + script + "' >'" + out + "' 2>'" + err + "'";
  std::system(command.c_str());
  return testing::ReadText(out) + "--\n" + testing::ReadText(err);
}

// Pipes, FIFOs and devices are read as streams, as "-" is; folders and
// sockets are refused at once; an endless stream fails at its first bytes.
TEST(Cli, StreamsAreReadAndNothingHangs) {
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  testing::TempFolder dir;
  const std::string counts = "waypoints: 12\ntracks: 2\n";
  EXPECT_EQ(Sh(dir, "mkfifo f.mps; cat \"" + kSample + "\" > f.mps & $CLI info f.mps"), counts + "--\n");
  EXPECT_EQ(Sh(dir, "cat \"" + kSample + "\" | $CLI info /dev/stdin"), counts + "--\n");
  EXPECT_EQ(Sh(dir, "mkdir d.mps; $CLI info d.mps"), "--\nridloe-cli: d.mps is a folder\n");
  EXPECT_EQ(Sh(dir, "timeout 5 $CLI info - < /dev/zero; echo $?"),
            "1\n--\nstandard input: at byte 0: file does not start with the MsRcd signature\n");
}

// One line for each fault, with the system's reason; nothing on standard
// output for a file that could not be read; file names cleaned as names are.
TEST(Cli, OneMessagePerFaultWithTheSystemsReason) {
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  testing::TempFolder dir;
  EXPECT_EQ(Sh(dir, "$CLI convert missing.mps"), "--\nridloe-cli: cannot open missing.mps: No such file or directory\n");
  EXPECT_EQ(Sh(dir, "$CLI info missing.mps/x"), "--\nridloe-cli: cannot open missing.mps/x: No such file or directory\n");
  EXPECT_EQ(Sh(dir, "cp \"" + kSample + "\" a.mps; $CLI info a.mps/x"),
            "--\nridloe-cli: cannot open a.mps/x: Not a directory\n");
  EXPECT_EQ(Sh(dir, "$CLI convert -o w.wtr a.mps 2>/dev/null; $CLI convert -o x.wtr w.wtr"),
            "--\nw.wtr is already a WTR file; nothing to convert\n");
  EXPECT_EQ(Sh(dir, "$CLI convert -o no/x.wtr a.mps"), "--\nridloe-cli: folder no/ does not exist\n");

  // A file without waypoints is a note, not a failure, in a batch too.
  ASSERT_TRUE(testing::WriteBytes(dir.Path("none.mps"), MpsBuilder().Header().End().bytes()));
  EXPECT_EQ(Sh(dir, "mkdir out; $CLI convert -o out a.mps none.mps; echo $?"),
            "0\n--\na.mps -> out/a.wtr: 12 waypoints\nnone.mps: no waypoints; nothing written\n");

  // A name that would set the terminal's title and clear its screen.
  const std::string shown = Sh(dir, "cp a.mps \"$(printf \"\\033]0;owned\\007\\033[2Jx.mps\")\"; $CLI convert --force ./*x.mps");
  EXPECT_EQ(shown.find_first_of("\x1b\x07"), std::string::npos) << shown;
  EXPECT_NE(shown.find("\uFFFD]0;owned\uFFFD\uFFFD[2Jx.mps -> "), std::string::npos) << shown;
}

// Messages name the real cause: a GPX file in UTF-16 is read, one cut to its
// first bytes or failing before its root is said to be broken XML (with no
// counts), a lock is a lock, and a missing value is named as typed.
TEST(Cli, MessagesNameTheRealCause) {
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  testing::TempFolder dir;
  const std::string gpx = "<?xml version=\\\"1.0\\\" encoding=\\\"UTF-16\\\"?>"
                          "<gpx version=\\\"1.1\\\"><wpt lat=\\\"1\\\" lon=\\\"2\\\"/></gpx>";
  EXPECT_EQ(Sh(dir, "printf \"" + gpx + "\" | iconv -f UTF-8 -t UTF-16 > u16.gpx; $CLI info u16.gpx"),
            "waypoints: 1\ntracks: 0\nroutes: 0\n--\n");
  EXPECT_EQ(Sh(dir, "printf \"<?xm\" > four.gpx; $CLI info four.gpx"),
            "--\nfour.gpx: line 1, column 1: unclosed token\n");
  EXPECT_EQ(Sh(dir, "printf \"<?xml version=\\\"1.0\\\"?><gpx x=\" > root.gpx; $CLI info root.gpx"),
            "--\nroot.gpx: line 1, column 22: unclosed token\n");
  EXPECT_EQ(Sh(dir, "cp \"" + kSample + "\" a.mps; flock a.mps $CLI info a.mps"),
            "--\nridloe-cli: a.mps is locked by another program\n");
  EXPECT_EQ(Sh(dir, "$CLI convert a.mps -o").rfind("--\nridloe-cli: -o needs a value\nusage:", 0), 0u);
}

TEST(Cli, EncodingsMustReadAsciiAsAscii) {
  for (const char* encoding : {"UTF-16", "UTF-32", "UTF-7", ""}) {
    EXPECT_EQ(RunCli("list --encoding '" + std::string(encoding) + "' '" + kSample + "'").status, 2) << encoding;
  }
  MpsBuilder b;
  b.Header().Waypoint({.name = "ab\u202Ecd\u2066", .altitude = 1}).End();
  const std::string path = TempPath("bidi.mps");
  ASSERT_TRUE(testing::WriteBytes(path, b.bytes()));
  EXPECT_EQ(RunCli("list --encoding=UTF-8 '" + path + "'").out, "ab\uFFFDcd\uFFFD   1\n");
  std::remove(path.c_str());
}

// JSON gives each waypoint's name and comment whole, beside the name its
// record keeps.
TEST(Cli, JsonKeepsWholeNamesAndComments) {
  MpsBuilder b;
  b.Header().Waypoint({.name = "bei D 95030 Hof/Innenstadt", .comment = "Parkplatz \"Nord\""}).End();
  const std::string path = TempPath("long.mps");
  ASSERT_TRUE(testing::WriteBytes(path, b.bytes()));
  const CliRun run = RunCli("list --json '" + path + "'");
  std::remove(path.c_str());
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json doc = nlohmann::json::parse(run.out);
  const auto& w = doc["waypoints"][0];
  EXPECT_EQ(w["name"], "bei D 95030 Hof/Innenstadt");
  EXPECT_EQ(w["comment"], "Parkplatz \"Nord\"");
  EXPECT_EQ(w["comment_hex"], "5061726b706c61747a20224e6f726422");
  EXPECT_EQ(w["record_name"], "bei D 95030");
}

TEST(Cli, HelpDoubleDashAndValuesAfterEquals) {
  for (const char* command : {"list", "info", "convert"}) {
    const CliRun run = RunCli(std::string(command) + " --help");
    EXPECT_EQ(run.status, 0) << command;
    EXPECT_EQ(run.out.rfind("usage:", 0), 0u) << command;
  }
  if (!testing::kHasPosixShell) GTEST_SKIP() << testing::kNoPosixShell;
  testing::TempFolder dir;
  EXPECT_EQ(Sh(dir, "cp \"" + kSample + "\" ./-a.mps; $CLI list --encoding=BIG5 -- -a.mps | head -1"),
            "玉山主峰 3952\n--\n");
  ASSERT_TRUE(testing::WriteBytes(dir.Path("one.mps"), MpsBuilder().Header().Waypoint({.name = "A"}).End().bytes()));
  EXPECT_EQ(Sh(dir, "$CLI convert one.mps"), "--\none.mps -> one.wtr: 1 waypoint\n");
}

TEST(Decoding, UndecodableBytesBecomeReplacementCharacters) {
  EXPECT_EQ(DecodeCp950("\xA4\xA4"), "中");
  EXPECT_EQ(DecodeCp950("A\xA4"), "A\uFFFD");  // a lead byte cut off at the end
  EXPECT_EQ(DecodeCp950("\x80|\xFF"), "\uFFFD|\uFFFD");
  EXPECT_EQ(DecodeCp950("\xA4 C"), "\uFFFD C");  // a lead byte without a valid second byte
  EXPECT_EQ(DecodeCp950("A\nB\x1B[2J\x7F"), "A\uFFFDB\uFFFD[2J\uFFFD");  // controls never reach a terminal

  std::string many, expected;
  for (int i = 0; i < 300; ++i) many += "\xA4\xA4", expected += "中";
  EXPECT_EQ(DecodeCp950(many + "\xA4"), expected + "\uFFFD");

  std::string out;
  EXPECT_FALSE(DecodeToUtf8("a\xA4", "NO-SUCH-CODEPAGE", out));
  EXPECT_EQ(out, "a\uFFFD");
}

}  // namespace
}  // namespace ridloe
