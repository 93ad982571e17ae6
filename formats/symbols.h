// Waypoint symbols: MPS files and WTR files each number them their own way,
// and GPX files name them. The few symbols real files use, in all three.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/text/ascii.h"

namespace ridloe {

struct NamedSymbol {
  std::string_view name;  // as GPX files write it
  std::uint16_t mps;
  std::uint16_t wtr;
};

// Whose numbers a document's symbol codes are (106 and 8246 are both a
// summit): one of the two below, told apart by address.
struct SymbolNumbering {
  std::uint16_t NamedSymbol::*code;  // the column of the table that holds them
};
inline constexpr SymbolNumbering kMpsNumbering{&NamedSymbol::mps};
inline constexpr SymbolNumbering kWtrNumbering{&NamedSymbol::wtr};

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

// The symbol whose code in `numbering` is `code`, or null.
inline const NamedSymbol* SymbolWithCode(std::uint16_t code, const SymbolNumbering& numbering) {
  for (const NamedSymbol& s : kNamedSymbols) {
    if (s.*numbering.code == code) return &s;
  }
  return nullptr;
}

// The WTR code of a symbol numbered as `numbering` says: a WTR code stays;
// MPS 106 becomes 8246, 48 becomes 161, every other code 18.
inline std::uint16_t WtrSymbolCode(std::uint16_t code, const SymbolNumbering& numbering) {
  if (&numbering == &kWtrNumbering) return code;
  const NamedSymbol* named = SymbolWithCode(code, numbering);
  return named ? named->wtr : kPlainSymbol;
}

}  // namespace ridloe
