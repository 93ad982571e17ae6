#include "convert/symbols.h"

#include <utility>

namespace ridloe {

bool MapSymbolsForWtr(GpsDocument& document) {
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
