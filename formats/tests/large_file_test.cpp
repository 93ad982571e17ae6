// A large generated file goes through the fast load (the file's bytes released
// early, every track's points in one block) and through the parse of a
// borrowed buffer; both must give the same document, the same lines and the
// same WTR bytes as an encoder written from the field values alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "core/bytes/byte_store.h"
#include "formats/mps/mps_document.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

using testing::Bytes;
using testing::MpsBuilder;

struct Generated {
  Bytes file;
  std::vector<testing::WaypointFields> waypoints;
};

Generated Generate(int waypointCount, int trackCount, int pointsPerTrack) {
  Generated g;
  MpsBuilder b;
  b.Header('i');
  std::uint32_t x = 12345;
  auto next = [&x] { return x = x * 1664525u + 1013904223u; };
  for (int i = 0; i < waypointCount; ++i) {
    testing::WaypointFields w;
    w.name = "WP" + std::to_string(i);
    if (i % 3 == 0) w.name += "\xA4\xA4\xA4\xE5";  // two Big5 characters
    w.latitude = static_cast<std::int32_t>(next());
    w.longitude = static_cast<std::int32_t>(next());
    w.altitude = (i % 50 == 0) ? 1.0e25 : static_cast<double>(next() % 900000) / 100.0 - 500.0;
    w.symbol = static_cast<std::uint16_t>(next());
    w.comment = i % 5 == 0 ? "note" : "";
    w.longHeader = i % 7 == 0;
    b.Waypoint(w);
    g.waypoints.push_back(w);
  }
  for (int t = 0; t < trackCount; ++t) {
    testing::TrackFields track{.name = "T" + std::to_string(t)};
    for (int k = 0; k < pointsPerTrack + t % 3; ++k) {
      track.points.push_back({static_cast<std::int32_t>(next()), static_cast<std::int32_t>(next()),
                              static_cast<double>(k), next()});
    }
    b.Track(track);
  }
  b.L({.text1 = "route"}).End();
  g.file = b.bytes();
  return g;
}

// The WTR bytes the writer must produce, from the builder's fields.
Bytes ExpectedWtr(const std::vector<testing::WaypointFields>& waypoints) {
  Bytes out(16, 0);
  const std::uint8_t wpt[5] = {0xFF, 'W', 'p', 't', 0xFF};
  std::memcpy(out.data(), wpt, 5);
  for (const auto& w : waypoints) {
    std::uint8_t record[64] = {};
    // Ten bytes at most, never half a two-byte character.
    std::string name;
    for (std::size_t i = 0; i < w.name.size();) {
      const std::size_t width = static_cast<std::uint8_t>(w.name[i]) >= 0x81 ? 2 : 1;
      if (name.size() + width > 10) break;
      name += w.name.substr(i, width);
      i += width;
    }
    std::memset(record, ' ', 10);
    std::memcpy(record, name.data(), name.size());
    StoreI32(record + 20, w.latitude);
    StoreI32(record + 24, w.longitude);
    StoreF32(record + 28, static_cast<float>(w.altitude));
    StoreU16(record + 40, static_cast<std::uint16_t>(w.symbol));
    out.insert(out.end(), record, record + 64);
  }
  for (const char* marker : {"\xFFTrk\xFF", "\xFFRte\xFF"}) {
    Bytes block(16, 0);
    std::memcpy(block.data(), marker, 5);
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

TEST(LargeFile, FastLoadMatchesBorrowedParseAndIndependentEncoding) {
  const Generated g = Generate(30000, 120, 40);
  const testing::TempFolder dir("large_file");
  const std::string input = dir.Path("large.mps");
  ASSERT_TRUE(testing::WriteBytes(input, g.file));

  MpsDocument fast;
  VectorListSink fastWaypoints, fastTracks;
  ASSERT_TRUE(fast.Load(input, &fastWaypoints, &fastTracks)) << fast.error().Describe();
  MpsDocument plain;
  VectorListSink plainWaypoints, plainTracks;
  ASSERT_TRUE(plain.Parse(g.file.data(), g.file.size(), &plainWaypoints, &plainTracks));

  ASSERT_EQ(fast.waypointCount, 30000);
  ASSERT_EQ(fast.trackCount, 120);
  EXPECT_EQ(fastWaypoints.lines, plainWaypoints.lines);
  EXPECT_EQ(fastTracks.lines, plainTracks.lines);
  EXPECT_EQ(0, std::memcmp(fast.waypoints.get(), plain.waypoints.get(), sizeof(WaypointRecord) * 30000));
  for (int t = 0; t < 120; ++t) {
    const TrackRecord& a = fast.tracks[t];
    const TrackRecord& b = plain.tracks[t];
    ASSERT_EQ(a.pointCount, 40 + t % 3);
    ASSERT_EQ(a.pointCount, b.pointCount);
    EXPECT_STREQ(a.name, b.name);
    EXPECT_EQ(0, std::memcmp(a.points.get(), b.points.get(), sizeof(TrackPoint) * a.pointCount)) << "track " << t;
  }

  // Spot checks against the values the file was built from.
  for (int i : {0, 1, 29999}) {
    EXPECT_EQ(fast.waypoints[i].latitude, g.waypoints[i].latitude);
    EXPECT_EQ(fast.waypoints[i].symbol, g.waypoints[i].symbol);
  }

  const std::string fastOut = dir.Path("large-fast.wtr");
  const std::string plainOut = dir.Path("large-plain.wtr");
  ASSERT_TRUE(fast.SaveWtr(fastOut));
  ASSERT_TRUE(plain.SaveWtr(plainOut));
  const Bytes written = testing::ReadBytes(fastOut);
  EXPECT_EQ(written, testing::ReadBytes(plainOut));
  EXPECT_EQ(written, ExpectedWtr(g.waypoints));
}

}  // namespace
}  // namespace ridloe
