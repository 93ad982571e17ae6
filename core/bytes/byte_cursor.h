// The one way the readers look at a file's bytes: a cursor over one buffer
// that reads little-endian values, NUL-terminated strings and sub-ranges, and
// cannot run past the end of the bytes it walks. A read that does not fit
// consumes nothing, leaves its output alone and returns false, which a
// caller may not ignore: a read an earlier check made safe says so through
// Prechecked().
#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace ridloe {

using ByteSpan = std::span<const std::uint8_t>;

class ByteCursor {
 public:
  ByteCursor() = default;
  ByteCursor(const std::uint8_t* data, std::size_t size) : begin_(data), pos_(data), end_(data + size) {}
  explicit ByteCursor(ByteSpan bytes) : ByteCursor(bytes.data(), bytes.size()) {}

  std::size_t remaining() const { return static_cast<std::size_t>(end_ - pos_); }
  // Offset from the start of the outermost buffer, also in a sub-cursor.
  std::size_t offset() const { return base_ + static_cast<std::size_t>(pos_ - begin_); }
  bool AtEnd() const { return pos_ == end_; }
  // The bytes not yet read.
  ByteSpan Rest() const { return {pos_, remaining()}; }

  [[nodiscard]] bool ReadU8(std::uint8_t& out) { return ReadLittleEndian(out); }
  [[nodiscard]] bool ReadU16(std::uint16_t& out) { return ReadLittleEndian(out); }
  [[nodiscard]] bool ReadU32(std::uint32_t& out) { return ReadLittleEndian(out); }
  [[nodiscard]] bool ReadI32(std::int32_t& out) {
    std::uint32_t bits = 0;
    if (!ReadLittleEndian(bits)) return false;
    out = static_cast<std::int32_t>(bits);
    return true;
  }
  [[nodiscard]] bool ReadF32(float& out) {
    std::uint32_t bits = 0;
    if (!ReadLittleEndian(bits)) return false;
    out = std::bit_cast<float>(bits);
    return true;
  }
  [[nodiscard]] bool ReadF64(double& out) {
    std::uint64_t bits = 0;
    if (!ReadLittleEndian(bits)) return false;
    out = std::bit_cast<double>(bits);
    return true;
  }

  // The next n bytes as a view; the cursor moves past them.
  [[nodiscard]] bool ReadBytes(std::size_t n, ByteSpan& out) {
    if (n > remaining()) return false;
    out = {pos_, n};
    pos_ += n;
    return true;
  }
  // Copies the next n bytes to `out`.
  [[nodiscard]] bool CopyBytes(void* out, std::size_t n) {
    if (n > remaining()) return false;
    std::memcpy(out, pos_, n);
    pos_ += n;
    return true;
  }
  [[nodiscard]] bool Skip(std::size_t n) {
    if (n > remaining()) return false;
    pos_ += n;
    return true;
  }

  // A NUL-terminated string whose NUL lies within the bytes that remain:
  // `out` views the bytes before the NUL and the cursor moves past the NUL.
  [[nodiscard]] bool ReadCString(ByteSpan& out) {
    const void* nul = remaining() ? std::memchr(pos_, 0, remaining()) : nullptr;
    if (!nul) return false;
    const auto length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - pos_);
    out = {pos_, length};
    pos_ += length + 1;
    return true;
  }

  // A cursor over the next n bytes, whose offsets go on counting from this
  // cursor's; this cursor moves past them.
  [[nodiscard]] bool Sub(std::size_t n, ByteCursor& out) {
    if (n > remaining()) return false;
    out = ByteCursor(pos_, n);
    out.base_ = offset();
    pos_ += n;
    return true;
  }

  // The reads whose bounds an earlier check made sure of: the fields of a
  // sub-cursor of a known size, a record whose length was measured whole.
  // `in.Prechecked().ReadI32(x)` reads as `in.ReadI32(x)` does and asserts in
  // a debug build that it fitted; were the check wrong, it would still read
  // nothing past the end.
  class PrecheckedReads;
  PrecheckedReads Prechecked();

  // Whether the next bytes equal `marker`; the cursor does not move.
  [[nodiscard]] bool StartsWith(ByteSpan marker) const {
    return marker.size() <= remaining() && std::memcmp(pos_, marker.data(), marker.size()) == 0;
  }

 private:
  template <typename T>
  [[nodiscard]] bool ReadLittleEndian(T& out) {
    if (sizeof(T) > remaining()) return false;
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) value = static_cast<T>(value | (static_cast<T>(pos_[i]) << (8 * i)));
    out = value;
    pos_ += sizeof(T);
    return true;
  }

  const std::uint8_t* begin_ = nullptr;
  const std::uint8_t* pos_ = nullptr;
  const std::uint8_t* end_ = nullptr;
  std::size_t base_ = 0;
};

class ByteCursor::PrecheckedReads {
 public:
  explicit PrecheckedReads(ByteCursor& cursor) : cursor_(cursor) {}
  void ReadU8(std::uint8_t& out) { Fitted(cursor_.ReadU8(out)); }
  void ReadU16(std::uint16_t& out) { Fitted(cursor_.ReadU16(out)); }
  void ReadU32(std::uint32_t& out) { Fitted(cursor_.ReadU32(out)); }
  void ReadI32(std::int32_t& out) { Fitted(cursor_.ReadI32(out)); }
  void ReadF32(float& out) { Fitted(cursor_.ReadF32(out)); }
  void ReadF64(double& out) { Fitted(cursor_.ReadF64(out)); }
  void ReadBytes(std::size_t n, ByteSpan& out) { Fitted(cursor_.ReadBytes(n, out)); }
  void CopyBytes(void* out, std::size_t n) { Fitted(cursor_.CopyBytes(out, n)); }
  void Skip(std::size_t n) { Fitted(cursor_.Skip(n)); }
  void Sub(std::size_t n, ByteCursor& out) { Fitted(cursor_.Sub(n, out)); }

 private:
  static void Fitted([[maybe_unused]] bool fitted) { assert(fitted && "a read checked before did not fit"); }

  ByteCursor& cursor_;
};

inline ByteCursor::PrecheckedReads ByteCursor::Prechecked() { return PrecheckedReads(*this); }

}  // namespace ridloe
