#include "document/cp950.h"

#include <iconv.h>

#include <cerrno>

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
// terminal may act on one (a newline would even split a listed line in two),
// so C0 and C1 controls and DEL are shown as undecodable too. `text` is
// UTF-8, where 0xC2 only ever starts a character.
void ReplaceControls(std::string& text) {
  const auto isControl = [](unsigned char c) { return c < 0x20 || c == 0x7F; };
  bool any = false;
  for (std::size_t i = 0; i < text.size() && !any; ++i) {
    any = isControl(static_cast<unsigned char>(text[i])) || text[i] == '\xC2';
  }
  if (!any) return;
  std::string clean;
  clean.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (isControl(c)) {
      clean += kReplacement;
    } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      clean += kReplacement;
      ++i;
    } else {
      clean += text[i];
    }
  }
  text.swap(clean);
}

}  // namespace

std::size_t Cp950CutLength(const std::uint8_t* s, std::size_t length, std::size_t limit) {
  // Text that fits is kept byte for byte, whatever its last byte.
  if (length <= limit) return length;
  std::size_t kept = 0;
  while (kept < length) {
    const std::size_t width = IsCp950LeadByte(s[kept]) ? 2 : 1;
    if (kept + width > limit || kept + width > length) break;
    kept += width;
  }
  return kept;
}

bool DecodeToUtf8(std::string_view bytes, const char* encoding, std::string& out) {
  iconv_t cd = iconv_open("UTF-8", encoding);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ReplaceHighBytes(bytes, out);
    return false;
  }
  out.clear();
  out.reserve(bytes.size() * 3 / 2 + 4);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char chunk[256];
  while (inLeft > 0) {
    char* dst = chunk;
    std::size_t dstLeft = sizeof chunk;
    const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(chunk, static_cast<std::size_t>(dst - chunk));
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: one byte that does not decode (or a lead byte cut
    // off at the end). Show a replacement and resume after it.
    out += kReplacement;
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  ReplaceControls(out);
  return true;
}

}  // namespace ridloe
