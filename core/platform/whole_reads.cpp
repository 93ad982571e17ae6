// The portable half of ReadWholeFile: buffers, the first-bytes check and the
// stream limit; each platform only reads bytes (platform/*/file_access.cpp).
#include <algorithm>
#include <cstring>
#include <utility>

#include "core/platform/read_source.h"

namespace ridloe {
namespace {

// Reads until `size` bytes are in; false at an early end, with the system's
// code in `code` when it gave one.
bool ReadFully(ReadSource& source, std::uint8_t* out, std::size_t size, int& code) {
  std::size_t done = 0;
  code = 0;
  while (done < size) {
    const long long n = source.ReadSome(out + done, size - done, code);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool FailRead(Error* out, Step why, int code) {
  if (out) {
    out->step = why;
    out->reason = code ? SystemErrorText(code) : std::string();
    out->limit = 0;
  }
  return false;
}

bool ReadStreamFrom(ReadSource& source, ByteBlock& buffer, Error* error, const ReadOptions& options) {
  ByteBlock block;
  std::size_t used = 0;
  bool prefixChecked = !options.acceptsPrefix;
  for (;;) {
    if (used == block.size()) {
      const std::size_t grown = block.size() < 65536 ? 65536 : block.size() * 2;
      ByteBlock bigger;
      if (!bigger.Allocate(std::min(grown, options.streamLimit + 1))) return FailRead(error, Step::kNoMemory);
      if (used) std::memcpy(bigger.data(), block.data(), used);
      block = std::move(bigger);
    }
    int code = 0;
    const long long n = source.ReadSome(block.data() + used, block.size() - used, code);
    if (n < 0) return FailRead(error, Step::kRead, code);
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
    if (used > options.streamLimit) {
      FailRead(error, Step::kTooLong);
      if (error) error->limit = options.streamLimit;
      return false;
    }
    if (!prefixChecked && used >= options.prefixSize) {
      prefixChecked = true;
      if (!options.acceptsPrefix(ByteSpan(block.data(), options.prefixSize))) {
        // The bytes read stay, for the caller to say what they are.
        block.Truncate(options.prefixSize);
        buffer = std::move(block);
        return FailRead(error, Step::kUnrecognised);
      }
    }
    if (prefixChecked && options.watch && !options.watch(ByteSpan(block.data(), used), options.streamLimit)) break;
  }
  if (used == 0) return FailRead(error, Step::kEmpty);
  ByteBlock exact;
  if (!exact.Allocate(used)) return FailRead(error, Step::kNoMemory);
  std::memcpy(exact.data(), block.data(), used);
  buffer = std::move(exact);
  return true;
}

bool ReadSizedFrom(ReadSource& source, std::size_t size, ByteBlock& buffer, Error* error,
                   const ReadOptions& options) {
  int code = 0;
  const std::size_t step = options.watch ? std::max<std::size_t>(options.watchStep, 1) : size;
  // The first bytes are looked at, and the first step watched, before the
  // whole file is taken into memory: a file wrong at its first bytes never
  // costs its size.
  const std::size_t prefixSize = options.acceptsPrefix && size >= options.prefixSize ? options.prefixSize : 0;
  const std::size_t firstSize = options.watch ? std::max(prefixSize, std::min(step, size)) : prefixSize;
  ByteBlock first;
  if (firstSize) {
    if (!first.Allocate(firstSize)) return FailRead(error, Step::kNoMemory);
    if (!ReadFully(source, first.data(), prefixSize, code)) return FailRead(error, Step::kShortRead, code);
    if (prefixSize && !options.acceptsPrefix(ByteSpan(first.data(), prefixSize))) {
      first.Truncate(prefixSize);
      buffer = std::move(first);
      return FailRead(error, Step::kUnrecognised);
    }
    if (!ReadFully(source, first.data() + prefixSize, firstSize - prefixSize, code)) {
      return FailRead(error, Step::kShortRead, code);
    }
    if (firstSize == size || (options.watch && !options.watch(first.bytes(), size))) {
      buffer = std::move(first);
      return true;
    }
  }
  ByteBlock block;
  if (!block.Allocate(size)) return FailRead(error, Step::kNoMemory);
  if (firstSize) std::memcpy(block.data(), first.data(), firstSize);
  first = ByteBlock();
  // Without a watch the rest is read in one go; with one, a step at a time,
  // and no further than the watch wants.
  for (std::size_t done = firstSize; done < size;) {
    const std::size_t n = std::min(step, size - done);
    if (!ReadFully(source, block.data() + done, n, code)) return FailRead(error, Step::kShortRead, code);
    done += n;
    if (options.watch && !options.watch(ByteSpan(block.data(), done), size) && done < size) {
      block.Truncate(done);
      break;
    }
  }
  buffer = std::move(block);
  return true;
}

}  // namespace ridloe
