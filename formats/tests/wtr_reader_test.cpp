// The WTR reader: waypoint records, the optional track, damaged files.
#include <stdlib.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "formats/wtr/wtr_document.h"
#include "formats/mps/mps_document.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::MpsBuilder;

// Builds WTR bytes piece by piece, damaged ones included.
class WtrBytes {
 public:
  WtrBytes& Block(const char (&marker)[6]) { return Raw(Bytes(marker, marker + 5)).Zeros(11); }
  WtrBytes& Waypoint(const std::string& name, std::int32_t lat, std::int32_t lon, float alt, std::uint16_t symbol) {
    Raw(Bytes(name.begin(), name.end())).Zeros(20 - name.size());
    Le(lat, 4).Le(lon, 4).Le(std::bit_cast<std::uint32_t>(alt), 4).Zeros(8);
    return Le(symbol, 2).Zeros(22);
  }
  // The track header: its marker, 13 bytes not read, then a 16-byte name.
  WtrBytes& TrackHeader(const std::string& name) {
    Raw({0xEE, 'h', 'd', 'r', 0xEE}).Raw(Bytes(13, 0x77));
    return Raw(Bytes(name.begin(), name.end())).Zeros(16 - name.size());
  }
  WtrBytes& Point(std::int32_t lat, std::int32_t lon, std::uint32_t time, float alt) {
    return Le(lat, 4).Le(lon, 4).Le(time, 4).Le(std::bit_cast<std::uint32_t>(alt), 4).Raw(Bytes(5, 0x66));
  }
  WtrBytes& Raw(const Bytes& b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  WtrBytes& Zeros(std::size_t n) { return Raw(Bytes(n, 0)); }
  WtrBytes& Le(std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  Bytes bytes_;
};

struct Loaded {
  std::unique_ptr<WtrDocument> doc = std::make_unique<WtrDocument>();
  VectorListSink waypointLines, trackLines;
  bool ok = false;
};

// Parses a copy of exactly `size` bytes, so that any read past the end is
// caught by the sanitizers.
std::unique_ptr<Loaded> Parse(const Bytes& bytes, std::size_t size) {
  auto copy = std::make_unique<std::uint8_t[]>(size ? size : 1);
  std::memcpy(copy.get(), bytes.data(), size);
  auto out = std::make_unique<Loaded>();
  out->ok = out->doc->Parse(copy.get(), size, &out->waypointLines, &out->trackLines);
  return out;
}
std::unique_ptr<Loaded> Parse(const Bytes& bytes) { return Parse(bytes, bytes.size()); }

// Two waypoints and a track of three points; the route block closes it.
WtrBytes WithTrack() {
  WtrBytes w;
  w.Block("\xFFWpt\xFF").Waypoint("HUT", -1000, 2000, 2500.4f, 161).Waypoint("PEAK", 3000, -4000, 3952.0f, 8246);
  w.Block("\xFFTrk\xFF").TrackHeader("RIDGE");
  w.Point(1 << 30, -(1 << 30), 0, 100.5f).Point(INT32_MIN, 5, 16 * 3600, 20000.0f).Point(0, 0, 16 * 3600 - 1, -3.0f);
  return w.Block("\xFFRte\xFF");
}

TEST(WtrReaderTest, ReadsWaypointsAndTrack) {
  const auto r = Parse(WithTrack().bytes());
  ASSERT_TRUE(r->ok) << r->doc->error().Describe();
  const WtrDocument& d = *r->doc;
  ASSERT_EQ(d.waypointCount, 2);
  EXPECT_STREQ(d.waypoints[1].name, "PEAK");
  EXPECT_EQ(d.waypoints[0].latitude, -1000);
  EXPECT_EQ(d.waypoints[1].longitude, -4000);
  EXPECT_EQ(d.waypoints[0].symbol, 161);
  EXPECT_EQ(d.waypoints[1].symbol, 8246);
  EXPECT_EQ(r->waypointLines.lines, (std::vector<std::string>{"HUT 2500", "PEAK 3952"}));

  ASSERT_EQ(d.trackCount, 1);
  const TrackRecord& t = d.tracks[0];
  EXPECT_STREQ(t.name, "RIDGE");
  ASSERT_EQ(t.pointCount, 3);
  EXPECT_EQ(r->trackLines.lines, std::vector<std::string>{"RIDGE (3)"});
  const TrackPoint* p = t.points.get();
  // Degrees from the signed values; the altitude of points is kept as read.
  EXPECT_DOUBLE_EQ(p[0].latitudeDegrees, 90.00000033527613);
  EXPECT_DOUBLE_EQ(p[0].longitudeDegrees, -90.00000033527613);
  EXPECT_DOUBLE_EQ(p[1].latitudeDegrees, -180.00000067055225);
  EXPECT_EQ(p[1].latitude, INT32_MIN);
  EXPECT_FLOAT_EQ(p[1].altitude, 20000.0f);
  EXPECT_EQ(p[1].time, 16u * 3600u);
  auto clock = [](const TrackPoint& q) { return std::vector<int>{q.hour, q.minute, q.second}; };
  EXPECT_EQ(clock(p[0]), (std::vector<int>{8, 0, 0}));
  EXPECT_EQ(clock(p[1]), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(clock(p[2]), (std::vector<int>{23, 59, 59}));
}

TEST(WtrReaderTest, AltitudesAboveNineThousandNineHundredNinetyNineReadAsZero) {
  WtrBytes w;
  w.Block("\xFFWpt\xFF").Waypoint("HIGH", 0, 0, 10000.0f, 1).Waypoint("EDGE", 0, 0, 9999.0f, 1);
  w.Waypoint("NAN", 0, 0, std::nanf(""), 1).Waypoint(std::string("AB\0CD", 5), 0, 0, -5.0f, 1);
  w.Block("\xFFTrk\xFF").Block("\xFFRte\xFF");
  const auto r = Parse(w.bytes());
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->doc->waypoints[0].altitude, 0.0f);
  EXPECT_EQ(r->doc->waypoints[1].altitude, 9999.0f);
  EXPECT_TRUE(std::isnan(r->doc->waypoints[2].altitude));
  EXPECT_STREQ(r->doc->waypoints[3].name, "AB");  // a NUL among the ten bytes ends the name
  EXPECT_EQ(r->waypointLines.lines[0], "HIGH   0");
  EXPECT_EQ(r->waypointLines.lines[1], "EDGE 9999");
  EXPECT_EQ(r->waypointLines.lines[3], "AB  -5");
  EXPECT_EQ(r->doc->trackCount, 0);
}

TEST(WtrReaderTest, EmptyWaypointSectionIgnoresTheTrackThatFollows) {
  WtrBytes w;
  w.Block("\xFFWpt\xFF").Block("\xFFTrk\xFF").TrackHeader("T").Point(1, 2, 3, 4).Block("\xFFRte\xFF");
  const auto r = Parse(w.bytes());
  EXPECT_TRUE(r->ok);
  EXPECT_EQ(r->doc->waypointCount, 0);
  EXPECT_EQ(r->doc->trackCount, 0);
  EXPECT_TRUE(r->waypointLines.lines.empty());
  EXPECT_TRUE(r->trackLines.lines.empty());
}

TEST(WtrReaderTest, DamagedFilesKeepTheirWholeRecordsAndFail) {
  // The data ends 30 bytes into a third record, before the track marker.
  WtrBytes cut;
  cut.Block("\xFFWpt\xFF").Waypoint("A", 1, 1, 1, 1).Waypoint("B", 2, 2, 2, 2).Raw(Bytes(30, 0x41));
  auto r = Parse(cut.bytes());
  EXPECT_FALSE(r->ok);
  EXPECT_EQ(r->doc->error().step, Step::kTruncated);
  ASSERT_EQ(r->doc->waypointCount, 2);
  EXPECT_EQ(r->doc->waypoints[1].latitude, 2);
  EXPECT_EQ(r->waypointLines.lines.size(), 2u);

  // The route marker is missing: the two whole points stay, the half one does not.
  WtrBytes open;
  open.Block("\xFFWpt\xFF").Waypoint("A", 1, 1, 1, 1).Block("\xFFTrk\xFF").TrackHeader("T");
  open.Point(10, 11, 12, 13).Point(20, 21, 22, 23).Raw(Bytes(10, 0));
  r = Parse(open.bytes());
  EXPECT_FALSE(r->ok);
  EXPECT_EQ(r->doc->error().step, Step::kTruncated);
  ASSERT_EQ(r->doc->trackCount, 1);
  ASSERT_EQ(r->doc->tracks[0].pointCount, 2);
  EXPECT_EQ(r->doc->tracks[0].points[1].longitude, 21);

  // Files shorter than the blocks examined, or with another first marker.
  for (const Bytes& tiny : {Bytes{0xFF, 'W', 'p', 't'}, Bytes{0xFF, 'W', 'p', 't', 0xFF},
                            WtrBytes().Block("\xFFWpt\xFF").bytes(),
                            WtrBytes().Block("\xFFTrk\xFF").Block("\xFFRte\xFF").bytes()}) {
    r = Parse(tiny);
    EXPECT_FALSE(r->ok) << tiny.size() << " bytes";
    EXPECT_EQ(r->doc->waypointCount, 0);
  }
}

TEST(WtrReaderTest, LongTrackNamesAreCutOnWholeCharacters) {
  // The name runs on into the points without a NUL, with a two-byte
  // character at name bytes 30-31.
  Bytes points(21 * 2, 0);
  std::memset(points.data(), 'P', 14);
  points[14] = points[15] = 0xA4;
  WtrBytes w;
  w.Block("\xFFWpt\xFF").Waypoint("A", 0, 0, 0, 0).Block("\xFFTrk\xFF").TrackHeader(std::string(16, 'N'));
  w.Raw(points).Block("\xFFRte\xFF");
  const auto r = Parse(w.bytes());
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(std::string(r->doc->tracks[0].name), std::string(16, 'N') + std::string(14, 'P'));
  EXPECT_EQ(r->doc->tracks[0].pointCount, 2);
}

// Every prefix of a file and every flipped byte: no read outside the data,
// and the results agree with what the bytes still hold.
TEST(WtrReaderTest, SurvivesEveryTruncationAndFlippedByte) {
  const Bytes full = WithTrack().bytes();
  const std::size_t firstPoint = 16 + 2 * 64 + 16 + 34;
  for (std::size_t size = 0; size <= full.size(); ++size) {
    const auto r = Parse(full, size);
    // A file cut anywhere, before or inside its track or route section
    // included, fails: only the whole file loads.
    const bool loads = size == full.size();
    EXPECT_EQ(r->ok, loads) << size;
    EXPECT_EQ(r->doc->error().failed(), !r->ok) << size;
    const std::int32_t whole = size < 16 ? 0 : static_cast<std::int32_t>(std::min<std::size_t>(2, (size - 16) / 64));
    EXPECT_EQ(r->doc->waypointCount, whole) << size;
    EXPECT_EQ(r->waypointLines.lines.size(), static_cast<std::size_t>(whole)) << size;
    if (size >= firstPoint) {
      ASSERT_EQ(r->doc->trackCount, 1) << size;
      const std::size_t points = std::min<std::size_t>(3, (size - firstPoint) / 21);
      EXPECT_EQ(r->doc->tracks[0].pointCount, static_cast<std::int32_t>(points)) << size;
    }
  }
  for (std::size_t at = 0; at < full.size(); ++at) {
    for (std::uint8_t mask : {std::uint8_t{0x01}, std::uint8_t{0xFF}}) {
      Bytes bent = full;
      bent[at] ^= mask;
      const auto r = Parse(bent);
      const WtrDocument& d = *r->doc;
      EXPECT_EQ(d.error().failed(), !r->ok) << at;
      if (at < 5) {
        EXPECT_FALSE(r->ok) << at;
      }
      EXPECT_GE(d.waypointCount, 0);
      EXPECT_LE(static_cast<std::size_t>(d.waypointCount), (bent.size() - 16) / 64);
      EXPECT_EQ(r->waypointLines.lines.size(), static_cast<std::size_t>(d.waypointCount)) << at;
      EXPECT_EQ(r->trackLines.lines.size(), static_cast<std::size_t>(d.trackCount)) << at;
      if (d.trackCount == 1) {
        EXPECT_LE(static_cast<std::size_t>(d.tracks[0].pointCount), bent.size() / 21);
      }
      // A flip inside the first waypoint's coordinates changes that value alone.
      if (at >= 36 && at < 44) {
        ASSERT_TRUE(r->ok) << at;
        const auto delta = static_cast<std::int32_t>(std::uint32_t{mask} << (8 * ((at - 36) % 4)));
        EXPECT_EQ(d.waypoints[0].latitude, at < 40 ? (-1000 ^ delta) : -1000) << at;
        EXPECT_EQ(d.waypoints[0].longitude, at >= 40 ? (2000 ^ delta) : 2000) << at;
      }
    }
  }
}

}  // namespace
}  // namespace ridloe
