#include "core/platform/posix/temporary_files.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace ridloe {
namespace {

std::atomic<bool> g_unnamedTemporaryFiles{true};

}  // namespace

void UseUnnamedTemporaryFiles(bool use) { g_unnamedTemporaryFiles.store(use); }

std::string OwnFdPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

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

int OpenNamedBeside(const std::string& target, std::string& name) {
  const std::size_t slash = target.rfind('/');
  name = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + ".ridloe-XXXXXX";
  return ::mkstemp(name.data());
}

}  // namespace ridloe
