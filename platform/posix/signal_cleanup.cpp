#include "platform/signal_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "platform/removed_on_signal.h"

namespace compactor {
namespace {

constexpr int kInterrupting[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void on_interrupt(int signal) {
  remove_registered([](const char* path) { ::unlink(path); });
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
