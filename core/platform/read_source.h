// What the portable half of ReadWholeFile (whole_reads.cpp) needs from each
// platform's half: a way to read some bytes of an open file or stream.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/platform/file_access.h"

namespace ridloe {

class ReadSource {
 public:
  virtual ~ReadSource() = default;
  // Reads at most `most` bytes into `into`: how many came (0 at the end), or
  // -1 with the system's error code in `code`.
  virtual long long ReadSome(std::uint8_t* into, std::size_t most, int& code) = 0;
};

// Sets `out` (when there is one) to `why` with the system's words for `code`
// (none for 0); false.
bool FailRead(Error* out, Step why, int code = 0);

// A stream has no size up front: read in growing steps, its first bytes
// looked at as soon as they are in, and never past the limit.
bool ReadStreamFrom(ReadSource& source, ByteBlock& buffer, Error* error, const ReadOptions& options);

// A file of `size` bytes: its first bytes looked at before the whole file is
// taken into memory; fewer bytes than that fail with kShortRead.
bool ReadSizedFrom(ReadSource& source, std::size_t size, ByteBlock& buffer, Error* error,
                   const ReadOptions& options);

}  // namespace ridloe
