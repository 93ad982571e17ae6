// Names are 8-bit text in code page 950 (Big5): a byte 0x81-0xFE starts a
// two-byte character. The bytes are kept as read; these helpers fit names
// into fixed fields on whole characters and decode them for display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/bytes/byte_cursor.h"

namespace ridloe {

inline bool IsCp950LeadByte(std::uint8_t b) { return b >= 0x81 && b <= 0xFE; }

enum class NameCut {
  // The longest prefix of whole characters.
  kWholeCharacters,
  // The same, and when the prefix fills the field exactly and its last
  // character is a single byte of 0x80 or above, that byte goes too: a cut
  // name never ends in what another reader may take for half a character.
  kNoHighLastByte,
};

// How many bytes of `name` to keep in a field of `limit` bytes: all of them
// when they fit, whatever the last byte is; otherwise the prefix `rule` gives.
std::size_t FitName(ByteSpan name, std::size_t limit, NameCut rule = NameCut::kWholeCharacters);
inline std::size_t FitName(std::string_view name, std::size_t limit, NameCut rule = NameCut::kWholeCharacters) {
  return FitName(ByteSpan(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()), limit, rule);
}

// Fits `name` into a NUL-terminated field of N bytes as `rule` says and
// copies it there; returns the bytes kept.
template <std::size_t N>
std::size_t FitNameInto(char (&field)[N], ByteSpan name, NameCut rule = NameCut::kWholeCharacters) {
  const std::size_t keep = FitName(name, N - 1, rule);
  std::memcpy(field, name.data(), keep);
  field[keep] = '\0';
  return keep;
}
template <std::size_t N>
std::size_t FitNameInto(char (&field)[N], std::string_view name, NameCut rule = NameCut::kWholeCharacters) {
  return FitNameInto(field, ByteSpan(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()), rule);
}

// Decodes 8-bit text to UTF-8 for display. Bytes that do not decode become
// U+FFFD and decoding goes on after them, so every input shows something;
// control characters (C0, DEL and C1) and the bidirectional embeddings,
// overrides and isolates show as U+FFFD too. An encoding the
// system does not know is reported by returning false (`out` then holds the
// text with every byte above 0x7F replaced).
bool DecodeToUtf8(std::string_view bytes, const char* encoding, std::string& out);

// Whether the system knows `encoding` and it reads every ASCII byte as that
// character, as names need: code pages and UTF-8 do; UTF-16, UTF-32, UTF-7
// and an empty name (the system's own default) are refused.
bool IsAsciiCompatibleEncoding(const char* encoding);

// The display form used by the dialog and the command-line tool.
inline std::string DecodeCp950(std::string_view bytes) {
  std::string out;
  DecodeToUtf8(bytes, "CP950", out);
  return out;
}

}  // namespace ridloe
