// The drawings of one scene by window, kept for the pages that ask again:
// the event of a new scene carries each open page's window, drawn once for
// all the pages that show the same one, and a page that zooms back finds
// its earlier windows ready.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli/drawing/render_data.h"

namespace compactor::view {

class DrawingCache {
 public:
  // The drawing of `window`, made by `draw` when not kept; the latest
  // asked for are kept, the oldest dropped.
  std::shared_ptr<const std::string> get(cli::ChainageWindow window, const std::function<std::string()>& draw);
  // The windows kept, the latest asked for first.
  std::vector<cli::ChainageWindow> windows() const;

  static constexpr size_t kKept = 8;

 private:
  struct Entry {
    cli::ChainageWindow window;
    std::shared_ptr<const std::string> svg;
  };
  mutable std::mutex mutex_;
  std::list<Entry> entries_;  // the latest first
};

}  // namespace compactor::view
