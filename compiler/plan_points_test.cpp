#include "compiler/plan_points.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace compactor {
namespace {

// The entries of points m to `to` - 1 and the last two points, laid out
// one way or the other.
struct Laid {
  std::string x, y;
  LastTwo last;
};

Laid walked_run_by_run(LastTwo last, const std::vector<Stretch>& runs, int64_t first, int64_t m, int64_t to) {
  Laid out{std::string(static_cast<size_t>(to - m) * 10, '\0'), std::string(static_cast<size_t>(to - m) * 10, '\0'),
           last};
  int64_t from = first;
  for (const Stretch& t : runs) {
    const int64_t a = std::max(from, m), b = std::min(t.up_to, to);
    from = t.up_to;
    if (a < b)
      out.last = lay_out_points(out.last, a, b, t.k, out.x.data() + (a - m) * 10, out.y.data() + (a - m) * 10, nullptr);
  }
  return out;
}

Laid laid_out_together(LastTwo last, const std::vector<Stretch>& runs, int64_t first, int64_t m, int64_t to) {
  Laid out{std::string(static_cast<size_t>(to - m) * 10, '\0'), std::string(static_cast<size_t>(to - m) * 10, '\0'),
           last};
  out.last = lay_out_runs(last, runs, first, m, to, out.x.data(), out.y.data());
  return out;
}

uint64_t bits(double v) { return std::bit_cast<uint64_t>(v); }

void expect_same(const Laid& a, const Laid& b, const std::string& what) {
  EXPECT_EQ(a.x, b.x) << what << ": x entries";
  EXPECT_EQ(a.y, b.y) << what << ": y entries";
  EXPECT_EQ(bits(a.last.x2), bits(b.last.x2)) << what;
  EXPECT_EQ(bits(a.last.x1), bits(b.last.x1)) << what;
  EXPECT_EQ(bits(a.last.y2), bits(b.last.y2)) << what;
  EXPECT_EQ(bits(a.last.y1), bits(b.last.y1)) << what;
}

// A straight run laid out beside the curve after it must give, bit for bit,
// what walking each run gives: wherever the straight's steps stop being
// exact (a coordinate crossing a power of two or zero, a zero of the other
// sign, the seed's 0 and 1), it is walked as before.
TEST(PlanPoints, RunsLaidOutTogetherHaveTheBytesOfRunsWalkedOneByOne) {
  struct Case {
    const char* name;
    LastTwo from;
    std::vector<Stretch> runs;  // from point 2
  };
  const double turn = 1.0 / 800;
  const std::vector<Case> cases = {
      {"from_the_seed", {0.0, 0.0, 0.0, 1.0}, {{700, 0.0}, {1000, turn}, {1700, 0.0}, {2000, -turn}}},
      {"far_from_zero", {5000.25, 5000.5, -7000.5, -7000.125}, {{800, 0.0}, {900, turn}, {3000, 0.0}, {3100, turn}}},
      {"across_a_power_of_two", {1020.0, 1021.0, 3000.0, 3000.5}, {{50, 0.0}, {80, turn}}},
      {"across_zero", {-5.0, -4.0, 100.0, 100.25}, {{30, 0.0}, {60, turn}}},
      {"a_negative_zero_after_a_positive_one", {0.0, -0.0, 100.0, 100.5}, {{20, 0.0}, {40, turn}}},
      {"standing_on_a_negative_zero", {-0.0, -0.0, 100.0, 100.5}, {{20, 0.0}, {40, turn}}},
      {"one_point_straights", {300.0, 301.0, 400.0, 400.5}, {{3, 0.0}, {50, turn}, {51, 0.0}, {52, -turn}, {53, 0.0}}},
      {"a_long_curve_after_a_short_straight", {300.0, 301.0, 400.0, 400.5}, {{10, 0.0}, {2000, 0.0004}}},
      {"a_long_straight_before_a_short_curve", {300.0, 301.0, 400.0, 400.5}, {{5000, 0.0}, {5003, turn}}},
      {"steps_of_an_eighth_far_out", {1e15, 1e15 + 0.125, 3e15, 3e15 - 0.5}, {{400, 0.0}, {600, turn}}},
      {"a_straight_at_the_end", {300.0, 301.0, 400.0, 400.5}, {{100, turn}, {900, 0.0}}},
      {"two_straights_in_a_row", {300.0, 301.0, 400.0, 400.5}, {{100, 0.0}, {200, 0.0}, {300, turn}}},
  };
  for (const Case& c : cases) {
    const int64_t end = c.runs.back().up_to;
    expect_same(laid_out_together(c.from, c.runs, 2, 2, end), walked_run_by_run(c.from, c.runs, 2, 2, end), c.name);
    // Cut into windows, as the writer's blocks cut them, each window
    // continuing from the last two points of the one before.
    for (const int64_t window : {1, 7, 64, 1000}) {
      Laid together{{}, {}, c.from}, walked{{}, {}, c.from};
      for (int64_t m = 2; m < end; m += window) {
        const int64_t to = std::min(end, m + window);
        const Laid t = laid_out_together(together.last, c.runs, 2, m, to);
        const Laid w = walked_run_by_run(walked.last, c.runs, 2, m, to);
        together = {together.x + t.x, together.y + t.y, t.last};
        walked = {walked.x + w.x, walked.y + w.y, w.last};
      }
      expect_same(together, walked, std::string(c.name) + ", windows of " + std::to_string(window));
    }
  }
}

TEST(PlanPoints, ManyRoutesOfStraightsAndCurvesGiveTheSameBytes) {
  // Routes made at random (the same ones on every run): lengths from 1 to
  // 3000 points, curves of either side and strength, starting anywhere.
  std::mt19937_64 random(20261211);
  auto between = [&random](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
  for (int route = 0; route < 200; ++route) {
    const double x1 = between(-3e5, 3e5), y1 = between(-3e5, 3e5), heading = between(0, 6.3);
    const LastTwo from{x1 - std::cos(heading), x1, y1 - std::sin(heading), y1};
    std::vector<Stretch> runs;
    int64_t at = 2;
    for (int r = 0; r < 12; ++r) {
      at += std::uniform_int_distribution<int64_t>(1, 3000)(random);
      const bool curve = r % 2 == 1 || between(0, 1) < 0.2;
      runs.push_back({at, curve ? between(-0.005, 0.005) : 0.0});
    }
    const int64_t end = runs.back().up_to;
    expect_same(laid_out_together(from, runs, 2, 2, end), walked_run_by_run(from, runs, 2, 2, end),
                "route " + std::to_string(route));
  }
}

}  // namespace
}  // namespace compactor
