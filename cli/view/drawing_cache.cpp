#include "cli/view/drawing_cache.h"

namespace compactor::view {
namespace {

bool same(cli::ChainageWindow a, cli::ChainageWindow b) {
  return a.whole() == b.whole() && (a.whole() || (a.from == b.from && a.to == b.to));
}

}  // namespace

std::shared_ptr<const std::string> DrawingCache::get(cli::ChainageWindow window,
                                                     const std::function<std::string()>& draw) {
  {
    const std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
      if (same(it->window, window)) {
        entries_.splice(entries_.begin(), entries_, it);
        return it->svg;
      }
  }
  // Drawn outside the lock: two pages asking at once may both draw it.
  auto svg = std::make_shared<const std::string>(draw());
  const std::lock_guard lock(mutex_);
  entries_.push_front({window, svg});
  if (entries_.size() > kKept) entries_.pop_back();
  return svg;
}

std::vector<cli::ChainageWindow> DrawingCache::windows() const {
  const std::lock_guard lock(mutex_);
  std::vector<cli::ChainageWindow> w;
  for (const Entry& e : entries_) w.push_back(e.window);
  return w;
}

}  // namespace compactor::view
