// Reading files on POSIX systems, and what a path names.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/platform/file_access.h"
#include "core/platform/read_source.h"

namespace ridloe {
namespace {

// A file descriptor's bytes, read again after an interruption.
class FdSource final : public ReadSource {
 public:
  explicit FdSource(int fd) : fd_(fd) {}
  long long ReadSome(std::uint8_t* into, std::size_t most, int& code) override {
    for (;;) {
      const ssize_t n = ::read(fd_, into, most);
      if (n >= 0) return n;
      if (errno != EINTR) {
        code = errno;
        return -1;
      }
    }
  }

 private:
  int fd_;
};

bool ReadStream(int fd, ByteBlock& buffer, Error* error, const ReadOptions& options) {
  FdSource source(fd);
  return ReadStreamFrom(source, buffer, error, options);
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

bool IdentityOf(const std::string& path, FileIdentity& out) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  out = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

bool IsStream(const std::string& path) {
  if (path == "-") return true;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode));
}

bool ReadWholeFile(const std::string& path, ByteBlock& buffer, Error* error, const ReadOptions& options) {
  if (error) *error = Error{};
  if (path == "-") return ReadStream(STDIN_FILENO, buffer, error, options);
  // A socket cannot be opened and a folder holds no bytes: say so at once.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISSOCK(st.st_mode)) return FailRead(error, Step::kSocket);
    if (S_ISDIR(st.st_mode)) return FailRead(error, Step::kFolder);
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailRead(error, Step::kOpen, errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0) return FailRead(error, Step::kRead, errno);
  if (S_ISDIR(st.st_mode)) return FailRead(error, Step::kFolder);
  if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
    return ReadStream(fd, buffer, error, options);
  }
  if (!S_ISREG(st.st_mode)) return FailRead(error, Step::kNotAFile);
  // A program that locks a file for itself alone (flock, LOCK_EX) may be
  // halfway through writing it: it is not read. Whether it writes, the lock
  // does not say.
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) return FailRead(error, Step::kLocked);
  // Some kernel files say they are empty and hold bytes: read those as the
  // stream they are.
  if (st.st_size <= 0) return ReadStream(fd, buffer, error, options);
  FdSource source(fd);
  return ReadSizedFrom(source, static_cast<std::size_t>(st.st_size), buffer, error, options);
}

}  // namespace ridloe
