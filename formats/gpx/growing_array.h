// A zero-filled array that doubles as it fills, handed whole to its owner
// at the end: the reader's waypoints, route points and track points.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "core/bytes/zeroed_memory.h"

namespace ridloe {

// T is a record type whose zero bytes are its empty value and which may be
// copied byte for byte.
template <typename T>
class GrowingArray {
 public:
  // A zeroed element at the end, or null when memory is short.
  T* Add() {
    if (size_ == capacity_) {
      const std::size_t bigger = std::max<std::size_t>(64, capacity_ * 2);
      ZeroedArray<T> grown = AllocateZeroed<T>(bigger);
      if (!grown) return nullptr;
      if (size_) std::memcpy(static_cast<void*>(grown.get()), data_.get(), size_ * sizeof(T));
      data_ = std::move(grown);
      capacity_ = bigger;
    }
    return &data_[size_++];
  }
  std::size_t size() const { return size_; }
  // The elements, in an array that may be longer than size(); the array is
  // empty afterwards.
  ZeroedArray<T> Release() {
    size_ = capacity_ = 0;
    return std::move(data_);
  }

 private:
  ZeroedArray<T> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace ridloe
