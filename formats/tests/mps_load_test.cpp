// MpsDocument's load as a whole: what a failed load leaves behind, why it
// failed, the listed lines, the real files, and damaged variants of a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <tuple>

#include "testing/test_support.h"

namespace ridloe {
namespace {

using testing::Bytes;
using testing::LoadBytes;
using testing::Loaded;
using testing::MpsBuilder;
using testing::Summary;
using testing::TrackLinesOf;
using testing::WaypointLinesOf;

MpsBuilder ThreeWaypoints() {
  MpsBuilder b;
  b.Header().Waypoint({.name = "ONE", .altitude = 1}).Waypoint({.name = "TWO", .altitude = 2});
  b.Waypoint({.name = "THREE", .altitude = 3});
  return b;
}

TEST(FailureTable, WhatEachFailingStepLeaves) {
  EXPECT_EQ(Summary(MpsBuilder().Signature().Record('D', {'i'}).Record('A', {0}).bytes()), "header 0w 0t 0+0");
  // A waypoint that does not parse fails the run before anything is converted.
  EXPECT_EQ(Summary(ThreeWaypoints().Record('W', {'N', 0, 1}).Track({}).bytes()), "waypoint run 0w 0t 0+0");
  auto r = LoadBytes(ThreeWaypoints().Track({.name = "OK"}).Record('T', {'X', 0, 1}).bytes());
  EXPECT_EQ(Summary(*r), "track run 3w 0t 3+0");
  EXPECT_EQ(r->doc.tracks, nullptr);
  EXPECT_EQ(r->waypointLines.lines, (std::vector<std::string>{"ONE   1", "TWO   2", "THREE   3"}));
  r = LoadBytes(
      ThreeWaypoints().Track({.name = "A", .points = {{}}}).Track({.name = "B"}).L({}).Record('L', {0}).bytes());
  EXPECT_EQ(Summary(*r), "checked run 3w 2t 3+2");
  EXPECT_EQ(r->doc.error().place.index, 1);
  EXPECT_EQ(r->trackLines.lines, (std::vector<std::string>{"A (1)", "B (0)"}));
}

TEST(FailureTable, AtMost9999Tracks) {
  for (int tracks : {9999, 10000}) {
    MpsBuilder b = ThreeWaypoints();
    for (int j = 0; j < tracks; ++j) b.Track({});
    auto r = LoadBytes(b.End().bytes());
    EXPECT_EQ(Summary(*r), tracks == 9999 ? "ok 3w 9999t 3+9999" : "track count 3w 10000t 3+0");
    EXPECT_EQ(r->doc.tracks == nullptr, tracks == 10000);
  }
}

TEST(FailureTable, AltitudesAbove9999AreListedAsZero) {
  MpsBuilder b;
  b.Header().Waypoint({.name = "A", .altitude = 9999.0}).Waypoint({.name = "B", .altitude = 9999.5});
  b.Waypoint({.name = "C", .altitude = 1e300}).Waypoint({.name = "D", .altitude = std::nan("")});
  b.Waypoint({.name = "E", .altitude = -12.5});
  auto r = LoadBytes(b.End().bytes());
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->waypointLines.lines, (std::vector<std::string>{"A 9999", "B   0", "C   0", "D nan", "E -12"}));
  EXPECT_EQ(r->doc.waypoints[1].altitude, 9999.5f);
}

TEST(FailureTable, SameFillWithoutSinks) {
  const Bytes bytes =
      ThreeWaypoints().Track({.name = "A", .points = {{.latitude = 5, .time = 99}}}).Record('L', {0}).bytes();
  auto with = LoadBytes(bytes, true);
  auto without = LoadBytes(bytes, false);
  EXPECT_EQ(Summary(*with), "checked run 3w 1t 3+1");
  EXPECT_EQ(Summary(*without), "checked run 3w 1t 0+0");
  EXPECT_EQ(WaypointLinesOf(without->doc), with->waypointLines.lines);
  EXPECT_EQ(TrackLinesOf(without->doc, 1), with->trackLines.lines);
  EXPECT_EQ(std::memcmp(with->doc.tracks[0].points.get(), without->doc.tracks[0].points.get(), sizeof(TrackPoint)),
            0);
}

TEST(LineFormat, WaypointLineIsPrintfRoundedToWholeMetres) {
  const double values[] = {0.0, -0.0, 0.5, 1.5, 2.5, -0.4, -0.5, 99.49, 9999.0, 123456.5, 999999999999999.5,
                           -3.4028234663852886e38, std::numeric_limits<double>::infinity()};
  char line[kLineBufferSize];
  for (double v : values) {
    char expected[kLineBufferSize];
    std::snprintf(expected, sizeof expected, "%s %3.lf", "ABCDEFGHIJK", v);
    EXPECT_EQ(std::string(line, FormatWaypointLine(line, "ABCDEFGHIJK", v)), expected) << v;
  }
  EXPECT_EQ(std::string(line, FormatTrackLine(line, "T", INT32_MIN)), "T (-2147483648)");
}

TEST(Error, SaysWhichRecordFailedAndWhere) {
  MpsBuilder b = ThreeWaypoints();
  const std::size_t at = b.size();
  b.Waypoint({.name = "BAD", .comment = "x", .tailLength = 0});
  Bytes bytes = b.bytes();
  bytes.back() = 'y';  // the comment loses its NUL
  auto r = LoadBytes(bytes);
  EXPECT_EQ(r->doc.error().step, Step::kWaypointRun);
  EXPECT_EQ(r->doc.error().place.index, 3);
  EXPECT_EQ(r->doc.error().place.offset, static_cast<std::int64_t>(at));
  EXPECT_EQ(r->doc.error().Describe(),
            "waypoint record 3 at byte " + std::to_string(at) + ": comment has no terminating NUL");

  EXPECT_EQ(LoadBytes(MpsBuilder().Signature().Frame(0, 'D').bytes())->doc.error().Describe(),
            "first record at byte 6: record has a payload length of 0");
  EXPECT_EQ(LoadBytes(Bytes{'M', 's', 'R', 'c', 'd', '!'})->doc.error().Describe(),
            "at byte 0: file does not start with the MsRcd signature");

  MpsDocument missing;
  EXPECT_FALSE(missing.Load(testing::TempPath("missing.mps"), nullptr, nullptr));
  EXPECT_EQ(missing.error().step, Step::kOpen);
  EXPECT_EQ(missing.error().Describe(),
            "file cannot be opened: " + testing::SystemReasonFor(testing::TempPath("missing.mps")));
}

TEST(Error, EmptyFileLoadsNothing) {
  const std::string path = testing::TempPath("empty.mps");
  ASSERT_TRUE(testing::WriteBytes(path, {}));
  MpsDocument doc;
  VectorListSink lines;
  EXPECT_FALSE(doc.Load(path, &lines, &lines));
  std::remove(path.c_str());
  EXPECT_EQ(doc.error().Describe(), "file is empty");
  EXPECT_TRUE(lines.lines.empty());
}

// The real files' counts as their README gives them, with the version-3
// header, the tracks of files without waypoints, and the tracks after routes.
const std::tuple<const char*, int, int> kRealFiles[] = {
    {"empty-v3.mps", 0, 0},   {"track-v3.mps", 0, 1}, {"waypoints-v3.mps", 2, 2},   {"geocaches-v4.mps", 9, 0},
    {"route-v4.mps", 14, 0}, {"wifi-v5.mps", 37, 0}, {"places-v5.mps", 45, 0}, {"track-v5.mps", 0, 1}};

TEST(RealFiles, CountsMatchTheirReadme) {
  const std::string folder = testing::SharedTestData("mps");
  if (folder.empty()) GTEST_SKIP() << testing::kNoSharedTestData;
  for (const auto& [file, waypoints, tracks] : kRealFiles) {
    MpsDocument doc;
    VectorListSink lines;
    EXPECT_TRUE(doc.Load(folder + "/" + file, &lines, &lines)) << file << ": " << doc.error().Describe();
    EXPECT_EQ(doc.waypointCount, waypoints) << file;
    EXPECT_EQ(doc.trackCount, tracks) << file;
    std::vector<std::string> expected = WaypointLinesOf(doc);
    const std::vector<std::string> trackLines = TrackLinesOf(doc, doc.trackCount);
    expected.insert(expected.end(), trackLines.begin(), trackLines.end());
    EXPECT_EQ(lines.lines, expected) << file;
  }

  // The version-3 file's waypoints, as its README lists them.
  MpsDocument v3;
  ASSERT_TRUE(v3.Load(folder + "/waypoints-v3.mps", nullptr, nullptr));
  const WaypointRecord* w = v3.waypoints.get();
  EXPECT_EQ(std::vector<std::int64_t>({w[0].latitude, w[0].longitude, w[0].symbol, w[1].latitude, w[1].longitude,
                                       w[1].symbol}),
            std::vector<std::int64_t>({287166285, 1444421362, 106, -287285590, -1444540667, 10}));
  EXPECT_EQ(w[0].altitude, 1500.5f);
  EXPECT_EQ(w[1].altitude, 0.0f);
  EXPECT_EQ(std::vector<int>({v3.tracks[0].pointCount, v3.tracks[1].pointCount}), std::vector<int>({8, 4}));
}

// The routes of the real files as their README lists them: each point named
// and placed, every place a waypoint's of the same name but one (the second
// "Mylau/Obermylau" of places-v5.mps, which the file holds once).
TEST(RealFiles, RoutesMatchTheirReadme) {
  const std::string folder = testing::SharedTestData("mps");
  if (folder.empty()) GTEST_SKIP() << testing::kNoSharedTestData;
  MpsDocument v4;
  ASSERT_TRUE(v4.Load(folder + "/route-v4.mps", nullptr, nullptr)) << v4.error().Describe();
  ASSERT_EQ(v4.routeCount, 2);
  const auto names = [](const MpsDocument& d, std::int32_t j) {
    std::vector<std::string> out;
    for (std::int32_t k = 0; k < d.routes[j].pointCount; ++k) out.emplace_back(d.RoutePointTextOf(j, k).name);
    return out;
  };
  EXPECT_EQ(v4.RouteNameOf(0), "ATCHAFALAYA");
  EXPECT_EQ(names(v4, 0), (std::vector<std::string>{"ATLAUN", "ATWRNC", "ATWRNR"}));
  EXPECT_EQ(v4.RouteNameOf(1), "LILI PATH");
  EXPECT_EQ(names(v4, 1), (std::vector<std::string>{"B40A", "B41A", "B42A", "B43A", "B46A", "B47A", "B47B", "B48A",
                                                    "B48B", "B49A", "B49B"}));
  MpsDocument v5;
  ASSERT_TRUE(v5.Load(folder + "/places-v5.mps", nullptr, nullptr)) << v5.error().Describe();
  ASSERT_EQ(v5.routeCount, 1);
  EXPECT_EQ(v5.RouteNameOf(0), "von bei D 95030 Hof/Innenstadt nach bei D95032 Hof ");
  ASSERT_EQ(v5.routes[0].pointCount, 46);
  EXPECT_EQ(v5.RoutePointTextOf(0, 0).name, "bei D 95030 Hof/Innenstadt ");
  EXPECT_EQ(v5.RoutePointTextOf(0, 45).name, "bei D 08538 Burgstein/Kemnitz ");
  EXPECT_EQ(v5.RoutePointTextOf(0, 0).comment, "B2 Schleizer Strasse");  // its waypoint's
  for (const MpsDocument* d : {&v4, &v5}) {
    for (std::int32_t j = 0; j < d->routeCount; ++j) {
      for (std::int32_t k = 0; k < d->routes[j].pointCount; ++k) {
        const WaypointRecord& p = d->routes[j].points[k];
        bool placed = false;
        for (std::int32_t i = 0; i < d->waypointCount; ++i) {
          const WaypointRecord& w = d->waypoints[i];
          placed = placed || (d->TextOf(i).name == d->RoutePointTextOf(j, k).name && w.latitude == p.latitude &&
                              w.longitude == p.longitude && w.symbol == p.symbol);
        }
        EXPECT_EQ(placed, !(d == &v5 && k == 21)) << d->RoutePointTextOf(j, k).name;
      }
    }
  }
}

// Every prefix of every real file, and of the sample, fails as cut short
// after listing every waypoint and track before the cut: inside a record the
// record is named, and between two records the file has lost its closing
// 'V' record. Only the whole file loads.
TEST(RealFiles, EveryPrefixFailsAfterListingWhatCameBefore) {
  const std::string folder = testing::SharedTestData("mps");
  std::vector<std::string> files = {std::string(RIDLOE_SOURCE_DIR) + "/samples/sample.mps"};
  for (const auto& real : kRealFiles) {
    if (!folder.empty()) files.push_back(folder + "/" + std::get<0>(real));
  }
  for (const std::string& file : files) {
    const Bytes whole = testing::ReadBytes(file);
    auto all = LoadBytes(whole);
    ASSERT_TRUE(all->ok) << file;
    // Where each record ends, and how many waypoints and tracks end by then.
    std::vector<std::size_t> ends;
    std::vector<std::pair<int, int>> countsAt;
    ByteCursor cursor(whole.data(), whole.size());
    ASSERT_TRUE(cursor.Skip(6));
    std::pair<int, int> counts;
    for (RecordSlot slot; ReadRecord(cursor, slot);) {
      counts.first += slot.type == 'W';
      counts.second += slot.type == 'T';
      ends.push_back(cursor.offset());
      countsAt.push_back(counts);
    }
    ASSERT_EQ(ends.back(), whole.size()) << file;
    std::size_t next = 0;  // the first record that does not end before the cut
    for (std::size_t size = 0; size < whole.size(); ++size) {
      while (ends[next] < size) ++next;
      SCOPED_TRACE(file + " cut to " + std::to_string(size));
      auto r = LoadBytes(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
      ASSERT_FALSE(r->ok);
      if (size < ends[1]) continue;  // the header is not whole: it fails as the header
      const bool between = ends[next] == size;
      const auto [w, t] = between ? countsAt[next] : countsAt[next - 1];
      EXPECT_EQ(r->doc.error().step, Step::kTruncated);
      EXPECT_EQ(r->doc.error().place.index, static_cast<std::int64_t>(between ? next + 1 : next));
      EXPECT_EQ(r->doc.error().place.offset, static_cast<std::int64_t>(between ? size : ends[next - 1]));
      EXPECT_EQ(r->doc.waypointCount, w);
      EXPECT_EQ(r->doc.trackCount, t);
      EXPECT_EQ(r->waypointLines.lines,
                std::vector<std::string>(all->waypointLines.lines.begin(), all->waypointLines.lines.begin() + w));
      EXPECT_EQ(r->trackLines.lines,
                std::vector<std::string>(all->trackLines.lines.begin(), all->trackLines.lines.begin() + t));
    }
  }
}

// Checks a load's result against what the failure table allows for the step
// that failed, and the lines against the records.
void ExpectAgreesWithFailureTable(const Loaded& r, const Bytes& bytes) {
  const MpsDocument& d = r.doc;
  const Step step = d.error().step;
  const bool early = step == Step::kSignature || step == Step::kHeader ||
                     step == Step::kWaypointRun;
  const bool tracksRead = step == Step::kNone || step == Step::kCheckedRun || step == Step::kTruncated;
  ASSERT_EQ(r.ok, step == Step::kNone);
  ASSERT_TRUE(early || tracksRead || step == Step::kRouteRun || step == Step::kTrackRun ||
              step == Step::kTrackCount)
      << d.error().Describe();
  // Routes are whole, each with its points, and come before the tracks.
  EXPECT_EQ(d.routes != nullptr, d.routeCount > 0);
  for (std::int32_t j = 0; d.routes && j < d.routeCount; ++j) EXPECT_NE(d.routes[j].points, nullptr);
  EXPECT_TRUE(step != Step::kRouteRun || d.trackCount == 0);
  // Waypoints are converted and listed all or none, and tracks likewise.
  EXPECT_EQ(d.waypoints != nullptr, d.waypointCount > 0);
  EXPECT_EQ(r.waypointLines.lines, WaypointLinesOf(d));
  EXPECT_TRUE(!early || d.waypointCount == 0) << d.waypointCount;
  EXPECT_TRUE(d.trackCount == 0 || step != Step::kTrackRun) << d.trackCount;
  EXPECT_EQ(d.tracks != nullptr, tracksRead && d.trackCount > 0);
  EXPECT_EQ(r.trackLines.lines, TrackLinesOf(d, d.trackCount));
  for (std::int32_t j = 0; d.tracks && j < d.trackCount; ++j) EXPECT_NE(d.tracks[j].points, nullptr);
  for (std::int32_t i = 0; d.waypoints && i < d.waypointCount; ++i) {
    EXPECT_NE(std::memchr(d.waypoints[i].name, 0, sizeof d.waypoints[i].name), nullptr);
  }
  // A record that does not parse is named by its index and the offset of its frame.
  EXPECT_LE(d.error().place.offset, static_cast<std::int64_t>(bytes.size()));
  const char letter = step == Step::kWaypointRun ? 'W'
                      : step == Step::kRouteRun  ? 'R'
                      : step == Step::kTrackRun  ? 'T'
                                                     : 'L';
  if (step == Step::kWaypointRun || step == Step::kRouteRun || step == Step::kTrackRun ||
      step == Step::kCheckedRun) {
    ASSERT_GE(d.error().place.index, 0);
    ASSERT_LT(d.error().place.offset + 4, static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(bytes[static_cast<std::size_t>(d.error().place.offset) + 4], letter) << d.error().Describe();
  }
  // Without sinks the document is filled just the same.
  auto bare = LoadBytes(bytes, false);
  EXPECT_EQ(bare->ok, r.ok);
  EXPECT_EQ(WaypointLinesOf(bare->doc), WaypointLinesOf(d));
  EXPECT_EQ(TrackLinesOf(bare->doc, bare->doc.trackCount), TrackLinesOf(d, d.trackCount));
}

TEST(DamagedFiles, EveryTruncationAndByteFlipAgreesWithTheFailureTable) {
  MpsBuilder b;
  b.Header();
  const std::size_t headerEnd = b.size();
  std::vector<std::size_t> waypointEnds, trackEnds;
  b.Waypoint({.name = "ALPHA", .latitude = 1 << 28, .altitude = 12.5, .comment = "c1", .tailLength = 0});
  waypointEnds.push_back(b.size());
  b.Waypoint({.name = "\xA5\xC9\xA4\x73", .altitude = 3952, .symbol = 106, .longHeader = true, .tailLength = 19});
  waypointEnds.push_back(b.size());
  b.Waypoint({.name = "LONGERNAME123", .altitude = 99999, .tailLength = 60});
  waypointEnds.push_back(b.size());
  b.Route({.name = "R1", .points = {{.name = "ALPHA", .latitude = 1 << 28}, {.name = "OTHER", .shapeBlocks = 1}}});
  b.Track({.name = "T1", .points = {{.latitude = -1, .altitude = 5, .time = 7}, {.longitude = 1 << 30}}});
  trackEnds.push_back(b.size());
  b.Track({.name = "T2"});
  trackEnds.push_back(b.size());
  b.L({.text1 = "a", .tail = {1, 2, 3}}).L({}).End();
  const Bytes file = b.bytes();
  // Where every record after the header ends.
  std::vector<std::size_t> recordEnds = {headerEnd};
  for (ByteCursor c(file.data() + headerEnd, file.size() - headerEnd); !c.AtEnd();) {
    RecordSlot slot;
    ASSERT_TRUE(ReadRecord(c, slot));
    recordEnds.push_back(headerEnd + c.offset());
  }

  for (std::size_t size = 0; size <= file.size(); ++size) {
    SCOPED_TRACE("truncated to " + std::to_string(size));
    const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
    auto r = LoadBytes(cut);
    ExpectAgreesWithFailureTable(*r, cut);
    // A cut file fails after the records before the cut, also between two
    // records: only the whole file, closed by its 'V' record, loads.
    const bool headerRead = size >= headerEnd;
    EXPECT_EQ(r->ok, size == file.size());
    EXPECT_EQ(r->doc.error().step == Step::kTruncated, headerRead && !r->ok);
    const auto whole = [size](const std::vector<std::size_t>& ends) {
      return static_cast<std::int32_t>(std::count_if(ends.begin(), ends.end(), [size](auto e) { return e <= size; }));
    };
    EXPECT_EQ(r->doc.waypointCount, headerRead ? whole(waypointEnds) : 0);
    EXPECT_EQ(r->doc.trackCount, headerRead ? whole(trackEnds) : 0);
  }
  for (std::uint8_t pattern : {0xFF, 0x01, 0x20}) {
    for (std::size_t i = 0; i < file.size(); ++i) {
      SCOPED_TRACE("byte " + std::to_string(i) + " xor " + std::to_string(pattern));
      Bytes flipped = file;
      flipped[i] ^= pattern;
      ExpectAgreesWithFailureTable(*LoadBytes(flipped), flipped);
    }
  }
}

}  // namespace
}  // namespace ridloe
