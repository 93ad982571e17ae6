// The memory a load takes is bounded by its input: every allocation the
// readers make comes from a count or length that was first checked against
// the bytes that remain. This test replaces the global operator new and
// delete, adds the ByteBlocks (which take their memory from calloc and mmap)
// through their observer, and loads crafted worst cases through Load(path),
// so the file buffer counts too.
//
// The bound: peak bytes <= kPerInputByte * input size + kFixed, where
//  - kPerInputByte = 14. Without sinks the dearest input is a run of 6-byte
//    records (a 1-byte payload each) that is framed whole before its first
//    record fails to parse: each costs a RecordSlot (16 bytes), an entry (at
//    most 16) and its 6 bytes of file buffer, which the document keeps as the
//    records' storage: 38 bytes per 6, 6.3 per input byte. Blocks of 2 MiB
//    and more are mapped in whole 2 MiB pages, which can add up to as much
//    again for a file just over a page: 7.9 measured. With sinks that keep
//    every line (the VectorListSink of ridloe-cli), the dearest input is
//    9,999 empty tracks: 6.2 per byte for the load and up to 6.4 for a vector
//    of 32-byte strings in the middle of doubling, one line per 15-byte
//    track: 12.6.
//  - kGpxPerInputByte = 32 for GPX, read by a streaming XML parser. Its
//    dearest input is a run of empty tracks, "<trk/>": each of the 6 bytes
//    becomes a 72-byte track record, its place in the text and, with sinks,
//    a line: 27.6 per byte measured. Runs of the smallest waypoints and track
//    points take 7.4 and 6.2; an element of 20,000 attributes or namespace
//    declarations, which the parser keeps while it reads the element, 15.5;
//    elements nest at most 256 deep. Routes cost as tracks do: "<rte/>"
//    20.7 per byte.
//  - kFixed = 2 KiB: what any load takes whatever its size (an error text,
//    the first lines); measured under 600 bytes. Reading standard input
//    starts with a 64 KiB block, which adds that much.
//  - kGpxFixed = 24 KiB for GPX: the XML parser's own start (its buffers and
//    tables), 10.7 KiB measured with expat and 4.2 KiB more for a document in
//    an encoding read through the system's tables.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>

#include "core/platform/file_access.h"
#include "core/bytes/zeroed_memory.h"
#include "formats/wtr/wtr_format.h"
#include "core/bytes/byte_store.h"
#include "formats/gpx/gpx_document.h"
#include "formats/mps/mps_document.h"
#include "testing/gpx_text.h"
#include "testing/mps_builder.h"
#include "testing/system.h"

namespace {

// Bytes requested through operator new and held by ByteBlocks, live and at
// their highest. The tests run on one thread.
std::size_t liveBytes = 0;
std::size_t peakBytes = 0;
// Allocations of at least this many bytes fail, as when memory is short.
std::size_t refuseFrom = static_cast<std::size_t>(-1);

void Count(std::ptrdiff_t bytes) {
  liveBytes += static_cast<std::size_t>(bytes);
  if (liveBytes > peakBytes) peakBytes = liveBytes;
}

// Each block carries its size in front, so that delete can count it back.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) noexcept {
  if (size >= refuseFrom) return nullptr;
  void* raw = std::malloc(size + kHeader);
  if (!raw) return nullptr;
  *static_cast<std::size_t*>(raw) = size;
  Count(static_cast<std::ptrdiff_t>(size));
  return static_cast<std::byte*>(raw) + kHeader;
}

void Deallocate(void* p) noexcept {
  if (!p) return;
  void* raw = static_cast<std::byte*>(p) - kHeader;
  Count(-static_cast<std::ptrdiff_t>(*static_cast<std::size_t*>(raw)));
  std::free(raw);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Deallocate(p); }
void operator delete[](void* p) noexcept { Deallocate(p); }
void operator delete(void* p, std::size_t) noexcept { Deallocate(p); }
void operator delete[](void* p, std::size_t) noexcept { Deallocate(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Deallocate(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Deallocate(p); }

namespace ridloe {
namespace {

using testing::Bytes;
using testing::MpsBuilder;
using testing::TrackFields;
using testing::WaypointFields;

constexpr double kPerInputByte = 14.0;
constexpr double kGpxPerInputByte = 32.0;
constexpr std::size_t kFixed = 2048;
constexpr std::size_t kGpxFixed = 24576;
constexpr std::size_t kFirstStdinBlock = 65536;

struct Outcome {
  bool ok = false;
  Step step = Step::kNone;
  std::int32_t waypoints = 0;
  std::int32_t tracks = 0;
  std::size_t peak = 0;   // bytes, above what was live before the load
  std::size_t after = 0;  // bytes still live once the document is gone
};

class MemoryBound : public ::testing::Test {
 protected:
  void SetUp() override {
    SetZeroedMemoryObserver(Count);
    path_ = (std::filesystem::temp_directory_path() /
             ("ridloe_memory_" + std::to_string(testing::ProcessId()) + ".bin")).string();
  }
  void TearDown() override {
    SetZeroedMemoryObserver(nullptr);
    std::filesystem::remove(path_);
  }

  // Loads `bytes` from a file ("-" reads them from standard input instead)
  // into a fresh document of the given kind, with or without sinks, and
  // measures the peak while the document lives.
  template <typename Document>
  Outcome Load(const Bytes& bytes, bool sinks, bool fromStdin = false) {
    EXPECT_TRUE(testing::WriteBytes(path_, bytes));
    int savedStdin = -1;
    if (fromStdin) {
      const int fd = ::open(path_.c_str(), O_RDONLY);
      savedStdin = ::dup(STDIN_FILENO);
      ::dup2(fd, STDIN_FILENO);
      ::close(fd);
    }
    Outcome out;
    const std::size_t before = liveBytes;
    peakBytes = liveBytes;
    {
      VectorListSink waypointLines;
      VectorListSink trackLines;
      Document document;
      out.ok = document.Load(fromStdin ? "-" : path_, sinks ? &waypointLines : nullptr,
                             sinks ? &trackLines : nullptr);
      out.step = document.error().step;
      out.waypoints = document.waypointCount;
      out.tracks = document.trackCount;
    }
    out.peak = peakBytes - before;
    out.after = liveBytes - before;
    if (fromStdin) {
      ::dup2(savedStdin, STDIN_FILENO);
      ::close(savedStdin);
    }
    return out;
  }

  // Both ways, with and without sinks; the bound must hold for each.
  template <typename Document>
  Outcome ExpectBounded(const char* what, const Bytes& bytes, double perInputByte = kPerInputByte,
                        std::size_t fixed = kFixed) {
    Outcome result;
    for (bool sinks : {false, true}) {
      const Outcome o = Load<Document>(bytes, sinks);
      const double limit = perInputByte * static_cast<double>(bytes.size()) + static_cast<double>(fixed);
      std::printf("  %-34s %s %9zu bytes in, peak %10zu (%.2f per byte)\n", what, sinks ? "sinks" : "plain",
                  bytes.size(), o.peak, static_cast<double>(o.peak) / static_cast<double>(bytes.size()));
      EXPECT_LE(static_cast<double>(o.peak), limit) << what << (sinks ? " with sinks" : "");
      EXPECT_EQ(o.after, 0u) << what << ": memory outlives the document";
      if (!sinks) result = o;
    }
    return result;
  }

  std::string path_;
};

MpsBuilder WithOneWaypoint() {
  MpsBuilder b;
  b.Header().Waypoint({.name = "WP", .altitude = 1, .symbol = 106});
  return b;
}

// Runs of the smallest records: 6 bytes each, a 1-byte payload that cannot
// parse, so the whole run is framed, copied and given entries before the
// load fails. The 'L' run is the dearest (the largest entry).
TEST_F(MemoryBound, RunsOfTinyRecords) {
  constexpr int kRecords = 100000;
  for (char letter : {'W', 'R', 'T', 'L'}) {
    MpsBuilder b = letter == 'W' ? MpsBuilder().Header() : WithOneWaypoint();
    for (int i = 0; i < kRecords; ++i) b.Record(letter, {static_cast<std::uint8_t>(i)});
    const Outcome o = ExpectBounded<MpsDocument>((std::string("tiny '") + letter + "' records").c_str(), b.bytes());
    EXPECT_FALSE(o.ok);
    const Step expected[] = {Step::kWaypointRun, Step::kRouteRun, Step::kTrackRun, Step::kCheckedRun};
    EXPECT_EQ(o.step, expected[std::string_view("WRTL").find(letter)]);
  }
  // The same 'L' run past 2 MiB, where the buffers are mapped in whole pages.
  MpsBuilder big = WithOneWaypoint();
  for (int i = 0; i < 400000; ++i) big.Record('L', {1});
  EXPECT_FALSE(ExpectBounded<MpsDocument>("tiny 'L' records, 2.4 MB", big.bytes()).ok);
}

TEST_F(MemoryBound, RunsOfSmallestValidRecords) {
  MpsBuilder waypoints;
  waypoints.Header();
  for (int i = 0; i < 20000; ++i) waypoints.Waypoint({.tailLength = 0});
  const Outcome w = ExpectBounded<MpsDocument>("smallest valid waypoints", waypoints.End().bytes());
  EXPECT_TRUE(w.ok);
  EXPECT_EQ(w.waypoints, 20000);

  // Long names and NaN altitudes make the longest list lines.
  MpsBuilder lines;
  lines.Header();
  for (int i = 0; i < 20000; ++i) lines.Waypoint({.name = "ABCDEFGHIJK", .altitude = -3.4e38, .tailLength = 0});
  EXPECT_TRUE(ExpectBounded<MpsDocument>("waypoints with the longest lines", lines.End().bytes()).ok);

  MpsBuilder l = WithOneWaypoint();
  for (int i = 0; i < 50000; ++i) l.L({});
  EXPECT_TRUE(ExpectBounded<MpsDocument>("smallest valid 'L' records", l.End().bytes()).ok);
}

// Routes: runs of the smallest (a name and no points), and one route of the
// smallest points (no link: each takes the place of the waypoint it names).
TEST_F(MemoryBound, Routes) {
  MpsBuilder empty = WithOneWaypoint();
  for (int i = 0; i < 50000; ++i) empty.Route({});
  const Outcome o = ExpectBounded<MpsDocument>("50,000 empty routes", empty.End().bytes());
  EXPECT_TRUE(o.ok);
  Bytes route = {'R', 0, 0, 1};
  constexpr std::uint32_t kPoints = 40000;
  for (int i = 0; i < 4; ++i) route.push_back(static_cast<std::uint8_t>(kPoints >> (8 * i)));
  for (std::uint32_t k = 0; k < kPoints; ++k) {
    route.insert(route.end(), {'W', 'P', 0});  // the waypoint's name
    route.insert(route.end(), 27 + 19 + 4, 0);  // header, the bytes after it, no link
    route.push_back(1);                         // and no box
  }
  const Outcome points = ExpectBounded<MpsDocument>("a route of 40,000 bare points", WithOneWaypoint().Record('R', route).End().bytes());
  EXPECT_TRUE(points.ok);
  EXPECT_EQ(points.step, Step::kNone);
}

TEST_F(MemoryBound, TenThousandTracks) {
  MpsBuilder most = WithOneWaypoint();
  for (int i = 0; i < MpsDocument::kMaxTracks; ++i) most.Track({});
  const Outcome ok = ExpectBounded<MpsDocument>("9,999 empty tracks", MpsBuilder(most).End().bytes());
  EXPECT_TRUE(ok.ok);
  EXPECT_EQ(ok.tracks, MpsDocument::kMaxTracks);

  MpsBuilder tooMany = most;
  tooMany.Track({});
  const Outcome refused = ExpectBounded<MpsDocument>("10,000 empty tracks", tooMany.bytes());
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.step, Step::kTrackCount);
}

TEST_F(MemoryBound, OneTrackOfManyPoints) {
  TrackFields track{.name = "LONG"};
  track.points.resize(30000);
  const Outcome o = ExpectBounded<MpsDocument>("one track of 30,000 points", WithOneWaypoint().Track(track).End().bytes());
  EXPECT_TRUE(o.ok);
  EXPECT_EQ(o.tracks, 1);
}

// Lengths and counts that claim far more than the file holds allocate
// nothing for the claim: the record cannot be framed, or does not parse.
TEST_F(MemoryBound, ClaimsBeyondTheFile) {
  const Bytes filler(64, 0);
  Bytes first = MpsBuilder().Signature().Frame(0xFFFFFFFFu, 'D').Raw(filler).bytes();
  EXPECT_EQ(ExpectBounded<MpsDocument>("first record claims 4 GB", first).step, Step::kHeader);
  Bytes a = MpsBuilder().Signature().Record('D', {'i', 0}).Frame(0xFFFFFFFFu, 'A').Raw(filler).bytes();
  EXPECT_EQ(ExpectBounded<MpsDocument>("'A' record claims 4 GB", a).step, Step::kHeader);
  for (char letter : {'W', 'T', 'L'}) {
    const Bytes claim = WithOneWaypoint().Frame(0xFFFFFFFFu, letter).Raw(filler).bytes();
    const Outcome o = ExpectBounded<MpsDocument>((std::string("'") + letter + "' record claims 4 GB").c_str(), claim);
    // The run ends before the record that cannot be framed, and the load
    // then fails as cut short.
    EXPECT_EQ(o.step, Step::kTruncated);
    EXPECT_EQ(o.waypoints, 1);
  }
  // A track block claiming 2^32 - 1 points over a few bytes, and a count whose
  // 31-fold wraps to the 27 bytes that follow in 32-bit arithmetic.
  for (std::uint32_t points : {0xFFFFFFFFu, 138547333u}) {
    Bytes payload = testing::TrackPayload({.name = "CLAIM"});
    StoreU32(payload.data() + payload.size() - 4, points);
    payload.resize(payload.size() + 27);
    const Outcome o = ExpectBounded<MpsDocument>("track claims 2^32 points", WithOneWaypoint().Record('T', payload).bytes());
    EXPECT_EQ(o.step, Step::kTrackRun);
  }
}

Bytes WtrBlock(const std::uint8_t* marker) {
  Bytes block(kWtrBlockSize, 0);
  std::copy(marker, marker + kWtrMarkerSize, block.begin());
  return block;
}

TEST_F(MemoryBound, WtrFullOfRecords) {
  Bytes full = WtrBlock(kWtrWaypointMarker);
  full.resize(kWtrBlockSize + 20000 * kWtrRecordSize, 'A');
  Bytes closed = full;
  for (const std::uint8_t* m : {kWtrTrackMarker, kWtrRouteMarker}) {
    const Bytes block = WtrBlock(m);
    closed.insert(closed.end(), block.begin(), block.end());
  }
  const Outcome o = ExpectBounded<WtrDocument>("WTR of 20,000 waypoints", closed);
  EXPECT_TRUE(o.ok);
  EXPECT_EQ(o.waypoints, 20000);
  EXPECT_EQ(ExpectBounded<WtrDocument>("WTR of 20,000, never closed", full).step, Step::kTruncated);

  // Track contents of 21-byte points, the WTR reader's dearest input.
  Bytes track = closed;
  track.erase(track.end() - kWtrBlockSize, track.end());
  const Bytes header = WtrBlock(kWtrTrackHeaderMarker);
  track.insert(track.end(), header.begin(), header.end());
  track.resize(track.size() + 18 + 50000 * kWtrPointSize, 1);
  const Outcome t = ExpectBounded<WtrDocument>("WTR track of 50,000 points", track);
  EXPECT_EQ(t.tracks, 1);
}

// Standard input has no size up front: it is read in doubling blocks from
// 64 KiB, so its bound carries that first block on top.
TEST_F(MemoryBound, StandardInput) {
  MpsBuilder big = WithOneWaypoint();
  for (int i = 0; i < 100000; ++i) big.Record('L', {1});
  for (const Bytes& bytes : {WithOneWaypoint().End().bytes(), big.bytes()}) {
    const double limit = kPerInputByte * static_cast<double>(bytes.size()) + kFixed + kFirstStdinBlock;
    const Outcome o = Load<MpsDocument>(bytes, false, true);
    std::printf("  %-34s       %9zu bytes in, peak %10zu\n", "from standard input", bytes.size(), o.peak);
    EXPECT_EQ(o.waypoints, 1);  // the bytes arrived whole
    EXPECT_LE(static_cast<double>(o.peak), limit);
    EXPECT_EQ(o.after, 0u);
  }
}

// GPX: runs of the smallest elements the reader keeps, the longest text, and
// what costs the XML parser most (nesting, attributes); entities never
// expand.
TEST_F(MemoryBound, GpxWorstCases) {
  const auto repeat = [](const std::string& item, std::size_t times) {
    std::string out;
    out.reserve(item.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += item;
    return out;
  };
  const auto gpx = [](const std::string& body) { return testing::AsBytes(testing::GpxText(body)); };
  std::string attributes;
  for (int i = 0; i < 20000; ++i) attributes += " a" + std::to_string(i) + "=''";
  std::string declarations;
  for (int i = 0; i < 20000; ++i) declarations += " xmlns:p" + std::to_string(i) + "='u'";
  const std::pair<const char*, Bytes> cases[] = {
      {"GPX of 100,000 tiny waypoints", gpx(repeat("<wpt lat='0' lon='0'/>", 100000))},
      {"GPX of 2.4 MB of tiny waypoints", gpx(repeat("<wpt lat='0' lon='0'/>", 110000))},
      {"GPX track of 100,000 tiny points", gpx("<trk><trkseg>" + repeat("<trkpt lat='0' lon='0'/>", 100000) + "</trkseg></trk>")},
      {"GPX of 100,000 empty tracks", gpx(repeat("<trk/>", 100000))},
      {"GPX of 100,000 one-point tracks", gpx(repeat("<trk><trkseg><trkpt lat='0' lon='0'/></trkseg></trk>", 100000))},
      {"GPX of 100,000 empty routes", gpx(repeat("<rte/>", 100000))},
      {"GPX route of 100,000 tiny points", gpx("<rte>" + repeat("<rtept lat='0' lon='0'/>", 100000) + "</rte>")},
      {"GPX track of 100,000 segments", gpx("<trk>" + repeat("<trkseg><trkpt lat='0' lon='0'/></trkseg>", 100000) + "</trk>")},
      {"UTF-8 GPX of one waypoint", testing::AsBytes("<?xml version='1.0' encoding='UTF-8'?><gpx><wpt lat='0' lon='0'>"
                                                    "<name>\xE7\x8E\x89\xE5\xB1\xB1</name></wpt></gpx>")},
      {"Big5 GPX of one waypoint", testing::AsBytes("<?xml version='1.0' encoding='Big5'?><gpx><wpt lat='0' lon='0'>"
                                                    "<name>\xA5\xC9\xA4\x73</name></wpt></gpx>")},
      {"windows-1252 GPX of 100,000 tiny waypoints",
       testing::AsBytes("<?xml version='1.0' encoding='windows-1252'?><gpx>" + repeat("<wpt lat='0' lon='0'/>", 100000) +
                        "</gpx>")},
      {"GPX waypoint with a 1 MB name", gpx("<wpt lat='0' lon='0'><name>" + std::string(1 << 20, 'N') + "</name></wpt>")},
      {"GPX nested 100,000 deep", gpx(repeat("<a>", 100000))},
      {"GPX element of 20,000 attributes", gpx("<wpt lat='0' lon='0'" + attributes + "/>")},
      {"GPX element of 20,000 namespaces", gpx("<wpt lat='0' lon='0'" + declarations + "/>")},
  };
  for (const auto& [what, bytes] : cases) ExpectBounded<GpxDocument>(what, bytes, kGpxPerInputByte, kGpxFixed);
  std::string laughs = "<!DOCTYPE gpx [<!ENTITY a \"" + std::string(1000, 'a') + "\">";
  for (char c = 'b'; c <= 'j'; ++c) {
    laughs += std::string("<!ENTITY ") + c + " \"" + repeat(std::string("&") + static_cast<char>(c - 1) + ";", 10) + "\">";
  }
  laughs += "]><gpx><wpt lat='0' lon='0'><name>&j;</name></wpt></gpx>";
  EXPECT_EQ(ExpectBounded<GpxDocument>("GPX billion laughs", testing::AsBytes(laughs), kGpxPerInputByte, kGpxFixed).step,
            Step::kSyntax);
}

// Memory too short for the XML parser is no fault of the file, and is told
// as what it is.
TEST(GpxMemory, AParserThatCannotStartIsToldAsSuch) {
  const Bytes bytes = testing::AsBytes("<gpx><wpt lat='0' lon='0'/></gpx>");
  GpxDocument doc;
  refuseFrom = 256;  // less than the parser's own state, more than the message
  const bool parsed = doc.Parse(bytes.data(), bytes.size(), nullptr, nullptr);
  refuseFrom = static_cast<std::size_t>(-1);
  EXPECT_FALSE(parsed);
  EXPECT_EQ(doc.error().step, Step::kParserStart);
  EXPECT_EQ(doc.error().Describe(), "the XML parser could not be started: out of memory");
}

TEST_F(MemoryBound, SmallestFilesTakeLittle) {
  const Bytes smallest =
      MpsBuilder().Signature().Record('D', {'i'}).Record('A', testing::APayload()).Record('V', {0}).bytes();
  EXPECT_TRUE(ExpectBounded<MpsDocument>("28-byte file", smallest).ok);
  EXPECT_TRUE(ExpectBounded<MpsDocument>("one waypoint", WithOneWaypoint().End().bytes()).ok);
  EXPECT_FALSE(ExpectBounded<MpsDocument>("signature only", MpsBuilder().Signature().bytes()).ok);
}

}  // namespace
}  // namespace ridloe
