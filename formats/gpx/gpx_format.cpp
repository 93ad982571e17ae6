#include "formats/gpx/gpx_format.h"

#include <algorithm>

namespace ridloe {
namespace {

ByteSpan Bytes(std::string_view text) { return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}; }

bool IsSpace(std::uint8_t b) { return IsXmlSpace(static_cast<char>(b)); }

void SkipSpace(ByteCursor& cursor) {
  std::uint8_t b = 0;
  while (ByteCursor(cursor).ReadU8(b) && IsSpace(b)) cursor.Skip(1);
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

}  // namespace

bool MayBeginXml(ByteSpan prefix) {
  ByteCursor cursor(prefix);
  if (cursor.StartsWith(Bytes("\xEF\xBB\xBF"))) cursor.Skip(3);
  SkipSpace(cursor);
  return cursor.AtEnd() || cursor.StartsWith(Bytes("<"));
}

bool LooksLikeGpx(ByteSpan bytes) {
  ByteCursor cursor(bytes);
  if (cursor.StartsWith(Bytes("\xEF\xBB\xBF"))) cursor.Skip(3);
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
  // The root's start tag: "<gpx" or "<prefix:gpx", then a space, '>' or '/'.
  std::uint8_t b = 0;
  if (!cursor.ReadU8(b) || b != '<') return false;
  const ByteSpan rest = cursor.Rest();
  const auto endsName = [](std::uint8_t c) { return IsSpace(c) || c == '>' || c == '/'; };
  const auto nameEnd = std::find_if(rest.begin(), rest.end(), endsName);
  if (nameEnd == rest.end()) return false;
  const std::string_view name(reinterpret_cast<const char*>(rest.data()),
                              static_cast<std::size_t>(nameEnd - rest.begin()));
  const std::size_t colon = name.find(':');
  return (colon == std::string_view::npos ? name : name.substr(colon + 1)) == "gpx";
}

}  // namespace ridloe
