// Names are 8-bit text in code page 950 (Big5): a byte 0x81-0xFE starts a
// two-byte character. The bytes are kept as read; these helpers cut names on
// whole characters and decode them for display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ridloe {

inline bool IsCp950LeadByte(std::uint8_t b) { return b >= 0x81 && b <= 0xFE; }

// How many of the `length` bytes at `s` fit in `limit` bytes: all of them
// when they fit, else the longest prefix that holds only whole characters.
std::size_t Cp950CutLength(const std::uint8_t* s, std::size_t length, std::size_t limit);

// Decodes 8-bit text to UTF-8. Bytes that do not decode become U+FFFD and
// decoding goes on after them, so every input shows something; control
// characters (C0, DEL and C1) show as U+FFFD too. An encoding the system does not know is
// reported by returning false (`out` then holds the text with every byte
// above 0x7F replaced).
bool DecodeToUtf8(std::string_view bytes, const char* encoding, std::string& out);

// The display form used by the dialog and the command-line tool.
inline std::string DecodeCp950(std::string_view bytes) {
  std::string out;
  DecodeToUtf8(bytes, "CP950", out);
  return out;
}

}  // namespace ridloe
