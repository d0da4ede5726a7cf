// Ctrl-C, Ctrl-Break, a closed console window, a logoff or a shutdown on
// Windows: the console's handler runs on a thread of its own, deletes what
// the run registered and ends the run with the status of the matching POSIX
// signal (130 for Ctrl-C, 129 for a closed console, 143 for the rest).
#include "platform/signal_cleanup.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "platform/windows/wide_path.h"

namespace compactor {
namespace {

// The table is static for the same reason as on POSIX systems: the handler
// must find it without any owner to ask.
constexpr int kSlots = 32;
constexpr size_t kPathBytes = 4096;

struct Slot {
  std::atomic<bool> claimed{false};
  std::atomic<bool> ready{false};
  char path[kPathBytes];
};

Slot slots[kSlots];
// How many SignalsHeld are alive; the handler waits for none.
std::atomic<int> held{0};

BOOL WINAPI on_interrupt(DWORD event) {
  int status = 128 + 15;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) status = 128 + 2;
  if (event == CTRL_CLOSE_EVENT) status = 128 + 1;
  while (held.load() > 0) std::this_thread::yield();
  for (Slot& s : slots)
    if (s.ready.load()) ::DeleteFileW(windows::wide_path(s.path).c_str());
  ::ExitProcess(static_cast<UINT>(status));
  return TRUE;
}

}  // namespace

void install_signal_cleanup() { ::SetConsoleCtrlHandler(on_interrupt, TRUE); }

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

SignalsHeld::SignalsHeld() { held.fetch_add(1); }

SignalsHeld::~SignalsHeld() { held.fetch_sub(1); }

}  // namespace compactor
