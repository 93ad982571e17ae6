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
