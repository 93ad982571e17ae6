// Conversion between 8-bit text and UTF-8 by the system's own tables.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ridloe {

// Appends `bytes`, read in `encoding`, to `out` as UTF-8. A byte that does not
// decode (or a lead byte cut off at the end) becomes U+FFFD and decoding goes
// on after it. False, with nothing appended, when the system does not know
// the encoding; std::bad_alloc when memory is short.
bool TranscodeToUtf8(std::string_view bytes, const char* encoding, std::string& out);

// Appends `utf8` to `out` as 8-bit text in `encoding`. A character with no
// form there (or a byte that is not part of a UTF-8 character) becomes '?'
// and counts in `replaced`. False, with nothing appended, when the system
// does not know the encoding; std::bad_alloc when memory is short.
bool TranscodeFromUtf8(std::string_view utf8, const char* encoding, std::string& out, std::size_t& replaced);

// Makes ready what converting between `encoding` and UTF-8 needs, so that
// a conversion later (when memory may be short) has nothing to open; false
// when the system does not know the encoding.
bool PrepareTranscoding(const char* encoding);

// The length of the UTF-8 character that starts `text` (not empty): 1 for a
// byte that starts none, or one cut off at the end.
inline std::size_t Utf8Length(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 1;
  if (n == 1 || n > text.size()) return 1;
  for (std::size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace ridloe
