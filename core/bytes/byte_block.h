// An owned, zero-filled block of bytes: a whole file's contents, or the
// records a reader keeps.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/bytes/byte_cursor.h"

namespace ridloe {

class ByteBlock {
 public:
  ByteBlock() = default;
  ByteBlock(ByteBlock&& other) noexcept;
  ByteBlock& operator=(ByteBlock&& other) noexcept;
  ByteBlock(const ByteBlock&) = delete;
  ByteBlock& operator=(const ByteBlock&) = delete;
  ~ByteBlock();

  // Replaces the contents by `size` zero bytes; false when memory is short.
  bool Allocate(std::size_t size);
  void Release();
  // Keeps the first `size` bytes and gives back whole pages after them; the
  // kept bytes stay where they are.
  void Truncate(std::size_t size);

  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  ByteSpan bytes() const { return {data_, size_}; }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;  // what was allocated, for giving it back
  std::size_t mapped_ = 0;    // non-zero when the block is a page mapping
};

}  // namespace ridloe
