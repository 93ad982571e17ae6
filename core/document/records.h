// The records of a loaded GPS file and the numeric conversions they share.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/bytes/zeroed_memory.h"

namespace ridloe {

// 180 / (2^31 - 8): the factor every reader uses to turn semicircles into
// degrees. Kept bit for bit, so 2^30 gives 90.00000033527613, not 90.
inline constexpr double SemicircleFactor = std::bit_cast<double>(std::uint64_t{0x3E76800001680000});

// The text of a NUL-terminated field: up to its first NUL, or all of it.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return {field, strnlen(field, N)};
}

inline double SemicirclesToDegrees(std::int32_t semicircles) {
  return static_cast<double>(semicircles) * SemicircleFactor;
}

struct WaypointRecord {
  char name[12];  // NUL-terminated, at most 11 bytes of code page 950 text
  std::int32_t latitude;   // semicircles
  std::int32_t longitude;  // semicircles
  float altitude;          // metres
  std::uint16_t symbol;    // MPS code after loading, WTR code once translated
  // The flags sit in padding the fields above leave. They read false in a
  // zero-filled array, so a reader that never sets them says "given".
  bool noAltitude;         // the file says no altitude was given (the altitude is then as stored, 0)
};

struct TrackPoint {
  std::int32_t latitude;
  std::int32_t longitude;
  double longitudeDegrees;
  double latitudeDegrees;
  float altitude;
  std::uint32_t time;  // seconds since 1970-01-01 UTC, as stored in the file
  std::int32_t hour;   // local time of day (+8 hours)
  std::int32_t minute;
  std::int32_t second;
  bool noAltitude;  // the file gives no altitude for this point
  bool noTime;      // the file gives no time for this point
  // The point begins a segment of its own: the track was broken before it
  // (the first point of a track begins the first segment and never says so).
  bool newSegment;
};

struct TrackRecord {
  char name[32];  // NUL-terminated, at most 31 bytes
  std::int32_t pointCount;
  ZeroedArray<TrackPoint> points;  // absent when its allocation failed
};

// A planned route: its name and points. A route point has the fields of a
// waypoint; its symbol is always the code as loaded, in the document's own
// numbering, and is never translated in place.
struct RouteRecord {
  char name[32];  // NUL-terminated, at most 31 bytes
  std::int32_t pointCount;
  ZeroedArray<WaypointRecord> points;  // absent when not allocated
};

struct TimeOfDay {
  std::int32_t hour;
  std::int32_t minute;
  std::int32_t second;
};

// Only the time of day is kept; the clock is the device's UTC plus 8 hours.
inline TimeOfDay TimeOfDayFromSeconds(std::uint32_t t) {
  std::uint32_t hour = (t / 3600u) % 24u + 8u;
  if (hour >= 24u) hour -= 24u;
  return {static_cast<std::int32_t>(hour), static_cast<std::int32_t>((t / 60u) % 60u),
          static_cast<std::int32_t>(t % 60u)};
}

inline void SetPointTime(TrackPoint& point, std::uint32_t t) {
  const TimeOfDay tod = TimeOfDayFromSeconds(t);
  point.time = t;
  point.hour = tod.hour;
  point.minute = tod.minute;
  point.second = tod.second;
}

}  // namespace ridloe
