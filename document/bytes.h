// Little-endian access to byte buffers and a cursor that cannot run past the
// end of the bytes it walks.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ridloe {

inline std::uint16_t LoadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t LoadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::int32_t LoadI32(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadU32(p)); }

inline std::uint64_t LoadU64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(LoadU32(p)) | (static_cast<std::uint64_t>(LoadU32(p + 4)) << 32);
}

inline float LoadF32(const std::uint8_t* p) { return std::bit_cast<float>(LoadU32(p)); }
inline double LoadF64(const std::uint8_t* p) { return std::bit_cast<double>(LoadU64(p)); }

inline void StoreU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void StoreI32(std::uint8_t* p, std::int32_t v) { StoreU32(p, static_cast<std::uint32_t>(v)); }
inline void StoreF32(std::uint8_t* p, float v) { StoreU32(p, std::bit_cast<std::uint32_t>(v)); }

// A read position inside one buffer. Every step checks the bytes that remain
// first; a step that does not fit consumes nothing and returns false.
class ByteCursor {
 public:
  ByteCursor() = default;
  ByteCursor(const std::uint8_t* data, std::size_t size) : begin_(data), pos_(data), end_(data + size) {}

  std::size_t remaining() const { return static_cast<std::size_t>(end_ - pos_); }
  std::size_t offset() const { return static_cast<std::size_t>(pos_ - begin_); }
  const std::uint8_t* position() const { return pos_; }
  bool AtEnd() const { return pos_ == end_; }

  // True when the next n bytes exist; `out` then views them and the cursor
  // moves past them.
  bool Take(std::size_t n, const std::uint8_t*& out) {
    if (n > remaining()) return false;
    out = pos_;
    pos_ += n;
    return true;
  }
  bool Skip(std::size_t n) {
    const std::uint8_t* ignored = nullptr;
    return Take(n, ignored);
  }
  // Compares the next bytes with `marker` without moving.
  bool StartsWith(const std::uint8_t* marker, std::size_t n) const {
    return n <= remaining() && std::memcmp(pos_, marker, n) == 0;
  }

 private:
  const std::uint8_t* begin_ = nullptr;
  const std::uint8_t* pos_ = nullptr;
  const std::uint8_t* end_ = nullptr;
};

// Length of the NUL-terminated string at `p` when its NUL lies within the
// next `limit` bytes; -1 otherwise. Never looks past p + limit.
inline std::ptrdiff_t BoundedStringLength(const std::uint8_t* p, std::size_t limit) {
  if (limit == 0) return -1;
  const void* nul = std::memchr(p, 0, limit);
  return nul ? static_cast<const std::uint8_t*>(nul) - p : -1;
}

}  // namespace ridloe
