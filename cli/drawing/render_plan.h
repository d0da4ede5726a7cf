// The route plan panel: the route drawn to scale from the plan points, with
// stations, tunnels, signals, kilometre posts and the line's kilometre
// readings along it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "cli/drawing/render_data.h"
#include "cli/drawing/svg_labels.h"
#include "cli/drawing/svg_writer.h"
#include "model/planimetria.h"

namespace compactor::cli {

class Plan {
 public:
  // With a window, the panel has a fixed height and fits the route's
  // points of those chainages; the rest of the route is cut at its edges.
  Plan(const Planimetria& p, const RouteData& d, ChainageWindow window = {});

  double height() const;  // height of the panel, px
  // Draws the panel with its top at y0.
  void draw(Svg& svg, double y0) const;

  // Pixels per metre, the same along x and y.
  double scale() const { return scale_; }

 private:
  struct Place {
    double x, y;
  };
  Place screen(int64_t m) const;      // plan point m in the panel
  Place normal(int64_t m) const;      // unit normal of the route at m, in the panel
  int64_t on_level(int64_t c) const;  // a chainage clamped to the points drawn
  bool shown(Place q) const;          // inside the panel, or near enough to reach in

  void legend(Svg& svg, double y) const;
  // Screen points every kStep metres from `da`, `a` always the last.
  std::string polyline_(int64_t da, int64_t a) const;
  void track(Svg& svg) const;
  void gallerie(Svg& svg) const;
  void numbering(Svg& svg, Labels& labels) const;
  void points(Svg& svg) const;
  // Station names go first: they matter most when labels crowd.
  std::vector<std::optional<Label>> station_names(Labels& labels) const;
  void stazioni(Svg& svg, const std::vector<std::optional<Label>>& names) const;
  void graphic_scale(Svg& svg) const;
  void nord(Svg& svg) const;

  const Planimetria& p_;
  const RouteData& d_;
  bool present_ = false;
  bool windowed_ = false;
  int64_t last_ = 0;  // last plan point drawn
  // The stretch drawn: all of it, or in a window what reaches the panel.
  int64_t shown_from_ = 0, shown_to_ = 0;
  double min_x_ = 0, max_x_ = 0, min_y_ = 0, max_y_ = 0;
  double scale_ = 1;
  double ox_ = 0, oy_ = 0;  // page position of (min_x, max_y)
  double high_ = 0;         // height of the drawing
};

}  // namespace compactor::cli
