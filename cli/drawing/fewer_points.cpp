#include "cli/drawing/fewer_points.h"

#include <algorithm>
#include <utility>

#include "cli/drawing/svg_writer.h"

namespace compactor::cli {
namespace {

// Squared distance from p to the segment a-b.
double distance2(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
  return ex * ex + ey * ey;
}

}  // namespace

std::vector<Point> fewer_points(const std::vector<Point>& line, double tolerance) {
  if (line.size() <= 2) return line;
  std::vector<bool> keep(line.size(), false);
  keep.front() = keep.back() = true;
  // Spans still to look at, first and last point of each kept; a stack, not
  // recursion, so that a long line cannot run out of it.
  std::vector<std::pair<size_t, size_t>> spans = {{0, line.size() - 1}};
  const double limit = tolerance * tolerance;
  while (!spans.empty()) {
    const auto [a, b] = spans.back();
    spans.pop_back();
    double farthest = -1;
    size_t at = a;
    for (size_t i = a + 1; i < b; ++i) {
      const double d = distance2(line[i], line[a], line[b]);
      if (d > farthest) {
        farthest = d;
        at = i;
      }
    }
    if (farthest <= limit) continue;
    keep[at] = true;
    spans.emplace_back(a, at);
    spans.emplace_back(at, b);
  }
  std::vector<Point> kept;
  for (size_t i = 0; i < line.size(); ++i)
    if (keep[i]) kept.push_back(line[i]);
  return kept;
}

std::string points_text(const std::vector<Point>& line) {
  std::string text;
  text.reserve(line.size() * 14);
  for (const Point& p : line) {
    if (!text.empty()) text += ' ';
    text += num(p.x);
    text += ',';
    text += num(p.y);
  }
  return text;
}

}  // namespace compactor::cli
