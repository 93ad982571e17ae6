// ASCII-only comparisons for names the program itself chooses (extensions,
// format names), which no code page changes.
#pragma once

#include <string_view>

namespace ridloe {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `text` ends with `end`, ASCII letters compared in any case.
inline bool EndsWithNoCase(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) return false;
  const std::string_view tail = text.substr(text.size() - end.size());
  for (std::size_t i = 0; i < end.size(); ++i) {
    if (AsciiLower(tail[i]) != AsciiLower(end[i])) return false;
  }
  return true;
}

// Whether every byte of `text` is ASCII.
inline bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Whether both are the same text, ASCII letters compared in any case.
inline bool EqualsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && EndsWithNoCase(a, b); }

}  // namespace ridloe
