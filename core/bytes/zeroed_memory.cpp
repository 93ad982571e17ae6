#include "core/bytes/zeroed_memory.h"

#include <atomic>
#include <cstdlib>

#include "core/platform/pages.h"

namespace ridloe {
namespace {

std::atomic<ZeroedMemoryObserver> observer{nullptr};

void Observe(std::ptrdiff_t bytes) {
  if (const ZeroedMemoryObserver o = observer.load(std::memory_order_relaxed)) o(bytes);
}

}  // namespace

void SetZeroedMemoryObserver(ZeroedMemoryObserver o) { observer.store(o); }

void* AllocateZeroedMemory(std::size_t size, std::size_t& mapped) {
  mapped = 0;
  void* data = nullptr;
  if (size < kLargePageSize) {
    data = std::calloc(size, 1);
    if (data) Observe(static_cast<std::ptrdiff_t>(size));
    return data;
  }
  data = MapZeroedPages(size, mapped);
  if (data) Observe(static_cast<std::ptrdiff_t>(mapped));
  return data;
}

void FreeZeroedMemory(void* data, std::size_t size, std::size_t mapped) {
  if (!data) return;
  Observe(-static_cast<std::ptrdiff_t>(mapped ? mapped : size));
  if (mapped) {
    UnmapZeroedPages(data, mapped);
  } else {
    std::free(data);
  }
}

std::size_t TrimZeroedMemory(void* data, std::size_t keep, std::size_t mapped) {
  const std::size_t stays = TrimZeroedPages(data, keep, mapped);
  Observe(-static_cast<std::ptrdiff_t>(mapped - stays));
  return stays;
}

}  // namespace ridloe
