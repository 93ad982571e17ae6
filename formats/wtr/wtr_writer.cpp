// The WTR writer: a waypoint section block, one 64-byte record per waypoint,
// then the empty track and route section blocks.
#include <cstring>

#include "core/bytes/byte_store.h"
#include "core/text/cp950.h"
#include "formats/wtr/wtr_document.h"
#include "formats/wtr/wtr_format.h"

namespace ridloe {

bool WriteWtr(const GpsDocument& document, const WtrWrite& write) {
  if (document.waypointCount <= 0 || !document.waypoints) return false;
  std::uint8_t block[kWtrBlockSize] = {};
  std::memcpy(block, kWtrWaypointMarker, kWtrMarkerSize);
  if (!write(block, sizeof block)) return false;
  std::uint8_t record[kWtrRecordSize] = {};
  for (std::int32_t i = 0; i < document.waypointCount; ++i) {
    const WaypointRecord& w = document.waypoints[i];
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
    StoreU16(record + kWtrSymbolOffset, w.symbol);
    if (!write(record, sizeof record)) return false;
  }
  std::memcpy(block, kWtrTrackMarker, kWtrMarkerSize);
  if (!write(block, sizeof block)) return false;
  std::memcpy(block, kWtrRouteMarker, kWtrMarkerSize);
  return write(block, sizeof block);
}

bool EncodeWtr(const GpsDocument& document, std::vector<std::uint8_t>& out) {
  if (document.waypointCount > 0) out.reserve(out.size() + WtrFileSize(static_cast<std::size_t>(document.waypointCount)));
  return WriteWtr(document, [&out](const std::uint8_t* bytes, std::size_t size) {
    out.insert(out.end(), bytes, bytes + size);
    return true;
  });
}

bool SaveWtr(const GpsDocument& document, const std::string& path, WriteError* why) {
  if (document.waypointCount <= 0 || !document.waypoints) {
    if (why) *why = {WriteFailure::kWrite, "no waypoints to write", {}};
    return false;
  }
  AtomicFileWriter out(path);
  const bool ok = out.Open() &&
                  WriteWtr(document, [&out](const std::uint8_t* bytes, std::size_t size) { return out.Write(bytes, size); }) &&
                  out.Commit();
  if (!ok && why) *why = out.error();
  return ok;
}

bool WtrDocument::SaveWtr(const std::string& path, WriteError* why) const { return ridloe::SaveWtr(*this, path, why); }

}  // namespace ridloe
