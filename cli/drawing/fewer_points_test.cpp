#include "cli/drawing/fewer_points.h"

#include <gtest/gtest.h>

#include <cmath>

namespace compactor::cli {
namespace {

std::vector<Point> pts(std::initializer_list<std::pair<double, double>> xy) {
  std::vector<Point> p;
  for (const auto& [x, y] : xy) p.push_back({x, y});
  return p;
}

TEST(FewerPoints, LeavesOutOnlyWhatDoesNotShow) {
  const struct {
    const char* what;
    std::vector<Point> line, kept;
  } cases[] = {
      {"a point alone", pts({{1, 1}}), pts({{1, 1}})},
      {"on a straight line", pts({{0, 0}, {1, 1}, {2, 2}, {3, 3}}), pts({{0, 0}, {3, 3}})},
      {"a bump under the tolerance", pts({{0, 0}, {1, 0.2}, {2, 0}}), pts({{0, 0}, {2, 0}})},
      {"a corner", pts({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}), pts({{0, 0}, {2, 0}, {2, 2}})},
      {"a spike one point wide", pts({{0, 0}, {1, 0}, {1.1, 5}, {1.2, 0}, {3, 0}}),
       pts({{0, 0}, {1, 0}, {1.1, 5}, {1.2, 0}, {3, 0}})},
      // A route that turns back on itself: the far end is not on the
      // segment between the ends, however close the ends are.
      {"a line that comes back", pts({{0, 0}, {5, 0}, {10, 0}, {5, 0.1}, {0, 0.1}}),
       pts({{0, 0}, {10, 0}, {0, 0.1}})},
  };
  for (const auto& c : cases) {
    const auto kept = fewer_points(c.line, 0.25);
    ASSERT_EQ(kept.size(), c.kept.size()) << c.what;
    for (size_t i = 0; i < kept.size(); ++i) {
      EXPECT_EQ(kept[i].x, c.kept[i].x) << c.what;
      EXPECT_EQ(kept[i].y, c.kept[i].y) << c.what;
    }
  }
}

TEST(FewerPoints, ALongCurveStaysWithinTheTolerance) {
  // A wave of 100 000 points, drawn 1000 px wide.
  std::vector<Point> line;
  for (int i = 0; i <= 100000; ++i) line.push_back({i / 100.0, 50 * std::sin(i / 5000.0)});
  const auto kept = fewer_points(line, 0.25);
  EXPECT_LT(kept.size(), 1000u);
  // Every point left out lies within 0.25 px of the kept line through its
  // neighbours: within 0.36 px upright, the wave's slope being at most 1.
  size_t k = 0;
  for (const Point& p : line) {
    while (kept[k + 1].x < p.x) ++k;
    const Point a = kept[k], b = kept[k + 1];
    const double y = a.y + (b.y - a.y) * (p.x - a.x) / (b.x - a.x);
    EXPECT_LE(std::abs(y - p.y), 0.36) << p.x;
  }
}

TEST(FewerPoints, WritesAPointsAttribute) {
  EXPECT_EQ(points_text(pts({{1, 2}, {3.456, -7}})), "1.00,2.00 3.46,-7.00");
  EXPECT_EQ(points_text({}), "");
}

}  // namespace
}  // namespace compactor::cli
