// Translation of MPS symbol codes into WTR symbol codes.
#pragma once

#include <cstdint>

#include "core/document/gps_document.h"
#include "formats/symbols.h"

namespace ridloe {

// 106 becomes 8246, 48 becomes 161, every other code 18.
inline std::uint16_t MapSymbolForWtr(std::uint16_t mps) { return WtrSymbolCode(mps, kMpsNumbering); }

// Replaces every waypoint's symbol by its WTR code. The first call keeps the
// codes as loaded in the document; every call translates from those, so a
// conversion retried after a failed write writes the same file. False only
// when there is no memory to keep the loaded codes (nothing is changed then).
bool MapSymbolsForWtr(GpsDocument& document);

}  // namespace ridloe
