#include "formats/fuzz/load_check.h"

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/document/line_format.h"
#include "core/document/list_sink.h"
#include "formats/gpx/gpx_document.h"
#include "formats/mps/mps_document.h"

namespace ridloe {
namespace {

template <typename T>
bool SameBits(T a, T b) {
  if constexpr (sizeof(T) == 8) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
  } else {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
  }
}

bool SameWaypoint(const WaypointRecord& a, const WaypointRecord& b) {
  return std::memcmp(a.name, b.name, sizeof a.name) == 0 && a.latitude == b.latitude &&
         a.longitude == b.longitude && SameBits(a.altitude, b.altitude) && a.symbol == b.symbol &&
         a.noAltitude == b.noAltitude;
}

bool SamePoint(const TrackPoint& a, const TrackPoint& b) {
  return a.latitude == b.latitude && a.longitude == b.longitude && SameBits(a.longitudeDegrees, b.longitudeDegrees) &&
         SameBits(a.latitudeDegrees, b.latitudeDegrees) && SameBits(a.altitude, b.altitude) && a.time == b.time &&
         a.hour == b.hour && a.minute == b.minute && a.second == b.second && a.noAltitude == b.noAltitude &&
         a.noTime == b.noTime && a.newSegment == b.newSegment;
}

// Field by field; the arrays must be present in both or absent in both.
std::string CompareDocuments(const GpsDocument& a, const GpsDocument& b) {
  if (a.waypointCount != b.waypointCount || !a.waypoints != !b.waypoints) return "waypoint counts differ";
  if (a.waypoints) {
    for (std::int32_t i = 0; i < a.waypointCount; ++i) {
      if (!SameWaypoint(a.waypoints[i], b.waypoints[i])) return "waypoint " + std::to_string(i) + " differs";
    }
  }
  if (a.routeCount != b.routeCount || !a.routes != !b.routes) return "route counts differ";
  for (std::int32_t j = 0; a.routes && j < a.routeCount; ++j) {
    const RouteRecord& s = a.routes[j];
    const RouteRecord& t = b.routes[j];
    if (std::memcmp(s.name, t.name, sizeof s.name) != 0 || s.pointCount != t.pointCount || !s.points != !t.points ||
        a.RouteNameOf(j) != b.RouteNameOf(j)) {
      return "route " + std::to_string(j) + " differs";
    }
    for (std::int32_t k = 0; s.points && k < s.pointCount; ++k) {
      if (!SameWaypoint(s.points[k], t.points[k]) || a.RoutePointTextOf(j, k).name != b.RoutePointTextOf(j, k).name) {
        return "route " + std::to_string(j) + " point differs";
      }
    }
  }
  if (a.trackCount != b.trackCount || !a.tracks != !b.tracks) return "track counts differ";
  if (!a.tracks) return {};
  for (std::int32_t j = 0; j < a.trackCount; ++j) {
    const TrackRecord& s = a.tracks[j];
    const TrackRecord& t = b.tracks[j];
    if (std::memcmp(s.name, t.name, sizeof s.name) != 0 || s.pointCount != t.pointCount || !s.points != !t.points) {
      return "track " + std::to_string(j) + " differs";
    }
    for (std::int32_t k = 0; s.points && k < s.pointCount; ++k) {
      if (!SamePoint(s.points[k], t.points[k])) return "track " + std::to_string(j) + " point differs";
    }
  }
  return {};
}

// Names are NUL-terminated inside their fields.
std::string CheckNames(const GpsDocument& d) {
  for (std::int32_t i = 0; d.waypoints && i < d.waypointCount; ++i) {
    if (!std::memchr(d.waypoints[i].name, 0, sizeof d.waypoints[i].name)) return "waypoint name is not terminated";
  }
  for (std::int32_t j = 0; d.routes && j < d.routeCount; ++j) {
    const RouteRecord& r = d.routes[j];
    if (!std::memchr(r.name, 0, sizeof r.name) || r.pointCount < 0) return "route name is not terminated";
    for (std::int32_t k = 0; r.points && k < r.pointCount; ++k) {
      if (!std::memchr(r.points[k].name, 0, sizeof r.points[k].name)) return "route point name is not terminated";
    }
  }
  for (std::int32_t j = 0; d.tracks && j < d.trackCount; ++j) {
    if (!std::memchr(d.tracks[j].name, 0, sizeof d.tracks[j].name)) return "track name is not terminated";
    if (d.tracks[j].pointCount < 0) return "negative point count";
  }
  return {};
}

// Lines of 8-bit text fit the line buffer; UTF-8 lines carry whole names.
std::string CheckLines(const VectorListSink& sink, std::size_t most, const GpsDocument& d, bool tracks) {
  if (sink.lines.size() > most) return "more lines than records";
  for (std::size_t i = 0; i < sink.lines.size(); ++i) {
    const std::string& line = sink.lines[i];
    if (!d.TextIsUtf8() && line.size() >= kLineBufferSize) return "line longer than its buffer";
    const auto index = static_cast<std::int32_t>(i);
    if (d.TextIsUtf8() && line.rfind(tracks ? d.TrackNameOf(index) : d.TextOf(index).name, 0) != 0) {
      return "line does not start with the whole name";
    }
  }
  return {};
}

}  // namespace

std::string CheckLoad(const Format& format, const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<GpsDocument> plain = format.makeReader();
  const bool plainOk = plain->Parse(data, size, nullptr, nullptr);
  // A result and its reason must agree: no failure reported as success.
  if (plainOk == plain->error().failed()) return "result and error disagree: " + plain->error().Describe();
  if (!plainOk && plain->error().Describe().empty()) return "failure without a reason";

  VectorListSink waypointLines;
  VectorListSink trackLines;
  std::unique_ptr<GpsDocument> listed = format.makeReader();
  const bool listedOk = listed->Parse(data, size, &waypointLines, &trackLines);
  if (plainOk != listedOk) return "sinks change the result";
  if (std::string why = CompareDocuments(*plain, *listed); !why.empty()) return "sinks change the document: " + why;
  if (std::string why = CheckNames(*plain); !why.empty()) return why;

  // Every waypoint converted is listed; a track is listed once converted.
  const std::size_t waypoints = plain->waypoints ? static_cast<std::size_t>(plain->waypointCount) : 0;
  if (waypointLines.lines.size() != waypoints) return "waypoint lines do not match the waypoints";
  if (std::string why = CheckLines(waypointLines, waypoints, *plain, false); !why.empty()) return why;
  const std::size_t tracks = plain->tracks ? static_cast<std::size_t>(plain->trackCount) : 0;
  if (std::string why = CheckLines(trackLines, tracks, *plain, true); !why.empty()) return why;
  if (&format == &kMpsFormat && plain->trackCount > MpsDocument::kMaxTracks && plain->tracks) {
    return "more tracks than a document holds";
  }
  return {};
}

void Require(const char* target, const std::string& why) {
  if (why.empty()) return;
  std::fprintf(stderr, "%s: %s\n", target, why.c_str());
  std::abort();
}

}  // namespace ridloe
