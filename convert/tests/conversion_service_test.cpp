// The conversion service: what it refuses, what a damaged input still gives,
// why a write failed, the output's name, and the symbol translation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "convert/conversion_service.h"
#include "convert/symbols.h"
#include "formats/wtr/wtr_document.h"
#include "formats/wtr/wtr_format.h"
#include "formats/gpx/gpx_format.h"
#include "formats/mps/mps_document.h"
#include "testing/gpx_checks.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::MpsBuilder;
using testing::ReadBytes;

class ConversionServiceTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const MpsBuilder& b) {
    const std::string path = dir_.Path(name);
    EXPECT_TRUE(testing::WriteBytes(path, b.bytes()));
    return path;
  }
  testing::TempFolder dir_{"convert"};
};

TEST_F(ConversionServiceTest, ReplacesOnlyWhenAllowedAndNeverTheInput) {
  const std::string in = Write("in.mps", MpsBuilder().Header().Waypoint({.name = "A", .symbol = 48}).End());
  const std::string out = dir_.Path("out.wtr");
  ASSERT_TRUE(testing::WriteBytes(out, {'o', 'l', 'd'}));
  ConvertResult r = ConvertFile(in, out, {});
  EXPECT_EQ(r.error.step, Step::kExists);
  EXPECT_EQ(ReadBytes(out).size(), 3u);
  r = ConvertFile(in, out, {.replace = true});
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.waypointCount, 1);
  EXPECT_EQ(ReadBytes(out).size(), 48u + 64u);
  const auto before = ReadBytes(in);
  EXPECT_EQ(ConvertFile(in, in, {.replace = true}).error.step, Step::kSameFile);
  EXPECT_EQ(ReadBytes(in), before);
}

// Source data is never an output: an MPS file stays as it is, --force or
// not, and a WTR file is not read as input.
TEST_F(ConversionServiceTest, NeverWritesOverAnotherFormatNorReadsWtr) {
  const std::string in = Write("in.mps", MpsBuilder().Header().Waypoint({.name = "A"}).End());
  const std::string other = Write("other.wtr", MpsBuilder().Header().Waypoint({.name = "B"}).End());
  const auto before = ReadBytes(other);
  for (bool replace : {false, true}) {
    const ConvertResult r = ConvertFile(in, other, {.replace = replace});
    EXPECT_EQ(r.error.Describe("other.wtr"), "other.wtr is an MPS file; it is never replaced");
    EXPECT_EQ(r.outputHeld, &kMpsFormat);
    EXPECT_EQ(ReadBytes(other), before);
  }
  const std::string wtr = dir_.Path("in.wtr");
  ASSERT_TRUE(ConvertFile(in, wtr, {}).ok());
  const ConvertResult again = ConvertFile(wtr, dir_.Path("again.wtr"), {});
  EXPECT_EQ(again.error.step, Step::kInputFormat);
  EXPECT_EQ(again.inputFormat, &kWtrFormat);
  EXPECT_FALSE(fs::exists(dir_.Path("again.wtr")));
}

// "in>out" per job, or "usage".
std::vector<std::string> Plan(const std::vector<std::string>& operands, const std::string* output = nullptr) {
  const ConversionPlan plan = PlanConversions(operands, output);
  if (!plan.usage.empty()) return {"usage"};
  std::vector<std::string> jobs;
  for (const ConversionJob& job : plan.jobs) jobs.push_back(job.input + ">" + job.output);
  return jobs;
}

// Every operand is an input, whatever its name: a glob cannot tell an output
// from an input, so only -o names one.
TEST_F(ConversionServiceTest, OperandsAreInputsAndOnlyTheOutputOptionNamesAnOutput) {
  using V = std::vector<std::string>;
  const std::string gpx = dir_.Path("planned.gpx"), wtr = dir_.Path("device.wtr");
  ASSERT_TRUE(testing::WriteBytes(gpx, {'<'}));
  ASSERT_TRUE(testing::WriteBytes(wtr, {'x'}));
  const std::string base = dir_.Path("");
  EXPECT_EQ(Plan({"a.mps", gpx, wtr}), (V{"a.mps>a.wtr", gpx + ">" + base + "planned.wtr", wtr + ">" + base + "device.wtr"}));
  // A name that would be an output, given as an operand, is refused before
  // anything is written when it does not exist.
  EXPECT_EQ(Plan({"a.mps", dir_.Path("new.wtr")}), (V{"usage"}));
  EXPECT_EQ(Plan({"a.mps", "new.GPX"}), (V{"usage"}));
  EXPECT_EQ(Plan({}), (V{"usage"}));
  // Streams have no folder to write beside.
  EXPECT_EQ(Plan({"-"}), (V{"usage"}));
  const std::string dash = "-", file = "x/b.WTR", slashed = "out/";
  EXPECT_EQ(Plan({"-"}, &dash), (V{"->-"}));
  EXPECT_EQ(Plan({"a.mps"}, &file), (V{"a.mps>x/b.WTR"}));
  EXPECT_EQ(Plan({"a.mps", "b.mps"}, &file), (V{"usage"}));
  EXPECT_EQ(Plan({"a.mps", "b.mps"}, &dash), (V{"usage"}));
  EXPECT_EQ(Plan({"x/a.mps", "-"}, &slashed), (V{"x/a.mps>out/a.wtr", "->out/-.wtr"}));
  // An existing folder needs no separator at its end.
  const std::string folder = dir_.Path("sub");
  fs::create_directory(folder);
  EXPECT_EQ(Plan({"a.mps", "b.mps"}, &folder), (V{"a.mps>" + folder + "/a.wtr", "b.mps>" + folder + "/b.wtr"}));
}

TEST_F(ConversionServiceTest, DamagedInputWritesWhatLoadedAndSaysWhy) {
  const std::string in = Write("broken.mps", MpsBuilder()
                                                 .Header()
                                                 .Waypoint({.name = "P1", .symbol = 106})
                                                 .Waypoint({.name = "P2"})
                                                 .Record('T', {'A', 'B'}));
  ConvertResult r = ConvertFile(in, dir_.Path("broken.wtr"), {});
  EXPECT_TRUE(r.written());
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.loadError.step, Step::kTrackRun);
  EXPECT_EQ(r.waypointCount, 2);

  r = ConvertFile(Write("empty.mps", MpsBuilder().Header().End()), dir_.Path("empty.wtr"), {});
  EXPECT_EQ(r.error.step, Step::kNoWaypoints);
  EXPECT_TRUE(r.ok());  // nothing to convert is no failure
  EXPECT_FALSE(fs::exists(dir_.Path("empty.wtr")));

  r = ConvertFile(in, dir_.Path("missing/out.wtr"), {});
  EXPECT_EQ(r.error.step, Step::kNoFolder);
  EXPECT_EQ(r.error.reason, testing::SystemReasonFor(dir_.Path("missing/out.wtr")));

  r = ConvertFile(dir_.Path("missing.mps"), dir_.Path("missing.wtr"), {});
  EXPECT_FALSE(r.loaded);
  EXPECT_EQ(r.error.step, Step::kOpen);  // the load's own failure: nothing was written
}

TEST_F(ConversionServiceTest, OutputNamesKeepEveryCharacterOfTheFileName) {
  const std::string folder = "/out";
  EXPECT_EQ(OutputPathFor("gps/trip.mps", nullptr), "gps/trip.wtr");
  EXPECT_EQ(OutputPathFor("gps/trip.mps", &folder), "/out/trip.wtr");
  EXPECT_EQ(OutputPathFor("a.b.MPS", nullptr), "a.b.wtr");
  EXPECT_EQ(OutputPathFor("/v1.0/trip", nullptr), "/v1.0/trip.wtr");
  EXPECT_EQ(ProposedOutputName("/gps/"), "");
  const std::string slashed = "/out/", backslashed = "out\\";
  EXPECT_EQ(OutputPathFor("trip.mps", &slashed), "/out/trip.wtr");
#ifndef _WIN32
  EXPECT_EQ(OutputPathFor("backup\\trip.mps", nullptr), "backup\\trip.wtr");
  EXPECT_EQ(OutputPathFor("C:trip.mps", &folder), "/out/C:trip.wtr");
  EXPECT_EQ(OutputPathFor("trip.mps", &backslashed), "out\\/trip.wtr");
#else
  EXPECT_EQ(OutputPathFor("trip.mps", &backslashed), "out\\trip.wtr");
#endif
}

TEST_F(ConversionServiceTest, PicksTheOutputFormatAndNeverWritesTheOneItRead) {
  const std::string in = Write("in.mps", MpsBuilder()
                                             .Header()
                                             .Waypoint({.name = "A", .symbol = 106})
                                             .Track({.name = "T", .points = {{.latitude = 1}}})
                                             .End());
  ConvertResult r = ConvertFile(in, dir_.Path("out.gpx"), {});
  ASSERT_TRUE(r.ok()) << r.error.Describe("out.gpx");
  EXPECT_EQ(r.writer, FindWriter("gpx"));
  EXPECT_EQ(r.trackCount, 1);
  EXPECT_TRUE(testing::ValidatesAsGpx11(dir_.Path("out.gpx")));
  const ConvertOptions toGpx{.writer = FindWriter("gpx")};
  EXPECT_TRUE(ConvertFile(in, dir_.Path("named.txt"), toGpx).ok());
  EXPECT_EQ(ReadBytes(dir_.Path("named.txt")), ReadBytes(dir_.Path("out.gpx")));
  EXPECT_EQ(OutputPathFor("gps/trip.mps", nullptr, toGpx.writer), "gps/trip.gpx");

  // Tracks alone make a GPX file, and no WTR file.
  const std::string tracks = Write("tracks.mps", MpsBuilder().Header().Track({.name = "T", .points = {{}}}).End());
  r = ConvertFile(tracks, dir_.Path("tracks.gpx"), {});
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.waypointCount, 0);
  EXPECT_EQ(r.trackCount, 1);
  EXPECT_EQ(ConvertFile(tracks, dir_.Path("tracks.wtr"), {}).error.step, Step::kNoWaypoints);

  // An extension naming another format than the one asked for, and an input
  // already in the output's format, write nothing.
  EXPECT_EQ(ConvertFile(in, dir_.Path("out.wtr"), toGpx).error.step, Step::kFormatConflict);
  r = ConvertFile(dir_.Path("out.gpx"), dir_.Path("again.gpx"), {});
  EXPECT_EQ(r.error.step, Step::kInputFormat);
  EXPECT_EQ(r.inputFormat, &kGpxFormat);
  EXPECT_FALSE(fs::exists(dir_.Path("out.wtr")) || fs::exists(dir_.Path("again.gpx")));

  // GPX to WTR: names in code page 950, '?' counted; WTR to GPX names the
  // WTR codes and keeps them as WTR codes.
  const std::string gpx = dir_.Path("planned.gpx");
  ASSERT_TRUE(testing::WriteBytes(
      gpx, testing::AsBytes(testing::GpxText("<wpt lat=\"23.47\" lon=\"120.9572\"><name>玉山 ⛰ top</name>"
                                             "<sym>Summit</sym></wpt>"))));
  r = ConvertFile(gpx, dir_.Path("planned.wtr"), {});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.replacedCharacters, 1);
  const testing::Bytes wtr = ReadBytes(dir_.Path("planned.wtr"));
  ASSERT_EQ(wtr.size(), 48u + 64u);
  EXPECT_EQ(std::string(wtr.begin() + 16, wtr.begin() + 26), testing::Cp950FromUtf8("玉山") + " ? top");
  EXPECT_EQ(wtr[16 + 40] | wtr[16 + 41] << 8, 8246);
  ASSERT_TRUE(ConvertFile(dir_.Path("planned.wtr"), dir_.Path("back.gpx"), {}).ok());
  const std::string back = testing::ReadText(dir_.Path("back.gpx"));
  EXPECT_NE(back.find("<sym>Summit</sym>"), std::string::npos);
  EXPECT_NE(back.find("<ridloe:wtrSymbol>8246</ridloe:wtrSymbol>"), std::string::npos);
  EXPECT_TRUE(testing::ValidatesAsGpx11(dir_.Path("back.gpx")));
}

// MPS to GPX to WTR writes the bytes MPS to WTR writes, for names code page
// 950 carries both ways that neither start with white space nor hold controls.
TEST_F(ConversionServiceTest, RoundTripThroughGpxWritesTheSameWtr) {
  MpsBuilder b;
  b.Header();
  const std::string names[] = {"", "A", "TRAILHEAD 2", "A&B<C>\"D\"'", "ABCDEFGHIJKLMNOP", "trail end  ",
                               testing::Cp950FromUtf8("玉山主峰"), "ABCDEFGHI" + testing::Cp950FromUtf8("玉山"),
                               testing::Cp950FromUtf8("台北101觀景台")};
  std::int64_t i = 0;
  for (const std::string& name : names) {
    ++i;
    b.Waypoint({.name = name,
                .latitude = static_cast<std::int32_t>(i * 99999989 - (1 << 30)),
                .longitude = static_cast<std::int32_t>(i * 477218588 - INT32_MAX),
                .altitude = static_cast<double>(i) * 1234.567 - 2000,
                .symbol = static_cast<std::uint16_t>(i % 3 ? 106 : 48 + i)});
  }
  b.Waypoint({.name = "NONE", .latitude = 1 << 30, .longitude = INT32_MAX, .noAltitude = true});
  std::vector<std::string> inputs = {Write("built.mps", b.End()), std::string(RIDLOE_SOURCE_DIR) + "/samples/sample.mps"};
  const std::string real = std::string(RIDLOE_SHARED_TESTDATA) + "/mps/";
  if (fs::exists(real)) {
    for (const char* file : {"geocaches-v4.mps", "places-v5.mps", "route-v4.mps", "wifi-v5.mps", "waypoints-v3.mps"}) {
      inputs.push_back(real + file);
    }
  } else {
    std::printf("note: no shared test files in %s; built files only\n", real.c_str());
  }
  const ConvertOptions replace{.replace = true};
  const ConvertOptions noRoutes{.replace = true, .routes = false};
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    ASSERT_TRUE(ConvertFile(input, dir_.Path("direct.wtr"), replace).ok());
    ASSERT_TRUE(ConvertFile(input, dir_.Path("via.gpx"), replace).ok());
    ASSERT_TRUE(ConvertFile(dir_.Path("via.gpx"), dir_.Path("bare.wtr"), noRoutes).ok());
    EXPECT_EQ(ReadBytes(dir_.Path("bare.wtr")), ReadBytes(dir_.Path("direct.wtr")));
    // An MPS file stores its route points as waypoints, so its routes add
    // nothing to the WTR file: but for one point of places-v5.mps's route,
    // the second "bei D 08499 Mylau/Obermylau ", which lies where none of
    // the waypoints of that name does (the file keeps one waypoint a name).
    const ConvertResult via = ConvertFile(dir_.Path("via.gpx"), dir_.Path("via.wtr"), replace);
    ASSERT_TRUE(via.ok());
    const bool places = input.ends_with("places-v5.mps");
    EXPECT_EQ(via.routePointCount, places ? 1 : 0);
    const Bytes direct = ReadBytes(dir_.Path("direct.wtr"));
    const Bytes withRoutes = ReadBytes(dir_.Path("via.wtr"));
    ASSERT_EQ(withRoutes.size(), direct.size() + (places ? kWtrRecordSize : 0));
    const auto records = static_cast<std::ptrdiff_t>(direct.size() - 2 * kWtrBlockSize);
    EXPECT_TRUE(std::equal(direct.begin(), direct.begin() + records, withRoutes.begin()));
    if (places) {
      EXPECT_EQ(std::string(withRoutes.begin() + records, withRoutes.begin() + records + 10), "bei D 0849");
    }
  }
}

TEST(Symbols, TranslatedFromTheLoadedCodesEveryTime) {
  const std::uint16_t loaded[] = {106, 48, 0, 18, 161, 8246, 65535};
  const std::uint16_t wtr[] = {8246, 161, 18, 18, 18, 18, 18};
  WtrDocument doc;
  doc.waypointCount = static_cast<std::int32_t>(std::size(loaded));
  doc.waypoints = AllocateZeroed<WaypointRecord>(std::size(loaded));
  for (std::size_t i = 0; i < std::size(loaded); ++i) doc.waypoints[i].symbol = loaded[i];
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(MapSymbolsForWtr(doc));
    for (std::size_t i = 0; i < std::size(loaded); ++i) {
      EXPECT_EQ(doc.waypoints[i].symbol, wtr[i]) << "round " << round << ", code " << loaded[i];
    }
  }
  // A count without its array has nothing to translate, and nothing to touch.
  WtrDocument countOnly;
  countOnly.waypointCount = 3;
  EXPECT_TRUE(MapSymbolsForWtr(countOnly));
  EXPECT_FALSE(countOnly.symbolsAsLoaded);
}

}  // namespace
}  // namespace ridloe
