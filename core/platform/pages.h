// Large zero-filled blocks straight from the system, aligned to and rounded up
// to whole large pages. Only the zeroed-memory allocator uses these.
#pragma once

#include <cstddef>

namespace ridloe {

// Blocks of at least this size are mapped; smaller ones come from the heap.
inline constexpr std::size_t kLargePageSize = std::size_t{2} << 20;

// `size` zero bytes at a large-page boundary, or null; `mapped` receives the
// size of the mapping, which UnmapZeroedPages needs back.
void* MapZeroedPages(std::size_t size, std::size_t& mapped);
void UnmapZeroedPages(void* data, std::size_t mapped);
// Gives back the large pages after the first `keep` bytes; returns what stays
// mapped.
std::size_t TrimZeroedPages(void* data, std::size_t keep, std::size_t mapped);

}  // namespace ridloe
