#include "core/text/cp950.h"

#include "core/platform/transcode.h"

namespace ridloe {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

void ReplaceHighBytes(std::string_view bytes, std::string& out) {
  out.clear();
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x80) {
      out += c;
    } else {
      out += kReplacement;
    }
  }
}

// Code page 950 leaves 0x80 unassigned, yet iconv passes it through as the C1
// control U+0080. No name is meant to hold a control character, and a
// terminal may act on one (a newline would even split a listed line in two;
// a right-to-left override turns the rest of the line around), so C0 and C1
// controls, DEL and the bidirectional embeddings, overrides and isolates
// (U+202A-202E, U+2066-2069) are shown as undecodable too. `text` is UTF-8,
// where 0xC2 and 0xE2 only ever start a character.
std::size_t ControlLength(std::string_view text, std::size_t i) {
  const auto at = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0; };
  const unsigned char c = at(i);
  if (c < 0x20 || c == 0x7F) return 1;
  if (c == 0xC2 && at(i + 1) >= 0x80 && at(i + 1) <= 0x9F) return 2;
  if (c == 0xE2 && at(i + 1) == 0x80 && at(i + 2) >= 0xAA && at(i + 2) <= 0xAE) return 3;
  if (c == 0xE2 && at(i + 1) == 0x81 && at(i + 2) >= 0xA6 && at(i + 2) <= 0xA9) return 3;
  return 0;
}

void ReplaceControls(std::string& text) {
  std::size_t first = 0;
  while (first < text.size() && ControlLength(text, first) == 0) ++first;
  if (first == text.size()) return;
  std::string clean(text, 0, first);
  clean.reserve(text.size() + 8);
  for (std::size_t i = first; i < text.size();) {
    if (const std::size_t control = ControlLength(text, i)) {
      clean += kReplacement;
      i += control;
    } else {
      clean += text[i++];
    }
  }
  text.swap(clean);
}

}  // namespace

std::size_t FitName(ByteSpan name, std::size_t limit, NameCut rule) {
  if (name.size() <= limit) return name.size();
  std::size_t kept = 0;
  std::size_t width = 0;  // of the last character kept
  while (kept < name.size()) {
    const std::size_t next = IsCp950LeadByte(name[kept]) ? 2 : 1;
    if (kept + next > limit || kept + next > name.size()) break;
    kept += next;
    width = next;
  }
  if (rule == NameCut::kNoHighLastByte && kept == limit && width == 1 && name[kept - 1] >= 0x80) --kept;
  return kept;
}

bool IsAsciiCompatibleEncoding(const char* encoding) {
  if (!encoding || !*encoding) return false;
  std::string ascii;
  for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
  std::string decoded;
  return TranscodeToUtf8(ascii, encoding, decoded) && decoded == ascii;
}

bool DecodeToUtf8(std::string_view bytes, const char* encoding, std::string& out) {
  out.clear();
  if (!TranscodeToUtf8(bytes, encoding, out)) {
    ReplaceHighBytes(bytes, out);
    return false;
  }
  ReplaceControls(out);
  return true;
}

}  // namespace ridloe
