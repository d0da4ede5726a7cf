#include "cli/drawing/svg_labels.h"

namespace compactor::cli {
namespace {

// Characters of a UTF-8 text (continuation bytes do not count).
size_t caratteri(std::string_view utf8) {
  size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

Etichetta dove(double x, double y, const Candidato& c, double corpo) {
  Etichetta e;
  e.x = x + c.dx * c.distanza;
  // Half the letter height moves the text's middle, not its baseline, onto the place.
  e.y = y + c.dy * c.distanza + corpo * 0.35 + c.dy * corpo * 0.3;
  e.ancora = c.dx > 0.3 ? "start" : c.dx < -0.3 ? "end" : "middle";
  return e;
}

}  // namespace

Etichette::Riquadro Etichette::ingombro(const Etichetta& e, std::string_view utf8, double corpo) {
  // An average letter of the sans-serif faces is about 0.58 of the size wide.
  const double largo = 0.58 * corpo * static_cast<double>(caratteri(utf8));
  const double x0 = e.ancora[0] == 's' ? e.x : e.ancora[0] == 'e' ? e.x - largo : e.x - largo / 2;
  return {x0, e.y - 0.8 * corpo, x0 + largo, e.y + 0.2 * corpo};
}

bool Etichette::libero(const Riquadro& r) const {
  for (const Riquadro& p : presi_)
    if (r.x0 < p.x1 && p.x0 < r.x1 && r.y0 < p.y1 && p.y0 < r.y1) return false;
  return true;
}

std::optional<Etichetta> Etichette::posa(double x, double y, const std::vector<Candidato>& candidati,
                                         std::string_view utf8, double corpo, bool comunque) {
  if (candidati.empty()) return std::nullopt;
  for (const Candidato& c : candidati) {
    const Etichetta e = dove(x, y, c, corpo);
    const Riquadro r = ingombro(e, utf8, corpo);
    if (libero(r)) {
      presi_.push_back(r);
      return e;
    }
  }
  if (!comunque) return std::nullopt;
  const Etichetta e = dove(x, y, candidati.front(), corpo);
  presi_.push_back(ingombro(e, utf8, corpo));
  return e;
}

}  // namespace compactor::cli
