// The record stream of an MPS file: framing, the header and the runs of
// records that follow it.
#include <gtest/gtest.h>

#include <tuple>

#include "formats/mps/mps_record.h"
#include "testing/test_support.h"

namespace ridloe {
namespace {

using testing::APayload;
using testing::Bytes;
using testing::LoadBytes;
using testing::MpsBuilder;
using testing::Summary;

TEST(Framing, ShortZeroLengthTooLongAndExactRecords) {
  const std::string tooShort = "fewer than 5 bytes left for a record frame";
  const std::string tooLong = "record is longer than the rest of the file";
  const std::tuple<Bytes, std::string, std::size_t> cases[] = {
      {{}, tooShort, 0},
      {{3, 0, 0, 0}, tooShort, 0},  // fewer than 5 bytes consume nothing
      {MpsBuilder().Frame(0, 'W').Raw({1, 2}).bytes(), "record has a payload length of 0", 5},
      {MpsBuilder().Frame(3, 'W').Raw({1, 2}).bytes(), tooLong, 5},
      {MpsBuilder().Frame(0xFFFFFFFF, 'W').Raw({1, 2}).bytes(), tooLong, 5},
      {MpsBuilder().Record('W', {7, 8, 9}).bytes(), "", 8},  // ends exactly at the end
  };
  for (const auto& [bytes, why, consumed] : cases) {
    ByteCursor cursor(bytes.data(), bytes.size());
    RecordSlot slot;
    Error fault;
    EXPECT_EQ(FrameRecord(cursor, slot, &fault), why.empty()) << bytes.size();
    EXPECT_EQ(fault.reason, why) << bytes.size();
    EXPECT_EQ(cursor.offset(), consumed) << bytes.size();
  }
  // A framed slot views its payload in place.
  const Bytes& exact = std::get<0>(cases[5]);
  ByteCursor cursor(exact.data(), exact.size());
  RecordSlot slot;
  ASSERT_TRUE(ReadRecord(cursor, slot));
  EXPECT_EQ(slot.type, 'W');
  EXPECT_EQ(slot.payload, exact.data() + kMpsFrameSize);
  EXPECT_EQ(slot.length, 3u);
}

Bytes SmallestFile() { return MpsBuilder().Signature().Record('D', {'i'}).Record('A', APayload()).bytes(); }

// The header alone is a file cut short: the smallest file that loads is the
// header and the closing 'V' record.
TEST(Header, SmallestFileIsTheHeaderAndItsClosingRecord) {
  Bytes bytes = SmallestFile();
  ASSERT_EQ(bytes.size(), 22u);
  EXPECT_EQ(Summary(bytes), "truncated 0w 0t 0+0");
  const Bytes closed = MpsBuilder().Signature().Record('D', {'i'}).Record('A', APayload()).Record('V', {0}).bytes();
  ASSERT_EQ(closed.size(), 28u);
  EXPECT_EQ(Summary(closed), "ok 0w 0t 0+0");
  bytes.pop_back();
  EXPECT_EQ(Summary(bytes), "header 0w 0t 0+0");
  EXPECT_EQ(Summary(Bytes(bytes.begin(), bytes.begin() + 5)), "signature 0w 0t 0+0");
  EXPECT_EQ(Summary(MpsBuilder().Signature().bytes()), "header 0w 0t 0+0");
  // The first record may be of any type, but it must be framed.
  EXPECT_EQ(Summary(MpsBuilder().Signature().Record('\0', {0xFF}).Record('A', APayload()).End().bytes()),
            "ok 0w 0t 0+0");
  EXPECT_EQ(Summary(MpsBuilder().Signature().Frame(0, 'D').Record('A', APayload()).bytes()),
            "header 0w 0t 0+0");
}

TEST(Header, SignatureMustMatchInAllSixBytes) {
  for (std::size_t i = 0; i < 6; ++i) {
    for (std::uint8_t flip : {0x01, 0x20, 0xFF}) {
      Bytes bytes = SmallestFile();
      bytes[i] ^= flip;
      EXPECT_EQ(Summary(bytes), "signature 0w 0t 0+0") << i;
    }
  }
}

TEST(Header, ARecordChecks) {
  const std::tuple<char, Bytes, bool> cases[] = {
      {'A', {1, 0, 0, 0, 0}, true},                       // the value and three empty strings
      {'A', {1, 0, 'x', 0, 'y', 0, 'z', 0, 9, 9}, true},  // bytes after the third NUL
      {'A', {1, 0, 0, 0}, false},                         // four bytes: no third string
      {'A', {1, 0, 'x', 0, 'y', 0, 'z'}, false},          // third string without its NUL
      {'A', {1, 0, 'x', 0, 'y'}, false},                  // second string without its NUL
      {'A', {1}, false},                                  // shorter than the value
      {'B', {1, 0, 0, 0, 0}, false},                      // not an 'A' record
  };
  for (const auto& [type, payload, ok] : cases) {
    const Bytes bytes = MpsBuilder().Signature().Record('D', {'i'}).Record(type, payload).End().bytes();
    EXPECT_EQ(Summary(bytes), ok ? "ok 0w 0t 0+0" : "header 0w 0t 0+0") << type << payload.size();
  }
}

// A record that cannot be framed ends its run, and the load then fails as cut
// short, naming that record, once the records before it are listed.
TEST(Runs, RecordThatCannotBeFramedFailsTheLoadAfterTheRecordsBeforeIt) {
  const std::pair<Bytes, std::string> enders[] = {
      {MpsBuilder().Frame(0, 'W').Track({}).bytes(), "record has a payload length of 0"},
      {MpsBuilder().Frame(500, 'W').Raw({1, 2, 3}).bytes(), "file ends inside the record: it claims 500 bytes, 3 remain"},
      {Bytes{1, 0, 0}, "file ends inside the record's 5-byte frame"}};
  for (const auto& [ender, why] : enders) {
    MpsBuilder b;
    b.Header().Waypoint({.name = "A"}).Waypoint({.name = "B"});
    const std::size_t at = b.size();
    auto r = LoadBytes(b.Raw(ender).bytes());
    EXPECT_EQ(Summary(*r), "truncated 2w 0t 2+0");
    EXPECT_EQ(r->doc.error().Describe(), "record 4 at byte " + std::to_string(at) + ": " + why);
    // After the tracks, the 'L' run and records of other types.
    b = MpsBuilder();
    b.Header().Waypoint({}).Track({}).L({}).Record('Z', {1}).Raw(ender);
    EXPECT_EQ(Summary(b.bytes()), "truncated 1w 1t 1+1");
    // Nothing after the closing 'V' record is looked at.
    b = MpsBuilder();
    b.Header().Waypoint({}).Record('Z', {1}).End().Raw(ender);
    EXPECT_EQ(Summary(b.bytes()), "ok 1w 0t 1+0");
  }
}

TEST(Runs, WhichRunsAreRead) {
  // Tracks are read whether or not waypoints come before them.
  EXPECT_EQ(Summary(MpsBuilder().Header().Track({.name = "T", .points = {{}}}).L({}).End().bytes()), "ok 0w 1t 0+1");
  // Waypoints followed directly by 'L' records: no tracks, and the 'L' records are still checked.
  EXPECT_EQ(Summary(MpsBuilder().Header().Waypoint({}).L({.text1 = "x"}).L({}).End().bytes()), "ok 1w 0t 1+0");
  EXPECT_EQ(Summary(MpsBuilder().Header().Waypoint({}).Record('L', Bytes(10, 0)).bytes()), "checked run 1w 0t 1+0");
  // Routes between the waypoints and the tracks are read; one that does not
  // parse fails the load after the waypoints, before the tracks.
  const testing::RouteFields route{.name = "R", .points = {{.name = "WP"}}};
  MpsBuilder routes;
  routes.Header().Waypoint({.name = "WP"}).Route(route).Route({}).Track({}).Track({}).L({}).End();
  EXPECT_EQ(Summary(routes.bytes()), "ok 1w 2t 1+2");
  EXPECT_EQ(Summary(MpsBuilder().Header().Waypoint({}).Record('R', {1}).Track({}).End().bytes()), "route run 1w 0t 1+0");
  EXPECT_EQ(Summary(MpsBuilder().Header().Route({}).Track({}).End().bytes()), "ok 0w 1t 0+1");
  // Routes after the tracks end the track run, as any other record does.
  EXPECT_EQ(Summary(MpsBuilder().Header().Waypoint({}).Track({}).Route({}).Track({}).End().bytes()), "ok 1w 1t 1+1");
  // Whatever follows the closing 'V' record is not looked at.
  MpsBuilder trailing;
  trailing.Header().Waypoint({}).Track({}).L({}).End().Frame(0, 'W').Record('L', {0xFF}).Raw({0xFF});
  EXPECT_EQ(Summary(trailing.bytes()), "ok 1w 1t 1+1");
}

}  // namespace
}  // namespace ridloe
