#include "formats/fuzz/roundtrip_check.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/document/line_format.h"
#include "core/platform/transcode.h"
#include "core/text/cp950.h"
#include "formats/format_registry.h"
#include "formats/gpx/gpx_document.h"
#include "formats/gpx/gpx_format.h"
#include "formats/symbols.h"
#include "formats/wtr/wtr_document.h"
#include "formats/wtr/wtr_format.h"

namespace ridloe {
namespace {

std::string At(std::int32_t i, const char* what) { return "waypoint " + std::to_string(i) + ": " + what; }

// The 12-byte name field the reader fills from what the writer wrote: the
// name cut to 10 bytes on a whole character, padded with spaces, then zeros.
// A name that would read as the track section marker has its 0xFF written as '?'.
void ExpectedName(const WaypointRecord& w, char (&out)[sizeof w.name]) {
  std::memset(out, 0, sizeof out);
  const std::size_t keep = FitName(FieldText(w.name), kWtrNameSize);
  std::memcpy(out, w.name, keep);
  std::memset(out + keep, ' ', kWtrNameSize - keep);
  if (std::memcmp(out, kWtrTrackMarker, kWtrMarkerSize) == 0) out[0] = '?';
}

// The reader keeps altitudes up to 9999 as read and stores 0 above that.
// NaN compares by kind only: its payload may be quietened on the way.
bool SameAltitude(float written, float read) {
  const float expected = static_cast<float>(AltitudeShown(written));
  if (std::isnan(expected)) return std::isnan(read);
  return std::bit_cast<std::uint32_t>(expected) == std::bit_cast<std::uint32_t>(read);
}

// Text as GPX gives it back: decoded from `codePage` where it is 8-bit,
// what XML 1.0 cannot hold (C0 controls but tab, line feed and carriage
// return; U+FFFE, U+FFFF; bytes that are no UTF-8) as U+FFFD, and trimmed of
// white space.
std::string AsGpxGivesBack(const GpsDocument& d, std::string_view raw, const char* codePage) {
  std::string text;
  if (d.TextIsUtf8()) {
    text = raw;
  } else {
    TranscodeToUtf8(raw, codePage, text);
  }
  std::string clean;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const std::size_t n = Utf8Length(std::string_view(text).substr(i));
    const std::string_view c = std::string_view(text).substr(i, n);
    const bool control = b < 0x20 && b != '\t' && b != '\n' && b != '\r';
    const bool broken = b >= 0x80 && (n == 1 || c == "\xEF\xBF\xBE" || c == "\xEF\xBF\xBF" ||
                                      (b == 0xED && static_cast<unsigned char>(c[1]) >= 0xA0) ||
                                      (b == 0xE0 && static_cast<unsigned char>(c[1]) < 0xA0) ||
                                      (b == 0xF0 && static_cast<unsigned char>(c[1]) < 0x90) ||
                                      (b == 0xF4 && static_cast<unsigned char>(c[1]) >= 0x90));
    clean += control || broken ? std::string_view("\xEF\xBF\xBD") : c;
    i += n;
  }
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!clean.empty() && space(clean.back())) clean.pop_back();
  std::size_t start = 0;
  while (start < clean.size() && space(clean[start])) ++start;
  return clean.substr(start);
}

// Whether the altitude read back is the one written: bit for bit, or left
// out where there was none or GPX cannot hold it (not a number, infinite, or
// more than the 18 digits a decimal is written with).
bool SameGpxAltitude(float written, bool none, float read, bool readNone) {
  if (!readNone) return !none && std::bit_cast<std::uint32_t>(written) == std::bit_cast<std::uint32_t>(read);
  const float size = std::fabs(written);
  return none || !std::isfinite(written) || size >= 1e18f || (size > 0 && size < 1e-6f);
}

// Compares a waypoint or route point read back with the one written.
std::string SameWaypoint(const GpsDocument& d, const WaypointRecord& w, const WaypointText& text, std::uint16_t code,
                         const WaypointRecord& r, const WaypointText& read, const char* codePage) {
  if (w.latitude != r.latitude || w.longitude != r.longitude) return "position differs";
  if (!SameGpxAltitude(w.altitude, w.noAltitude, r.altitude, r.noAltitude)) return "altitude differs";
  if (&d.symbolNumbering() == &kMpsNumbering && r.symbol != code) return "symbol differs";
  if (read.name != AsGpxGivesBack(d, text.name, codePage)) return "name differs";
  if (read.comment != AsGpxGivesBack(d, text.comment, codePage)) return "comment differs";
  return {};
}

}  // namespace

std::string CheckGpxRoundTrip(const GpsDocument& document, const char* codePage) {
  std::string gpx;
  if (!Encode(kGpxFormat, document, {codePage}, gpx)) {
    // A code page this system does not know (GB18030 under Wine) writes nothing.
    std::string probe;
    return !document.TextIsUtf8() && !TranscodeToUtf8("", codePage, probe) ? "" : "the GPX writer failed";
  }
  std::string again;
  Encode(kGpxFormat, document, {codePage}, again);
  if (again != gpx) return "the same document gave other bytes";
  GpxDocument back;
  if (!back.Parse(reinterpret_cast<const std::uint8_t*>(gpx.data()), gpx.size(), nullptr, nullptr)) {
    return "GPX reader refused the written bytes: " + back.error().Describe();
  }
  // Every point is written as it stands, and a latitude beyond ±90° is left
  // out when read back.
  PointCounts beyond;
  std::int32_t read = 0;
  for (std::int32_t i = 0; document.waypoints && i < document.waypointCount; ++i) {
    const WaypointRecord& w = document.waypoints[i];
    if (BeyondPoles(w.latitude)) {
      ++beyond.waypoints;
      continue;
    }
    if (read >= back.waypointCount) return "waypoint counts differ";
    const std::string why = SameWaypoint(document, w, document.TextOf(i), document.SymbolAsLoaded(i),
                                         back.waypoints[read], back.TextOf(read), codePage);
    if (!why.empty()) return At(i, why.c_str());
    ++read;
  }
  if (read != back.waypointCount) return "waypoint counts differ";
  const std::int32_t routes = document.routes ? document.routeCount : 0;
  if (back.routeCount != routes) return "route counts differ";
  for (std::int32_t j = 0; j < routes; ++j) {
    const RouteRecord& r = document.routes[j];
    const RouteRecord& b = back.routes[j];
    const std::string route = "route " + std::to_string(j);
    if (back.RouteNameOf(j) != AsGpxGivesBack(document, document.RouteNameOf(j), codePage)) return route + ": name differs";
    std::int32_t kept = 0;
    for (std::int32_t k = 0; r.points && k < r.pointCount; ++k) {
      if (BeyondPoles(r.points[k].latitude)) {
        ++beyond.routePoints;
        continue;
      }
      if (kept >= b.pointCount) return route + ": point counts differ";
      const std::string why = SameWaypoint(document, r.points[k], document.RoutePointTextOf(j, k), r.points[k].symbol,
                                           b.points[kept], back.RoutePointTextOf(j, kept), codePage);
      if (!why.empty()) return route + ": point " + std::to_string(k) + ": " + why;
      ++kept;
    }
    if (kept != b.pointCount) return route + ": point counts differ";
  }
  const std::int32_t tracks = document.tracks ? document.trackCount : 0;
  if (back.trackCount != tracks) return "track counts differ";
  for (std::int32_t j = 0; j < tracks; ++j) {
    const TrackRecord& t = document.tracks[j];
    const TrackRecord& r = back.tracks[j];
    const std::string track = "track " + std::to_string(j);
    if (back.TrackNameOf(j) != AsGpxGivesBack(document, document.TrackNameOf(j), codePage)) return track + ": name differs";
    std::int32_t kept = 0;
    bool segmentBreak = false;  // since the last point kept
    for (std::int32_t k = 0; t.points && k < t.pointCount; ++k) {
      const TrackPoint& p = t.points[k];
      segmentBreak = segmentBreak || (k > 0 && p.newSegment);
      if (BeyondPoles(p.latitude)) {
        ++beyond.trackPoints;
        segmentBreak = true;  // a point left out ends its segment
        continue;
      }
      if (kept >= r.pointCount) return track + ": point counts differ";
      const TrackPoint& q = r.points[kept];
      if (p.latitude != q.latitude || p.longitude != q.longitude) return track + ": point position differs";
      if (!SameGpxAltitude(p.altitude, p.noAltitude, q.altitude, q.noAltitude)) {
        return track + ": point altitude differs";
      }
      if (p.noTime != q.noTime || (!p.noTime && p.time != q.time)) return track + ": point time differs";
      if (q.newSegment != (segmentBreak && kept > 0)) return track + ": segments differ";
      segmentBreak = false;
      ++kept;
    }
    if (kept != r.pointCount) return track + ": point counts differ";
  }
  if (back.beyondPoles.waypoints != beyond.waypoints || back.beyondPoles.routePoints != beyond.routePoints ||
      back.beyondPoles.trackPoints != beyond.trackPoints) {
    return "the points left out for their latitude differ";
  }
  return {};
}

std::string CheckWtrRoundTrip(const GpsDocument& document) {
  const std::vector<const WaypointRecord*> routePoints = RoutePointsForWtr(document);
  const std::int32_t waypoints = document.waypoints ? document.waypointCount : 0;
  if (waypoints <= 0 && routePoints.empty()) return "document has nothing to write";
  const std::size_t records = static_cast<std::size_t>(waypoints) + routePoints.size();
  std::string written;
  if (!Encode(kWtrFormat, document, {}, written)) return "the WTR writer failed";
  const std::vector<std::uint8_t> bytes(written.begin(), written.end());
  if (bytes.size() != WtrFileSize(records)) {
    return "encoded " + std::to_string(bytes.size()) + " bytes for " + std::to_string(records) + " records";
  }
  WtrDocument back;
  if (!back.Parse(bytes.data(), bytes.size(), nullptr, nullptr)) {
    return "WTR reader refused the written bytes: " + back.error().Describe();
  }
  if (static_cast<std::size_t>(back.waypointCount) != records || !back.waypoints) {
    return "wrote " + std::to_string(records) + " records, read back " + std::to_string(back.waypointCount);
  }
  if (back.trackCount != 0) return "a file without tracks read back with a track";
  for (std::size_t i = 0; i < records; ++i) {
    const bool routePoint = i >= static_cast<std::size_t>(waypoints);
    const WaypointRecord& w = routePoint ? *routePoints[i - static_cast<std::size_t>(waypoints)] : document.waypoints[i];
    // Route points are written with their symbols translated; waypoints as they are.
    const std::uint16_t symbol = routePoint ? WtrSymbolCode(w.symbol, document.symbolNumbering()) : w.symbol;
    const WaypointRecord& r = back.waypoints[i];
    const auto at = static_cast<std::int32_t>(i);
    char name[sizeof w.name];
    ExpectedName(w, name);
    if (std::memcmp(name, r.name, sizeof name) != 0) return At(at, "name differs");
    if (w.latitude != r.latitude) return At(at, "latitude differs");
    if (w.longitude != r.longitude) return At(at, "longitude differs");
    if (!SameAltitude(w.altitude, r.altitude)) return At(at, "altitude differs");
    if (symbol != r.symbol) return At(at, "symbol differs");
  }
  return {};
}

}  // namespace ridloe
