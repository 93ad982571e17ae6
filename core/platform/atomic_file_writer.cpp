// The buffering half of AtomicFileWriter; creating, flushing and renaming
// the temporary file is each platform's own (platform/*/file_access.cpp).
#include <algorithm>
#include <cstring>
#include <utility>

#include "core/platform/file_access.h"
#include "core/platform/writer_handle.h"

namespace ridloe {
namespace {

constexpr std::size_t kWriteChunk = std::size_t{1} << 20;

}  // namespace

// The first failure is the one reported; the temporary file goes with it,
// so that nothing of a failed write is left whatever the caller does next.
bool AtomicFileWriter::Fail(Step failure, int code, std::string kind) {
  if (!failed_) error_ = Error(failure, code ? SystemErrorText(code) : std::string(), std::move(kind));
  failed_ = true;
  Discard();
  return false;
}

bool AtomicFileWriter::Flush() {
  if (failed_ || !handle_) return false;
  int code = 0;
  if (pendingSize_ && !WriteToHandle(*handle_, pending_.get(), pendingSize_, code)) return Fail(Step::kWrite, code);
  pendingSize_ = 0;
  return true;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size) {
  if (failed_ || !handle_) return false;
  if (!pending_) {
    pending_.reset(new (std::nothrow) std::uint8_t[kWriteChunk]);
    if (!pending_) return Fail(Step::kNoWriteMemory, 0);
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    if (pendingSize_ == kWriteChunk && !Flush()) return false;
    const std::size_t take = std::min(size, kWriteChunk - pendingSize_);
    std::memcpy(pending_.get() + pendingSize_, bytes, take);
    pendingSize_ += take;
    bytes += take;
    size -= take;
  }
  return true;
}

}  // namespace ridloe
