// File access on POSIX systems.
#include "core/platform/file_access.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/platform/posix/temporary_files.h"
#include "core/platform/read_source.h"
#include "core/platform/replace_rule.h"
#include "core/platform/writer_handle.h"

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

bool ReadStream(int fd, ByteBlock& buffer, ReadError* error, const ReadOptions& options) {
  FdSource source(fd);
  return ReadStreamFrom(source, buffer, error, options);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Named temporary files still on disk, removed when a signal ends the
// process. Fixed storage, so that the handler only reads memory that is
// always there.
constexpr int kCleanupSlots = 8;
constexpr std::size_t kCleanupPathSize = 4096;
char g_cleanupPaths[kCleanupSlots][kCleanupPathSize];
std::atomic<bool> g_cleanupUsed[kCleanupSlots];

// The signals that end a process by default and that it may catch. A file
// size limit (SIGXFSZ) is caught too, but not to end the process: the write
// that passed the limit then fails with EFBIG, is reported, and removes its
// file like every failed write.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM,  SIGPIPE, SIGALRM,
                                  SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ};

extern "C" void RemoveTemporaryFilesAndEnd(int signal) {
  if (signal == SIGXFSZ) return;
  const int saved = errno;
  for (int i = 0; i < kCleanupSlots; ++i) {
    if (g_cleanupUsed[i].load()) ::unlink(g_cleanupPaths[i]);
  }
  errno = saved;
  // The signal is blocked while this runs; it ends the process as it would
  // have once this returns.
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

// Takes over the ending signals that still have their default action; a
// program that handles or ignores one keeps its own choice.
void InstallCleanupHandlers() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  for (int signal : kEndingSignals) {
    struct sigaction old {};
    if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
    struct sigaction action {};
    action.sa_handler = &RemoveTemporaryFilesAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
  }
}

// Remembers a named temporary file for the handler; -1 when there is no room
// (the file is then still removed after a failure, only not on a signal).
int RegisterForCleanup(const std::string& path) {
  if (path.size() >= kCleanupPathSize) return -1;
  for (int i = 0; i < kCleanupSlots; ++i) {
    if (g_cleanupUsed[i].load()) continue;
    std::memcpy(g_cleanupPaths[i], path.c_str(), path.size() + 1);
    g_cleanupUsed[i].store(true);
    return i;
  }
  return -1;
}

void ForgetForCleanup(int& slot) {
  if (slot >= 0) g_cleanupUsed[slot].store(false);
  slot = -1;
}

// Blocks every signal for the life of the object: between making a named
// file and remembering it, a signal would leave it behind.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &saved_);
  }
  ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t saved_;
};

// What is at a path the writer is to write.
struct Target {
  TargetState state = TargetState::kMissing;
  std::string file;  // the regular file to replace: the path, or what the link at it names
  std::string kind;  // for kOther: "a folder", "a FIFO", ...
  mode_t mode = 0;
  bool readOnly = false;  // a regular file nobody may write
};

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

// What is at `path`: through links when `follow`, else the name itself.
Target InspectTarget(const std::string& path, bool follow = true) {
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

// "/proc/self/fd/N": how an open file without a name is linked into a folder.
std::string OwnFdPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::atomic<bool> g_unnamedTemporaryFiles{true};

// A file without a name in `folder`, or -1 with errno set: EOPNOTSUPP where
// this system or file system has none.
int OpenUnnamed(const std::string& folder) {
#ifdef O_TMPFILE
  static const bool canLink = ::access("/proc/self/fd", X_OK) == 0;
  if (canLink && g_unnamedTemporaryFiles.load()) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  }
#else
  (void)folder;
#endif
  errno = EOPNOTSUPP;
  return -1;
}

// A fresh hidden name in `folder` for a file about to be linked there.
std::string FreshName(const std::string& folder) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uint8_t random[8] = {};
  if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
    static unsigned counter = 0;
    const unsigned seed = static_cast<unsigned>(::getpid()) * 2654435761u + ++counter;
    for (std::size_t i = 0; i < sizeof random; ++i) random[i] = static_cast<std::uint8_t>(seed >> (i % 4 * 8));
  }
  std::string name = folder + "/.ridloe-";
  for (std::uint8_t r : random) name += kLetters[r % (sizeof kLetters - 1)];
  return name;
}

// Why what is at `path` may not be written over, as `existing` says; fills
// `target` with what is there.
Refusal<int> CheckTarget(const std::string& path, ExistingTarget existing, const ReplaceCheck& mayReplace,
                         Target& target, bool follow = true) {
  target = InspectTarget(path, follow);
  return RefusalFor<int>(target.state, target.readOnly, existing, mayReplace, [&](std::uint8_t* first, std::size_t& size, int& code) {
    if (FirstBytes(target.file, first, size)) return true;
    code = errno;
    return false;
  });
}

bool IsUnsupported(int code) { return code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == ENOTSUP; }

// Puts the finished file at `from` in the place of `target`, replacing what
// is there. Whatever took the target's place since it was last looked at
// must not be replaced unseen: the two names are swapped in one step, what
// came out is looked at, and when it may not be replaced (it is source data,
// or no regular file) the names are swapped back and the refusal returned.
// Where the file system cannot swap, a plain rename does the work. Should
// the swap back fail, `from` names what was at the target: `swappedOut` is
// set, and that file must not be removed.
Refusal<int> ReplaceInOneStep(const std::string& from, const std::string& target, const ReplaceCheck& mayReplace,
                              std::string& kind, bool& swappedOut) {
#ifdef RENAME_EXCHANGE
  for (int attempt = 0; attempt < 16; ++attempt) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
      Target old;
      const Refusal<int> no = CheckTarget(from, ExistingTarget::kReplace, mayReplace, old, false);
      if (no.failure == WriteFailure::kNone) {
        ::unlink(from.c_str());
        return {};
      }
      kind = old.kind;
      if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
        swappedOut = true;
        return {WriteFailure::kReplace, errno};
      }
      return no;
    }
    if (errno != ENOENT) break;
    // Nothing is at the target any more: put the file there, unless
    // something takes the name first.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EEXIST) break;
  }
  if (!IsUnsupported(errno)) return {WriteFailure::kReplace, errno};
#endif
  if (::rename(from.c_str(), target.c_str()) != 0) return {WriteFailure::kReplace, errno};
  return {};
}

}  // namespace

std::string SystemErrorText(int code) { return std::strerror(code); }

void UseUnnamedTemporaryFiles(bool use) { g_unnamedTemporaryFiles.store(use); }

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

bool ReadWholeFile(const std::string& path, ByteBlock& buffer, ReadError* error, const ReadOptions& options) {
  if (error) *error = ReadError{};
  if (path == "-") return ReadStream(STDIN_FILENO, buffer, error, options);
  // A socket cannot be opened and a folder holds no bytes: say so at once.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISSOCK(st.st_mode)) return FailRead(error, ReadFailure::kSocket);
    if (S_ISDIR(st.st_mode)) return FailRead(error, ReadFailure::kFolder);
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailRead(error, ReadFailure::kOpen, errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0) return FailRead(error, ReadFailure::kRead, errno);
  if (S_ISDIR(st.st_mode)) return FailRead(error, ReadFailure::kFolder);
  if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
    return ReadStream(fd, buffer, error, options);
  }
  if (!S_ISREG(st.st_mode)) return FailRead(error, ReadFailure::kNotAFile);
  // Our own writer holds an exclusive lock while it writes; do not read a
  // file halfway through being written.
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) return FailRead(error, ReadFailure::kBusy);
  // Some kernel files say they are empty and hold bytes: read those as the
  // stream they are.
  if (st.st_size <= 0) return ReadStream(fd, buffer, error, options);
  FdSource source(fd);
  return ReadSizedFrom(source, static_cast<std::size_t>(st.st_size), buffer, error, options);
}

bool PrepareStandardOutputForBytes(WriteError* why) {
  if (!::isatty(STDOUT_FILENO)) return true;
  if (why) *why = {WriteFailure::kTerminal, {}, {}};
  return false;
}

struct AtomicFileWriter::Handle {
  int fd = -1;
  std::string target;    // the file written: the path, or the file a link at the path names
  std::string folder;    // the folder that holds it
  std::string tempPath;  // the temporary file's name; empty while it has none
  int cleanupSlot = -1;
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

AtomicFileWriter::AtomicFileWriter(std::string path, ExistingTarget existing, ReplaceCheck mayReplace)
    : path_(std::move(path)), existing_(existing), mayReplace_(std::move(mayReplace)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Open() {
  Discard();
  committed_ = false;
  failed_ = false;
  error_ = {};
  InstallCleanupHandlers();
  Target target;
  if (const Refusal<int> no = CheckTarget(path_, existing_, mayReplace_, target); no.failure != WriteFailure::kNone) {
    return Fail(no.failure, no.code, target.kind);
  }
  handle_ = std::make_unique<Handle>();
  handle_->target = target.state == TargetState::kRegular ? target.file : path_;
  handle_->folder = FolderOf(handle_->target);
  // Without a name where the system can make one: nothing is left behind
  // whatever ends the process. Otherwise a short hidden name in the target's
  // folder, so that a target whose name is near the length limit can still
  // be written and the rename stays on one file system.
  handle_->fd = OpenUnnamed(handle_->folder);
  if (handle_->fd < 0 && errno == EOPNOTSUPP) {
    const std::size_t slash = handle_->target.rfind('/');
    std::string name =
        (slash == std::string::npos ? std::string() : handle_->target.substr(0, slash + 1)) + ".ridloe-XXXXXX";
    const SignalsHeld held;
    handle_->fd = ::mkstemp(name.data());
    if (handle_->fd >= 0) {
      handle_->tempPath = std::move(name);
      handle_->cleanupSlot = RegisterForCleanup(handle_->tempPath);
    }
  }
  if (handle_->fd < 0) {
    const int code = errno;
    return Fail(code == ENOENT ? WriteFailure::kNoFolder : WriteFailure::kCreate, code);
  }
  ::fcntl(handle_->fd, F_SETFD, FD_CLOEXEC);
  ::flock(handle_->fd, LOCK_EX | LOCK_NB);
  // Give the new file the mode of the one it replaces, or the usual mode for
  // a new file.
  mode_t mode = target.mode;
  if (target.state != TargetState::kRegular) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(handle_->fd, mode);
  pendingSize_ = 0;
  return true;
}

bool AtomicFileWriter::Commit() {
  if (!Flush()) return false;
  if (::fsync(handle_->fd) != 0) return Fail(WriteFailure::kWrite, errno);
  // The file keeps its identity when it is linked or renamed into place.
  struct stat written {};
  if (::fstat(handle_->fd, &written) == 0) {
    written_ = {static_cast<std::uint64_t>(written.st_dev), static_cast<std::uint64_t>(written.st_ino)};
  }
  const std::string& target = handle_->target;
  if (existing_ == ExistingTarget::kReplace) {
    // Whatever took the target's place since Open is looked at again.
    Target now;
    if (const Refusal<int> no = CheckTarget(target, existing_, mayReplace_, now); no.failure != WriteFailure::kNone) {
      return Fail(no.failure, no.code, now.kind);
    }
  }
  if (handle_->tempPath.empty()) {
    // The file has no name yet: link it in. That fails if the name is taken,
    // which is what keeping a target needs; to replace one, it is linked
    // under a fresh name first and renamed over the target.
    const std::string self = OwnFdPath(handle_->fd);
    if (existing_ == ExistingTarget::kKeep) {
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return Fail(errno == EEXIST ? WriteFailure::kExists : WriteFailure::kReplace, errno);
      }
    } else {
      const SignalsHeld held;
      for (int attempt = 0; handle_->tempPath.empty(); ++attempt) {
        std::string name = FreshName(handle_->folder);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          handle_->tempPath = std::move(name);
          handle_->cleanupSlot = RegisterForCleanup(handle_->tempPath);
        } else if (errno != EEXIST || attempt == 16) {
          return Fail(WriteFailure::kReplace, errno);
        }
      }
    }
    ::close(std::exchange(handle_->fd, -1));
  } else if (::close(std::exchange(handle_->fd, -1)) != 0) {
    return Fail(WriteFailure::kWrite, errno);
  }
  if (!handle_->tempPath.empty()) {
    const char* from = handle_->tempPath.c_str();
    if (existing_ == ExistingTarget::kReplace) {
      std::string kind;
      bool swappedOut = false;
      if (const Refusal<int> no = ReplaceInOneStep(handle_->tempPath, target, mayReplace_, kind, swappedOut);
          no.failure != WriteFailure::kNone) {
        if (swappedOut) {
          // The file that was at the target now has the temporary name:
          // it stays, under that name, rather than be removed.
          ForgetForCleanup(handle_->cleanupSlot);
          handle_->tempPath.clear();
        }
        return Fail(no.failure, no.code, kind);
      }
    } else {
      // Rename without replacing; where the file system cannot, a hard link
      // does the same, and where neither works the file is not put in place.
      int code = 0;
#ifdef RENAME_NOREPLACE
      code = ::renameat2(AT_FDCWD, from, AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
#else
      code = ENOSYS;
#endif
      if (IsUnsupported(code)) {
        code = ::link(from, target.c_str()) == 0 ? 0 : errno;
        if (code == 0) ::unlink(from);
        if (code == EPERM || IsUnsupported(code)) return Fail(WriteFailure::kNoSafeKeep, 0);
      }
      if (code == EEXIST) return Fail(WriteFailure::kExists, 0);
      if (code != 0) return Fail(WriteFailure::kReplace, code);
    }
    ForgetForCleanup(handle_->cleanupSlot);
    handle_->tempPath.clear();
  }
  // Make the new name itself durable: flush the folder that holds it.
  const int dir = ::open(handle_->folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  Discard();
  committed_ = true;
  return true;
}

void AtomicFileWriter::Discard() {
  if (handle_) {
    if (handle_->fd >= 0) ::close(std::exchange(handle_->fd, -1));
    if (!handle_->tempPath.empty()) ::unlink(handle_->tempPath.c_str());
    ForgetForCleanup(handle_->cleanupSlot);
    handle_.reset();
  }
  pending_.reset();
  pendingSize_ = 0;
}

}  // namespace ridloe
