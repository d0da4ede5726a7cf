// Which window of the route each open page shows, by its event stream: a
// page names its stream when it asks for a drawing, so that the next
// scene's event can carry that page's drawing and save it the round trip.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <vector>

#include "cli/drawing/render_data.h"

namespace compactor::view {

class PageWindows {
 public:
  // The page of stream `stream` shows `window` now.
  void shows(uint64_t stream, cli::ChainageWindow window);
  // The windows of those of `streams` known, by stream.
  std::map<uint64_t, cli::ChainageWindow> of(const std::vector<uint64_t>& streams) const;

  // Streams remembered; the least recently told are forgotten first.
  static constexpr size_t kKept = 32;

 private:
  struct Entry {
    uint64_t stream;
    cli::ChainageWindow window;
  };
  mutable std::mutex mutex_;
  std::list<Entry> entries_;  // the latest told first
};

}  // namespace compactor::view
