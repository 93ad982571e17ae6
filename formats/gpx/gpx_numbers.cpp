#include "formats/gpx/gpx_numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstddef>

#include "formats/gpx/gpx_format.h"

namespace ridloe {
namespace {

template <typename Number>
bool ParseNumber(std::string_view text, Number& out) {
  text = TrimXmlSpace(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
  if (digits.empty() || !(std::isdigit(static_cast<unsigned char>(digits.front())) || digits.front() == '.')) {
    return false;
  }
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, out);
  if (stop != end) return false;
  if (error == std::errc::result_out_of_range) {
    // Beyond the type's range: as the nearest value it holds, 0 or infinite.
    double wide = 0;
    if (std::from_chars(text.data(), end, wide).ec != std::errc{}) return false;
    out = static_cast<Number>(wide);
    return true;
  }
  return error == std::errc{};
}

// Reads `count` digits as a number.
bool Digits(std::string_view& text, std::size_t count, unsigned& out) {
  if (text.size() < count) return false;
  out = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    out = out * 10 + static_cast<unsigned>(text[i] - '0');
  }
  text.remove_prefix(count);
  return true;
}

bool Expect(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

std::string_view TrimXmlSpace(std::string_view text) {
  while (!text.empty() && IsXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool ParseDecimal(std::string_view text, double& out) { return ParseNumber(text, out); }
bool ParseDecimal(std::string_view text, float& out) { return ParseNumber(text, out); }

std::int32_t SemicirclesFromDegrees(double degrees, bool latitude) {
  if (latitude) {
    degrees = std::clamp(degrees, -90.0, 90.0);
  } else {
    degrees = std::fmod(degrees + 180.0, 360.0);
    if (degrees < 0) degrees += 360.0;
    degrees -= 180.0;
  }
  long long s = std::llround(degrees * 2147483648.0 / 180.0);
  if (s >= 2147483648LL) s -= 4294967296LL;  // a longitude that rounds up to 180 is -180
  return static_cast<std::int32_t>(s);
}

bool ParseXmlTime(std::string_view text, std::uint32_t& out) {
  text = TrimXmlSpace(text);
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
  if (!Digits(text, 4, y) || !Expect(text, '-') || !Digits(text, 2, mo) || !Expect(text, '-') ||
      !Digits(text, 2, d) || !Expect(text, 'T') || !Digits(text, 2, h) || !Expect(text, ':') ||
      !Digits(text, 2, mi) || !Expect(text, ':') || !Digits(text, 2, sec)) {
    return false;
  }
  const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(y)}, std::chrono::month{mo},
                                         std::chrono::day{d}};
  if (!date.ok() || h > 24 || mi > 59 || sec > 60) return false;
  if (Expect(text, '.')) {  // fractions of a second, dropped
    unsigned digit = 0;
    if (!Digits(text, 1, digit)) return false;
    while (Digits(text, 1, digit)) {
    }
  }
  std::int64_t zone = 0;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    const bool east = text.front() == '+';
    text.remove_prefix(1);
    unsigned zh = 0, zm = 0;
    if (!Digits(text, 2, zh)) return false;
    if (Expect(text, ':') ? !Digits(text, 2, zm) : !text.empty() && !Digits(text, 2, zm)) return false;
    if (zh > 14 || zm > 59) return false;
    zone = (east ? 1 : -1) * static_cast<std::int64_t>(zh * 3600 + zm * 60);
  } else {
    Expect(text, 'Z');
  }
  if (!text.empty()) return false;
  const std::int64_t day = std::chrono::sys_days{date}.time_since_epoch().count();
  const std::int64_t t = day * 86400 + h * 3600 + mi * 60 + sec - zone;
  if (t < 0 || t > static_cast<std::int64_t>(UINT32_MAX)) return false;
  out = static_cast<std::uint32_t>(t);
  return true;
}

}  // namespace ridloe
