#include "formats/xml/xml_prefix.h"

#include <algorithm>
#include <string>

namespace ridloe {
namespace {

ByteSpan Bytes(std::string_view text) { return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}; }

bool IsSpace(std::uint8_t b) { return IsXmlSpace(static_cast<char>(b)); }

void SkipSpace(ByteCursor& cursor) {
  std::uint8_t b = 0;
  while (ByteCursor(cursor).ReadU8(b) && IsSpace(b)) cursor.Prechecked().Skip(1);  // the byte just looked at
}

// Moves past the next `end`; false when there is none.
bool SkipPast(ByteCursor& cursor, std::string_view end) {
  const ByteSpan rest = cursor.Rest();
  const ByteSpan marker = Bytes(end);
  const auto found = std::search(rest.begin(), rest.end(), marker.begin(), marker.end());
  if (found == rest.end()) return false;
  return cursor.Skip(static_cast<std::size_t>(found - rest.begin()) + end.size());
}

// A document type declaration: up to its '>', past an internal subset in
// brackets.
bool SkipDoctype(ByteCursor& cursor) {
  std::uint8_t b = 0;
  while (cursor.ReadU8(b)) {
    if (b == '>') return true;
    if (b == '[' && !SkipPast(cursor, "]")) return false;
  }
  return false;
}

// XML in UTF-16 (with a byte-order mark, or starting with '<' as one 16-bit
// unit) as 8-bit text that tells the same: each unit below 0x80 as that
// byte, any other as 0x80; `bytes` as they are when they are not UTF-16.
// Only the start of a file is looked at this way, so the copy is small.
// False for bytes that are not UTF-16.
bool NarrowUtf16(ByteSpan bytes, std::size_t most, std::string& narrow) {
  bool big = false;
  std::size_t at = 0;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    at = 2;
  } else if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    big = true;
    at = 2;
  } else if (bytes.size() >= 2 && bytes[0] == '<' && bytes[1] == 0) {
  } else if (bytes.size() >= 2 && bytes[0] == 0 && bytes[1] == '<') {
    big = true;
  } else {
    return false;
  }
  for (; at + 1 < bytes.size() && narrow.size() < most; at += 2) {
    const unsigned unit = big ? bytes[at] << 8 | bytes[at + 1] : bytes[at + 1] << 8 | bytes[at];
    narrow.push_back(static_cast<char>(unit < 0x80 ? unit : 0x80));
  }
  return true;
}

bool MayBeginXmlText(ByteSpan prefix) {
  ByteCursor cursor(prefix);
  if (cursor.StartsWith(Bytes("\xEF\xBB\xBF"))) cursor.Prechecked().Skip(3);
  SkipSpace(cursor);
  return cursor.AtEnd() || cursor.StartsWith(Bytes("<"));
}

bool RootElementIsText(ByteSpan bytes, std::string_view localName) {
  ByteCursor cursor(bytes);
  if (cursor.StartsWith(Bytes("\xEF\xBB\xBF"))) cursor.Prechecked().Skip(3);
  for (;;) {
    SkipSpace(cursor);
    if (cursor.StartsWith(Bytes("<?"))) {
      if (!SkipPast(cursor, "?>")) return false;
    } else if (cursor.StartsWith(Bytes("<!--"))) {
      if (!SkipPast(cursor, "-->")) return false;
    } else if (cursor.StartsWith(Bytes("<!DOCTYPE"))) {
      if (!SkipDoctype(cursor)) return false;
    } else {
      break;
    }
  }
  // The root's start tag: "<name" or "<prefix:name", then a space, '>' or '/'.
  std::uint8_t b = 0;
  if (!cursor.ReadU8(b) || b != '<') return false;
  const ByteSpan rest = cursor.Rest();
  const auto endsName = [](std::uint8_t c) { return IsSpace(c) || c == '>' || c == '/'; };
  const auto nameEnd = std::find_if(rest.begin(), rest.end(), endsName);
  if (nameEnd == rest.end()) return false;
  const std::string_view name(reinterpret_cast<const char*>(rest.data()),
                              static_cast<std::size_t>(nameEnd - rest.begin()));
  const std::size_t colon = name.find(':');
  return (colon == std::string_view::npos ? name : name.substr(colon + 1)) == localName;
}

// How much of a UTF-16 file is looked at for its root element: a program
// writes it within the first few KiB.
constexpr std::size_t kLookedAt = std::size_t{64} << 10;

}  // namespace

bool MayBeginXml(ByteSpan prefix) {
  std::string narrow;
  return NarrowUtf16(prefix, kLookedAt, narrow) ? MayBeginXmlText(Bytes(narrow)) : MayBeginXmlText(prefix);
}

bool RootElementIs(ByteSpan bytes, std::string_view localName) {
  std::string narrow;
  return NarrowUtf16(bytes, kLookedAt, narrow) ? RootElementIsText(Bytes(narrow), localName)
                                               : RootElementIsText(bytes, localName);
}

}  // namespace ridloe
