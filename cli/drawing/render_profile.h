// The profile panel: the track's height along the chainage, with the speed
// limit, the adhesion, the stations and the slowdowns on the same axis.
#pragma once

#include <vector>

#include "cli/drawing/render_data.h"
#include "cli/drawing/svg_writer.h"

namespace compactor::cli {

class Profile {
 public:
  // Shows the chainages of `window`, the whole route when it is whole.
  explicit Profile(const RouteData& d, ChainageWindow window = {});

  double height() const;  // height of the panel, px
  // Draws the panel with its top at y0.
  void draw(Svg& svg, double y0) const;

 private:
  double x(double chainage) const;
  void clip_start(Svg& svg) const;
  void clip_end(Svg& svg) const;
  // In a window, whether something from chainage a to b can show.
  bool near(double a, double b) const;
  // The steps of a profile that can show.
  std::vector<Step> in_window(const std::vector<Step>& steps) const;
  void legend(Svg& svg, double y) const;
  void axes(Svg& svg) const;
  void quote(Svg& svg) const;
  void velocita(Svg& svg) const;
  void aderenza(Svg& svg) const;
  void marks(Svg& svg) const;

  const RouteData& d_;
  double px_per_m_ = 0;
  bool windowed_ = false;
  double from_ = 0, to_ = 0;  // chainages at the left and right of the bands
  // Height band: lowest and highest height shown and the step of its grid.
  double h_min_ = 0, h_max_ = 0, h_step_ = 1;
  double v_max_ = 50;
  int a_min_ = 0, a_max_ = 1;
};

}  // namespace compactor::cli
