// The GPX writer, judged by real readers: the GPX 1.1 schema, GDAL, and our
// own reader, which must give back the records that were written.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "core/platform/transcode.h"
#include "core/text/cp950.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"
#include "formats/wtr/wtr_document.h"
#include "testing/gpx_checks.h"
#include "testing/test_support.h"
#include "testing/written.h"

namespace ridloe {
namespace {

using testing::Cp950FromUtf8;
using testing::MpsBuilder;

// Every shape of waypoint and track a written file must carry.
testing::Bytes AllShapes() {
  MpsBuilder b;
  b.Header();
  b.Waypoint({.name = Cp950FromUtf8("玉山主峰"), .latitude = 1 << 30, .longitude = INT32_MIN, .altitude = 3952,
              .symbol = 106, .comment = Cp950FromUtf8("台灣最高峰")});
  b.Waypoint({.name = "A&B <C> \"D\"", .latitude = -(1 << 30), .longitude = INT32_MAX, .altitude = 123.456,
              .symbol = 48, .comment = "line\r\nnext\ttab\x01"});
  b.Waypoint({.name = "NO ELE", .latitude = -1, .longitude = 1, .altitude = 0, .symbol = 8, .noAltitude = true});
  b.Waypoint({.name = "NAN", .latitude = 12345678, .altitude = std::nan(""), .symbol = 0xFFFF});
  b.Waypoint({.name = "bei D 95030 Hof/Innenstadt", .altitude = -0.0, .symbol = 10});
  b.Waypoint({.name = "", .altitude = 3.4e38, .symbol = 18});
  b.Track({.name = Cp950FromUtf8("雪山主峰線步道，從登山口到三六九山莊"),
           .points = {{.latitude = 291103338, .longitude = 1444421362, .altitude = 100.5, .time = 1173023995},
                      {.latitude = 291103339, .longitude = -1, .noAltitude = true, .noTime = true},
                      {.latitude = 0, .longitude = 0, .altitude = -5.5, .time = 0xFFFFFFFFu}}});
  b.Track({.name = "EMPTY"});
  return b.End().bytes();
}

TEST(GpxWriter, DegreesAreExactToNineDecimals) {
  // Halves go to even, as printf rounds the exact value.
  std::mt19937 random(12);
  std::vector<std::int32_t> values = {0, 1, -1, 1 << 30, -(1 << 30), INT32_MIN, INT32_MAX, 5, 1073741};
  for (int i = 0; i < 5000; ++i) values.push_back(static_cast<std::int32_t>(random()));
  MpsBuilder b;
  b.Header();
  for (std::int32_t s : values) b.Waypoint({.latitude = s, .longitude = s});
  auto loaded = testing::LoadBytes(b.bytes(), false);
  std::string gpx;
  ASSERT_TRUE(Encode(kGpxFormat, loaded->doc, {"CP950"}, gpx));
  std::size_t at = 0;
  for (std::int32_t s : values) {
    const double degrees = s * 180.0 / 2147483648.0;  // exact in a double
    char expected[64];
    std::snprintf(expected, sizeof expected, "<wpt lat=\"%.9f\" lon=\"%.9f\">", degrees, degrees);
    at = gpx.find(expected, at);
    ASSERT_NE(at, std::string::npos) << s;
  }
}

TEST(GpxWriter, RealReadersReadWhatWasWritten) {
  auto loaded = testing::LoadBytes(AllShapes(), false);
  ASSERT_TRUE(loaded->ok) << loaded->doc.error().Describe();
  const MpsDocument& mps = loaded->doc;
  std::string gpx;
  ASSERT_TRUE(Encode(kGpxFormat, mps, {"CP950"}, gpx));
  std::string again;
  Encode(kGpxFormat, mps, {"CP950"}, again);
  EXPECT_EQ(gpx, again);

  testing::TempFolder folder;
  const std::string path = folder.Path("shapes.gpx");
  ASSERT_TRUE(testing::WriteBytes(path, testing::AsBytes(gpx)));
  EXPECT_TRUE(testing::ValidatesAsGpx11(path));

  // Our reader gives back every record: coordinates exactly, altitudes bit
  // for bit (none where there was none or it was not a number), names whole.
  GpxDocument back;
  ASSERT_TRUE(back.Parse(reinterpret_cast<const std::uint8_t*>(gpx.data()), gpx.size(), nullptr, nullptr))
      << back.error().Describe();
  ASSERT_EQ(back.waypointCount, mps.waypointCount);
  for (std::int32_t i = 0; i < mps.waypointCount; ++i) {
    const WaypointRecord& w = mps.waypoints[i];
    const WaypointRecord& r = back.waypoints[i];
    EXPECT_EQ(r.latitude, w.latitude) << i;
    EXPECT_EQ(r.longitude, w.longitude) << i;
    // None where there was none or GPX cannot hold it (not a number, or beyond 18 digits).
    EXPECT_EQ(r.noAltitude, w.noAltitude || std::isnan(w.altitude) || w.altitude > 1e18f) << i;
    if (!r.noAltitude) {
      EXPECT_EQ(std::bit_cast<std::uint32_t>(r.altitude), std::bit_cast<std::uint32_t>(w.altitude)) << i;
    }
    EXPECT_EQ(r.symbol, w.symbol) << i;
  }
  EXPECT_EQ(back.TextOf(0).name, "玉山主峰");
  EXPECT_EQ(back.TextOf(0).comment, "台灣最高峰");
  EXPECT_EQ(back.TextOf(0).symbol, "Summit");
  EXPECT_EQ(back.TextOf(1).name, "A&B <C> \"D\"");
  // A carriage return survives; a control XML cannot hold becomes U+FFFD.
  EXPECT_EQ(back.TextOf(1).comment, "line\r\nnext\ttab\xEF\xBF\xBD");
  EXPECT_EQ(back.TextOf(4).name, "bei D 95030 Hof/Innenstadt");
  ASSERT_EQ(back.trackCount, 2);
  EXPECT_EQ(back.TrackNameOf(0), "雪山主峰線步道，從登山口到三六九山莊");
  ASSERT_EQ(back.tracks[0].pointCount, 3);
  for (std::int32_t k = 0; k < 3; ++k) {
    const TrackPoint& p = mps.tracks[0].points[k];
    const TrackPoint& q = back.tracks[0].points[k];
    EXPECT_EQ(q.latitude, p.latitude);
    EXPECT_EQ(q.longitude, p.longitude);
    EXPECT_EQ(q.noAltitude, p.noAltitude);
    EXPECT_EQ(q.noTime, p.noTime);
    EXPECT_EQ(q.time, p.noTime ? 0u : p.time);
  }
  EXPECT_EQ(back.tracks[1].pointCount, 0);

  // GDAL reads the same counts, names, coordinates and elevations.
  const auto waypoints = testing::OgrLayer(path, "waypoints");
  if (!waypoints) return;
  ASSERT_EQ(waypoints->size(), static_cast<std::size_t>(mps.waypointCount));
  for (std::int32_t i = 0; i < mps.waypointCount; ++i) {
    const testing::OgrFeature& f = (*waypoints)[static_cast<std::size_t>(i)];
    const WaypointRecord& w = mps.waypoints[i];
    EXPECT_EQ(f.name, back.TextOf(i).name);
    ASSERT_EQ(f.points.size(), 1u);
    EXPECT_NEAR(f.points[0][0], w.longitude * 180.0 / 2147483648.0, 1e-9) << i;
    EXPECT_NEAR(f.points[0][1], w.latitude * 180.0 / 2147483648.0, 1e-9) << i;
    const bool hasEle = f.ele.has_value() || f.points[0].size() == 3;
    EXPECT_EQ(hasEle, !back.waypoints[i].noAltitude) << i;
    if (hasEle) {
      EXPECT_EQ(static_cast<float>(f.ele ? *f.ele : f.points[0][2]), w.altitude) << i;
    }
  }
  const auto tracks = testing::OgrLayer(path, "tracks");
  ASSERT_TRUE(tracks && tracks->size() == 2u);
  EXPECT_EQ((*tracks)[0].name, "雪山主峰線步道，從登山口到三六九山莊");
  ASSERT_EQ((*tracks)[0].points.size(), 3u);
  EXPECT_NEAR((*tracks)[0].points[0][1], 291103338 * 180.0 / 2147483648.0, 1e-9);
  EXPECT_EQ(static_cast<float>((*tracks)[0].points[0][2]), 100.5f);
}

// Every real MPS file makes valid GPX that GDAL reads with as many
// waypoints and tracks as the document holds.
TEST(GpxWriter, RealFilesMakeValidGpx) {
  const std::string folder = std::string(RIDLOE_SHARED_TESTDATA) + "/mps/";
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no shared test files in " << folder;
  testing::TempFolder out;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".mps") continue;
    SCOPED_TRACE(entry.path().filename().string());
    MpsDocument mps;
    ASSERT_TRUE(mps.Load(entry.path().string(), nullptr, nullptr)) << mps.error().Describe();
    const std::string path = out.Path(entry.path().stem().string() + ".gpx");
    std::string gpx;
    ASSERT_TRUE(Encode(kGpxFormat, mps, {"CP950"}, gpx));
    ASSERT_TRUE(testing::WriteBytes(path, testing::AsBytes(gpx)));
    EXPECT_TRUE(testing::ValidatesAsGpx11(path));
    const auto waypoints = testing::OgrLayer(path, "waypoints");
    const auto tracks = testing::OgrLayer(path, "tracks");
    if (!waypoints || !tracks) continue;
    EXPECT_EQ(waypoints->size(), static_cast<std::size_t>(mps.waypointCount));
    EXPECT_EQ(tracks->size(), static_cast<std::size_t>(mps.trackCount));
    // The routes, point by point: names and places.
    const auto routes = testing::OgrLayer(path, "routes");
    const auto points = testing::OgrLayer(path, "route_points");
    ASSERT_EQ(routes->size(), static_cast<std::size_t>(mps.routeCount));
    std::size_t at = 0;
    for (std::int32_t j = 0; j < mps.routeCount; ++j) {
      EXPECT_EQ((*routes)[static_cast<std::size_t>(j)].name, DecodeCp950(mps.RouteNameOf(j)));
      for (std::int32_t k = 0; k < mps.routes[j].pointCount; ++k, ++at) {
        ASSERT_LT(at, points->size());
        const testing::OgrFeature& f = (*points)[at];
        EXPECT_EQ(f.name, DecodeCp950(mps.RoutePointTextOf(j, k).name));
        EXPECT_EQ(f.Field("route_fid"), std::to_string(j));
        EXPECT_NEAR(f.points[0][1], mps.routes[j].points[k].latitude * 180.0 / 2147483648.0, 1e-9);
      }
    }
    EXPECT_EQ(at, points->size());
  }
}

// Whatever the names are decoded from, what XML 1.0 cannot hold is written
// as U+FFFD (U+FFFF from UTF-8 EF BF BF, U+FFFE from GB18030 84 31 A4 38, a
// control), and the file validates.
TEST(GpxWriter, EveryFileIsWellFormedWhateverTheEncoding) {
  MpsBuilder b;
  b.Header().Waypoint({.name = "A\xEF\xBF\xBF" "B\x01", .comment = "\x84\x31\xA4\x38" "C"});
  b.Route({.name = "R\xEF\xBF\xBE", .points = {{.name = "A\xEF\xBF\xBF" "B\x01"}, {.name = "\xED\xA0\x80"}}});
  auto loaded = testing::LoadBytes(b.End().bytes(), false);
  ASSERT_TRUE(loaded->ok) << loaded->doc.error().Describe();
  testing::TempFolder folder;
  for (const char* codePage : {"UTF-8", "GB18030", "CP950"}) {
    SCOPED_TRACE(codePage);
    std::string gpx;
    if (std::string probe; !TranscodeToUtf8("", codePage, probe)) {
      std::printf("note: this system does not convert %s\n", codePage);  // GB18030 under Wine
      continue;
    }
    ASSERT_TRUE(Encode(kGpxFormat, loaded->doc, {codePage}, gpx));
    const std::string path = folder.Path(std::string(codePage) + ".gpx");
    ASSERT_TRUE(testing::WriteBytes(path, testing::AsBytes(gpx)));
    EXPECT_TRUE(testing::ValidatesAsGpx11(path)) << gpx;
    EXPECT_EQ(gpx.find("\xEF\xBF\xBF"), std::string::npos);
    EXPECT_EQ(gpx.find("\xEF\xBF\xBE"), std::string::npos);
    GpxDocument back;
    ASSERT_TRUE(back.Parse(reinterpret_cast<const std::uint8_t*>(gpx.data()), gpx.size(), nullptr, nullptr))
        << back.error().Describe();
    if (std::string(codePage) == "UTF-8") {
      EXPECT_EQ(back.TextOf(0).name, "A\uFFFD" "B\uFFFD");
    } else if (std::string(codePage) == "GB18030") {
      EXPECT_EQ(back.TextOf(0).comment, "\uFFFD" "C");
    }
    EXPECT_EQ(back.routes[0].pointCount, 2);
  }
}

// A trkseg per segment, as GDAL reads them back; routes left out when asked.
TEST(GpxWriter, SegmentsAndRoutesAsAsked) {
  const std::string in = testing::GpxText(
      "<rte><rtept lat=\"1\" lon=\"1\"/></rte><trk><trkseg><trkpt lat=\"1\" lon=\"1\"/><trkpt lat=\"1\" lon=\"2\"/>"
      "</trkseg><trkseg><trkpt lat=\"1\" lon=\"3\"/></trkseg></trk>");
  GpxDocument doc;
  ASSERT_TRUE(doc.Parse(reinterpret_cast<const std::uint8_t*>(in.data()), in.size(), nullptr, nullptr));
  std::string gpx, bare;
  ASSERT_TRUE(Encode(kGpxFormat, doc, {"CP950"}, gpx));
  ASSERT_TRUE(Encode(kGpxFormat, doc, {"CP950", false}, bare));
  EXPECT_NE(gpx.find("</trkpt>\n</trkseg><trkseg>\n<trkpt"), std::string::npos) << gpx;
  EXPECT_NE(gpx.find("<rte>"), std::string::npos);
  EXPECT_EQ(bare.find("<rte>"), std::string::npos);
  testing::TempFolder folder;
  const std::string path = folder.Path("segments.gpx");
  ASSERT_TRUE(testing::WriteBytes(path, testing::AsBytes(gpx)));
  EXPECT_TRUE(testing::ValidatesAsGpx11(path));
  const auto points = testing::OgrLayer(path, "track_points");
  if (!points) return;
  ASSERT_EQ(points->size(), 3u);
  EXPECT_EQ((*points)[1].Field("track_seg_id"), "0");
  EXPECT_EQ((*points)[2].Field("track_seg_id"), "1");
}

// A WTR name's padding is no part of the name: GPX does not carry it.
TEST(GpxWriter, WtrNamesWithoutTheirPadding) {
  auto mps = testing::LoadBytes(MpsBuilder().Header().Waypoint({.name = "land"}).Waypoint({.name = " x "}).End().bytes());
  std::vector<std::uint8_t> wtrBytes;
  ASSERT_TRUE(ridloe::testing::WrittenBytes(ridloe::kWtrFormat, mps->doc, {.routes = false}, wtrBytes));
  WtrDocument wtr;
  ASSERT_TRUE(wtr.Parse(wtrBytes.data(), wtrBytes.size(), nullptr, nullptr));
  EXPECT_STREQ(wtr.waypoints[0].name, "land      ");  // the record keeps it
  std::string gpx;
  ASSERT_TRUE(Encode(kGpxFormat, wtr, {"CP950"}, gpx));
  EXPECT_NE(gpx.find("<name>land</name>"), std::string::npos);
  EXPECT_NE(gpx.find("<name> x</name>"), std::string::npos);  // leading space is the name's
}

// What the real files say of themselves: WT2 and the points of the track
// Short in waypoints-v3.mps were given no altitude (and the points no time),
// Track A's points were recorded in March 2007, and a file of tracks alone
// exports them.
TEST(GpxWriter, RealFilesSayWhatWasGiven) {
  const std::string folder = std::string(RIDLOE_SHARED_TESTDATA) + "/mps/";
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no shared test files in " << folder;
  MpsDocument v3;
  ASSERT_TRUE(v3.Load(folder + "waypoints-v3.mps", nullptr, nullptr)) << v3.error().Describe();
  std::string gpx;
  ASSERT_TRUE(Encode(kGpxFormat, v3, {"CP950"}, gpx));
  const std::vector<std::string> lines = testing::Lines(gpx);
  const auto line = [&lines](const std::string& has) {
    for (const std::string& l : lines) {
      if (l.find(has) != std::string::npos) return l;
    }
    return std::string();
  };
  EXPECT_NE(line("<name>WT1</name>").find("<ele>1500.5</ele>"), std::string::npos);
  EXPECT_NE(line("<name>WT1</name>").find("<sym>Summit</sym>"), std::string::npos);
  EXPECT_EQ(line("<name>WT2</name>").find("<ele>"), std::string::npos);
  EXPECT_NE(line("<name>WT2</name>").find("<sym>Residence</sym>"), std::string::npos);
  EXPECT_NE(line("<wpt lat=\"24.069999950\" lon=\"121.069999952\">"), "");  // 287166285, 1444421362
  EXPECT_NE(line("<time>2007-03-04T15:59:55Z</time>"), "");
  EXPECT_NE(line("<trkpt lat=\"-32.999999961\" lon=\"-69.999999935\"></trkpt>"), "");  // Short: neither

  MpsDocument tracksOnly;
  ASSERT_TRUE(tracksOnly.Load(folder + "track-v5.mps", nullptr, nullptr)) << tracksOnly.error().Describe();
  gpx.clear();
  ASSERT_TRUE(Encode(kGpxFormat, tracksOnly, {"CP950"}, gpx));
  GpxDocument back;
  ASSERT_TRUE(back.Parse(reinterpret_cast<const std::uint8_t*>(gpx.data()), gpx.size(), nullptr, nullptr));
  EXPECT_EQ(back.waypointCount, 0);
  ASSERT_EQ(back.trackCount, 1);
  EXPECT_EQ(back.TrackNameOf(0), "20050116_Fahrradtour Gerd");
  EXPECT_EQ(back.tracks[0].pointCount, 496);
}

}  // namespace
}  // namespace ridloe
