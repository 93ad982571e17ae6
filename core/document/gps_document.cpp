#include "core/document/gps_document.h"

#include <utility>

#include "core/platform/file_access.h"

namespace ridloe {

bool GpsDocument::Load(const std::string& path, ListSink* waypointSink, ListSink* trackSink) {
  error_ = Error{};
  ByteBlock buffer;
  Error why;
  ReadOptions options;
  options.watch = [&](ByteSpan soFar, std::size_t most) { return Watch(soFar, most, waypointSink, trackSink); };
  if (!ReadWholeFile(path, buffer, &why, options)) return FailWith(why);
  return ParseBuffer(std::move(buffer), waypointSink, trackSink);
}

bool GpsDocument::Watch(ByteSpan, std::size_t, ListSink*, ListSink*) { return true; }

bool GpsDocument::ParseBuffer(ByteBlock buffer, ListSink* waypointSink, ListSink* trackSink) {
  return Parse(buffer.data(), buffer.size(), waypointSink, trackSink);
  // The buffer is released here, on every path.
}

WaypointText GpsDocument::TextOf(std::int32_t index) const {
  const WaypointRecord& w = waypoints[index];
  return {.name = FieldText(w.name)};
}

std::string_view GpsDocument::TrackNameOf(std::int32_t index) const {
  return FieldText(tracks[index].name);
}

std::string_view GpsDocument::RouteNameOf(std::int32_t index) const { return FieldText(routes[index].name); }

WaypointText GpsDocument::RoutePointTextOf(std::int32_t route, std::int32_t point) const {
  return {.name = FieldText(routes[route].points[point].name)};
}

PointCounts CountBeyondPoles(const GpsDocument& document, bool routes) {
  PointCounts beyond;
  for (std::int32_t i = 0; document.waypoints && i < document.waypointCount; ++i) {
    beyond.waypoints += BeyondPoles(document.waypoints[i].latitude);
  }
  for (std::int32_t j = 0; routes && document.routes && j < document.routeCount; ++j) {
    const RouteRecord& r = document.routes[j];
    for (std::int32_t k = 0; r.points && k < r.pointCount; ++k) beyond.routePoints += BeyondPoles(r.points[k].latitude);
  }
  for (std::int32_t j = 0; document.tracks && j < document.trackCount; ++j) {
    const TrackRecord& t = document.tracks[j];
    for (std::int32_t k = 0; t.points && k < t.pointCount; ++k) beyond.trackPoints += BeyondPoles(t.points[k].latitude);
  }
  return beyond;
}

}  // namespace ridloe
