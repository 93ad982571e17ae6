// KML as GDAL reads it back: the same counts, names and coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "formats/format_registry.h"
#include "formats/kml/kml_format.h"
#include "testing/gpx_checks.h"
#include "testing/gpx_text.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

using testing::MpsBuilder;

// Semicircles as degrees, as a reader of the nine decimals gets them.
double Degrees(std::int32_t s) { return s * (180.0 / 2147483648.0); }

class KmlWriterTest : public ::testing::Test {
 protected:
  // Writes `document` as KML; the layer GDAL reads from it.
  std::optional<std::vector<testing::OgrFeature>> Written(const GpsDocument& document, const char* layer,
                                                          WriteOptions options = {}) {
    std::string kml;
    EXPECT_TRUE(Encode(kKmlFormat, document, options, kml));
    EXPECT_TRUE(testing::WriteBytes(path_, testing::AsBytes(kml)));
    text_ = kml;
    return testing::OgrLayer(path_, layer);
  }
  testing::TempFolder folder_;
  std::string path_ = folder_.Path("t.kml");
  std::string text_;
};

// Waypoints in Big5 (and one with markup, one with no altitude) come back
// with their names in UTF-8, their places and altitudes; routes and tracks
// as line strings through every point.
TEST_F(KmlWriterTest, WhatGdalReadsBack) {
  const auto mps = testing::LoadBytes(
      MpsBuilder()
          .Header()
          .Waypoint({.name = "\xA5\xC9\xA4\x73", .latitude = 280000000, .longitude = 1443000000, .altitude = 3952,
                     .symbol = 106, .comment = "top"})
          .Waypoint({.name = "A&B <c>", .latitude = -5, .longitude = 7, .noAltitude = true})
          .Route({.name = "Ridge", .points = {{.name = "P1", .latitude = 10, .longitude = 20, .altitude = 5},
                                             {.name = "P2", .latitude = 30, .longitude = 40, .altitude = 6}}})
          .Track({.name = "Walk", .points = {{.latitude = 100, .longitude = 200, .altitude = 12.5},
                                             {.latitude = 300, .longitude = 400, .altitude = 13}}})
          .End()
          .bytes());
  ASSERT_TRUE(mps->ok) << mps->doc.error().Describe();
  const auto waypoints = Written(mps->doc, "Waypoints");
  if (!waypoints) GTEST_SKIP() << "no ogrinfo";
  ASSERT_EQ(waypoints->size(), 2u) << text_;
  EXPECT_EQ((*waypoints)[0].name, "玉山");
  EXPECT_EQ((*waypoints)[0].Field("description"), "top");
  ASSERT_EQ((*waypoints)[0].points.size(), 1u);
  EXPECT_NEAR((*waypoints)[0].points[0][0], Degrees(1443000000), 1e-8);
  EXPECT_NEAR((*waypoints)[0].points[0][1], Degrees(280000000), 1e-8);
  EXPECT_EQ((*waypoints)[0].points[0].at(2), 3952);
  EXPECT_EQ((*waypoints)[1].name, "A&B <c>");
  EXPECT_EQ((*waypoints)[1].points.at(0).size(), 2u);  // no altitude is made up
  // A summit looks like one; a waypoint without a symbol like any other.
  EXPECT_NE(text_.find("<styleUrl>#summit</styleUrl><Point>"), std::string::npos);
  EXPECT_NE(text_.find("<styleUrl>#waypoint</styleUrl><Point>"), std::string::npos);

  const auto routes = Written(mps->doc, "Routes");
  ASSERT_EQ(routes->size(), 1u);
  EXPECT_EQ((*routes)[0].name, "Ridge");
  ASSERT_EQ((*routes)[0].points.size(), 2u);
  EXPECT_NEAR((*routes)[0].points[1][1], Degrees(30), 1e-8);
  const auto tracks = Written(mps->doc, "Tracks");
  ASSERT_EQ(tracks->size(), 1u);
  EXPECT_EQ((*tracks)[0].name, "Walk");
  ASSERT_EQ((*tracks)[0].points.size(), 2u);
  EXPECT_EQ((*tracks)[0].points[0].at(2), 12.5);
  EXPECT_NEAR((*tracks)[0].points[1][0], Degrees(400), 1e-8);

  // Without routes, no folder of them.
  EXPECT_EQ(Written(mps->doc, "Tracks", {.routes = false})->size(), 1u);
  EXPECT_EQ(text_.find("<Folder><name>Routes"), std::string::npos);
}

// A GPX track of two segments is two line strings of one placemark; the
// shared real files keep their counts and names.
TEST_F(KmlWriterTest, SegmentsAndRealFiles) {
  const std::string gpx = folder_.Path("in.gpx");
  ASSERT_TRUE(testing::WriteBytes(
      gpx, testing::AsBytes(testing::GpxText("<trk><name>T</name><trkseg><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" "
                                             "lon=\"4\"/></trkseg><trkseg><trkpt lat=\"5\" lon=\"6\"/><trkpt lat=\"7\" "
                                             "lon=\"8\"/></trkseg></trk>"))));
  OpenedDocument opened = OpenDocument(gpx, FormatSet::All(), nullptr, nullptr);
  ASSERT_TRUE(opened.ok);
  const auto tracks = Written(*opened.document, "Tracks");
  if (!tracks) GTEST_SKIP() << "no ogrinfo";
  ASSERT_EQ(tracks->size(), 1u);
  EXPECT_NE(text_.find("</coordinates></LineString><LineString><coordinates>"), std::string::npos);
  ASSERT_EQ((*tracks)[0].points.size(), 4u);
  EXPECT_NEAR((*tracks)[0].points[3][1], 7, 1e-8);

  const std::string shared = std::string(RIDLOE_SHARED_TESTDATA) + "/gpx/gpx1.1_with_all_fields.gpx";
  if (!std::filesystem::exists(shared)) GTEST_SKIP() << "no shared test files at " << RIDLOE_SHARED_TESTDATA;
  opened = OpenDocument(shared, FormatSet::All(), nullptr, nullptr);
  ASSERT_TRUE(opened.ok);
  const GpsDocument& d = *opened.document;
  const auto waypoints = Written(d, "Waypoints");
  ASSERT_EQ(waypoints->size(), static_cast<std::size_t>(d.waypointCount));
  EXPECT_EQ((*waypoints)[0].name, d.TextOf(0).name);
  EXPECT_EQ(Written(d, "Routes")->size(), static_cast<std::size_t>(d.routeCount));
  EXPECT_EQ(Written(d, "Tracks")->size(), static_cast<std::size_t>(d.trackCount));
}

}  // namespace
}  // namespace ridloe
