// Translation of MPS symbol codes into WTR symbol codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "document/wtr_document.h"

namespace ridloe {

// 106 becomes 8246, 48 becomes 161, every other code 18.
inline std::uint16_t MapSymbolForWtr(std::uint16_t mps) {
  if (mps == 106) return 8246;
  if (mps == 48) return 161;
  return 18;
}

// Replaces every waypoint's symbol by its WTR code. The first call keeps the
// codes as loaded in the document; every call translates from those, so a
// conversion retried after a failed write writes the same file. False only
// when there is no memory to keep the loaded codes (nothing is changed then).
inline bool MapSymbolsForWtr(WtrDocument& document) {
  if (!document.waypoints || document.waypointCount <= 0) return true;
  const auto count = static_cast<std::size_t>(document.waypointCount);
  if (!document.symbolsAsLoaded || document.symbolsAsLoadedCount != document.waypointCount) {
    auto loaded = AllocateZeroed<std::uint16_t>(count);
    if (!loaded) return false;
    for (std::size_t i = 0; i < count; ++i) loaded[i] = document.waypoints[i].symbol;
    document.symbolsAsLoaded = std::move(loaded);
    document.symbolsAsLoadedCount = document.waypointCount;
  }
  for (std::size_t i = 0; i < count; ++i) document.waypoints[i].symbol = MapSymbolForWtr(document.symbolsAsLoaded[i]);
  return true;
}

}  // namespace ridloe
