// What tells XML from other bytes, for the formats written in it.
#pragma once

#include <string_view>

#include "core/bytes/byte_cursor.h"

namespace ridloe {

// XML's white space: space, tab, line feed and carriage return.
inline bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Whether `bytes` start as an XML document whose root element's local name
// is `localName` (with or without a prefix): in UTF-8 (or an 8-bit
// encoding) or in UTF-16, which expat reads too; an optional byte-order
// mark, then the XML declaration, comments, processing instructions and a
// document type declaration in any order, then the root's start tag.
// Whether the document is well-formed is the reader's to find out.
bool RootElementIs(ByteSpan bytes, std::string_view localName);

// Whether a file's first bytes may begin XML: after an optional byte-order
// mark and white space (in UTF-8 or UTF-16), nothing yet or '<'.
bool MayBeginXml(ByteSpan prefix);

}  // namespace ridloe
