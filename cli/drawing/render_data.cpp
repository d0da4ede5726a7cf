#include "cli/drawing/render_data.h"

#include <algorithm>
#include <set>

#include "platform/cp1252.h"

namespace compactor::cli {
namespace {

// The reading in force at a chainage is sign × chainage + gap.
struct Rule {
  int64_t sign = 1;
  int64_t gap = 0;
  int64_t apply(int64_t c) const { return sign * c + gap; }
};

bool empty_reference(const stazione& r) { return r.inizio == 0 && r.fine == 0 && r.posizione == 0; }

// Rows 83, 82, 81 stand in ascending order of `inizio`: the last one that
// has begun at c is in force. A reference with flag 1 counts down from its
// `fine`, which the loader stored 100 m too high.
Rule rule_at(const Stazioni& s, int64_t c) {
  Rule r;
  for (int riga : {83, 82, 81}) {
    const stazione& p = s.at(riga);
    if (empty_reference(p) || p.inizio > c) continue;
    r = p.posizione == 1 ? Rule{-1, int64_t{p.fine} - 100} : Rule{1, p.fine};
  }
  return r;
}

int64_t div_giu(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t div_su(int64_t a, int64_t b) { return -div_giu(-a, b); }

std::string without_blank(std::string t) {
  const auto first = t.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return t.substr(first, t.find_last_not_of(' ') - first + 1);
}

// Runs of equal values over the cells of the route.
template <typename ValueCase>
std::vector<Step> steps(const Griglia& g, int32_t lunghezza, ValueCase valore) {
  std::vector<Step> out;
  for (int64_t k = 0; k * 50 < lunghezza && g.contains(k); ++k) {
    const int v = valore(g.at(k));
    const auto da = static_cast<int32_t>(k * 50);
    const int32_t a = std::min<int32_t>(da + 50, lunghezza);
    if (!out.empty() && out.back().valore == v && out.back().a == da)
      out.back().a = a;
    else
      out.push_back({da, a, v});
  }
  return out;
}

void numbering(const Stazioni& s, RouteData& d) {
  const int64_t L = d.lunghezza;
  std::set<int64_t> starts_ = {0};
  for (int riga : {81, 82, 83}) {
    const stazione& p = s.at(riga);
    if (!empty_reference(p) && p.inizio > 0 && p.inizio <= L) starts_.insert(p.inizio);
  }
  for (const int64_t b : starts_) {
    if (b == 0) continue;
    const int64_t before = rule_at(s, b - 1).apply(b);
    const int64_t after = rule_at(s, b).apply(b);
    if (before != after) d.jumps.push_back({static_cast<int32_t>(b), before, after});
  }
  constexpr int64_t step = 10000;
  for (auto it = starts_.begin(); it != starts_.end(); ++it) {
    const int64_t a = *it;
    const int64_t b = std::next(it) == starts_.end() ? L + 1 : *std::next(it);  // [a, b)
    const Rule r = rule_at(s, a);
    if (r.sign > 0) {
      for (int64_t m = std::max<int64_t>(0, div_su(r.apply(a), step) * step); m - r.gap < b; m += step)
        d.ticks.push_back({static_cast<int32_t>(m - r.gap), m});
    } else {
      for (int64_t m = div_giu(r.apply(a), step) * step; m >= 0 && r.gap - m < b; m -= step)
        d.ticks.push_back({static_cast<int32_t>(r.gap - m), m});
    }
  }
}

}  // namespace

int64_t km_reading(const Stazioni& s, int64_t chainage) { return rule_at(s, chainage).apply(chainage); }

RouteData route_data(const Stazioni& s, const Griglia& g) {
  RouteData d;
  d.percorso = cp1252_to_utf8(s.at(85).nome);
  d.treno = cp1252_to_utf8(s.at(86).nome);
  if (!g.sized()) return d;
  d.lunghezza = std::clamp<int32_t>(s.at(84).fine, 0, static_cast<int32_t>(g.last() * 50));
  const int32_t L = d.lunghezza;
  const auto on_route = [L](int64_t c) { return c >= 0 && c <= L; };

  // Point features, in chainage order.
  std::set<int64_t> board_lines;
  bool open_slowdown = false;
  for (int64_t j = 0; j <= g.last(); ++j) {
    const cella& c = g.at(j);
    const int32_t x = cell_chainage(j);
    switch (c.tipo) {
      case tipo_cella::segnale:
        if (on_route(x)) d.segnali.push_back(x);
        break;
      case tipo_cella::cartello:
        board_lines.insert(c.dato1);
        if (c.dato1 >= 1 && c.dato1 <= 80 && on_route(x)) {
          const std::string& text = s.at(c.dato1).nome;
          if (cp1252_lower(text).find("cippo") != std::string::npos)
            d.cippi.push_back({x, without_blank(cp1252_to_utf8(text))});
        }
        break;
      case tipo_cella::avviso:
        if (on_route(x)) d.avvisi.push_back(x);
        break;
      case tipo_cella::inizio_rallentamento:
        // A start with no end before the next start is a slowdown of one cell.
        if (open_slowdown) d.rallentamenti.back().a = d.rallentamenti.back().da + 50;
        d.rallentamenti.push_back({x, x + 50, c.dato1});
        open_slowdown = true;
        break;
      case tipo_cella::fine_rallentamento:
        if (open_slowdown) d.rallentamenti.back().a = x;
        open_slowdown = false;
        break;
      default:
        break;
    }
  }
  std::erase_if(d.rallentamenti, [&](const Rallentamento& r) { return !on_route(r.da); });
  for (auto& r : d.rallentamenti) r.a = std::clamp(r.a, r.da, L);

  // Tunnels: runs of cells with a tunnel type.
  for (int64_t j = 0; j <= g.last() && j * 50 < L; ++j) {
    if (g.at(j).montagna == 0) continue;
    int64_t fine = j;
    while (fine + 1 <= g.last() && g.at(fine + 1).montagna != 0) ++fine;
    d.gallerie.push_back({static_cast<int32_t>(j * 50), static_cast<int32_t>(std::min<int64_t>((fine + 1) * 50, L))});
    j = fine;
  }

  // Stations fill rows 1 upward until a clear row or the signboard rows.
  for (int riga = 1; riga <= 80 && !board_lines.contains(riga); ++riga) {
    const stazione& st = s.at(riga);
    if (st == stazione{}) break;
    if (on_route(st.posizione))
      d.stazioni.push_back({st.posizione, st.orario != 0, without_blank(cp1252_to_utf8(st.nome))});
  }

  d.velocita = steps(g, L, [](const cella& c) { return c.velocita * 5; });
  d.aderenza = steps(g, L, [](const cella& c) { return int{c.aderenza}; });

  // Height: each cell climbs its gradient (per mille) over its 50 m. A cell
  // that no gradient reached (0, a gradient of -100) counts as level.
  d.quote.push_back(0.0);
  for (int64_t k = 0; k * 50 < L && g.contains(k); ++k) {
    const int p = g.at(k).pendenza;
    const double per_mille_ = p == 0 ? 0.0 : p - 100.0;
    const double metres = std::min<int64_t>(50, L - k * 50);
    d.quote.push_back(d.quote.back() + per_mille_ * metres / 1000.0);
  }

  numbering(s, d);
  return d;
}

}  // namespace compactor::cli
