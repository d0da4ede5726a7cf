#include "cli/view/drawing_cache.h"

#include <gtest/gtest.h>

namespace compactor::view {
namespace {

TEST(DrawingCache, DrawsEachWindowOnceAndKeepsTheLatest) {
  DrawingCache cache;
  int drawn = 0;
  const auto draw = [&](int64_t from) {
    return cache.get({from, from + 1000}, [&] {
      ++drawn;
      return std::to_string(from);
    });
  };
  EXPECT_EQ(*draw(0), "0");
  EXPECT_EQ(*draw(0), "0");
  EXPECT_EQ(drawn, 1);
  // A whole window is one, whatever its numbers.
  EXPECT_EQ(*cache.get({}, [] { return std::string("whole"); }), "whole");
  EXPECT_EQ(*cache.get({5, 5}, [] { return std::string("again"); }), "whole");
  // The oldest goes when more are asked for than are kept; one asked for
  // again stays.
  for (int64_t i = 1; i <= static_cast<int64_t>(DrawingCache::kKept); ++i) {
    draw(i * 100);
    draw(0);
  }
  const auto kept = cache.windows();
  ASSERT_EQ(kept.size(), DrawingCache::kKept);
  EXPECT_EQ(kept.front().from, 0);
  EXPECT_EQ(drawn, 1 + static_cast<int>(DrawingCache::kKept));
  for (const auto& w : kept) EXPECT_FALSE(w.whole());  // the whole window was the oldest
}

}  // namespace
}  // namespace compactor::view
