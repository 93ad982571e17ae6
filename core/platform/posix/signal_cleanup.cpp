#include "core/platform/posix/signal_cleanup.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace ridloe {
namespace {

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

}  // namespace

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

SignalsHeld::SignalsHeld() {
  sigset_t all;
  sigfillset(&all);
  ::pthread_sigmask(SIG_BLOCK, &all, &saved_);
}

SignalsHeld::~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

}  // namespace ridloe
