#include "cli/drawing/render_plan.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "cli/drawing/svg_style.h"

namespace compactor::cli {
namespace {

// Panel layout, px.
constexpr double kTitolo = 24, kLegenda = 46, kArea = 62;
constexpr double kSinistra = 30, kLarghezzaArea = stile::pagina - 2 * kSinistra;
constexpr double kBordoX = 80, kBordoY = 40;  // room for the labels around the drawing
constexpr double kLargo = kLarghezzaArea - 2 * kBordoX;
constexpr double kAltoMassimo = 720, kAltoMinimo = 80;
constexpr int32_t kPasso = 50;  // metres between the points of the drawn route

std::string xy(double x, double y) { return num(x) + "," + num(y); }

void cerchio(Svg& svg, const char* classe, double x, double y, double r, const char* riempimento, const char* tratto,
             double spessore) {
  svg.vuoto("circle", {{"class", classe},
                       {"cx", num(x)},
                       {"cy", num(y)},
                       {"r", num(r)},
                       {"fill", riempimento},
                       {"stroke", tratto},
                       {"stroke-width", num(spessore)}});
}

void rombo(Svg& svg, double x, double y, const std::string& titolo) {
  svg.apri("rect", {{"class", "km-post"},
                    {"x", num(x - 3)},
                    {"y", num(y - 3)},
                    {"width", "6.00"},
                    {"height", "6.00"},
                    {"transform", fmt::format("rotate(45 {} {})", num(x), num(y))},
                    {"fill", stile::cippo},
                    {"stroke", "#ffffff"},
                    {"stroke-width", "1.00"}});
  svg.testo("title", {}, titolo);
  svg.chiudi();
}

}  // namespace

Pianta::Pianta(const Planimetria& p, const DatiPercorso& d) : p_(p), d_(d) {
  presente_ = p.dimensionata() && p.prossimo() >= 2;
  if (!presente_) {
    alto_ = kAltoMinimo;
    return;
  }
  ultimo_ = std::min<int64_t>(d.lunghezza, p.prossimo() - 1);
  min_x_ = max_x_ = p.x(0);
  min_y_ = max_y_ = p.y(0);
  for (int64_t m = 1; m <= ultimo_; ++m) {
    min_x_ = std::min(min_x_, p.x(m));
    max_x_ = std::max(max_x_, p.x(m));
    min_y_ = std::min(min_y_, p.y(m));
    max_y_ = std::max(max_y_, p.y(m));
  }
  const double dx = std::max(max_x_ - min_x_, 1.0), dy = std::max(max_y_ - min_y_, 1.0);
  scala_ = std::min(kLargo / dx, kAltoMassimo / dy);
  alto_ = std::max(dy * scala_, kAltoMinimo);
  ox_ = kSinistra + kBordoX + (kLargo - (max_x_ - min_x_) * scala_) / 2;
  oy_ = kArea + kBordoY + (alto_ - (max_y_ - min_y_) * scala_) / 2;
}

double Pianta::altezza() const { return kArea + alto_ + 2 * kBordoY + 10; }

int64_t Pianta::sul_piano(int64_t c) const { return std::clamp<int64_t>(c, 0, ultimo_); }

Pianta::Punto Pianta::schermo(int64_t m) const {
  m = sul_piano(m);
  return {ox_ + (p_.x(m) - min_x_) * scala_, oy_ + (max_y_ - p_.y(m)) * scala_};
}

Pianta::Punto Pianta::normale(int64_t m) const {
  const Punto a = schermo(m - 25), b = schermo(m + 25);
  const double dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
  if (l == 0) return {1, 0};
  return {-dy / l, dx / l};
}

void Pianta::disegna(Svg& svg, double y0) const {
  Attributi g = {{"id", "plan"}, {"transform", fmt::format("translate(0 {})", num(y0))}};
  if (presente_) {
    g.push_back({"data-scale", fmt::format("{:.6f}", scala_)});
    g.push_back({"data-origin", xy(ox_, oy_)});
  }
  svg.apri("g", g);
  svg.testo("text",
            {{"x", num(kSinistra)},
             {"y", num(kTitolo)},
             {"font-size", "16"},
             {"font-weight", "bold"},
             {"fill", stile::testo}},
            "Route plan" + (d_.percorso.empty() ? std::string() : " \u2014 " + d_.percorso));
  legenda(svg, kLegenda);
  svg.vuoto("rect", {{"x", num(kSinistra)},
                     {"y", num(kArea)},
                     {"width", num(kLarghezzaArea)},
                     {"height", num(alto_ + 2 * kBordoY)},
                     {"fill", stile::fondo_pannello},
                     {"stroke", stile::bordo_pannello}});
  if (!presente_) {
    svg.testo("text",
              {{"x", num(stile::pagina / 2)},
               {"y", num(kArea + kBordoY + alto_ / 2)},
               {"font-size", "13"},
               {"text-anchor", "middle"},
               {"fill", stile::testo}},
              "no plan: the plan file is missing or holds no points");
    svg.chiudi();
    return;
  }
  Etichette etichette;
  const auto nomi = nomi_stazioni(etichette);
  tracciato(svg);
  gallerie(svg);
  numerazione(svg, etichette);
  punti(svg);
  stazioni(svg, nomi);
  scala_grafica(svg);
  nord(svg);
  svg.chiudi();
}

void Pianta::legenda(Svg& svg, double y) const {
  svg.apri("g", {{"class", "legend"}, {"font-size", "11"}, {"fill", stile::testo}});
  double x = kSinistra;
  const auto voce = [&](const std::string& testo, double largo) {
    svg.testo("text", {{"x", num(x + 22)}, {"y", num(y + 4)}}, testo);
    x += largo;
  };
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y)},
                     {"x2", num(x + 16)},
                     {"y2", num(y)},
                     {"stroke", stile::binario},
                     {"stroke-width", "2.50"}});
  voce("route", 70);
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y)},
                     {"x2", num(x + 16)},
                     {"y2", num(y)},
                     {"stroke", stile::galleria},
                     {"stroke-width", "6.00"}});
  voce("tunnel", 75);
  svg.vuoto("circle", {{"cx", num(x + 8)},
                       {"cy", num(y)},
                       {"r", "4.50"},
                       {"fill", stile::stazione},
                       {"stroke", stile::stazione},
                       {"stroke-width", "1.50"}});
  voce("timed stop", 100);
  svg.vuoto("circle", {{"cx", num(x + 8)},
                       {"cy", num(y)},
                       {"r", "4.50"},
                       {"fill", "#ffffff"},
                       {"stroke", stile::stazione},
                       {"stroke-width", "1.50"}});
  voce("station passed without a stop", 210);
  svg.vuoto("line", {{"x1", num(x + 8)},
                     {"y1", num(y - 5)},
                     {"x2", num(x + 8)},
                     {"y2", num(y + 2)},
                     {"stroke", stile::segnale},
                     {"stroke-width", "1.30"}});
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y + 3)},
                     {"x2", num(x + 16)},
                     {"y2", num(y + 3)},
                     {"stroke", stile::binario},
                     {"stroke-width", "2.50"}});
  voce("signal", 70);
  svg.vuoto("rect", {{"x", num(x + 5)},
                     {"y", num(y - 3)},
                     {"width", "6.00"},
                     {"height", "6.00"},
                     {"transform", fmt::format("rotate(45 {} {})", num(x + 8), num(y))},
                     {"fill", stile::cippo}});
  voce("kilometre post", 120);
  svg.vuoto("line", {{"x1", num(x + 8)},
                     {"y1", num(y - 6)},
                     {"x2", num(x + 8)},
                     {"y2", num(y + 6)},
                     {"stroke", stile::km},
                     {"stroke-width", "1.60"}});
  voce("line kilometres, every 10 km", 200);
  svg.chiudi();
}

std::string Pianta::polilinea(int64_t da, int64_t a) const {
  std::string punti;
  for (int64_t m = da;; m += kPasso) {
    m = std::min(m, a);
    const Punto q = schermo(m);
    if (!punti.empty()) punti += ' ';
    punti += xy(q.x, q.y);
    if (m == a) break;
  }
  return punti;
}

void Pianta::tracciato(Svg& svg) const {
  svg.vuoto("polyline", {{"id", "route"},
                         {"class", "route"},
                         {"points", polilinea(0, ultimo_)},
                         {"fill", "none"},
                         {"stroke", stile::binario},
                         {"stroke-width", "2.50"},
                         {"stroke-linejoin", "round"}});
}

void Pianta::gallerie(Svg& svg) const {
  svg.apri("g", {{"id", "plan-tunnels"},
                 {"fill", "none"},
                 {"stroke", stile::galleria},
                 {"stroke-width", "6.00"},
                 {"stroke-linecap", "butt"}});
  for (const Tratto& t : d_.gallerie) {
    svg.apri("polyline", {{"class", "tunnel"}, {"points", polilinea(t.da, t.a)}});
    svg.testo("title", {}, fmt::format("tunnel {} to {} m", t.da, t.a));
    svg.chiudi();
  }
  svg.chiudi();
}

void Pianta::numerazione(Svg& svg, Etichette& etichette) const {
  // The white halo keeps a label readable where it crosses the route.
  svg.apri("g", {{"id", "plan-km"},
                 {"font-size", "9"},
                 {"fill", stile::km},
                 {"stroke", "#ffffff"},
                 {"stroke-width", "2.50"},
                 {"stroke-linejoin", "round"},
                 {"paint-order", "stroke"}});
  // Changes of numbering first: their label carries both readings.
  for (const Salto& s : d_.salti) {
    const Punto q = schermo(s.posizione), n = normale(s.posizione);
    svg.vuoto("circle", {{"class", "km-change"},
                         {"cx", num(q.x)},
                         {"cy", num(q.y)},
                         {"r", "3.50"},
                         {"fill", "none"},
                         {"stroke", stile::km},
                         {"stroke-width", "1.40"}});
    const std::string testo = stile::lettura_leggibile(s.prima) + "/" + stile::lettura_leggibile(s.dopo);
    const auto e =
        etichette.posa(q.x, q.y,
                       {{-n.x, -n.y, 14}, {n.x, n.y, 12}, {-n.x, -n.y, 26}, {n.x, n.y, 24}, {-n.x, -n.y, 38},
                        {n.x, n.y, 36}},
                       testo, 9, true);
    // A label pushed away from a crowded ring keeps a line to it.
    if (std::hypot(e->x - q.x, e->y - q.y) > 30)
      svg.vuoto("line", {{"class", "km-change-leader"},
                         {"x1", num(q.x)},
                         {"y1", num(q.y)},
                         {"x2", num(e->x)},
                         {"y2", num(e->y - 3)},
                         {"stroke", stile::km},
                         {"stroke-width", "0.60"}});
    svg.testo("text", {{"x", num(e->x)}, {"y", num(e->y)}, {"font-style", "italic"}, {"text-anchor", e->ancora}},
              testo);
  }
  // A tick whose label finds no free place stays unlabelled.
  for (const Tacca& t : d_.tacche) {
    const Punto q = schermo(t.posizione), n = normale(t.posizione);
    svg.vuoto("line", {{"class", "km-tick"},
                       {"x1", num(q.x - n.x * 2)},
                       {"y1", num(q.y - n.y * 2)},
                       {"x2", num(q.x - n.x * 10)},
                       {"y2", num(q.y - n.y * 10)},
                       {"stroke", stile::km},
                       {"stroke-width", "1.60"}});
    const std::string testo = fmt::format("km {}", t.lettura / 1000);
    if (const auto e = etichette.posa(q.x, q.y, {{-n.x, -n.y, 14}, {-n.x, -n.y, 22}}, testo, 9, false))
      svg.testo("text", {{"x", num(e->x)}, {"y", num(e->y)}, {"text-anchor", e->ancora}}, testo);
  }
  svg.chiudi();
}

void Pianta::punti(Svg& svg) const {
  svg.apri("g", {{"id", "plan-signals"}});
  // A short tick beside the route, on the side of the kilometre ticks, so
  // that dense signals do not hide the line itself.
  for (const int32_t c : d_.segnali) {
    const Punto q = schermo(c), n = normale(c);
    svg.vuoto("line", {{"class", "signal"},
                       {"x1", num(q.x - n.x * 2.5)},
                       {"y1", num(q.y - n.y * 2.5)},
                       {"x2", num(q.x - n.x * 7)},
                       {"y2", num(q.y - n.y * 7)},
                       {"stroke", stile::segnale},
                       {"stroke-width", "1.30"}});
  }
  svg.chiudi();
  svg.apri("g", {{"id", "plan-km-posts"}});
  for (const Cartello& k : d_.cippi) {
    const Punto q = schermo(k.posizione);
    rombo(svg, q.x, q.y, fmt::format("{} at {} m", k.testo, k.posizione));
  }
  svg.chiudi();
}

std::vector<std::optional<Etichetta>> Pianta::nomi_stazioni(Etichette& etichette) const {
  std::vector<std::optional<Etichetta>> nomi;
  for (const StazioneDisegno& s : d_.stazioni) {
    const Punto q = schermo(s.posizione), n = normale(s.posizione);
    nomi.push_back(
        etichette.posa(q.x, q.y, {{n.x, n.y, 9}, {-n.x, -n.y, 9}, {n.x, n.y, 20}, {-n.x, -n.y, 20}}, s.nome, 10, true));
  }
  return nomi;
}

void Pianta::stazioni(Svg& svg, const std::vector<std::optional<Etichetta>>& nomi) const {
  svg.apri("g", {{"id", "plan-stations"}, {"font-size", "10"}, {"fill", "#0d2a50"}});
  for (size_t i = 0; i < d_.stazioni.size(); ++i) {
    const StazioneDisegno& s = d_.stazioni[i];
    const Punto q = schermo(s.posizione);
    cerchio(svg, s.fermata ? "station timed" : "station passing", q.x, q.y, 4.5,
            s.fermata ? stile::stazione : "#ffffff", stile::stazione, 1.5);
    if (const auto& e = nomi[i])
      svg.testo("text",
                {{"class", "station-name"},
                 {"x", num(e->x)},
                 {"y", num(e->y)},
                 {"text-anchor", e->ancora},
                 {"stroke", "#ffffff"},
                 {"stroke-width", "3.00"},
                 {"stroke-linejoin", "round"},
                 {"paint-order", "stroke"}},
                s.nome);
  }
  svg.chiudi();
}

void Pianta::scala_grafica(Svg& svg) const {
  const double metri = stile::passo_tondo(kLargo / 5 / scala_ / 2.5);
  const double lungo = metri * scala_;
  const double x = kSinistra + 14, y = kArea + alto_ + 2 * kBordoY - 14;
  svg.apri("g", {{"id", "scale-bar"}, {"font-size", "10"}, {"fill", stile::testo}});
  svg.vuoto("rect",
            {{"x", num(x)}, {"y", num(y - 4)}, {"width", num(lungo / 2)}, {"height", "4.00"}, {"fill", stile::testo}});
  svg.vuoto("rect", {{"x", num(x + lungo / 2)},
                     {"y", num(y - 4)},
                     {"width", num(lungo / 2)},
                     {"height", "4.00"},
                     {"fill", "#ffffff"},
                     {"stroke", stile::testo},
                     {"stroke-width", "0.80"}});
  svg.testo("text", {{"x", num(x)}, {"y", num(y - 7)}, {"text-anchor", "middle"}}, "0");
  svg.testo("text", {{"x", num(x + lungo)}, {"y", num(y - 7)}, {"text-anchor", "middle"}},
            stile::metri_leggibili(metri));
  svg.chiudi();
}

void Pianta::nord(Svg& svg) const {
  const double x = kSinistra + kLarghezzaArea - 22, y = kArea + 14;
  svg.apri("g", {{"id", "north"}, {"fill", stile::testo}});
  svg.vuoto("path", {{"d", fmt::format("M {} {} L {} {} L {} {} Z", num(x), num(y), num(x - 5), num(y + 16), num(x + 5),
                                       num(y + 16))}});
  svg.testo("text", {{"x", num(x)}, {"y", num(y + 28)}, {"font-size", "10"}, {"text-anchor", "middle"}}, "N");
  svg.chiudi();
}

}  // namespace compactor::cli
