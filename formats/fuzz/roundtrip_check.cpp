#include "formats/fuzz/roundtrip_check.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/text/cp950.h"
#include "core/document/line_format.h"
#include "formats/wtr/wtr_format.h"

namespace ridloe {
namespace {

std::string At(std::int32_t i, const char* what) { return "waypoint " + std::to_string(i) + ": " + what; }

// The 12-byte name field the reader fills from what the writer wrote: the
// name cut to 10 bytes on a whole character, padded with spaces, then zeros.
// A name that would read as the track section marker has its 0xFF written as '?'.
void ExpectedName(const WaypointRecord& w, char (&out)[sizeof w.name]) {
  std::memset(out, 0, sizeof out);
  const std::size_t keep = FitName(std::string_view(w.name, strnlen(w.name, sizeof w.name)), kWtrNameSize);
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

}  // namespace

std::string CheckWtrRoundTrip(const WtrDocument& document) {
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
