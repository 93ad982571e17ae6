#include "document/file_io.h"

#include "document/zeroed_array.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace ridloe {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kWriteChunk = std::size_t{1} << 20;

std::atomic<ZeroedMemoryObserver> blockObserver{nullptr};

void ObserveBlock(std::ptrdiff_t bytes) {
  if (const ZeroedMemoryObserver observer = blockObserver.load(std::memory_order_relaxed)) observer(bytes);
}

// Reads until `size` bytes are in, retrying short reads; false at an early end.
bool ReadFully(int fd, std::uint8_t* out, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, out + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteFully(int fd, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool Fail(ReadFailure* out, ReadFailure why) {
  if (out) *out = why;
  return false;
}

// Standard input has no size up front: read it in growing steps.
bool ReadStream(int fd, ByteBlock& buffer, ReadFailure* failure) {
  ByteBlock block;
  std::size_t used = 0;
  for (;;) {
    if (used == block.size()) {
      ByteBlock bigger;
      if (!bigger.Allocate(block.size() < 65536 ? 65536 : block.size() * 2)) return Fail(failure, ReadFailure::kNoMemory);
      if (used) std::memcpy(bigger.data(), block.data(), used);
      block = std::move(bigger);
    }
    const ssize_t n = ::read(fd, block.data() + used, block.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(failure, ReadFailure::kRead);
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  if (used == 0) return Fail(failure, ReadFailure::kEmpty);
  ByteBlock exact;
  if (!exact.Allocate(used)) return Fail(failure, ReadFailure::kNoMemory);
  std::memcpy(exact.data(), block.data(), used);
  buffer = std::move(exact);
  return true;
}

}  // namespace

ByteBlock::ByteBlock(ByteBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

ByteBlock& ByteBlock::operator=(ByteBlock&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

ByteBlock::~ByteBlock() { Release(); }

void SetZeroedMemoryObserver(ZeroedMemoryObserver observer) { blockObserver.store(observer); }

void ByteBlock::Release() {
  if (data_) FreeZeroedMemory(data_, size_, mapped_);
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
}

bool ByteBlock::Allocate(std::size_t size) {
  Release();
  if (size == 0) return true;
  data_ = static_cast<std::uint8_t*>(AllocateZeroedMemory(size, mapped_));
  if (!data_) return false;
  size_ = size;
  return true;
}

void* AllocateZeroedMemory(std::size_t size, std::size_t& mapped) {
  mapped = 0;
  if (size < kHugePage) {
    void* data = std::calloc(size, 1);
    if (data) ObserveBlock(static_cast<std::ptrdiff_t>(size));
    return data;
  }
  // Map one extra huge page so that the block can start on a 2 MiB boundary.
  const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  if (rounded < size || rounded + kHugePage < rounded) return nullptr;
  const std::size_t span = rounded + kHugePage;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  auto* base = static_cast<std::uint8_t*>(raw);
  const auto address = reinterpret_cast<std::uintptr_t>(base);
  const std::size_t lead = (kHugePage - address % kHugePage) % kHugePage;
  if (lead) ::munmap(base, lead);
  const std::size_t tail = span - lead - rounded;
  if (tail) ::munmap(base + lead + rounded, tail);
#ifdef MADV_HUGEPAGE
  ::madvise(base + lead, rounded, MADV_HUGEPAGE);
#endif
  mapped = rounded;
  ObserveBlock(static_cast<std::ptrdiff_t>(mapped));
  return base + lead;
}

void FreeZeroedMemory(void* data, std::size_t size, std::size_t mapped) {
  if (!data) return;
  ObserveBlock(-static_cast<std::ptrdiff_t>(mapped ? mapped : size));
  if (mapped) {
    ::munmap(data, mapped);
  } else {
    std::free(data);
  }
}

const char* DescribeReadFailure(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::kNone: return "no failure";
    case ReadFailure::kOpen: return "cannot be opened";
    case ReadFailure::kBusy: return "is being written by another program";
    case ReadFailure::kNotAFile: return "is not a regular file";
    case ReadFailure::kEmpty: return "is empty";
    case ReadFailure::kNoMemory: return "does not fit in memory";
    case ReadFailure::kRead: return "cannot be read";
    case ReadFailure::kShortRead: return "ended before all its bytes were read";
  }
  return "cannot be read";
}

bool ReadWholeFile(const std::string& path, ByteBlock& buffer, ReadFailure* failure) {
  if (failure) *failure = ReadFailure::kNone;
  if (path == "-") return ReadStream(STDIN_FILENO, buffer, failure);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(failure, ReadFailure::kOpen);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  // Our own writer holds an exclusive lock while it writes; do not read a
  // file halfway through being written.
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) return Fail(failure, ReadFailure::kBusy);
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Fail(failure, ReadFailure::kRead);
  if (!S_ISREG(st.st_mode)) return Fail(failure, ReadFailure::kNotAFile);
  if (st.st_size <= 0) return Fail(failure, ReadFailure::kEmpty);
  const auto size = static_cast<std::size_t>(st.st_size);
  ByteBlock block;
  if (!block.Allocate(size)) return Fail(failure, ReadFailure::kNoMemory);
  if (!ReadFully(fd, block.data(), size)) return Fail(failure, ReadFailure::kShortRead);
  buffer = std::move(block);
  return true;
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Open() {
  Discard();
  failed_ = false;
  // A short hidden name in the target's folder, so that a target whose name
  // is near the length limit can still be written and the rename stays on
  // one file system.
  const std::size_t slash = path_.rfind('/');
  tempPath_ = (slash == std::string::npos ? std::string() : path_.substr(0, slash + 1)) + ".ridloe-XXXXXX";
  fd_ = ::mkstemp(tempPath_.data());
  if (fd_ < 0) {
    tempPath_.clear();
    failed_ = true;
    return false;
  }
  ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
  ::flock(fd_, LOCK_EX | LOCK_NB);
  // mkstemp creates the file private to its owner; give the new file the
  // mode of the one it replaces, or the usual mode for a new file.
  struct stat st {};
  mode_t mode;
  if (::stat(path_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
  pending_.reset(new (std::nothrow) std::uint8_t[kWriteChunk]);
  pendingSize_ = 0;
  if (!pending_) failed_ = true;
  return !failed_;
}

bool AtomicFileWriter::Flush() {
  if (failed_ || fd_ < 0) return false;
  if (pendingSize_ && !WriteFully(fd_, pending_.get(), pendingSize_)) failed_ = true;
  pendingSize_ = 0;
  return !failed_;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size) {
  if (failed_ || fd_ < 0) return false;
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

bool AtomicFileWriter::Commit() {
  if (!Flush() || ::fsync(fd_) != 0) {
    Discard();
    return false;
  }
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0 || ::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
    return false;
  }
  tempPath_.clear();
  pending_.reset();
  // Make the rename itself durable: flush the folder that holds the new name.
  const std::size_t slash = path_.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

void AtomicFileWriter::Discard() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
  pending_.reset();
  pendingSize_ = 0;
}

}  // namespace ridloe
