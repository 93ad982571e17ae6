// GPX: the XML exchange format every map program reads. Its names and what
// tells a GPX file from other bytes.
#pragma once

#include <string_view>

#include "core/bytes/byte_cursor.h"
#include "formats/format.h"
#include "formats/xml/xml_prefix.h"

namespace ridloe {

inline constexpr std::string_view kGpx10Namespace = "http://www.topografix.com/GPX/1/0";
inline constexpr std::string_view kGpx11Namespace = "http://www.topografix.com/GPX/1/1";
// Our own extension elements, which keep what GPX has no element for: the
// symbol codes as the MPS or WTR file numbered them.
inline constexpr std::string_view kRidloeNamespace = "urn:x-ridloe:gpx-extensions:1";
inline constexpr std::string_view kMpsSymbolElement = "mpsSymbol";
inline constexpr std::string_view kWtrSymbolElement = "wtrSymbol";

// Whether `bytes` start as XML whose root element is named "gpx".
inline bool LooksLikeGpx(ByteSpan bytes) { return RootElementIs(bytes, "gpx"); }

// GPX as the registry knows it.
extern const Format kGpxFormat;

}  // namespace ridloe
