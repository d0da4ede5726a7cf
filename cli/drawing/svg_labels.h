// Places text labels next to points so that they do not cover each other:
// each label tries its candidate places in order and takes the first one
// that no earlier label holds.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace compactor::cli {

struct Etichetta {
  double x = 0, y = 0;           // where the text's anchor goes (baseline)
  const char* ancora = "start";  // text-anchor
};

// A place to try: the label `distanza` px from the point along (dx, dy).
struct Candidato {
  double dx = 0, dy = 0, distanza = 0;
};

class Etichette {
 public:
  // The first free candidate; when all are taken, the first one if
  // `comunque`, else nothing. The place taken is then held.
  std::optional<Etichetta> posa(double x, double y, const std::vector<Candidato>& candidati, std::string_view utf8,
                                double corpo, bool comunque);

 private:
  struct Riquadro {
    double x0, y0, x1, y1;
  };
  static Riquadro ingombro(const Etichetta& e, std::string_view utf8, double corpo);
  bool libero(const Riquadro& r) const;

  std::vector<Riquadro> presi_;
};

}  // namespace compactor::cli
