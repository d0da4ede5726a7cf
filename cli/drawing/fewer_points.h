// Lines drawn to the screen's resolution: a long route drawn narrow has
// many points to a pixel, and each costs the page time to read and paint.
#pragma once

#include <string>
#include <vector>

namespace compactor::cli {

// How near a window's lines keep to every point: a quarter of a pixel.
inline constexpr double kOnScreen = 0.25;

struct Point {
  double x = 0, y = 0;  // px
};

// The points of `line` that show: a point is left out when the line between
// the points kept either side of it passes within `tolerance` px of it
// (Douglas-Peucker). The first and the last always stay.
std::vector<Point> fewer_points(const std::vector<Point>& line, double tolerance);

// The points as an SVG points attribute: "x,y x,y ...".
std::string points_text(const std::vector<Point>& line);

}  // namespace compactor::cli
