// MPS files converted to WTR as the dialog and the convert command do: the
// symbols translated, the file written, and read back by the WTR reader.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/symbols.h"
#include "core/document/list_sink.h"
#include "formats/mps/mps_document.h"
#include "formats/wtr/wtr_document.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;
using testing::MpsBuilder;

class WtrRoundTripTest : public ::testing::Test {
 protected:
  // Loads MPS bytes, translates, writes, and loads the WTR file back.
  void RoundTrip(const MpsDocument& mps, WtrDocument& back) {
    const std::string path = dir_.Path("trip.wtr");
    ASSERT_TRUE(mps.SaveWtr(path));
    EXPECT_EQ(fs::file_size(path), 48u + 64u * static_cast<std::size_t>(mps.waypointCount));
    VectorListSink lines;
    ASSERT_TRUE(back.Load(path, &lines, nullptr)) << back.error().Describe();
    ASSERT_EQ(back.waypointCount, mps.waypointCount);
    EXPECT_EQ(back.trackCount, 0);
    EXPECT_EQ(lines.lines.size(), static_cast<std::size_t>(back.waypointCount));
    for (std::int32_t i = 0; i < back.waypointCount; ++i) {
      const WaypointRecord& a = mps.waypoints[i];
      const WaypointRecord& b = back.waypoints[i];
      EXPECT_EQ(b.latitude, a.latitude) << i;
      EXPECT_EQ(b.longitude, a.longitude) << i;
      EXPECT_EQ(b.symbol, a.symbol) << i;
      if (a.altitude > 9999.0f) {
        EXPECT_EQ(b.altitude, 0.0f) << i;
      } else {
        EXPECT_EQ(b.altitude, a.altitude) << i;
      }
      // Ten bytes: the start of the name, then spaces.
      const std::string name(b.name), original(a.name);
      ASSERT_EQ(name.size(), 10u) << i;
      const std::size_t kept = name.find_last_not_of(' ') + 1;
      EXPECT_EQ(name.substr(0, kept), original.substr(0, kept)) << i;
      EXPECT_GE(kept, std::min<std::size_t>(original.size(), 9)) << i;
    }
  }

  testing::TempFolder dir_{"wtr_round"};
};

TEST_F(WtrRoundTripTest, BuiltMpsFileComesBackWithTranslatedSymbols) {
  MpsBuilder b;
  b.Header();
  b.Waypoint({.name = "AB", .latitude = -123456789, .longitude = 987654321, .altitude = 12.5, .symbol = 106});
  b.Waypoint({.name = "ABCDEFGHIJK", .latitude = INT32_MIN, .longitude = -1, .altitude = -30.0, .symbol = 48});
  b.Waypoint({.name = "ABCDEFGHI\xA4\xA4", .altitude = 12000.0, .symbol = 7});
  b.Waypoint({.name = "\xA5\xC9\xA4\x73", .latitude = 1 << 30, .altitude = 9999.0, .symbol = 8246});
  b.Track({.name = "T", .points = {{.latitude = 1}}}).End();
  MpsDocument mps;
  ASSERT_TRUE(mps.Parse(b.bytes().data(), b.size(), nullptr, nullptr)) << mps.error().Describe();
  ASSERT_TRUE(MapSymbolsForWtr(mps));
  WtrDocument back;
  RoundTrip(mps, back);
  ASSERT_EQ(back.waypointCount, 4);
  EXPECT_EQ((std::vector<int>{back.waypoints[0].symbol, back.waypoints[1].symbol, back.waypoints[2].symbol,
                              back.waypoints[3].symbol}),
            (std::vector<int>{8246, 161, 18, 18}));
  EXPECT_STREQ(back.waypoints[0].name, "AB        ");
  EXPECT_STREQ(back.waypoints[1].name, "ABCDEFGHIJ");
  EXPECT_STREQ(back.waypoints[2].name, "ABCDEFGHI ");
  EXPECT_STREQ(back.waypoints[3].name, "\xA5\xC9\xA4\x73      ");
}

TEST_F(WtrRoundTripTest, RealMpsFiles) {
  const struct {
    const char* file;
    int waypoints;
  } files[] = {{"waypoints-v3.mps", 2}, {"geocaches-v4.mps", 9}, {"route-v4.mps", 14}, {"wifi-v5.mps", 37},
               {"places-v5.mps", 45}};
  const std::string folder = testing::SharedTestData("mps");
  if (folder.empty()) GTEST_SKIP() << testing::kNoSharedTestData;
  for (const auto& f : files) {
    SCOPED_TRACE(f.file);
    MpsDocument mps;
    ASSERT_TRUE(mps.Load(folder + "/" + f.file, nullptr, nullptr)) << mps.error().Describe();
    ASSERT_EQ(mps.waypointCount, f.waypoints);
    ASSERT_TRUE(MapSymbolsForWtr(mps));
    WtrDocument back;
    RoundTrip(mps, back);
  }
}

}  // namespace
}  // namespace ridloe
