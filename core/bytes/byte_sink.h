// Where a writer's bytes go: a file, standard output, or memory. Writers
// hand over a block at a time and stop at the first write that fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ridloe {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the bytes could not be taken; the sink says why, if it can.
  virtual bool Write(const void* data, std::size_t size) = 0;
};

// The bytes kept in memory, for callers that hold a file whole.
class MemorySink final : public ByteSink {
 public:
  bool Write(const void* data, std::size_t size) override {
    bytes.append(static_cast<const char*>(data), size);
    return true;
  }
  std::string bytes;
};

}  // namespace ridloe
