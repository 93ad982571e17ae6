// The WTR layout: 16-byte section blocks (a 5-byte marker and 11 zero bytes)
// around fixed 64-byte waypoint records.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ridloe {

inline constexpr std::size_t kWtrMarkerSize = 5;
inline constexpr std::size_t kWtrBlockSize = 16;
inline constexpr std::size_t kWtrRecordSize = 64;
inline constexpr std::size_t kWtrNameSize = 10;
inline constexpr std::size_t kWtrTrackNameOffset = 18;   // from the track header's start
inline constexpr std::size_t kWtrFirstPointOffset = 34;  // from the track header's start
inline constexpr std::size_t kWtrPointSize = 21;

inline constexpr std::uint8_t kWtrWaypointMarker[kWtrMarkerSize] = {0xFF, 'W', 'p', 't', 0xFF};
inline constexpr std::uint8_t kWtrTrackMarker[kWtrMarkerSize] = {0xFF, 'T', 'r', 'k', 0xFF};
inline constexpr std::uint8_t kWtrTrackHeaderMarker[kWtrMarkerSize] = {0xEE, 'h', 'd', 'r', 0xEE};
inline constexpr std::uint8_t kWtrRouteMarker[kWtrMarkerSize] = {0xFF, 'R', 't', 'e', 0xFF};

// Offsets inside a waypoint record.
inline constexpr std::size_t kWtrLatitudeOffset = 20;
inline constexpr std::size_t kWtrLongitudeOffset = 24;
inline constexpr std::size_t kWtrAltitudeOffset = 28;
inline constexpr std::size_t kWtrSymbolOffset = 40;

// The size of a file with `waypoints` records and no track.
inline constexpr std::size_t WtrFileSize(std::size_t waypoints) {
  return 3 * kWtrBlockSize + kWtrRecordSize * waypoints;
}

}  // namespace ridloe
