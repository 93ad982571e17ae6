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
// control U+0080. No 8-bit code page spells text with U+0080-U+009F and a
// terminal may act on those controls, so they are shown as undecodable too.
// `text` is UTF-8, where 0xC2 only ever starts a character.
void ReplaceC1Controls(std::string& text) {
  if (text.find('\xC2') == std::string::npos) return;
  std::string clean;
  clean.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (static_cast<unsigned char>(text[i]) == 0xC2 && next >= 0x80 && next <= 0x9F) {
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
  ReplaceC1Controls(out);
  return true;
}

}  // namespace ridloe
