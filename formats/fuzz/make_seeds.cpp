// Writes the seed corpora of the fuzz targets: valid files of every record
// kind and the edge cases the readers must handle, built from field values.
// Usage: make_seeds DIR   (writes DIR/mps/*.mps, DIR/wtr/*.wtr and DIR/gpx/*.gpx)
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "core/bytes/byte_store.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"
#include "formats/mps/mps_document.h"
#include "formats/wtr/wtr_document.h"
#include "formats/wtr/wtr_format.h"
#include "testing/gpx_text.h"
#include "testing/mps_builder.h"
#include "testing/written.h"

namespace {

namespace fs = std::filesystem;
using ridloe::testing::Bytes;
using ridloe::testing::LFields;
using ridloe::testing::MpsBuilder;
using ridloe::testing::TrackFields;
using ridloe::testing::TrackPointFields;
using ridloe::testing::WaypointFields;

int written = 0;
bool failed = false;

void Put(const fs::path& dir, const std::string& name, const Bytes& bytes) {
  if (!ridloe::testing::WriteBytes((dir / name).string(), bytes)) {
    std::fprintf(stderr, "make_seeds: cannot write %s\n", (dir / name).string().c_str());
    failed = true;
  }
  ++written;
}

TrackFields Track(const std::string& name, int points) {
  TrackFields t{.name = name};
  for (int k = 0; k < points; ++k) {
    t.points.push_back({.latitude = 0x10000000 + k * 1000,
                        .longitude = -0x20000000 - k * 1000,
                        .altitude = 100.0 + k,
                        .time = 1000000000u + 60u * static_cast<std::uint32_t>(k)});
  }
  return t;
}

// A header and one plain waypoint: the start every later run needs.
MpsBuilder WithOneWaypoint() {
  MpsBuilder b;
  b.Header().Waypoint({.name = "WP", .latitude = 1, .longitude = 2, .altitude = 3, .symbol = 106});
  return b;
}

// Every MPS seed that loads anything, written by the GPX writer.
std::vector<Bytes> gpxFromMps;

void PutMps(const fs::path& dir, const std::string& name, const Bytes& bytes) {
  Put(dir, name, bytes);
  ridloe::MpsDocument document;
  document.Parse(bytes.data(), bytes.size(), nullptr, nullptr);
  std::string gpx;
  if ((document.waypoints || document.tracks || document.routes) && ridloe::Encode(ridloe::kGpxFormat, document, {"CP950"}, gpx)) {
    gpxFromMps.push_back(ridloe::testing::AsBytes(gpx));
  }
}

void MpsSeeds(const fs::path& dir) {
  // Headers.
  Put(dir, "smallest.mps", MpsBuilder().Signature().Record('D', {'i'}).Record('A', ridloe::testing::APayload()).bytes());
  for (char v : {'d', 'g', 'i'}) Put(dir, std::string("header_") + v + ".mps", MpsBuilder().Header(v).End().bytes());
  Put(dir, "signature_only.mps", MpsBuilder().Signature().bytes());
  Put(dir, "a_record_4_bytes.mps", MpsBuilder().Signature().Record('D', {'i', 0}).Record('A', {1, 0, 0, 0}).bytes());
  Put(dir, "a_record_tail.mps",
      MpsBuilder().Signature().Record('D', {'d', 0}).Record('A', {1, 0, 'x', 0, 0, 0, 9, 9, 9}).End().bytes());
  Put(dir, "first_record_zero.mps", MpsBuilder().Signature().Frame(0, 'D').Record('A', {0, 0, 0, 0, 0}).bytes());

  // Waypoints of every shape.
  MpsBuilder shapes;
  shapes.Header();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<WaypointFields> waypoints = {
      {.name = "", .symbol = 18},
      {.name = "ABCDEFGHIJK", .latitude = 1 << 30, .longitude = -(1 << 30), .altitude = 9999.0, .symbol = 106},
      {.name = "ABCDEFGHIJKL", .latitude = INT32_MIN, .longitude = INT32_MAX, .altitude = 9999.5, .symbol = 48},
      {.name = "ABCDEFGHIJ\xA4\xA4", .altitude = 10000.0, .comment = "comment", .longHeader = true},
      {.name = "ABCDEFGHIJ\xA4", .altitude = 123.456, .symbol = 0x1FF, .tailLength = 18},
      {.name = "\xA5\xC9\xA4\x73", .altitude = nan, .tailLength = 17},
      {.name = "TEN_BYTES!", .altitude = inf, .tailLength = 0},
      {.name = "HUGE", .altitude = -1e40, .symbol = 0xFFFF, .tailLength = 60},
      {.name = "NEG", .latitude = -1, .longitude = -1, .altitude = -0.0, .longHeader = true, .tailLength = 19},
  };
  for (const WaypointFields& w : waypoints) shapes.Waypoint(w);
  PutMps(dir, "waypoint_shapes.mps", MpsBuilder(shapes).End().bytes());
  for (std::size_t i = 0; i < waypoints.size(); ++i) {
    Put(dir, "waypoint_" + std::to_string(i) + ".mps", MpsBuilder().Header().Waypoint(waypoints[i]).End().bytes());
  }
  // A 29-byte header needs 48 bytes after an empty name; 47 fail.
  Bytes shortLong = ridloe::testing::WaypointPayload({.longHeader = true, .tailLength = 0});
  shortLong.pop_back();
  Put(dir, "waypoint_long_header_short.mps", MpsBuilder().Header().Record('W', shortLong).bytes());
  Put(dir, "waypoint_no_nul.mps", MpsBuilder().Header().Record('W', {'A', 'B', 'C'}).bytes());
  // Version 3: a 22-byte header after the name, whatever its byte 4 holds.
  MpsBuilder v3;
  v3.Header('d');
  for (WaypointFields w : waypoints) {
    w.version3Header = true;
    v3.Waypoint(w);
  }
  Put(dir, "version3_waypoints.mps", v3.Track(Track("V3", 2)).End().bytes());
  Bytes v3Smallest = ridloe::testing::WaypointPayload({.version3Header = true, .tailLength = 0});
  Put(dir, "version3_smallest.mps", MpsBuilder().Header('d').Record('W', v3Smallest).End().bytes());
  v3Smallest.pop_back();
  Put(dir, "version3_short.mps", MpsBuilder().Header('d').Record('W', v3Smallest).bytes());

  // Tracks, 'L' records and the full order of runs.
  MpsBuilder full = WithOneWaypoint();
  full.Track(Track("", 0)).Track(Track("TRACK", 2)).Track(Track(std::string(40, 'N'), 3));
  full.Track(Track("\xB6\xB3\xA4\x73\xA8\x42\xB9\x44", 5));
  full.L({.text1 = "a", .text2 = "bc", .text3 = "def"}).L({}).L({.tail = Bytes(12, 7)});
  PutMps(dir, "full.mps", MpsBuilder(full).End().bytes());
  TrackFields times = Track("TIMES", 0);
  for (std::uint32_t t : {0u, 57599u, 57600u, 1000000000u, 0xFFFFFFFFu}) {
    times.points.push_back({.latitude = 1 << 30, .longitude = INT32_MIN, .altitude = 1e300, .time = t});
  }
  PutMps(dir, "track_times.mps", WithOneWaypoint().Track(times).End().bytes());
  Put(dir, "tracks_without_waypoints.mps", MpsBuilder().Header().Track(Track("T", 2)).End().bytes());
  // Routes between the waypoints and the tracks: points placed by their
  // links, by the link before, or by the waypoint they name; damaged ones.
  const ridloe::testing::RouteFields route{
      .name = "ROUTE",
      .points = {{.name = "WP", .latitude = 1, .longitude = 2, .altitude = 3, .shapeBlocks = 2},
                 {.name = "\xA5\xC9\xA4\x73", .latitude = (1 << 30) + 5, .longitude = -4, .noAltitude = true},
                 {.name = "END", .latitude = -(1 << 30), .longitude = INT32_MIN}}};
  PutMps(dir, "routes_then_tracks.mps",
         WithOneWaypoint().Route(route).Route({.name = "ONE", .points = {{.name = "WP"}}}).Route({}).Track(Track("AFTER", 1)).End().bytes());
  ridloe::testing::RouteFields longHeaders = route;
  longHeaders.longHeader = true;
  PutMps(dir, "route_long_headers.mps", WithOneWaypoint().Route(longHeaders).End().bytes());
  ridloe::testing::RouteFields v3Route = route;
  v3Route.version3Header = true;
  PutMps(dir, "route_version3.mps", MpsBuilder().Header('d').Route(v3Route).End().bytes());
  Put(dir, "routes_only.mps", MpsBuilder().Header('g').Route(route).End().bytes());
  Bytes routeCut = ridloe::testing::RoutePayload(route);
  routeCut.pop_back();
  Put(dir, "route_cut.mps", WithOneWaypoint().Record('R', routeCut).End().bytes());
  Put(dir, "route_junk.mps", WithOneWaypoint().Record('R', Bytes(40, 0xFF)).End().bytes());
  Put(dir, "waypoints_then_l.mps", WithOneWaypoint().L({.value1 = 1, .value2 = 2}).End().bytes());
  Bytes track61 = ridloe::testing::TrackPayload(Track("BAD", 2));
  track61.pop_back();
  Put(dir, "track_61_bytes.mps", WithOneWaypoint().Record('T', track61).bytes());
  Bytes wrap = ridloe::testing::TrackPayload(Track("WRAP", 0));
  ridloe::StoreU32(wrap.data() + wrap.size() - 4, 138547333u);  // 31 times it wraps to 27 in 32 bits
  wrap.resize(wrap.size() + 27);
  Put(dir, "track_count_wraps.mps", WithOneWaypoint().Record('T', wrap).bytes());
  Put(dir, "l_10_bytes.mps", WithOneWaypoint().Record('L', Bytes(10, 0)).bytes());

  // A record that cannot be framed ends its run and fails the load as cut
  // short, unless a 'V' record came before it.
  Put(dir, "zero_length_in_run.mps", WithOneWaypoint().Frame(0, 'W').Waypoint({.name = "AFTER"}).bytes());
  Put(dir, "claims_4gb.mps", WithOneWaypoint().Frame(0xFFFFFFFFu, 'W').Raw(Bytes(40, 0)).bytes());
  Put(dir, "track_claims_4gb.mps", WithOneWaypoint().Frame(0xFFFFFFFFu, 'T').Raw(Bytes(40, 0)).bytes());
  Put(dir, "truncated_frame.mps", WithOneWaypoint().Raw({5, 0, 0}).bytes());
  Put(dir, "cut_after_l.mps", WithOneWaypoint().L({}).Record('Z', {1}).Frame(9, 'V').Raw({0, 1}).bytes());
  Put(dir, "junk_after_v.mps", WithOneWaypoint().End().Frame(0, 'W').Raw({1}).bytes());
  Put(dir, "many_tiny_records.mps", [] {
    MpsBuilder b = WithOneWaypoint();
    for (int i = 0; i < 200; ++i) b.Record('L', {static_cast<std::uint8_t>(i)});
    return b.bytes();
  }());
}

// A 16-byte section block: the marker and 11 zero bytes.
Bytes Block(const std::uint8_t* marker) {
  Bytes block(ridloe::kWtrBlockSize, 0);
  std::memcpy(block.data(), marker, ridloe::kWtrMarkerSize);
  return block;
}

// The WTR writer writes waypoints only; track contents are spliced in after
// the track section block, with the route block after the last point.
Bytes WithTrack(Bytes wtr, const std::string& name, int points, bool closed = true) {
  wtr.resize(wtr.size() - ridloe::kWtrBlockSize);  // drop the route block
  Bytes header(ridloe::kWtrFirstPointOffset, 0);
  std::memcpy(header.data(), ridloe::kWtrTrackHeaderMarker, ridloe::kWtrMarkerSize);
  std::memcpy(header.data() + ridloe::kWtrTrackNameOffset, name.data(), std::min<std::size_t>(name.size(), 16));
  wtr.insert(wtr.end(), header.begin(), header.end());
  for (int k = 0; k < points; ++k) {
    std::uint8_t point[ridloe::kWtrPointSize] = {};
    ridloe::StoreI32(point, -k * 1000);
    ridloe::StoreI32(point + 4, k * 1000);
    ridloe::StoreU32(point + 8, 57600u + static_cast<std::uint32_t>(k));
    ridloe::StoreF32(point + 12, 10000.0f + static_cast<float>(k));
    wtr.insert(wtr.end(), point, point + sizeof point);
  }
  if (closed) {
    const Bytes block = Block(ridloe::kWtrRouteMarker);
    wtr.insert(wtr.end(), block.begin(), block.end());
  }
  return wtr;
}

Bytes Encode(const std::vector<ridloe::WaypointRecord>& records) {
  ridloe::WtrDocument document;
  document.waypointCount = static_cast<std::int32_t>(records.size());
  document.waypoints = ridloe::AllocateZeroed<ridloe::WaypointRecord>(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) document.waypoints[i] = records[i];
  Bytes out;
  if (!ridloe::testing::WrittenBytes(ridloe::kWtrFormat, document, {.routes = false}, out)) failed = true;
  return out;
}

void WtrSeeds(const fs::path& dir) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<ridloe::WaypointRecord> records = {
      {"AB", 1, 2, 3.0f, 8246},
      {"ABCDEFGHIJK", 1 << 30, -(1 << 30), 9999.0f, 161},
      {"\xA5\xC9\xA4\x73", INT32_MIN, INT32_MAX, 10000.0f, 18},
      {"ABCDEFGHI\xA4\xA4", -1, -1, nan, 0xFFFF},
      {"", 0, 0, -std::numeric_limits<float>::max(), 0},
  };
  const Bytes all = Encode(records);
  Put(dir, "waypoints.wtr", all);
  Put(dir, "one.wtr", Encode({records[0]}));
  Put(dir, "track.wtr", WithTrack(all, "TRACK", 3));
  Put(dir, "track_long_name.wtr", WithTrack(Encode({records[1]}), std::string(16, 'N'), 1));
  Put(dir, "track_no_points.wtr", WithTrack(Encode({records[2]}), "EMPTY", 0));
  Put(dir, "track_unclosed.wtr", WithTrack(all, "OPEN", 2, false));
  Bytes empty = Block(ridloe::kWtrWaypointMarker);
  for (const std::uint8_t* marker : {ridloe::kWtrTrackMarker, ridloe::kWtrRouteMarker}) {
    const Bytes block = Block(marker);
    empty.insert(empty.end(), block.begin(), block.end());
  }
  Put(dir, "empty_section_with_track.wtr", WithTrack(empty, "IGNORED", 2));
  Put(dir, "marker_only.wtr", Bytes(ridloe::kWtrWaypointMarker, ridloe::kWtrWaypointMarker + 5));
  Bytes unclosed = all;
  unclosed.resize(ridloe::kWtrBlockSize + 2 * ridloe::kWtrRecordSize + 7);
  Put(dir, "no_track_marker.wtr", unclosed);
}

void GpxSeeds(const fs::path& dir) {
  using ridloe::testing::AsBytes;
  using ridloe::testing::GpxText;
  for (std::size_t i = 0; i < gpxFromMps.size(); ++i) Put(dir, "from_mps_" + std::to_string(i) + ".gpx", gpxFromMps[i]);
  const std::string wpt = "<wpt lat=\"24.07\" lon=\"121.07\"><ele>1500.5</ele><name>WT1</name></wpt>";
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += "<a>";
  const std::string trk =
      "<trk><name>T</name><trkseg><trkpt lat=\"1\" lon=\"2\"><ele>3</ele><time>2007-03-04T15:59:55Z</time></trkpt>"
      "</trkseg><trkseg/></trk>";
  const std::pair<const char*, std::string> texts[] = {
      {"gpx11", GpxText(wpt + "<rte><rtept lat=\"0\" lon=\"0\"/></rte>" + trk)},
      {"gpx10", GpxText(wpt + trk, "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">")},
      {"no_namespace", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- c --><gpx>" + wpt + "</gpx>"},
      {"prefixed", "<g:gpx xmlns:g=\"http://www.topografix.com/GPX/1/1\"><g:wpt lat=\"1\" lon=\"2\"><g:name>P</g:name>"
                   "</g:wpt><wpt lat=\"3\" lon=\"4\"/></g:gpx>"},
      {"text", GpxText("<wpt lat=\" +90 \" lon=\"-180.0\"><name> A &amp; &#x7389; <![CDATA[<B>]]><!-- x --> </name>"
                       "<cmt>line&#13;\nnext</cmt><desc>d</desc><sym>Summit</sym><extensions><r:mpsSymbol "
                       "xmlns:r=\"urn:x-ridloe:gpx-extensions:1\">106</r:mpsSymbol></extensions></wpt>")},
      {"symbols", GpxText("<wpt lat=\"0\" lon=\"0\"><sym>scenic area</sym></wpt><wpt lat=\"0\" lon=\"0\"><extensions>"
                          "<r:mpsSymbol xmlns:r=\"urn:x-ridloe:gpx-extensions:1\">65535</r:mpsSymbol></extensions></wpt>")},
      {"times", GpxText("<trk><trkseg><trkpt lat=\"0\" lon=\"0\"><time>2007-03-04T23:59:55.75+08:00</time></trkpt>"
                        "<trkpt lat=\"0\" lon=\"0\"><time>1969-12-31T23:59:59Z</time></trkpt>"
                        "<trkpt lat=\"0\" lon=\"0\"><time>2007-03-04T15:59:55.123456789+0000</time></trkpt>"
                        "<trkpt lat=\"0\" lon=\"0\"><time>2007-03-04T15:59:55-05</time></trkpt>"
                        "<trkpt lat=\"0\" lon=\"0\"><time>2106-02-07T06:28:15Z</time></trkpt></trkseg></trk>")},
      {"routes", GpxText("<wpt lat=\"1\" lon=\"2\"><name>A</name></wpt><rte><name>R</name><rtept lat=\"1\" lon=\"2\">"
                         "<name>A</name></rtept><rtept lat=\"3\" lon=\"4\"><ele>5</ele><name>B&#10;</name><sym>Summit</sym>"
                         "<extensions><r:mpsSymbol xmlns:r=\"urn:x-ridloe:gpx-extensions:1\">48</r:mpsSymbol></extensions>"
                         "</rtept></rte><rte/>")},
      {"poles", GpxText("<wpt lat=\"100\" lon=\"0\"/><rte><rtept lat=\"-200\" lon=\"0\"/></rte><trk><trkseg>"
                        "<trkpt lat=\"1\" lon=\"0\"/><trkpt lat=\"91\" lon=\"0\"/><trkpt lat=\"2\" lon=\"0\"/></trkseg>"
                        "<trkseg/><trkseg><trkpt lat=\"3\" lon=\"0\"/></trkseg></trk>")},
      {"windows_1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><gpx><wpt lat=\"0\" lon=\"0\"><name>Caf\xE9 \x80\x81"
                       "</name></wpt></gpx>"},
      {"big5", "<?xml version=\"1.0\" encoding=\"Big5\"?><gpx><wpt lat=\"0\" lon=\"0\"><name>\xA5\xC9\xA4\x73</name></wpt>"
               "</gpx>"},
      {"gb18030", "<?xml version=\"1.0\" encoding=\"GB18030\"?><gpx><wpt lat=\"0\" lon=\"0\"><name>\x81\x40\x81\x30\x81\x30"
                  "</name></wpt></gpx>"},
      {"numbers", GpxText("<wpt lat=\"1e2\" lon=\"540\"><ele>1e39</ele></wpt><wpt lat=\"0\" lon=\"0\"><ele>-0</ele></wpt>")},
      {"names", GpxText("<wpt lat=\"0\" lon=\"0\"><name>玉山主峰 😀 Ω</name></wpt><trk><name>雪山主峰線步道，從登山口到三六九山莊</name></trk>")},
      {"foreign", GpxText("<wpt xmlns=\"urn:other\" lat=\"1\" lon=\"2\"/><o:trk xmlns:o=\"urn:o\"/>")},
      {"no_lat", GpxText("<wpt lon=\"2\"/>")},
      {"inf_lon", GpxText("<wpt lat=\"1\" lon=\"inf\"/>")},
      {"bad_ele", GpxText("<wpt lat=\"1\" lon=\"2\"><ele>1,5</ele></wpt>")},
      {"mismatched", GpxText("<wpt lat=\"1\" lon=\"2\"></gpx>")},
      {"entities", "<!DOCTYPE gpx [<!ENTITY a \"aa\"><!ENTITY b \"&a;&a;\">]><gpx>" + wpt + "<wpt lat=\"0\" lon=\"0\">"
                   "<name>&b;</name></wpt></gpx>"},
      {"external", "<!DOCTYPE gpx SYSTEM \"gpx.dtd\"><gpx><wpt lat=\"0\" lon=\"0\"><name>&x;</name></wpt></gpx>"},
      {"doctype", "<!DOCTYPE gpx><gpx>" + wpt + "</gpx>"},
      {"kml", "<kml xmlns=\"http://www.opengis.net/kml/2.2\"/>"},
      {"deep", GpxText(deep)},
  };
  for (const auto& [name, text] : texts) Put(dir, std::string(name) + ".gpx", AsBytes(text));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* kind : {"mps", "wtr", "gpx"}) {
    fs::remove_all(root / kind);
    fs::create_directories(root / kind);
  }
  MpsSeeds(root / "mps");
  WtrSeeds(root / "wtr");
  GpxSeeds(root / "gpx");
  if (failed) return 1;
  std::printf("make_seeds: %d files in %s\n", written, root.string().c_str());
  return 0;
}
