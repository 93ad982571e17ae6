// GPX: the XML exchange format every map program reads. Its names and what
// tells a GPX file from other bytes.
#pragma once

#include <string_view>

#include "core/bytes/byte_cursor.h"

namespace ridloe {

inline constexpr std::string_view kGpx10Namespace = "http://www.topografix.com/GPX/1/0";
inline constexpr std::string_view kGpx11Namespace = "http://www.topografix.com/GPX/1/1";
// Our own extension elements, which keep what GPX has no element for: the
// symbol codes as the MPS or WTR file numbered them.
inline constexpr std::string_view kRidloeNamespace = "urn:x-ridloe:gpx-extensions:1";
inline constexpr std::string_view kMpsSymbolElement = "mpsSymbol";
inline constexpr std::string_view kWtrSymbolElement = "wtrSymbol";

// XML's white space: space, tab, line feed and carriage return.
inline bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Whether `bytes` start as an XML document whose root element is named
// "gpx" (with or without a prefix): in UTF-8 (or an 8-bit encoding) or in
// UTF-16, which expat reads too; an optional byte-order mark, then
// the XML declaration, comments, processing instructions and a document
// type declaration in any order, then the root's start tag. Whether it is
// well-formed GPX is the reader's to find out.
bool LooksLikeGpx(ByteSpan bytes);

// Whether a file's first bytes may begin XML: after an optional byte-order
// mark and white space (in UTF-8 or UTF-16), nothing yet or '<'.
bool MayBeginXml(ByteSpan prefix);

}  // namespace ridloe
