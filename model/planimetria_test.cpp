#include "model/planimetria.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace compactor {
namespace {

int maps() {
  std::ifstream f("/proc/self/maps");
  int n = 0;
  for (std::string riga; std::getline(f, riga);) ++n;
  return n;
}

TEST(CoordinateMemory, EverySizeHoldsWhatIsWrittenAndGivesItsMappingsBack) {
  // Heap, small pages, huge pages with a small-page tail (the carried plan)
  // and with a last huge page taken whole (a 1,000 km plan), and the edges.
  const size_t sizes[] = {1, 8191, 8192, 107001, 262143, 262144, 262145, 341001, 1007001};
  for (size_t n : sizes) {
    std::vector<double, CoordinateMemory<double>> v;
    v.resize(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<double>(i);
    EXPECT_EQ(v.front(), 0.0);
    EXPECT_EQ(v.back(), static_cast<double>(n - 1)) << n;
  }
  const int before = maps();
  for (int turn_ = 0; turn_ < 20; ++turn_)
    for (size_t n : sizes) {
      std::vector<double, CoordinateMemory<double>> v(n);
      v.back() = 1.0;
    }
  EXPECT_LE(maps(), before + 2) << "a mapping freed short of its size stays behind";
}

}  // namespace
}  // namespace compactor
