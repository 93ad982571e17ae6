// What the portable half of AtomicFileWriter needs from each platform's half.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/platform/file_access.h"

namespace ridloe {

// Writes all `size` bytes to the writer's temporary file; false with the
// system's error code in `code` otherwise.
bool WriteToHandle(AtomicFileWriter::Handle& handle, const std::uint8_t* data, std::size_t size, int& code);

}  // namespace ridloe
