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

class Pianta {
 public:
  Pianta(const Planimetria& p, const DatiPercorso& d);

  double altezza() const;  // height of the panel, px
  // Draws the panel with its top at y0.
  void disegna(Svg& svg, double y0) const;

  // Pixels per metre, the same along x and y.
  double scala() const { return scala_; }

 private:
  struct Punto {
    double x, y;
  };
  Punto schermo(int64_t m) const;      // plan point m in the panel
  Punto normale(int64_t m) const;      // unit normal of the route at m, in the panel
  int64_t sul_piano(int64_t c) const;  // a chainage clamped to the points drawn

  void legenda(Svg& svg, double y) const;
  // Screen points every kPasso metres from `da`, `a` always the last.
  std::string polilinea(int64_t da, int64_t a) const;
  void tracciato(Svg& svg) const;
  void gallerie(Svg& svg) const;
  void numerazione(Svg& svg, Etichette& etichette) const;
  void punti(Svg& svg) const;
  // Station names go first: they matter most when labels crowd.
  std::vector<std::optional<Etichetta>> nomi_stazioni(Etichette& etichette) const;
  void stazioni(Svg& svg, const std::vector<std::optional<Etichetta>>& nomi) const;
  void scala_grafica(Svg& svg) const;
  void nord(Svg& svg) const;

  const Planimetria& p_;
  const DatiPercorso& d_;
  bool presente_ = false;
  int64_t ultimo_ = 0;  // last plan point drawn
  double min_x_ = 0, max_x_ = 0, min_y_ = 0, max_y_ = 0;
  double scala_ = 1;
  double ox_ = 0, oy_ = 0;  // page position of (min_x, max_y)
  double alto_ = 0;         // height of the drawing
};

}  // namespace compactor::cli
