// File access on POSIX systems.
#include "core/platform/file_access.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/platform/writer_handle.h"

namespace ridloe {
namespace {

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

bool Fail(ReadError* out, ReadFailure why, int code = 0) {
  if (out) {
    out->failure = why;
    out->reason = code ? SystemErrorText(code) : std::string();
  }
  return false;
}

// Standard input has no size up front: read it in growing steps.
bool ReadStream(int fd, ByteBlock& buffer, ReadError* error) {
  ByteBlock block;
  std::size_t used = 0;
  for (;;) {
    if (used == block.size()) {
      ByteBlock bigger;
      if (!bigger.Allocate(block.size() < 65536 ? 65536 : block.size() * 2)) return Fail(error, ReadFailure::kNoMemory);
      if (used) std::memcpy(bigger.data(), block.data(), used);
      block = std::move(bigger);
    }
    const ssize_t n = ::read(fd, block.data() + used, block.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(error, ReadFailure::kRead, errno);
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  if (used == 0) return Fail(error, ReadFailure::kEmpty);
  ByteBlock exact;
  if (!exact.Allocate(used)) return Fail(error, ReadFailure::kNoMemory);
  std::memcpy(exact.data(), block.data(), used);
  buffer = std::move(exact);
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string SystemErrorText(int code) { return std::strerror(code); }

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

bool ReadWholeFile(const std::string& path, ByteBlock& buffer, ReadError* error) {
  if (error) *error = ReadError{};
  if (path == "-") return ReadStream(STDIN_FILENO, buffer, error);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(error, ReadFailure::kOpen, errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  // Our own writer holds an exclusive lock while it writes; do not read a
  // file halfway through being written.
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) return Fail(error, ReadFailure::kBusy);
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Fail(error, ReadFailure::kRead, errno);
  if (!S_ISREG(st.st_mode)) return Fail(error, ReadFailure::kNotAFile);
  if (st.st_size <= 0) return Fail(error, ReadFailure::kEmpty);
  const auto size = static_cast<std::size_t>(st.st_size);
  ByteBlock block;
  if (!block.Allocate(size)) return Fail(error, ReadFailure::kNoMemory);
  if (!ReadFully(fd, block.data(), size)) return Fail(error, ReadFailure::kShortRead, errno);
  buffer = std::move(block);
  return true;
}

struct AtomicFileWriter::Handle {
  int fd = -1;
  std::string tempPath;
};

bool WriteToHandle(AtomicFileWriter::Handle& handle, const std::uint8_t* data, std::size_t size, int& code) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(handle.fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      code = n < 0 ? errno : ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Open() {
  Discard();
  failed_ = false;
  error_ = {};
  handle_ = std::make_unique<Handle>();
  // A short hidden name in the target's folder, so that a target whose name
  // is near the length limit can still be written and the rename stays on
  // one file system.
  const std::size_t slash = path_.rfind('/');
  handle_->tempPath = (slash == std::string::npos ? std::string() : path_.substr(0, slash + 1)) + ".ridloe-XXXXXX";
  handle_->fd = ::mkstemp(handle_->tempPath.data());
  if (handle_->fd < 0) {
    const int code = errno;
    handle_.reset();
    return Fail("cannot create a file in the folder", code);
  }
  ::fcntl(handle_->fd, F_SETFD, FD_CLOEXEC);
  ::flock(handle_->fd, LOCK_EX | LOCK_NB);
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
  ::fchmod(handle_->fd, mode);
  pendingSize_ = 0;
  return true;
}

bool AtomicFileWriter::Commit() {
  if (!Flush()) {
    Discard();
    return false;
  }
  if (::fsync(handle_->fd) != 0) {
    Fail("cannot flush", errno);
    Discard();
    return false;
  }
  const int fd = std::exchange(handle_->fd, -1);
  if (::close(fd) != 0) {
    Fail("cannot write", errno);
    Discard();
    return false;
  }
  if (::rename(handle_->tempPath.c_str(), path_.c_str()) != 0) {
    Fail("cannot replace", errno);
    Discard();
    return false;
  }
  handle_->tempPath.clear();
  Discard();
  // Make the rename itself durable: flush the folder that holds the new name.
  const int dir = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

void AtomicFileWriter::Discard() {
  if (handle_) {
    if (handle_->fd >= 0) ::close(std::exchange(handle_->fd, -1));
    if (!handle_->tempPath.empty()) ::unlink(handle_->tempPath.c_str());
    handle_.reset();
  }
  pending_.reset();
  pendingSize_ = 0;
}

}  // namespace ridloe
