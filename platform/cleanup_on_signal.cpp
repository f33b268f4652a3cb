#include "platform/cleanup_on_signal.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace lumaret {

namespace {

// Ctrl-C, kill's default, and the terminal or session going away.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int sig : kEndingSignals)
    sigaddset(&set, sig);
  return set;
}

// A handler may only touch lock-free atomics and plain memory, so the
// registry is a fixed table, no allocation.
enum SlotState : int { kFree, kFilling, kRegistered, kRemoving };
static_assert(std::atomic<int>::is_always_lock_free);

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};

// More than writers ever have open at once: one per file being saved.
std::array<Slot, 16> slots;

void RemoveTemporariesAndDie(int sig) {
  for (Slot& slot : slots) {
    int registered = kRegistered;
    // Claimed, so a writer finishing on another thread cannot reuse the
    // buffer while it is read here.
    if (slot.state.compare_exchange_strong(registered, kRemoving))
      ::unlink(slot.path);
  }
  // SA_RESETHAND restored the default action, so the signal ends the process
  // (now, or as this handler returns) and its status says which signal.
  ::raise(sig);
}

// A slot for path, or -1.
int RegisterTemporary(const std::string& path) {
  if (path.size() >= PATH_MAX)
    return -1;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    int free = kFree;
    if (!slots[i].state.compare_exchange_strong(free, kFilling))
      continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].state.store(kRegistered);
    return int(i);
  }
  return -1;
}

}  // namespace

int MakeRegisteredTemporary(std::string& pattern, int& slot) {
  const sigset_t endings = EndingSignals();
  sigset_t previous;
  ::pthread_sigmask(SIG_BLOCK, &endings, &previous);
  const int fd = ::mkstemp(pattern.data());
  const int err = errno;
  slot = fd < 0 ? -1 : RegisterTemporary(pattern);
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  errno = err;
  return fd;
}

void ForgetTemporary(int slot) {
  if (slot < 0 || std::size_t(slot) >= slots.size())
    return;
  // Left alone when a handler has claimed it: the process is ending anyway.
  int registered = kRegistered;
  slots[std::size_t(slot)].state.compare_exchange_strong(registered, kFree);
}

void RemoveTemporariesOnSignal() {
  for (const int sig : kEndingSignals) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
      continue;
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndDie;
    action.sa_mask = EndingSignals();  // a second Ctrl-C must not cut the clean-up short
    action.sa_flags = SA_RESETHAND;
    ::sigaction(sig, &action, nullptr);
  }
}

}  // namespace lumaret
