#include "core/bytes/byte_block.h"

#include <utility>

#include "core/bytes/zeroed_memory.h"
#include "core/platform/pages.h"

namespace ridloe {

ByteBlock::ByteBlock(ByteBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

ByteBlock& ByteBlock::operator=(ByteBlock&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

ByteBlock::~ByteBlock() { Release(); }

void ByteBlock::Release() {
  if (data_) FreeZeroedMemory(data_, capacity_, mapped_);
  data_ = nullptr;
  size_ = capacity_ = mapped_ = 0;
}

bool ByteBlock::Allocate(std::size_t size) {
  Release();
  if (size == 0) return true;
  data_ = static_cast<std::uint8_t*>(AllocateZeroedMemory(size, mapped_));
  if (!data_) return false;
  size_ = capacity_ = size;
  return true;
}

void ByteBlock::Truncate(std::size_t size) {
  if (size >= size_) return;
  if (size == 0) return Release();
  size_ = size;
  if (mapped_) mapped_ = TrimZeroedMemory(data_, size, mapped_);
}

}  // namespace ridloe
