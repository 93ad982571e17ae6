// Translation of MPS symbol codes into WTR symbol codes.
#pragma once

#include <cstdint>
#include <vector>

#include "document/wtr_document.h"

namespace ridloe {

// 106 becomes 8246, 48 becomes 161, every other code 18.
inline std::uint16_t MapSymbolForWtr(std::uint16_t mps) {
  if (mps == 106) return 8246;
  if (mps == 48) return 161;
  return 18;
}

// Replaces every waypoint's symbol by its WTR code. The codes as loaded are
// saved in `loaded` the first time; later calls translate from them again, so
// a conversion retried after a failed write writes the same file.
inline void MapSymbolsForWtr(WtrDocument& document, std::vector<std::uint16_t>& loaded) {
  if (!document.waypoints || document.waypointCount <= 0) return;
  const auto count = static_cast<std::size_t>(document.waypointCount);
  if (loaded.size() != count) {
    loaded.resize(count);
    for (std::size_t i = 0; i < count; ++i) loaded[i] = document.waypoints[i].symbol;
  }
  for (std::size_t i = 0; i < count; ++i) document.waypoints[i].symbol = MapSymbolForWtr(loaded[i]);
}

}  // namespace ridloe
