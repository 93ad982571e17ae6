#include "cli/json_output.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/text/cp950.h"

namespace ridloe::cli {
namespace {

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

nlohmann::json Coordinate(std::int32_t semicircles, double degrees) {
  return {{"semicircles", semicircles}, {"degrees", degrees}};
}

}  // namespace

nlohmann::json DocumentToJson(const GpsDocument& document, const char* encoding, bool ok) {
  if (document.TextIsUtf8()) encoding = "UTF-8";
  auto decode = [encoding](std::string_view raw) {
    std::string text;
    DecodeToUtf8(raw, encoding, text);
    return text;
  };
  nlohmann::json waypoints = nlohmann::json::array();
  for (std::int32_t i = 0; document.waypoints && i < document.waypointCount; ++i) {
    const WaypointRecord& w = document.waypoints[i];
    const std::string_view name = document.TextOf(i).name;
    waypoints.push_back({{"name", decode(name)},
                         {"name_hex", Hex(name)},
                         {"latitude", Coordinate(w.latitude, SemicirclesToDegrees(w.latitude))},
                         {"longitude", Coordinate(w.longitude, SemicirclesToDegrees(w.longitude))},
                         {"altitude", w.noAltitude ? nlohmann::json() : nlohmann::json(w.altitude)},
                         {"symbol", w.symbol}});
  }
  nlohmann::json tracks = nlohmann::json::array();
  for (std::int32_t j = 0; document.tracks && j < document.trackCount; ++j) {
    const TrackRecord& t = document.tracks[j];
    const std::string_view name = document.TrackNameOf(j);
    nlohmann::json points = nlohmann::json::array();
    for (std::int32_t k = 0; t.points && k < t.pointCount; ++k) {
      const TrackPoint& p = t.points[k];
      char clock[16];
      std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", p.hour, p.minute, p.second);
      points.push_back({{"latitude", Coordinate(p.latitude, p.latitudeDegrees)},
                        {"longitude", Coordinate(p.longitude, p.longitudeDegrees)},
                        {"altitude", p.noAltitude ? nlohmann::json() : nlohmann::json(p.altitude)},
                        {"time", p.noTime ? nlohmann::json() : nlohmann::json(p.time)},
                        {"time_of_day", p.noTime ? nlohmann::json() : nlohmann::json(clock)}});
    }
    tracks.push_back({{"name", decode(name)}, {"name_hex", Hex(name)}, {"point_count", t.pointCount},
                      {"points", std::move(points)}});
  }
  nlohmann::json out = {{"loaded", ok},
                        {"waypoint_count", document.waypointCount},
                        {"track_count", document.trackCount},
                        {"waypoints", std::move(waypoints)},
                        {"tracks", std::move(tracks)}};
  if (!ok) out["error"] = document.error().Describe();
  return out;
}

}  // namespace ridloe::cli
