// The WTR writer: a waypoint section block, one 64-byte record per waypoint
// (and per route point not among them), then the empty track and route
// section blocks.
#include <cstring>
#include <functional>
#include <unordered_map>

#include "core/bytes/byte_store.h"
#include "core/text/cp950.h"
#include "formats/symbols.h"
#include "formats/wtr/wtr_document.h"
#include "formats/wtr/wtr_format.h"

namespace ridloe {

namespace {

// A point by its whole name and its place.
struct PlaceKey {
  std::string_view name;
  std::int32_t latitude;
  std::int32_t longitude;
  bool operator==(const PlaceKey&) const = default;
};

struct PlaceHash {
  std::size_t operator()(const PlaceKey& k) const {
    const std::size_t h = std::hash<std::string_view>()(k.name);
    return h ^ (static_cast<std::size_t>(static_cast<std::uint32_t>(k.latitude)) * 0x9E3779B97F4A7C15ull) ^
           static_cast<std::uint32_t>(k.longitude);
  }
};

}  // namespace

std::vector<const WaypointRecord*> RoutePointsForWtr(const GpsDocument& document) {
  std::vector<const WaypointRecord*> points;
  if (document.RoutePointsAreWaypoints() || !document.routes) return points;
  // The route points first, as few as they are; then one pass over the
  // waypoints strikes those already among them.
  std::unordered_map<PlaceKey, std::size_t, PlaceHash> index;
  for (std::int32_t j = 0; j < document.routeCount; ++j) {
    const RouteRecord& r = document.routes[j];
    for (std::int32_t k = 0; r.points && k < r.pointCount; ++k) {
      const WaypointRecord& p = r.points[k];
      if (index.emplace(PlaceKey{document.RoutePointTextOf(j, k).name, p.latitude, p.longitude}, points.size()).second) {
        points.push_back(&p);
      }
    }
  }
  if (points.empty()) return points;
  for (std::int32_t i = 0; document.waypoints && i < document.waypointCount; ++i) {
    const WaypointRecord& w = document.waypoints[i];
    const auto found = index.find(PlaceKey{document.TextOf(i).name, w.latitude, w.longitude});
    if (found != index.end()) points[found->second] = nullptr;
  }
  std::erase(points, nullptr);
  return points;
}

namespace {

// One 64-byte record.
void FillRecord(std::uint8_t (&record)[kWtrRecordSize], const WaypointRecord& w, std::uint16_t symbol) {
  // Ten name bytes padded with spaces. A name that fits is written byte for
  // byte; a longer one is cut after its last whole character, so a two-byte
  // character across bytes 9 and 10 is left out rather than split.
  const std::string_view name = FieldText(w.name);
  const std::size_t keep = FitName(name, kWtrNameSize);
  std::memcpy(record, name.data(), keep);
  std::memset(record + keep, ' ', kWtrNameSize - keep);
  // The reader takes a record that starts with the track section marker for
  // the end of the waypoints, and would lose this one and all after it. Only
  // a name whose first byte is 0xFF, which is no part of any character, can
  // start that way; that byte is written as '?'.
  if (std::memcmp(record, kWtrTrackMarker, kWtrMarkerSize) == 0) record[0] = '?';
  StoreI32(record + kWtrLatitudeOffset, w.latitude);
  StoreI32(record + kWtrLongitudeOffset, w.longitude);
  StoreF32(record + kWtrAltitudeOffset, w.altitude);
  StoreU16(record + kWtrSymbolOffset, symbol);
}

}  // namespace

bool WriteWtr(const GpsDocument& document, const WriteOptions& options, ByteSink& out) {
  const std::int32_t waypoints = document.waypoints ? document.waypointCount : 0;
  const std::vector<const WaypointRecord*> routePoints =
      options.routes ? RoutePointsForWtr(document) : std::vector<const WaypointRecord*>{};
  if (waypoints <= 0 && routePoints.empty()) return false;
  std::uint8_t block[kWtrBlockSize] = {};
  std::memcpy(block, kWtrWaypointMarker, kWtrMarkerSize);
  if (!out.Write(block, sizeof block)) return false;
  std::uint8_t record[kWtrRecordSize] = {};
  for (std::int32_t i = 0; i < waypoints; ++i) {
    FillRecord(record, document.waypoints[i], document.waypoints[i].symbol);
    if (!out.Write(record, sizeof record)) return false;
  }
  // Route points keep the codes they were loaded with.
  for (const WaypointRecord* p : routePoints) {
    FillRecord(record, *p, WtrSymbolCode(p->symbol, document.symbolNumbering()));
    if (!out.Write(record, sizeof record)) return false;
  }
  std::memcpy(block, kWtrTrackMarker, kWtrMarkerSize);
  if (!out.Write(block, sizeof block)) return false;
  std::memcpy(block, kWtrRouteMarker, kWtrMarkerSize);
  return out.Write(block, sizeof block);
}

bool WtrDocument::SaveWtr(const std::string& path, Error* why) const {
  if (waypointCount <= 0 || !waypoints) {
    if (why) *why = Error(Step::kWrite, "no waypoints to write");
    return false;
  }
  AtomicFileWriter out(path);
  const bool ok = out.Open() && WriteWtr(*this, {.routes = false}, out) && out.Commit();
  if (!ok && why) *why = out.error();
  return ok;
}

const Format kWtrFormat = {
    .name = "WTR",
    .option = "wtr",
    .extension = ".wtr",
    .recognise = [](ByteSpan firstBytes) { return ByteCursor(firstBytes).StartsWith(kWtrWaypointMarker); },
    .mayBegin = nullptr,
    .makeReader = []() -> std::unique_ptr<GpsDocument> { return std::make_unique<WtrDocument>(); },
    .write = &WriteWtr,
    .writerReads = LoadParts::kWaypointsAndCounts,
    .writesTracks = false,
    .deviceCodes = true,
    .routePoints = [](const GpsDocument& document) { return RoutePointsForWtr(document).size(); },
};

WaypointText WtrDocument::TextOf(std::int32_t index) const {
  std::string_view name = FieldText(waypoints[index].name);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return {.name = name};
}

}  // namespace ridloe
