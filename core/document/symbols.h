// Waypoint symbols: MPS files and WTR files each number them their own way,
// and GPX files name them. The few symbols real files use, in all three.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/text/ascii.h"

namespace ridloe {

// Whose numbers a document's symbol codes are (106 and 8246 are both a summit).
enum class SymbolCodes { kMps, kWtr };

struct NamedSymbol {
  std::string_view name;  // as GPX files write it
  std::uint16_t mps;
  std::uint16_t wtr;
};

// Both MPS codes 18 and 10 become the WTR code 18, which reads back as "Waypoint".
inline constexpr NamedSymbol kNamedSymbols[] = {
    {"Summit", 106, 8246}, {"Scenic Area", 48, 161}, {"Waypoint", 18, 18}, {"Residence", 10, 18}};

// The plain waypoint, in both numberings: what every other symbol becomes.
inline constexpr std::uint16_t kPlainSymbol = 18;

// The symbol named `name` (ASCII letters in any case), or null.
inline const NamedSymbol* SymbolNamed(std::string_view name) {
  for (const NamedSymbol& s : kNamedSymbols) {
    if (EqualsNoCase(name, s.name)) return &s;
  }
  return nullptr;
}

// The symbol whose code in `codes` is `code`, or null.
inline const NamedSymbol* SymbolWithCode(std::uint16_t code, SymbolCodes codes) {
  for (const NamedSymbol& s : kNamedSymbols) {
    if ((codes == SymbolCodes::kMps ? s.mps : s.wtr) == code) return &s;
  }
  return nullptr;
}

// The WTR code of a symbol numbered as `codes` says: a WTR code stays; MPS
// 106 becomes 8246, 48 becomes 161, every other code 18.
inline std::uint16_t WtrSymbolCode(std::uint16_t code, SymbolCodes codes) {
  if (codes == SymbolCodes::kWtr) return code;
  const NamedSymbol* named = SymbolWithCode(code, SymbolCodes::kMps);
  return named ? named->wtr : kPlainSymbol;
}

}  // namespace ridloe
