// Writing files on POSIX systems: a temporary file in the target's folder,
// flushed, then put in the target's place in one step.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "core/platform/file_access.h"
#include "core/platform/posix/signal_cleanup.h"
#include "core/platform/posix/targets.h"
#include "core/platform/posix/temporary_files.h"
#include "core/platform/writer_handle.h"

namespace ridloe {
namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool PrepareStandardOutputForBytes(Error* why) {
  if (!::isatty(STDOUT_FILENO)) return true;
  if (why) *why = Error(Step::kTerminal);
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

namespace {

using Handle = AtomicFileWriter::Handle;

// The temporary file has the name `path` now: remembered, so that a signal
// does not leave it behind.
void Named(Handle& handle, std::string path) {
  handle.tempPath = std::move(path);
  handle.cleanupSlot = RegisterForCleanup(handle.tempPath);
}

// A file without a name that is to replace the target is first linked under
// a fresh hidden name in the target's folder.
Refusal<int> LinkUnderFreshName(Handle& handle) {
  const std::string self = OwnFdPath(handle.fd);
  const SignalsHeld held;
  for (int attempt = 0; handle.tempPath.empty(); ++attempt) {
    std::string name = FreshName(handle.folder);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      Named(handle, std::move(name));
    } else if (errno != EEXIST || attempt == 16) {
      return {Step::kReplace, errno};
    }
  }
  ::close(std::exchange(handle.fd, -1));
  return {};
}

// The named temporary file takes the target's name, replacing what is there
// or not, as `existing` says.
Refusal<int> PutInPlace(Handle& handle, ExistingTarget existing, const ReplaceCheck& mayReplace, std::string& kind) {
  bool swappedOut = false;
  const Refusal<int> no = existing == ExistingTarget::kReplace
                              ? ReplaceInOneStep(handle.tempPath, handle.target, mayReplace, kind, swappedOut)
                              : PutWithoutReplacing(handle.tempPath, handle.target);
  if (no.step == Step::kNone || swappedOut) {
    // Put in place, or the file that was at the target now has the
    // temporary name: it stays, under that name, rather than be removed.
    ForgetForCleanup(handle.cleanupSlot);
    handle.tempPath.clear();
  }
  return no;
}

}  // namespace

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
  if (const Refusal<int> no = CheckTarget(path_, existing_, mayReplace_, target); no.step != Step::kNone) {
    return Fail(no.step, no.code, target.kind);
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
    std::string name;
    const SignalsHeld held;
    handle_->fd = OpenNamedBeside(handle_->target, name);
    if (handle_->fd >= 0) Named(*handle_, std::move(name));
  }
  if (handle_->fd < 0) {
    const int code = errno;
    return Fail(code == ENOENT ? Step::kNoFolder : Step::kCreate, code);
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
  if (::fsync(handle_->fd) != 0) return Fail(Step::kWrite, errno);
  // The file keeps its identity when it is linked or renamed into place.
  struct stat written {};
  if (::fstat(handle_->fd, &written) == 0) {
    written_ = {static_cast<std::uint64_t>(written.st_dev), static_cast<std::uint64_t>(written.st_ino)};
  }
  const std::string& target = handle_->target;
  if (existing_ == ExistingTarget::kReplace) {
    // Whatever took the target's place since Open is looked at again.
    Target now;
    if (const Refusal<int> no = CheckTarget(target, existing_, mayReplace_, now); no.step != Step::kNone) {
      return Fail(no.step, no.code, now.kind);
    }
  }
  if (!handle_->tempPath.empty()) {
    if (::close(std::exchange(handle_->fd, -1)) != 0) return Fail(Step::kWrite, errno);
  } else if (existing_ == ExistingTarget::kKeep) {
    // A file without a name goes in by a link, which fails if the name is
    // taken: what keeping a target needs, in one step.
    if (::linkat(AT_FDCWD, OwnFdPath(handle_->fd).c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      return Fail(errno == EEXIST ? Step::kExists : Step::kReplace, errno);
    }
  } else if (const Refusal<int> no = LinkUnderFreshName(*handle_); no.step != Step::kNone) {
    return Fail(no.step, no.code);
  }
  if (!handle_->tempPath.empty()) {
    std::string kind;
    if (const Refusal<int> no = PutInPlace(*handle_, existing_, mayReplace_, kind); no.step != Step::kNone) {
      return Fail(no.step, no.code, kind);
    }
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
