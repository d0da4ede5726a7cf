#include "platform/removed_on_signal.h"

#include <atomic>
#include <cstring>

#include "platform/signal_cleanup.h"

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

}  // namespace

void remove_registered(void (*remove)(const char* path)) {
  for (Slot& s : slots)
    if (s.ready.load()) remove(s.path);
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

}  // namespace compactor
