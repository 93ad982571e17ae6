#include "core/platform/pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace ridloe {

void* MapZeroedPages(std::size_t size, std::size_t& mapped) {
  mapped = 0;
  // Map one extra large page so that the block can start on a boundary.
  const std::size_t rounded = (size + kLargePageSize - 1) / kLargePageSize * kLargePageSize;
  if (rounded < size || rounded + kLargePageSize < rounded) return nullptr;
  const std::size_t span = rounded + kLargePageSize;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  auto* base = static_cast<std::uint8_t*>(raw);
  const auto address = reinterpret_cast<std::uintptr_t>(base);
  const std::size_t lead = (kLargePageSize - address % kLargePageSize) % kLargePageSize;
  if (lead) ::munmap(base, lead);
  const std::size_t tail = span - lead - rounded;
  if (tail) ::munmap(base + lead + rounded, tail);
#ifdef MADV_HUGEPAGE
  ::madvise(base + lead, rounded, MADV_HUGEPAGE);
#endif
  mapped = rounded;
  return base + lead;
}

void UnmapZeroedPages(void* data, std::size_t mapped) { ::munmap(data, mapped); }

std::size_t TrimZeroedPages(void* data, std::size_t keep, std::size_t mapped) {
  const std::size_t stays = (keep + kLargePageSize - 1) / kLargePageSize * kLargePageSize;
  if (stays >= mapped) return mapped;
  ::munmap(static_cast<std::uint8_t*>(data) + stays, mapped - stays);
  return stays;
}

}  // namespace ridloe
