// ridloe-cli run as a process, and the decoding of names it shows.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

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
  EXPECT_EQ(run.err, TempPath("missing.mps") + ": file cannot be opened\n");
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
