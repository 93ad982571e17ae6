#include "core/platform/posix/targets.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace ridloe {
namespace {

const char* KindOf(mode_t mode) {
  return S_ISDIR(mode)                    ? "a folder"
         : S_ISFIFO(mode)                 ? "a FIFO"
         : S_ISSOCK(mode)                 ? "a socket"
         : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
         : S_ISLNK(mode)                  ? "a link"
                                          : "a special file";
}

// Which of this process's standard streams the file `st` describes, or null
// (standard output appended to a log, say).
const char* OwnStreamOf(const struct stat& st) {
  static const char* const kNames[] = {"standard input", "standard output", "standard error"};
  for (int fd = 0; fd < 3; ++fd) {
    struct stat stream {};
    if (::fstat(fd, &stream) == 0 && stream.st_dev == st.st_dev && stream.st_ino == st.st_ino) return kNames[fd];
  }
  return nullptr;
}

// Whether `path`, or a link on the way from it to what it names, leads into
// /proc, where a name stands for another process's (or this one's) open
// files: /dev/stdout and /proc/self/fd/1 name whatever standard output is.
bool LeadsIntoProc(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    char* real = ::realpath(folder.c_str(), nullptr);
    if (!real) return false;
    std::string full = real;
    std::free(real);
    if (full.back() != '/') full += '/';
    full += path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (full == "/proc" || full.rfind("/proc/", 0) == 0) return true;
    struct stat st {};
    if (::lstat(full.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
    char next[4096];
    const ssize_t n = ::readlink(full.c_str(), next, sizeof next);
    if (n <= 0 || static_cast<std::size_t>(n) == sizeof next) return false;
    const std::string to(next, static_cast<std::size_t>(n));
    path = to.front() == '/' ? to : full.substr(0, full.rfind('/') + 1) + to;
  }
  return false;
}

// The first bytes of a file, for a check before it is replaced; false when
// it cannot be read.
bool FirstBytes(const std::string& path, std::uint8_t* out, std::size_t& size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, out + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int code = errno;
      ::close(fd);
      errno = code;
      return false;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  size = done;
  return true;
}

bool IsUnsupported(int code) { return code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == ENOTSUP; }

}  // namespace

Target InspectTarget(const std::string& path, bool follow) {
  Target target;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return target;
  const bool link = S_ISLNK(st.st_mode);
  if (link && follow && LeadsIntoProc(path)) {
    target.state = TargetState::kOther;
    target.kind = "a link into /proc";
    return target;
  }
  if (link && follow && ::stat(path.c_str(), &st) != 0) {
    target.state = TargetState::kOther;
    target.kind = "a link to nothing";
    return target;
  }
  if (const char* stream = S_ISREG(st.st_mode) ? OwnStreamOf(st) : nullptr) {
    target.state = TargetState::kOwnStream;
    target.kind = stream;
    return target;
  }
  if (S_ISREG(st.st_mode)) {
    target.state = TargetState::kRegular;
    target.mode = st.st_mode & 07777;
    target.readOnly = (st.st_mode & 0222) == 0;
    target.file = path;
    if (link) {
      char* resolved = ::realpath(path.c_str(), nullptr);
      if (resolved) {
        target.file = resolved;
        std::free(resolved);
      }
    }
    return target;
  }
  target.state = TargetState::kOther;
  target.kind = KindOf(st.st_mode);
  return target;
}

Refusal<int> CheckTarget(const std::string& path, ExistingTarget existing, const ReplaceCheck& mayReplace,
                         Target& target, bool follow) {
  target = InspectTarget(path, follow);
  return RefusalFor<int>(target.state, target.readOnly, existing, mayReplace, [&](std::uint8_t* first, std::size_t& size, int& code) {
    if (FirstBytes(target.file, first, size)) return true;
    code = errno;
    return false;
  });
}

Refusal<int> ReplaceInOneStep(const std::string& from, const std::string& target, const ReplaceCheck& mayReplace,
                              std::string& kind, bool& swappedOut) {
#ifdef RENAME_EXCHANGE
  for (int attempt = 0; attempt < 16; ++attempt) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
      Target old;
      const Refusal<int> no = CheckTarget(from, ExistingTarget::kReplace, mayReplace, old, false);
      if (no.step == Step::kNone) {
        ::unlink(from.c_str());
        return {};
      }
      kind = old.kind;
      if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
        swappedOut = true;
        return {Step::kReplace, errno};
      }
      return no;
    }
    if (errno != ENOENT) break;
    // Nothing is at the target any more: put the file there, unless
    // something takes the name first.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EEXIST) break;
  }
  if (!IsUnsupported(errno)) return {Step::kReplace, errno};
#endif
  if (::rename(from.c_str(), target.c_str()) != 0) return {Step::kReplace, errno};
  return {};
}


Refusal<int> PutWithoutReplacing(const std::string& from, const std::string& target) {
  int code = 0;
#ifdef RENAME_NOREPLACE
  code = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
#else
  code = ENOSYS;
#endif
  if (IsUnsupported(code)) {
    code = ::link(from.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (code == 0) ::unlink(from.c_str());
    if (code == EPERM || IsUnsupported(code)) return {Step::kNoSafeKeep};
  }
  if (code == EEXIST) return {Step::kExists};
  if (code != 0) return {Step::kReplace, code};
  return {};
}

}  // namespace ridloe
