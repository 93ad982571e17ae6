// Little-endian stores for the writers, which fill fixed-size records.
#pragma once

#include <bit>
#include <cstdint>

namespace ridloe {

inline void StoreU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void StoreI32(std::uint8_t* p, std::int32_t v) { StoreU32(p, static_cast<std::uint32_t>(v)); }
inline void StoreF32(std::uint8_t* p, float v) { StoreU32(p, std::bit_cast<std::uint32_t>(v)); }

}  // namespace ridloe
