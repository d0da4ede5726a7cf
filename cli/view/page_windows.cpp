#include "cli/view/page_windows.h"

#include <algorithm>

namespace compactor::view {

void PageWindows::shows(uint64_t stream, cli::ChainageWindow window) {
  const std::lock_guard lock(mutex_);
  std::erase_if(entries_, [stream](const Entry& e) { return e.stream == stream; });
  entries_.push_front({stream, window});
  if (entries_.size() > kKept) entries_.pop_back();
}

std::map<uint64_t, cli::ChainageWindow> PageWindows::of(const std::vector<uint64_t>& streams) const {
  const std::lock_guard lock(mutex_);
  std::map<uint64_t, cli::ChainageWindow> windows;
  for (const Entry& e : entries_)
    if (std::find(streams.begin(), streams.end(), e.stream) != streams.end()) windows.emplace(e.stream, e.window);
  return windows;
}

}  // namespace compactor::view
