#include "cli/drawing/render_profile.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "cli/drawing/svg_style.h"

namespace compactor::cli {
namespace {

// Panel layout, px, from the top of the panel.
constexpr double kTitolo = 24, kLegenda = 46;
constexpr double kX0 = 100, kLargo = stile::pagina - kX0 - 40;
constexpr double kQuotaTop = 66, kQuotaAlto = 200;
constexpr double kVelTop = kQuotaTop + kQuotaAlto + 14, kVelAlto = 110;
constexpr double kAdeTop = kVelTop + kVelAlto + 14, kAdeAlto = 44;
constexpr double kSegniTop = kAdeTop + kAdeAlto + 14, kSegniAlto = 130;
constexpr double kAsse = kSegniTop + kSegniAlto;

double y_quota(double h, double lo, double hi) { return kQuotaTop + kQuotaAlto - (h - lo) / (hi - lo) * kQuotaAlto; }

// A step line through the values of a profile, in one path:
// M x y H x V y H x ... ; the horizontal runs are the steps.
template <typename Y>
std::string gradini_path(const std::vector<Gradino>& g, Y y, const std::function<double(double)>& x) {
  std::string d;
  for (const Gradino& s : g) {
    if (d.empty())
      d = fmt::format("M {} {}", num(x(s.da)), num(y(s.valore)));
    else
      d += fmt::format(" V {}", num(y(s.valore)));
    d += fmt::format(" H {}", num(x(s.a)));
  }
  return d;
}

void banda(Svg& svg, double top, double alto) {
  svg.vuoto("rect", {{"x", num(kX0)},
                     {"y", num(top)},
                     {"width", num(kLargo)},
                     {"height", num(alto)},
                     {"fill", stile::fondo_pannello},
                     {"stroke", stile::bordo_pannello}});
}

void etichetta_banda(Svg& svg, double top, double alto, const std::string& testo) {
  const double x = kX0 - 62, y = top + alto / 2;
  svg.testo("text",
            {{"x", num(x)},
             {"y", num(y)},
             {"font-size", "11"},
             {"text-anchor", "middle"},
             {"transform", fmt::format("rotate(-90 {} {})", num(x), num(y))},
             {"fill", stile::testo}},
            testo);
}

void valore_asse(Svg& svg, double y, const std::string& testo) {
  svg.testo(
      "text",
      {{"x", num(kX0 - 6)}, {"y", num(y + 3.5)}, {"font-size", "10"}, {"text-anchor", "end"}, {"fill", stile::testo}},
      testo);
}

void riga_orizzontale(Svg& svg, double y) {
  svg.vuoto("line", {{"x1", num(kX0)},
                     {"y1", num(y)},
                     {"x2", num(kX0 + kLargo)},
                     {"y2", num(y)},
                     {"stroke", stile::griglia},
                     {"stroke-width", "1.00"}});
}

}  // namespace

Profilo::Profilo(const DatiPercorso& d) : d_(d) {
  px_per_m_ = kLargo / std::max(d.lunghezza, 1);
  if (!d.quote.empty()) {
    const auto [lo, hi] = std::minmax_element(d.quote.begin(), d.quote.end());
    h_passo_ = stile::passo_tondo(std::max(*hi - *lo, 20.0) / 6);
    h_min_ = std::floor(*lo / h_passo_) * h_passo_;
    h_max_ = std::ceil(*hi / h_passo_) * h_passo_;
    if (h_max_ <= h_min_) h_max_ = h_min_ + h_passo_;
  } else {
    h_max_ = 1;
  }
  for (const Gradino& g : d.velocita) v_max_ = std::max<double>(v_max_, g.valore);
  v_max_ = std::ceil(v_max_ / 50) * 50;
  if (!d.aderenza.empty()) {
    a_min_ = a_max_ = d.aderenza.front().valore;
    for (const Gradino& g : d.aderenza) {
      a_min_ = std::min(a_min_, g.valore);
      a_max_ = std::max(a_max_, g.valore);
    }
  }
  if (a_max_ - a_min_ < 4) {
    a_min_ -= 2;
    a_max_ += 2;
  }
}

double Profilo::altezza() const { return kAsse + 44; }

double Profilo::x(double chainage) const { return kX0 + chainage * px_per_m_; }

void Profilo::disegna(Svg& svg, double y0) const {
  svg.apri("g", {{"id", "profile"},
                 {"transform", fmt::format("translate(0 {})", num(y0))},
                 {"data-x0", num(kX0)},
                 {"data-px-per-m", fmt::format("{:.8f}", px_per_m_)}});
  std::string titolo = "Gradient profile and speed limits";
  if (!d_.treno.empty()) titolo += " \u2014 " + d_.treno;
  svg.testo("text",
            {{"x", "30.00"}, {"y", num(kTitolo)}, {"font-size", "16"}, {"font-weight", "bold"}, {"fill", stile::testo}},
            titolo);
  legenda(svg, kLegenda);
  assi(svg);
  quote(svg);
  velocita(svg);
  aderenza(svg);
  segni(svg);
  svg.chiudi();
}

void Profilo::legenda(Svg& svg, double y) const {
  svg.apri("g", {{"class", "legend"}, {"font-size", "11"}, {"fill", stile::testo}});
  double x = 30;
  const auto voce = [&](const std::string& testo, double largo) {
    svg.testo("text", {{"x", num(x + 22)}, {"y", num(y + 4)}}, testo);
    x += largo;
  };
  svg.vuoto("rect", {{"x", num(x)},
                     {"y", num(y - 5)},
                     {"width", "16.00"},
                     {"height", "10.00"},
                     {"fill", stile::quota_fondo},
                     {"stroke", stile::quota_linea}});
  voce("track height", 110);
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y)},
                     {"x2", num(x + 16)},
                     {"y2", num(y)},
                     {"stroke", stile::velocita},
                     {"stroke-width", "2.00"}});
  voce("speed limit", 100);
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y)},
                     {"x2", num(x + 16)},
                     {"y2", num(y)},
                     {"stroke", stile::aderenza},
                     {"stroke-width", "2.00"}});
  voce("adhesion", 90);
  svg.vuoto("rect", {{"x", num(x)},
                     {"y", num(y - 5)},
                     {"width", "16.00"},
                     {"height", "10.00"},
                     {"fill", stile::rallentamento},
                     {"fill-opacity", "0.35"},
                     {"stroke", stile::rallentamento}});
  voce("slowdown (its speed above)", 190);
  svg.vuoto("path", {{"d", fmt::format("M {} {} L {} {} L {} {} Z", num(x + 8), num(y - 5), num(x + 3), num(y + 5),
                                       num(x + 13), num(y + 5))},
                     {"fill", stile::rallentamento}});
  voce("warning board", 120);
  svg.vuoto("circle", {{"cx", num(x + 8)},
                       {"cy", num(y)},
                       {"r", "4.00"},
                       {"fill", stile::stazione},
                       {"stroke", stile::stazione},
                       {"stroke-width", "1.50"}});
  voce("timed stop", 95);
  svg.vuoto("circle", {{"cx", num(x + 8)},
                       {"cy", num(y)},
                       {"r", "4.00"},
                       {"fill", "#ffffff"},
                       {"stroke", stile::stazione},
                       {"stroke-width", "1.50"}});
  voce("station passed", 110);
  svg.chiudi();
}

void Profilo::assi(Svg& svg) const {
  banda(svg, kQuotaTop, kQuotaAlto);
  banda(svg, kVelTop, kVelAlto);
  banda(svg, kAdeTop, kAdeAlto);
  etichetta_banda(svg, kQuotaTop, kQuotaAlto, "height (m)");
  etichetta_banda(svg, kVelTop, kVelAlto, "speed (km/h)");
  etichetta_banda(svg, kAdeTop, kAdeAlto, "adhesion");

  svg.apri("g", {{"id", "chainage-axis"}});
  // Chainage ticks: a round number of kilometres, about 15 of them.
  const double passo = std::max(stile::passo_tondo(d_.lunghezza / 15.0), 1000.0);
  for (double c = 0; c <= d_.lunghezza + 0.5; c += passo) {
    const double px = x(c);
    for (const auto& [top, alto] : {std::pair{kQuotaTop, kQuotaAlto}, {kVelTop, kVelAlto}, {kAdeTop, kAdeAlto}})
      svg.vuoto("line", {{"x1", num(px)},
                         {"y1", num(top)},
                         {"x2", num(px)},
                         {"y2", num(top + alto)},
                         {"stroke", stile::griglia},
                         {"stroke-width", "1.00"}});
    svg.vuoto("line", {{"x1", num(px)},
                       {"y1", num(kAsse)},
                       {"x2", num(px)},
                       {"y2", num(kAsse + 5)},
                       {"stroke", stile::testo},
                       {"stroke-width", "1.00"}});
    svg.testo("text",
              {{"x", num(px)},
               {"y", num(kAsse + 17)},
               {"font-size", "10"},
               {"text-anchor", "middle"},
               {"fill", stile::testo}},
              fmt::format("{}", std::llround(c / 1000)));
  }
  svg.vuoto("line", {{"x1", num(kX0)},
                     {"y1", num(kAsse)},
                     {"x2", num(kX0 + kLargo)},
                     {"y2", num(kAsse)},
                     {"stroke", stile::testo},
                     {"stroke-width", "1.00"}});
  svg.testo("text",
            {{"x", num(kX0 + kLargo / 2)},
             {"y", num(kAsse + 34)},
             {"font-size", "11"},
             {"text-anchor", "middle"},
             {"fill", stile::testo}},
            "chainage (km from the start of the route)");
  svg.chiudi();
}

void Profilo::quote(Svg& svg) const {
  svg.apri("g", {{"id", "profile-height"}});
  for (double h = h_min_; h <= h_max_ + h_passo_ / 2; h += h_passo_) {
    const double y = y_quota(h, h_min_, h_max_);
    riga_orizzontale(svg, y);
    valore_asse(svg, y, fmt::format("{}", std::llround(h)));
  }
  if (d_.quote.size() >= 2) {
    const double base = kQuotaTop + kQuotaAlto;
    std::string linea;
    for (size_t k = 0; k < d_.quote.size(); ++k) {
      const double c = std::min<double>(50.0 * static_cast<double>(k), d_.lunghezza);
      if (!linea.empty()) linea += ' ';
      linea += num(x(c)) + "," + num(y_quota(d_.quote[k], h_min_, h_max_));
    }
    const std::string area = num(x(0)) + "," + num(base) + " " + linea + " " + num(x(d_.lunghezza)) + "," + num(base);
    svg.vuoto("polygon", {{"class", "height"}, {"points", area}, {"fill", stile::quota_fondo}, {"stroke", "none"}});
    svg.vuoto("polyline", {{"class", "height-line"},
                           {"points", linea},
                           {"fill", "none"},
                           {"stroke", stile::quota_linea},
                           {"stroke-width", "1.20"}});
  }
  svg.chiudi();
}

void Profilo::velocita(Svg& svg) const {
  const double per_kmh = kVelAlto / v_max_;
  const double zero = kVelTop + kVelAlto;
  svg.apri("g", {{"id", "profile-speed"}});
  for (double v = 0; v <= v_max_; v += 50) {
    riga_orizzontale(svg, zero - v * per_kmh);
    valore_asse(svg, zero - v * per_kmh, fmt::format("{}", std::llround(v)));
  }
  // Slowdowns: the span shaded, its speed written above it.
  for (const Rallentamento& r : d_.rallentamenti) {
    const double a = x(r.da), b = std::max(x(r.a), a + 1.5);
    svg.apri("rect", {{"class", "slowdown"},
                      {"x", num(a)},
                      {"y", num(kVelTop)},
                      {"width", num(b - a)},
                      {"height", num(kVelAlto)},
                      {"fill", stile::rallentamento},
                      {"fill-opacity", "0.35"},
                      {"stroke", stile::rallentamento},
                      {"stroke-width", "0.80"}});
    svg.testo("title", {}, fmt::format("slowdown to {} km/h from {} to {} m", r.velocita, r.da, r.a));
    svg.chiudi();
    svg.testo("text",
              {{"x", num((a + b) / 2)},
               {"y", num(kVelTop - 3)},
               {"font-size", "9"},
               {"text-anchor", "middle"},
               {"fill", stile::rallentamento}},
              fmt::format("{}", r.velocita));
  }
  const auto y = [&](int v) { return zero - v * per_kmh; };
  svg.vuoto("path", {{"class", "speed"},
                     {"d", gradini_path(d_.velocita, y, [this](double c) { return x(c); })},
                     {"data-y0", num(zero)},
                     {"data-px-per-kmh", fmt::format("{:.6f}", per_kmh)},
                     {"fill", "none"},
                     {"stroke", stile::velocita},
                     {"stroke-width", "1.60"}});
  svg.chiudi();
}

void Profilo::aderenza(Svg& svg) const {
  const double per_unita = (kAdeAlto - 8) / (a_max_ - a_min_);
  const double zero = kAdeTop + kAdeAlto - 4;
  const auto y = [&](int a) { return zero - (a - a_min_) * per_unita; };
  svg.apri("g", {{"id", "profile-adhesion"}});
  valore_asse(svg, y(a_min_), fmt::format("{}", a_min_));
  valore_asse(svg, y(a_max_), fmt::format("{}", a_max_));
  svg.vuoto("path", {{"class", "adhesion"},
                     {"d", gradini_path(d_.aderenza, y, [this](double c) { return x(c); })},
                     {"fill", "none"},
                     {"stroke", stile::aderenza},
                     {"stroke-width", "1.60"}});
  svg.chiudi();
}

void Profilo::segni(Svg& svg) const {
  svg.apri("g", {{"id", "profile-marks"}});
  for (const int32_t c : d_.avvisi) {
    const double px = x(c), y = kSegniTop + 10;
    svg.apri("path", {{"class", "warning"},
                      {"d", fmt::format("M {} {} L {} {} L {} {} Z", num(px), num(y - 6), num(px - 4), num(y + 3),
                                        num(px + 4), num(y + 3))},
                      {"fill", stile::rallentamento}});
    svg.testo("title", {}, fmt::format("warning board at {} m", c));
    svg.chiudi();
  }
  for (const StazioneDisegno& s : d_.stazioni) {
    const double px = x(s.posizione), y = kSegniTop + 26;
    svg.vuoto("line", {{"x1", num(px)},
                       {"y1", num(kQuotaTop)},
                       {"x2", num(px)},
                       {"y2", num(kQuotaTop + kQuotaAlto)},
                       {"stroke", stile::stazione},
                       {"stroke-opacity", s.fermata ? "0.35" : "0.15"},
                       {"stroke-width", "0.80"}});
    svg.vuoto("circle", {{"class", s.fermata ? "station timed" : "station passing"},
                         {"cx", num(px)},
                         {"cy", num(y)},
                         {"r", "3.50"},
                         {"fill", s.fermata ? stile::stazione : "#ffffff"},
                         {"stroke", stile::stazione},
                         {"stroke-width", "1.30"}});
    svg.testo("text",
              {{"class", "station-name"},
               {"x", num(px + 3)},
               {"y", num(y + 8)},
               {"font-size", "8"},
               {"transform", fmt::format("rotate(60 {} {})", num(px + 3), num(y + 8))},
               {"fill", "#0d2a50"}},
              s.nome);
  }
  svg.chiudi();
}

}  // namespace compactor::cli
