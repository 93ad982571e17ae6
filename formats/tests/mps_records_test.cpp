// The 'W', 'R', 'T' and 'L' payloads, and the conversion of waypoint, route
// and track entries into the document's records.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/bytes/byte_store.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

using testing::Bytes;
using testing::LoadBytes;
using testing::LPayload;
using testing::MpsBuilder;
using testing::Summary;
using testing::TrackPayload;
using testing::WaypointPayload;

// Empty when the payload parses, else the reason it does not.
template <typename Section>
std::string Parse(const Bytes& payload, typename Section::Entry& entry, const Section& section = {}) {
  const RecordSlot slot{static_cast<std::uint32_t>(payload.size()), Section::kLetter, payload.data()};
  Error why;
  return section.ParseEntry(slot, entry, why) ? std::string() : why.reason;
}

TEST(WaypointRecord, HeaderByte4DecidesTheHeaderLength) {
  for (std::uint8_t byte4 : {0x20, 0x00, 0x21}) {
    Bytes p = WaypointPayload({.name = "NM", .latitude = 0x12345678, .longHeader = byte4 == 0x20});
    p[2 + 1 + 4] = byte4;
    MpsWaypointEntry e{};
    ASSERT_EQ(Parse<MpsWaypointSection>(p, e), "");
    EXPECT_EQ(e.headerLength, byte4 == 0x20 ? 29 : 27);
    EXPECT_EQ(LoadBytes(MpsBuilder().Header().Record('W', p).bytes())->doc.waypoints[0].latitude, 0x12345678);
  }
}

TEST(WaypointRecord, PayloadSizesAtTheLimit) {
  MpsWaypointEntry e{};
  // Name plus 47 bytes: a 27-byte header, an empty comment and a 1-byte tail.
  Bytes p = WaypointPayload({.name = "NAME", .tailLength = 1});
  ASSERT_EQ(p.size(), 4u + 47);
  ASSERT_EQ(Parse<MpsWaypointSection>(p, e), "");
  EXPECT_EQ(e.tailLength, 1u);
  p[p.size() - 2] = 'c';  // the comment's NUL is now the last byte
  ASSERT_EQ(Parse<MpsWaypointSection>(p, e), "");
  EXPECT_EQ(e.commentLength, 1u);
  EXPECT_EQ(e.tailLength, 0u);
  p.back() = 'd';
  EXPECT_NE(Parse<MpsWaypointSection>(p, e), "");
  // With a space in header byte 4 there is no room left for the comment's NUL.
  Bytes spaced = WaypointPayload({.name = "NAME", .tailLength = 1});
  spaced[4 + 1 + 4] = 0x20;
  EXPECT_NE(Parse<MpsWaypointSection>(spaced, e), "");

  Bytes smallest = WaypointPayload({.name = "A", .longHeader = true, .tailLength = 0});
  ASSERT_EQ(smallest.size(), 1u + 48);
  EXPECT_EQ(Parse<MpsWaypointSection>(smallest, e), "");
  EXPECT_NE(Parse<MpsWaypointSection>(Bytes(smallest.begin(), smallest.begin() + 2 + 28), e), "");
  smallest.pop_back();
  EXPECT_NE(Parse<MpsWaypointSection>(smallest, e), "");
  EXPECT_NE(Parse<MpsWaypointSection>(Bytes(60, 'A'), e), "");  // the name has no NUL
}

// Version-3 files (a first record 'D' whose payload starts with 'd') have a
// 22-byte header after the name, whatever its byte 4 holds.
TEST(WaypointRecord, Version3FilesHaveA22ByteHeader) {
  const testing::WaypointFields v3{.name = "WT1", .latitude = 287166285, .longitude = 1444421362, .altitude = 1500.5,
                                   .symbol = 106, .comment = "c", .version3Header = true};
  MpsWaypointSection section;
  section.headerForm = MpsWaypointHeader::kVersion3;
  for (std::uint8_t byte4 : {0x00, 0x20}) {
    Bytes p = WaypointPayload(v3);
    p[4 + 4] = byte4;
    MpsWaypointEntry e{};
    ASSERT_EQ(Parse(p, e, section), "");
    EXPECT_EQ(e.headerLength, 22);
    auto r = LoadBytes(MpsBuilder().Header('d').Record('W', p).End().bytes());
    ASSERT_TRUE(r->ok) << r->doc.error().Describe();
    const WaypointRecord& w = r->doc.waypoints[0];
    EXPECT_EQ(std::vector<std::int64_t>({w.latitude, w.longitude, w.symbol}),
              std::vector<std::int64_t>({287166285, 1444421362, 106}));
    EXPECT_EQ(w.altitude, 1500.5f);
    EXPECT_EQ(r->doc.TextOf(0).comment, "c");
  }
  // The smallest payload: the name, 22 header bytes, the position block and an empty comment.
  Bytes smallest = WaypointPayload({.name = "A", .version3Header = true, .tailLength = 0});
  ASSERT_EQ(smallest.size(), 2u + 22 + 17 + 1);
  MpsWaypointEntry e{};
  EXPECT_EQ(Parse(smallest, e, section), "");
  smallest.pop_back();
  EXPECT_NE(Parse(smallest, e, section), "");

  // Only the first record names the version: elsewhere a 'd' changes nothing,
  // and the header is sized by its byte 4.
  const testing::WaypointFields v4{.name = "WT1", .latitude = 287166285, .altitude = 1500.5};
  const Bytes others[] = {
      MpsBuilder().Header('g').Waypoint(v4).End().bytes(),
      MpsBuilder().Signature().Record('E', {'d', 0}).Record('A', testing::APayload()).Waypoint(v4).End().bytes(),
      MpsBuilder().Header('i').Waypoint(v4).Record('D', {'d', 0}).Waypoint(v4).End().bytes(),
  };
  for (const Bytes& file : others) {
    auto r = LoadBytes(file);
    ASSERT_TRUE(r->ok) << r->doc.error().Describe();
    EXPECT_EQ(r->doc.waypoints[0].latitude, 287166285);
    EXPECT_EQ(r->doc.waypoints[0].altitude, 1500.5f);
  }
}

TEST(WaypointRecord, SymbolComesFromTailBytes17And18) {
  const std::pair<std::size_t, std::uint16_t> cases[] = {{0, 0}, {17, 0}, {18, 0xCD}, {19, 0xABCD}, {60, 0xABCD}};
  for (const auto& [tail, symbol] : cases) {
    const Bytes p = WaypointPayload({.name = "S", .symbol = 0xABCD, .tailLength = tail});
    MpsWaypointEntry e{};
    ASSERT_EQ(Parse<MpsWaypointSection>(p, e), "");
    EXPECT_EQ(e.tailLength, tail);
    auto r = LoadBytes(MpsBuilder().Header().Record('W', p).bytes());
    EXPECT_EQ(r->doc.waypoints[0].symbol, symbol) << tail;
  }
}

TEST(TrackRecord, PointsMustFillThePayloadExactly) {
  const Bytes p = TrackPayload({.name = "T", .points = {{}, {}}});
  ASSERT_EQ(p.size(), 2u + 9 + 62);
  MpsTrackEntry e{};
  ASSERT_EQ(Parse<MpsTrackSection>(p, e), "");
  EXPECT_EQ(e.pointCount, 2u);
  EXPECT_EQ(e.nameLength, 1u);
  EXPECT_NE(Parse<MpsTrackSection>(Bytes(p.begin(), p.end() - 1), e), "");
  Bytes longer = p;
  longer.push_back(0);
  EXPECT_NE(Parse<MpsTrackSection>(longer, e), "");
  EXPECT_EQ(Summary(MpsBuilder().Header().Waypoint({}).Record('T', longer).bytes()), "track run 1w 0t 1+0");

  // 31 x 138547333 is 2^32 + 27: a 32-bit product would match 27 bytes of points.
  Bytes wrapped = TrackPayload({.name = "T"});
  StoreU32(&wrapped[2 + 5], 138547333u);
  wrapped.resize(wrapped.size() + 27);
  EXPECT_NE(Parse<MpsTrackSection>(wrapped, e), "");
  EXPECT_NE(Parse<MpsTrackSection>(Bytes{'T', 0, 1, 2, 3, 4, 0, 0, 0}, e), "");  // 7-byte block
  EXPECT_NE(Parse<MpsTrackSection>(Bytes(20, 'T'), e), "");                     // no NUL
}

TEST(LRecord, StringsAndTail) {
  MpsLEntry e{};
  const Bytes smallest = LPayload({});
  ASSERT_EQ(smallest.size(), 11u);
  ASSERT_EQ(Parse<MpsLSection>(smallest, e), "");
  EXPECT_EQ(e.tailLength, 0u);
  EXPECT_NE(Parse<MpsLSection>(Bytes(smallest.begin(), smallest.end() - 1), e), "");
  EXPECT_NE(Parse<MpsLSection>(Bytes(7, 0), e), "");
  EXPECT_NE(Parse<MpsLSection>(Bytes{1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 'x'}, e), "");  // third string open
  const Bytes tailed = LPayload({.value1 = 7, .text2 = "b", .tail = Bytes(12, 0xEE)});
  ASSERT_EQ(Parse<MpsLSection>(tailed, e), "");
  EXPECT_EQ(e.value1, 7u);
  EXPECT_EQ(e.tailLength, 12u);
}

TEST(WaypointConversion, NamesAreCutToElevenBytesOnWholeCharacters) {
  const std::string big5x6 = "\xA4\xA4\xA4\xA4\xA4\xA4\xA4\xA4\xA4\xA4\xA4\xA4";
  const std::pair<std::string, std::string> cases[] = {
      {"ABCDEFGHIJK", "ABCDEFGHIJK"},
      {"ABCDEFGHIJKL", "ABCDEFGHIJK"},
      {"ABCDEFGHIJ\xA4\xA4Z", "ABCDEFGHIJ"},       // the character at byte 10 does not fit
      {"ABCDEFGHIJ\xA4", "ABCDEFGHIJ\xA4"},        // 11 bytes are copied whole
      {"ABCDEFGHI\xA4\xA4Z", "ABCDEFGHI\xA4\xA4"},  // the character at bytes 9-10 is kept whole
      {"ABCDEFGHIJ\x80Z", "ABCDEFGHIJ"},           // a lone high byte does not end a cut name
      {big5x6, big5x6.substr(0, 10)},
      {"", ""},
  };
  MpsBuilder b;
  b.Header();
  for (const auto& c : cases) b.Waypoint({.name = c.first});
  auto r = LoadBytes(b.End().bytes());
  ASSERT_TRUE(r->ok);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    // Compared with the bytes after the NUL, which stay zero.
    EXPECT_EQ(std::string(r->doc.waypoints[i].name, 12), cases[i].second + std::string(12 - cases[i].second.size(), 0));
    // The whole name is still there as the file holds it.
    EXPECT_EQ(r->doc.TextOf(static_cast<std::int32_t>(i)).name, cases[i].first);
  }
  for (bool longHeader : {false, true}) {
    auto c = LoadBytes(MpsBuilder().Header().Waypoint({.name = "N", .comment = "a note", .longHeader = longHeader}).bytes());
    EXPECT_EQ(c->doc.TextOf(0).comment, "a note");
  }
}

TEST(WaypointConversion, PositionIsKeptAndAltitudeBecomesFloat) {
  MpsBuilder b;
  b.Header().Waypoint({.name = "P", .latitude = -1, .longitude = INT32_MIN, .altitude = 123.456});
  b.Waypoint({.name = "HIGH", .altitude = 1e300});
  auto r = LoadBytes(b.End().bytes());
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->doc.waypoints[0].latitude, -1);
  EXPECT_EQ(r->doc.waypoints[0].longitude, INT32_MIN);
  EXPECT_EQ(r->doc.waypoints[0].altitude, static_cast<float>(123.456));
  EXPECT_TRUE(std::isinf(r->doc.waypoints[1].altitude));
  EXPECT_EQ(r->waypointLines.lines[1], "HIGH   0");
}

TEST(TrackConversion, LongNamesAreCutOnWholeCharacters) {
  std::string big5x16;
  for (int i = 0; i < 16; ++i) big5x16 += "\xA4\xA4";
  const std::string fits = std::string(30, 'N') + "\xA4";  // 31 bytes are copied as they are
  const std::pair<std::string, std::string> cases[] = {
      {std::string(40, 'N'), std::string(31, 'N')}, {big5x16, big5x16.substr(0, 30)}, {fits, fits}};
  for (const auto& [in, out] : cases) {
    auto r = LoadBytes(MpsBuilder().Header().Waypoint({}).Track({.name = in}).End().bytes());
    ASSERT_TRUE(r->ok);
    EXPECT_EQ(std::string(r->doc.tracks[0].name), out);
    EXPECT_EQ(r->trackLines.lines, std::vector<std::string>{out + " (0)"});  // no points, and an empty array
    EXPECT_NE(r->doc.tracks[0].points, nullptr);
  }
}

TEST(TrackConversion, DegreesAltitudesAndTimesOfDay) {
  const std::pair<std::uint32_t, std::string> times[] = {
      {0, "8:0:0"},           {16 * 3600, "0:0:0"},   {16 * 3600 - 1, "23:59:59"},
      {1000000000, "9:46:40"}, {UINT32_MAX, "14:28:15"}};
  testing::TrackFields track{.name = "T"};
  for (const auto& t : times) track.points.push_back({.time = t.first});
  track.points[0] = {.latitude = 1 << 30, .longitude = -1, .altitude = 123.456, .time = 0};
  track.points[1] = {.latitude = INT32_MIN, .longitude = 7, .altitude = -1e300, .time = 16 * 3600};
  auto r = LoadBytes(MpsBuilder().Header().Waypoint({}).Track(track).End().bytes());
  ASSERT_TRUE(r->ok);
  ASSERT_EQ(r->doc.tracks[0].pointCount, 5);
  const TrackPoint* p = r->doc.tracks[0].points.get();
  EXPECT_EQ(p[0].latitude, 1 << 30);
  EXPECT_EQ(p[0].latitudeDegrees, 90.00000033527613);
  EXPECT_EQ(p[0].longitudeDegrees, -8.381903202764329e-08);
  EXPECT_EQ(p[1].latitudeDegrees, -180.00000067055225);
  EXPECT_EQ(p[0].altitude, static_cast<float>(123.456));
  EXPECT_EQ(p[1].altitude, -std::numeric_limits<float>::infinity());
  for (std::size_t k = 0; k < std::size(times); ++k) {
    EXPECT_EQ(p[k].time, times[k].first);
    EXPECT_EQ(std::to_string(p[k].hour) + ":" + std::to_string(p[k].minute) + ":" + std::to_string(p[k].second),
              times[k].second);
  }
}

// A route point's place is the first block of its link; the last point's is
// the last block of the one before; a route of one point has no link, and
// takes the place of the waypoint it names. Points carry their waypoint's
// symbol and comment; the road's shape between them is passed.
TEST(RouteRecord, PointsArePlacedAndNamed) {
  for (const bool longHeader : {false, true}) {
    for (const bool version3 : {false, true}) {
      SCOPED_TRACE(std::string(longHeader ? "29" : version3 ? "22" : "27") + "-byte headers");
      MpsBuilder b;
      b.Header(version3 ? 'd' : 'i');
      b.Waypoint({.name = "ONE", .latitude = 10, .longitude = 20, .altitude = 5, .symbol = 106, .comment = "top",
                  .longHeader = longHeader, .version3Header = version3});
      b.Route({.name = "ROUTE",
               .points = {{.name = "ONE", .latitude = 10, .longitude = 20, .altitude = 5, .shapeBlocks = 3},
                          {.name = "NOWHERE", .latitude = -7, .longitude = 8, .noAltitude = true},
                          {.name = "LAST", .latitude = 1 << 30, .longitude = -1, .altitude = 2.5}},
               .longHeader = longHeader,
               .version3Header = version3});
      b.Route({.name = "ALONE", .points = {{.name = "ONE"}}, .longHeader = longHeader, .version3Header = version3});
      auto r = LoadBytes(b.End().bytes());
      ASSERT_TRUE(r->ok) << r->doc.error().Describe();
      ASSERT_EQ(r->doc.routeCount, 2);
      const RouteRecord& route = r->doc.routes[0];
      ASSERT_EQ(route.pointCount, 3);
      const WaypointRecord* p = route.points.get();
      EXPECT_EQ(std::vector<int>({p[0].latitude, p[0].longitude, p[1].latitude, p[1].longitude, p[2].latitude,
                                  p[2].longitude}),
                std::vector<int>({10, 20, -7, 8, 1 << 30, -1}));
      EXPECT_EQ(std::vector<float>({p[0].altitude, p[2].altitude}), std::vector<float>({5, 2.5f}));
      EXPECT_TRUE(p[1].noAltitude);
      EXPECT_EQ(std::vector<int>({p[0].symbol, p[1].symbol}), std::vector<int>({106, kPlainSymbol}));
      EXPECT_EQ(r->doc.RoutePointTextOf(0, 0).comment, "top");
      EXPECT_EQ(r->doc.RoutePointTextOf(0, 1).name, "NOWHERE");
      EXPECT_STREQ(route.name, "ROUTE");
      const WaypointRecord& alone = r->doc.routes[1].points[0];
      EXPECT_EQ(std::vector<int>({alone.latitude, alone.longitude, alone.symbol}), std::vector<int>({10, 20, 106}));
    }
  }
}

// A route record must be read to its last byte; one that is not fails the
// load after the waypoints are listed, before the tracks.
TEST(RouteRecord, DamagedRecordsFailTheLoad) {
  const Bytes good = testing::RoutePayload({.name = "R", .points = {{.name = "A"}, {.name = "B", .latitude = 5}}});
  auto withRoute = [](const Bytes& payload) {
    return Summary(MpsBuilder().Header().Waypoint({.name = "A"}).Record('R', payload).Track({}).End().bytes());
  };
  EXPECT_EQ(withRoute(good), "ok 1w 1t 1+1");
  Bytes longer = good;
  longer.push_back(0);
  EXPECT_EQ(withRoute(longer), "route run 1w 0t 1+0");
  for (std::size_t cut = 1; cut < good.size(); cut += 7) {
    EXPECT_EQ(withRoute(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut))), "route run 1w 0t 1+0")
        << cut;
  }
  // A link that claims more blocks than the record holds (its count is the
  // 4 bytes before the first point's first block).
  Bytes claim = good;
  const std::size_t linkCount = 2 + 1 + 1 + 34 + 4 + 2 + 27 + 19;
  ASSERT_EQ(claim[linkCount], 2);
  StoreU32(claim.data() + linkCount, 0x10000000);
  auto r = LoadBytes(MpsBuilder().Header().Waypoint({}).Record('R', claim).End().bytes());
  EXPECT_EQ(r->doc.error().Describe(),
            "route record 0 at byte 120: a route point's link claims more position blocks than the record holds");
  // A route of one point names no waypoint and gives no place.
  r = LoadBytes(MpsBuilder().Header().Waypoint({.name = "A"}).Route({.name = "R", .points = {{.name = "X"}}}).End().bytes());
  EXPECT_EQ(r->doc.error().Describe(),
            "route record 0 at byte 121: a route point gives no place and names no waypoint of the file");
  EXPECT_EQ(r->doc.routeCount, 0);
}

}  // namespace
}  // namespace ridloe
