// Every input a fuzz target once failed on is kept in formats/tests/fuzz_regressions/
// and loaded here on every run, by every reader, with the checks the fuzz
// targets make; every document goes through the GPX round trip, and every
// one that loads with waypoints through the WTR round trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "convert/symbols.h"
#include "formats/fuzz/load_check.h"
#include "formats/fuzz/roundtrip_check.h"
#include "formats/gpx/gpx_document.h"
#include "formats/mps/mps_document.h"
#include "formats/wtr/wtr_document.h"
#include "testing/mps_builder.h"
#include "testing/written.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::MpsBuilder;

const fs::path kRegressions = fs::path(RIDLOE_SOURCE_DIR) / "formats" / "tests" / "fuzz_regressions";

// The round trips of what a reader loaded, with the symbols as loaded and
// then translated as the convert command does.
void ExpectRoundTrip(GpsDocument& document) {
  for (const char* codePage : {"CP950", "UTF-8", "GB18030"}) EXPECT_EQ(CheckGpxRoundTrip(document, codePage), "") << codePage;
  if ((document.waypointCount <= 0 || !document.waypoints) && RoutePointsForWtr(document).empty()) return;
  EXPECT_EQ(CheckWtrRoundTrip(document), "");
  ASSERT_TRUE(MapSymbolsForWtr(document));
  EXPECT_EQ(CheckWtrRoundTrip(document), "");
}

TEST(FuzzRegressions, EveryKeptInputLoadsCleanlyWithEveryReader) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(kRegressions)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty()) << "no inputs in " << kRegressions;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    const Bytes bytes = testing::ReadBytes(file);
    ASSERT_FALSE(bytes.empty());
    for (const Format* format : Formats()) {
      if (format->makeReader) {
        EXPECT_EQ(CheckLoad(*format, bytes.data(), bytes.size()), "") << format->name;
      }
    }
    MpsDocument mps;
    mps.Parse(bytes.data(), bytes.size(), nullptr, nullptr);
    ExpectRoundTrip(mps);
    WtrDocument wtr;
    wtr.Parse(bytes.data(), bytes.size(), nullptr, nullptr);
    ExpectRoundTrip(wtr);
    GpxDocument gpx;
    gpx.Parse(bytes.data(), bytes.size(), nullptr, nullptr);
    ExpectRoundTrip(gpx);
  }
}

// The first finding: a waypoint name starting with the bytes of the track
// section marker made the written record read back as the end of the
// waypoints, losing it and every waypoint after it.
TEST(FuzzRegressions, NameStartingWithTrackMarkerKeepsEveryWaypoint) {
  MpsBuilder b;
  b.Header()
      .Waypoint({.name = "\xFFTrk\xFF" "AB", .latitude = 5, .symbol = 106})
      .Waypoint({.name = "NEXT", .latitude = 6, .symbol = 48})
      .End();
  MpsDocument document;
  ASSERT_TRUE(document.Parse(b.bytes().data(), b.size(), nullptr, nullptr));
  Bytes wtr;
  ASSERT_TRUE(ridloe::testing::WrittenBytes(ridloe::kWtrFormat, document, {.routes = false}, wtr));
  WtrDocument back;
  ASSERT_TRUE(back.Parse(wtr.data(), wtr.size(), nullptr, nullptr)) << back.error().Describe();
  ASSERT_EQ(back.waypointCount, 2);
  EXPECT_STREQ(back.waypoints[0].name, "?Trk\xFF" "AB   ");
  EXPECT_EQ(back.waypoints[0].latitude, 5);
  EXPECT_STREQ(back.waypoints[1].name, "NEXT      ");
  EXPECT_EQ(back.waypoints[1].symbol, 48);
  EXPECT_EQ(CheckWtrRoundTrip(document), "");
}

// Only that collision is rewritten: the same bytes later in a name stay.
TEST(FuzzRegressions, NameWithMarkerBytesElsewhereIsWrittenAsItStands) {
  MpsBuilder b;
  b.Header().Waypoint({.name = "A\xFFTrk\xFF"}).End();
  MpsDocument document;
  ASSERT_TRUE(document.Parse(b.bytes().data(), b.size(), nullptr, nullptr));
  Bytes wtr;
  ASSERT_TRUE(ridloe::testing::WrittenBytes(ridloe::kWtrFormat, document, {.routes = false}, wtr));
  WtrDocument back;
  ASSERT_TRUE(back.Parse(wtr.data(), wtr.size(), nullptr, nullptr));
  ASSERT_EQ(back.waypointCount, 1);
  EXPECT_STREQ(back.waypoints[0].name, "A\xFFTrk\xFF    ");
}

}  // namespace
}  // namespace ridloe
