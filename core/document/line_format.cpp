#include "core/document/line_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ridloe {
namespace {

std::size_t CopyName(char* out, const char* name, std::size_t room) {
  const std::size_t n = strnlen(name, room);
  std::memcpy(out, name, n);
  return n;
}

// Writes `value` in decimal, right-aligned in at least `width` characters.
std::size_t PutInteger(char* out, bool negative, std::uint64_t value, std::size_t width) {
  char digits[24];
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  if (negative) digits[n++] = '-';
  std::size_t written = 0;
  while (written + n < width) out[written++] = ' ';
  while (n > 0) out[written++] = digits[--n];
  return written;
}

}  // namespace

std::size_t FormatWaypointLine(char (&out)[kLineBufferSize], const char* name, double altitude) {
  // Whole metres within this range are written directly; rounding to nearest
  // with ties to even on the exact binary value is what printf does.
  if (std::isfinite(altitude) && std::fabs(altitude) < 1e15) {
    std::size_t n = CopyName(out, name, 31);
    out[n++] = ' ';
    const double rounded = std::nearbyint(altitude);
    const bool negative = std::signbit(rounded);
    n += PutInteger(out + n, negative, static_cast<std::uint64_t>(std::fabs(rounded)), 3);
    out[n] = '\0';
    return n;
  }
  const int n = std::snprintf(out, kLineBufferSize, "%s %3.lf", name, altitude);
  return n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), kLineBufferSize - 1);
}

std::size_t FormatTrackLine(char (&out)[kLineBufferSize], const char* name, std::int32_t pointCount) {
  std::size_t n = CopyName(out, name, 31);
  out[n++] = ' ';
  out[n++] = '(';
  const bool negative = pointCount < 0;
  const std::uint64_t magnitude =
      negative ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(pointCount)) : static_cast<std::uint64_t>(pointCount);
  n += PutInteger(out + n, negative, magnitude, 0);
  out[n++] = ')';
  out[n] = '\0';
  return n;
}

}  // namespace ridloe
