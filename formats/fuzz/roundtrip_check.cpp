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
#include "formats/gpx/gpx_document.h"
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

// Text as GPX gives it back: decoded from code page 950 where it is 8-bit,
// the C0 controls XML cannot hold as U+FFFD, and trimmed of white space.
std::string AsGpxGivesBack(const GpsDocument& d, std::string_view raw) {
  std::string text;
  if (d.TextIsUtf8()) {
    text = raw;
  } else {
    TranscodeToUtf8(raw, "CP950", text);
  }
  std::string clean;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    clean += b < 0x20 && c != '\t' && c != '\n' && c != '\r' ? std::string("\xEF\xBF\xBD") : std::string(1, c);
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

// A position as GPX gives it back: the latitude written as it stands, but
// held to 90 degrees when read.
bool SameGpxPosition(std::int32_t latitude, std::int32_t longitude, std::int32_t readLatitude,
                     std::int32_t readLongitude) {
  return std::clamp(latitude, -(1 << 30), 1 << 30) == readLatitude && longitude == readLongitude;
}

}  // namespace

std::string CheckGpxRoundTrip(const GpsDocument& document) {
  std::string gpx;
  if (!EncodeGpx(document, "CP950", gpx)) return "EncodeGpx failed";
  std::string again;
  EncodeGpx(document, "CP950", again);
  if (again != gpx) return "the same document gave other bytes";
  GpxDocument back;
  if (!back.Parse(reinterpret_cast<const std::uint8_t*>(gpx.data()), gpx.size(), nullptr, nullptr)) {
    return "GPX reader refused the written bytes: " + back.error().Describe();
  }
  const std::int32_t waypoints = document.waypoints ? document.waypointCount : 0;
  const std::int32_t tracks = document.tracks ? document.trackCount : 0;
  if (back.waypointCount != waypoints || back.trackCount != tracks) return "counts differ";
  for (std::int32_t i = 0; i < waypoints; ++i) {
    const WaypointRecord& w = document.waypoints[i];
    const WaypointRecord& r = back.waypoints[i];
    if (!SameGpxPosition(w.latitude, w.longitude, r.latitude, r.longitude)) return At(i, "position differs");
    if (!SameGpxAltitude(w.altitude, w.noAltitude, r.altitude, r.noAltitude)) return At(i, "altitude differs");
    if (document.symbolCodes() == SymbolCodes::kMps && r.symbol != document.SymbolAsLoaded(i)) {
      return At(i, "symbol differs");
    }
    const WaypointText text = document.TextOf(i);
    const WaypointText read = back.TextOf(i);
    if (read.name != AsGpxGivesBack(document, text.name)) return At(i, "name differs");
    if (read.comment != AsGpxGivesBack(document, text.comment)) return At(i, "comment differs");
  }
  for (std::int32_t j = 0; j < tracks; ++j) {
    const TrackRecord& t = document.tracks[j];
    const TrackRecord& r = back.tracks[j];
    const std::string track = "track " + std::to_string(j);
    if (back.TrackNameOf(j) != AsGpxGivesBack(document, document.TrackNameOf(j))) return track + ": name differs";
    if (r.pointCount != (t.points ? t.pointCount : 0)) return track + ": point counts differ";
    for (std::int32_t k = 0; k < r.pointCount; ++k) {
      const TrackPoint& p = t.points[k];
      const TrackPoint& q = r.points[k];
      if (!SameGpxPosition(p.latitude, p.longitude, q.latitude, q.longitude)) return track + ": point position differs";
      if (!SameGpxAltitude(p.altitude, p.noAltitude, q.altitude, q.noAltitude)) {
        return track + ": point altitude differs";
      }
      if (p.noTime != q.noTime || (!p.noTime && p.time != q.time)) return track + ": point time differs";
    }
  }
  return {};
}

std::string CheckWtrRoundTrip(const GpsDocument& document) {
  if (document.waypointCount <= 0 || !document.waypoints) return "document has no waypoints to write";
  std::vector<std::uint8_t> bytes;
  if (!EncodeWtr(document, bytes)) return "EncodeWtr failed";
  if (bytes.size() != WtrFileSize(static_cast<std::size_t>(document.waypointCount))) {
    return "encoded " + std::to_string(bytes.size()) + " bytes for " + std::to_string(document.waypointCount) +
           " waypoints";
  }
  WtrDocument back;
  if (!back.Parse(bytes.data(), bytes.size(), nullptr, nullptr)) {
    return "WTR reader refused the written bytes: " + back.error().Describe();
  }
  if (back.waypointCount != document.waypointCount || !back.waypoints) {
    return "wrote " + std::to_string(document.waypointCount) + " waypoints, read back " +
           std::to_string(back.waypointCount);
  }
  if (back.trackCount != 0) return "a file without tracks read back with a track";
  for (std::int32_t i = 0; i < document.waypointCount; ++i) {
    const WaypointRecord& w = document.waypoints[i];
    const WaypointRecord& r = back.waypoints[i];
    char name[sizeof w.name];
    ExpectedName(w, name);
    if (std::memcmp(name, r.name, sizeof name) != 0) return At(i, "name differs");
    if (w.latitude != r.latitude) return At(i, "latitude differs");
    if (w.longitude != r.longitude) return At(i, "longitude differs");
    if (!SameAltitude(w.altitude, r.altitude)) return At(i, "altitude differs");
    if (w.symbol != r.symbol) return At(i, "symbol differs");
  }
  return {};
}

}  // namespace ridloe
