// The two list lines: "%s %3.lf" for a waypoint, "%s (%d)" for a track.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ridloe {

// Every line fits this buffer with its terminator: names are at most 11 or
// 31 bytes and the widest altitude (the most negative float) is 40 characters.
inline constexpr std::size_t kLineBufferSize = 64;

// Writes the waypoint line for `name` and the altitude shown; returns its
// length. Byte-identical to printf("%s %3.lf", name, altitude).
std::size_t FormatWaypointLine(char (&out)[kLineBufferSize], const char* name, double altitude);

// Writes "%s (%d)" for a track; returns its length.
std::size_t FormatTrackLine(char (&out)[kLineBufferSize], const char* name, std::int32_t pointCount);

// Readers show altitudes above 9999 as 0; NaN and everything up to 9999
// itself are shown as they are.
inline double AltitudeShown(double altitude) { return altitude > 9999.0 ? 0.0 : altitude; }

}  // namespace ridloe
