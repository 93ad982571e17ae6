// Large zeroed blocks from VirtualAlloc. Address space is reserved with a
// large page to spare, and only the block itself, placed on a large-page
// boundary inside it, is committed; trimming decommits the pages after what
// is kept, and unmapping releases the whole reservation.
#include "core/platform/pages.h"

#include <windows.h>

#include <cstdint>

namespace ridloe {

void* MapZeroedPages(std::size_t size, std::size_t& mapped) {
  mapped = 0;
  const std::size_t rounded = (size + kLargePageSize - 1) / kLargePageSize * kLargePageSize;
  if (rounded < size || rounded + kLargePageSize < rounded) return nullptr;
  void* reserved = VirtualAlloc(nullptr, rounded + kLargePageSize, MEM_RESERVE, PAGE_NOACCESS);
  if (!reserved) return nullptr;
  const auto address = reinterpret_cast<std::uintptr_t>(reserved);
  auto* base = static_cast<std::uint8_t*>(reserved) + (kLargePageSize - address % kLargePageSize) % kLargePageSize;
  if (!VirtualAlloc(base, rounded, MEM_COMMIT, PAGE_READWRITE)) {
    VirtualFree(reserved, 0, MEM_RELEASE);
    return nullptr;
  }
  mapped = rounded;
  return base;
}

void UnmapZeroedPages(void* data, std::size_t) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(data, &info, sizeof info) == sizeof info) VirtualFree(info.AllocationBase, 0, MEM_RELEASE);
}

std::size_t TrimZeroedPages(void* data, std::size_t keep, std::size_t mapped) {
  const std::size_t stays = (keep + kLargePageSize - 1) / kLargePageSize * kLargePageSize;
  if (stays >= mapped) return mapped;
  VirtualFree(static_cast<std::uint8_t*>(data) + stays, mapped - stays, MEM_DECOMMIT);
  return stays;
}

}  // namespace ridloe
