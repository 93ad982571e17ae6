// Zero-filled memory for the document and the readers. Large blocks are
// mapped on 2 MiB pages where the system offers them: on a machine where each
// fresh 4 KiB page costs a fault, a document of a million waypoints would
// otherwise spend most of its load time faulting pages in.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>

namespace ridloe {

// `size` zero bytes, or null when memory is short; `mapped` receives what
// FreeZeroedMemory needs to give them back.
void* AllocateZeroedMemory(std::size_t size, std::size_t& mapped);
void FreeZeroedMemory(void* data, std::size_t size, std::size_t mapped);
// Gives back the whole pages of a mapped block after its first `keep` bytes;
// returns what stays mapped.
std::size_t TrimZeroedMemory(void* data, std::size_t keep, std::size_t mapped);

// Told of every change in the zeroed memory that ByteBlocks and ZeroedArrays
// hold: +bytes when it is taken, -bytes when it is given back (the whole
// mapping for a large block, the size asked for otherwise). Lets a test add
// this memory, which bypasses operator new, to what it counts. None is set by
// default.
using ZeroedMemoryObserver = void (*)(std::ptrdiff_t bytes);
void SetZeroedMemoryObserver(ZeroedMemoryObserver observer);

template <typename T>
struct ZeroedArrayDeleter {
  std::size_t count = 0;
  std::size_t mapped = 0;
  bool borrowed = false;  // a slice of a larger array that owns the memory

  void operator()(T* data) const {
    if (borrowed) return;
    if constexpr (!std::is_trivially_destructible_v<T>) {
      for (std::size_t i = 0; i < count; ++i) data[i].~T();
    }
    FreeZeroedMemory(data, count == 0 ? 1 : count * sizeof(T), mapped);
  }
};

template <typename T>
using ZeroedArray = std::unique_ptr<T[], ZeroedArrayDeleter<T>>;

// `count` value-initialised elements; null when memory is short.
template <typename T>
ZeroedArray<T> AllocateZeroed(std::size_t count) {
  if (count > static_cast<std::size_t>(-1) / sizeof(T)) return {};
  std::size_t mapped = 0;
  // Zero bytes are the value-initialised form of every record type here;
  // construct in place to begin the elements' lifetimes.
  void* memory = AllocateZeroedMemory(count == 0 ? 1 : count * sizeof(T), mapped);
  if (!memory) return {};
  T* data = static_cast<T*>(memory);
  for (std::size_t i = 0; i < count; ++i) {
    if constexpr (std::is_trivially_default_constructible_v<T>) {
      ::new (static_cast<void*>(data + i)) T;
    } else {
      ::new (static_cast<void*>(data + i)) T();
    }
  }
  return ZeroedArray<T>(data, ZeroedArrayDeleter<T>{count, mapped, false});
}

// A view of `count` elements of an array that something else owns, in the
// type of an owned array. Destroying it frees nothing.
template <typename T>
ZeroedArray<T> BorrowSlice(T* data, std::size_t count) {
  return ZeroedArray<T>(data, ZeroedArrayDeleter<T>{count, 0, true});
}

}  // namespace ridloe
