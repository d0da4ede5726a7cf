#include "cli/view/page_windows.h"

#include <gtest/gtest.h>

namespace compactor::view {
namespace {

TEST(PageWindows, KnowsTheLatestWindowOfEachOpenStream) {
  PageWindows w;
  w.shows(1, {0, 1000});
  w.shows(2, {500, 900});
  w.shows(1, {2000, 3000});  // the page of stream 1 zoomed
  const auto open = w.of({1, 2, 3});
  ASSERT_EQ(open.size(), 2u);
  EXPECT_EQ(open.at(1).from, 2000);
  EXPECT_EQ(open.at(1).to, 3000);
  EXPECT_EQ(open.at(2).from, 500);
  // A stream that closed is left out.
  EXPECT_EQ(w.of({2}).size(), 1u);
  EXPECT_TRUE(w.of({}).empty());
}

TEST(PageWindows, ForgetsTheStreamsToldLongestAgo) {
  PageWindows w;
  for (uint64_t s = 1; s <= PageWindows::kKept + 1; ++s) w.shows(s, {0, 100});
  w.shows(2, {0, 200});  // told again: kept
  w.shows(PageWindows::kKept + 2, {0, 100});
  std::vector<uint64_t> all;
  for (uint64_t s = 1; s <= PageWindows::kKept + 2; ++s) all.push_back(s);
  const auto known = w.of(all);
  EXPECT_EQ(known.size(), PageWindows::kKept);
  EXPECT_FALSE(known.contains(1));
  EXPECT_FALSE(known.contains(3));
  EXPECT_TRUE(known.contains(2));
  EXPECT_TRUE(known.contains(PageWindows::kKept + 2));
}

}  // namespace
}  // namespace compactor::view
