#include "platform/signal_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace compactor {
namespace {

// A signal handler reaches nothing but what is static, so the paths to
// delete live in a fixed table: a run has a handful of temporaries and
// working copies at once. A path that does not fit is simply not covered.
constexpr int kSlots = 32;
constexpr size_t kPathBytes = 4096;

struct Slot {
  std::atomic<bool> claimed{false};
  std::atomic<bool> ready{false};  // the path is whole
  char path[kPathBytes];
};

Slot slots[kSlots];

constexpr int kInterrupting[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void on_interrupt(int signal) {
  for (Slot& s : slots)
    if (s.ready.load()) ::unlink(s.path);
  ::_exit(128 + signal);
}

}  // namespace

void install_signal_cleanup() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  for (int s : kInterrupting) sigaddset(&action.sa_mask, s);
  for (int s : kInterrupting) {
    // A signal the caller chose to ignore (nohup) stays ignored.
    struct sigaction old;
    if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(s, &action, nullptr);
  }
  ::signal(SIGXFSZ, SIG_IGN);
}

RemovedOnSignal::RemovedOnSignal(const std::string& path) {
  if (path.size() >= kPathBytes) return;
  for (int i = 0; i < kSlots; ++i) {
    Slot& s = slots[i];
    bool expected = false;
    if (!s.claimed.compare_exchange_strong(expected, true)) continue;
    std::memcpy(s.path, path.c_str(), path.size() + 1);
    s.ready.store(true);
    slot_ = i;
    return;
  }
}

RemovedOnSignal::~RemovedOnSignal() {
  if (slot_ < 0) return;
  slots[slot_].ready.store(false);
  slots[slot_].claimed.store(false);
}

SignalsHeld::SignalsHeld() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kInterrupting) sigaddset(&set, s);
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

SignalsHeld::~SignalsHeld() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kInterrupting) sigaddset(&set, s);
  ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace compactor
