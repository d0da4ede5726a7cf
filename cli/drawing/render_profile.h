// The profile panel: the track's height along the chainage, with the speed
// limit, the adhesion, the stations and the slowdowns on the same axis.
#pragma once

#include "cli/drawing/render_data.h"
#include "cli/drawing/svg_writer.h"

namespace compactor::cli {

class Profilo {
 public:
  explicit Profilo(const DatiPercorso& d);

  double altezza() const;  // height of the panel, px
  // Draws the panel with its top at y0.
  void disegna(Svg& svg, double y0) const;

 private:
  double x(double chainage) const;
  void legenda(Svg& svg, double y) const;
  void assi(Svg& svg) const;
  void quote(Svg& svg) const;
  void velocita(Svg& svg) const;
  void aderenza(Svg& svg) const;
  void segni(Svg& svg) const;

  const DatiPercorso& d_;
  double px_per_m_ = 0;
  // Height band: lowest and highest height shown and the step of its grid.
  double h_min_ = 0, h_max_ = 0, h_passo_ = 1;
  double v_max_ = 50;
  int a_min_ = 0, a_max_ = 1;
};

}  // namespace compactor::cli
