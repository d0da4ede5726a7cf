#include "cli/drawing/svg_labels.h"

namespace compactor::cli {
namespace {

// Characters of a UTF-8 text (continuation bytes do not count).
size_t characters(std::string_view utf8) {
  size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

Label where(double x, double y, const Candidate& c, double body) {
  Label e;
  e.x = x + c.dx * c.distance;
  // Half the letter height moves the text's middle, not its baseline, onto the place.
  e.y = y + c.dy * c.distance + body * 0.35 + c.dy * body * 0.3;
  e.still = c.dx > 0.3 ? "start" : c.dx < -0.3 ? "end" : "middle";
  return e;
}

}  // namespace

Labels::Box Labels::footprint(const Label& e, std::string_view utf8, double body) {
  // An average letter of the sans-serif faces is about 0.58 of the size wide.
  const double wide_ = 0.58 * body * static_cast<double>(characters(utf8));
  const double x0 = e.still[0] == 's' ? e.x : e.still[0] == 'e' ? e.x - wide_ : e.x - wide_ / 2;
  return {x0, e.y - 0.8 * body, x0 + wide_, e.y + 0.2 * body};
}

bool Labels::free_(const Box& r) const {
  for (const Box& p : taken_)
    if (r.x0 < p.x1 && p.x0 < r.x1 && r.y0 < p.y1 && p.y0 < r.y1) return false;
  return true;
}

std::optional<Label> Labels::laid(double x, double y, const std::vector<Candidate>& candidates,
                                         std::string_view utf8, double body, bool anyway) {
  if (candidates.empty()) return std::nullopt;
  for (const Candidate& c : candidates) {
    const Label e = where(x, y, c, body);
    const Box r = footprint(e, utf8, body);
    if (free_(r)) {
      taken_.push_back(r);
      return e;
    }
  }
  if (!anyway) return std::nullopt;
  const Label e = where(x, y, candidates.front(), body);
  taken_.push_back(footprint(e, utf8, body));
  return e;
}

}  // namespace compactor::cli
