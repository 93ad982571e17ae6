#include "formats/xml/xml_out.h"

#include <chrono>
#include <cmath>

#include "core/platform/transcode.h"
#include "core/text/ascii.h"

namespace ridloe {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Whether `c` needs more than a copy in XML character data: markup, the C0
// controls and every byte of a character beyond ASCII, which is checked.
bool NeedsLook(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b >= 0x80 || c == '&' || c == '<' || c == '>';
}

// The length of the UTF-8 character at `text[i]` when it is one XML 1.0
// allows (U+FFFE and U+FFFF are not; neither are surrogates, overlong forms
// or bytes that start no character); 0 otherwise.
std::size_t XmlCharacterLength(std::string_view text, std::size_t i) {
  const auto at = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
  const unsigned lead = at(i);
  const auto trail = [&](std::size_t k, unsigned low, unsigned high) { return at(k) >= low && at(k) <= high; };
  if (lead >= 0xC2 && lead <= 0xDF) return trail(i + 1, 0x80, 0xBF) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : 0xBF;
    if (!trail(i + 1, low, high) || !trail(i + 2, 0x80, 0xBF)) return 0;
    return lead == 0xEF && at(i + 1) == 0xBF && at(i + 2) >= 0xBE ? 0 : 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
    return trail(i + 1, low, high) && trail(i + 2, 0x80, 0xBF) && trail(i + 3, 0x80, 0xBF) ? 4 : 0;
  }
  return 0;
}

}  // namespace

std::size_t FormatElevation(float metres, char (&text)[64]) {
  if (!std::isfinite(metres)) return 0;
  const char* end = std::to_chars(text, text + sizeof text, metres, std::chars_format::fixed).ptr;
  std::size_t digits = 0;
  bool leading = true;  // zeros before the first other digit of the integer part
  for (const char* c = text; c != end; ++c) {
    if (*c == '.') leading = false;
    if (*c < '0' || *c > '9' || (leading && *c == '0')) continue;
    leading = false;
    ++digits;
  }
  return digits > 18 ? 0 : static_cast<std::size_t>(end - text);
}

void XmlOut::PutText(std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!NeedsLook(c) || c == '\t' || c == '\n') continue;
    if (static_cast<unsigned char>(c) >= 0x80) {
      if (const std::size_t n = XmlCharacterLength(text, i)) {
        i += n - 1;
        continue;
      }
      // A character XML cannot hold goes whole; a byte that starts none, alone.
      buffer_.append(text.substr(start, i - start));
      buffer_.append(kReplacement);
      i += Utf8Length(text.substr(i)) - 1;
      start = i + 1;
      continue;
    }
    buffer_.append(text.substr(start, i - start));
    start = i + 1;
    switch (c) {
      case '&': buffer_.append("&amp;"); break;
      case '<': buffer_.append("&lt;"); break;
      case '>': buffer_.append("&gt;"); break;
      case '\r': buffer_.append("&#13;"); break;
      default: buffer_.append(kReplacement); break;
    }
  }
  Put(text.substr(start));
}

void XmlOut::PutDegrees(std::int32_t s) {
  const bool negative = s < 0;
  const std::uint64_t scaled = static_cast<std::uint64_t>(negative ? -static_cast<std::int64_t>(s) : s) * 180u;
  std::uint64_t whole = scaled >> 31;
  const std::uint64_t product = (scaled & 0x7FFFFFFFu) * 1000000000u;
  std::uint64_t nanos = product >> 31;
  const std::uint64_t rest = product & 0x7FFFFFFFu;
  if (rest > 0x40000000u || (rest == 0x40000000u && (nanos & 1))) ++nanos;
  if (nanos == 1000000000u) {
    nanos = 0;
    ++whole;
  }
  char digits[24];
  char* p = std::to_chars(digits, digits + sizeof digits, whole).ptr;
  *p++ = '.';
  for (int i = 8; i >= 0; --i) {
    p[i] = static_cast<char>('0' + nanos % 10);
    nanos /= 10;
  }
  if (negative) Put('-');
  buffer_.append(digits, static_cast<std::size_t>(p + 9 - digits));
}

void XmlOut::PutTime(std::uint32_t t) {
  using namespace std::chrono;
  const year_month_day date{sys_days{days{t / 86400}}};
  const unsigned second = t % 86400;
  const unsigned fields[] = {static_cast<unsigned>(static_cast<int>(date.year())),
                             static_cast<unsigned>(date.month()),
                             static_cast<unsigned>(date.day()),
                             second / 3600,
                             second / 60 % 60,
                             second % 60};
  const char separators[] = {'-', '-', 'T', ':', ':', 'Z'};
  for (int i = 0; i < 6; ++i) {
    const int width = i == 0 ? 4 : 2;
    char digits[4];
    unsigned v = fields[i];
    for (int k = width - 1; k >= 0; --k) {
      digits[k] = static_cast<char>('0' + v % 10);
      v /= 10;
    }
    buffer_.append(digits, static_cast<std::size_t>(width));
    Put(separators[i]);
  }
}

bool Utf8Text::CanDecode() const {
  std::string probe;
  return doc_.TextIsUtf8() || TranscodeToUtf8("", codePage_.c_str(), probe);
}

std::string_view Utf8Text::operator()(std::string_view raw) {
  if (doc_.TextIsUtf8() || IsAscii(raw)) return raw;
  decoded_.clear();
  TranscodeToUtf8(raw, codePage_.c_str(), decoded_);
  return decoded_;
}

}  // namespace ridloe
