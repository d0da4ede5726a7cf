#include "cli/drawing/render_plan.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "cli/drawing/fewer_points.h"
#include "cli/drawing/svg_style.h"

namespace compactor::cli {
namespace {

// Panel layout, px.
constexpr double kTitle = 24, kLegend = 46, kArea = 62;
constexpr double kLeft = 30, kAreaWidth = style::page - 2 * kLeft;
constexpr double kEdgeX = 80, kEdgeY = 40;  // room for the labels around the drawing
constexpr double kWide = kAreaWidth - 2 * kEdgeX;
constexpr double kMostHigh = 720, kLeastHigh = 80;
constexpr double kWindowHigh = 360;  // a window's drawing, whatever its shape
constexpr int32_t kStep = 50;  // metres between the points of the drawn route

std::string xy(double x, double y) { return num(x) + "," + num(y); }

void circle(Svg& svg, const char* class_, double x, double y, double r, const char* fill_, const char* stretch,
             double thickness) {
  svg.vuoto("circle", {{"class", class_},
                       {"cx", num(x)},
                       {"cy", num(y)},
                       {"r", num(r)},
                       {"fill", fill_},
                       {"stroke", stretch},
                       {"stroke-width", num(thickness)}});
}

void diamond(Svg& svg, double x, double y, const std::string& title_) {
  svg.open("rect", {{"class", "km-post"},
                    {"x", num(x - 3)},
                    {"y", num(y - 3)},
                    {"width", "6.00"},
                    {"height", "6.00"},
                    {"transform", fmt::format("rotate(45 {} {})", num(x), num(y))},
                    {"fill", style::cippo},
                    {"stroke", "#ffffff"},
                    {"stroke-width", "1.00"}});
  svg.text("title", {}, title_);
  svg.close();
}

}  // namespace

Plan::Plan(const Planimetria& p, const RouteData& d, ChainageWindow window) : p_(p), d_(d) {
  present_ = p.sized() && p.next() >= 2;
  windowed_ = !window.whole();
  if (!present_) {
    high_ = kLeastHigh;
    return;
  }
  last_ = std::min<int64_t>(d.lunghezza, p.next() - 1);
  const int64_t first = windowed_ ? on_level(window.from) : 0;
  const int64_t last = windowed_ ? on_level(window.to) : last_;
  // Every metre's point, read straight from the plan's arrays: a long
  // route has a million of them.
  const double* xs = p.all_x();
  const double* ys = p.all_y();
  min_x_ = max_x_ = p.x(first);
  min_y_ = max_y_ = p.y(first);
  for (int64_t m = first + 1; m <= last; ++m) {
    const auto i = static_cast<size_t>(m);
    min_x_ = std::min(min_x_, xs[i]);
    max_x_ = std::max(max_x_, xs[i]);
    min_y_ = std::min(min_y_, ys[i]);
    max_y_ = std::max(max_y_, ys[i]);
  }
  const double dx = std::max(max_x_ - min_x_, 1.0), dy = std::max(max_y_ - min_y_, 1.0);
  scale_ = std::min(kWide / dx, (windowed_ ? kWindowHigh : kMostHigh) / dy);
  high_ = windowed_ ? kWindowHigh : std::max(dy * scale_, kLeastHigh);
  ox_ = kLeft + kEdgeX + (kWide - (max_x_ - min_x_) * scale_) / 2;
  oy_ = kArea + kEdgeY + (high_ - (max_y_ - min_y_) * scale_) / 2;
  shown_to_ = last_;
  if (windowed_) {
    // The stretch of route from the first point in the panel to the last:
    // what lies wholly outside it is left out, not drawn and cut.
    shown_from_ = last_;
    shown_to_ = 0;
    for (int64_t m = 0; m <= last_; m += kStep)
      if (shown(screen(m))) {
        shown_from_ = std::min(shown_from_, std::max<int64_t>(0, m - kStep));
        shown_to_ = std::max(shown_to_, std::min(last_, m + kStep));
      }
    if (shown_to_ < shown_from_) shown_from_ = shown_to_ = first;
  }
}

bool Plan::shown(Place q) const {
  if (!windowed_) return true;
  constexpr double kMargin = 40;  // a mark just outside may still reach in
  return q.x >= kLeft - kMargin && q.x <= kLeft + kAreaWidth + kMargin && q.y >= kArea - kMargin &&
         q.y <= kArea + high_ + 2 * kEdgeY + kMargin;
}

double Plan::height() const { return kArea + high_ + 2 * kEdgeY + 10; }

int64_t Plan::on_level(int64_t c) const { return std::clamp<int64_t>(c, 0, last_); }

Plan::Place Plan::screen(int64_t m) const {
  m = on_level(m);
  return {ox_ + (p_.x(m) - min_x_) * scale_, oy_ + (max_y_ - p_.y(m)) * scale_};
}

Plan::Place Plan::normal(int64_t m) const {
  const Place a = screen(m - 25), b = screen(m + 25);
  const double dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
  if (l == 0) return {1, 0};
  return {-dy / l, dx / l};
}

void Plan::draw(Svg& svg, double y0) const {
  Attributes g = {{"id", "plan"}, {"transform", fmt::format("translate(0 {})", num(y0))}};
  if (present_) {
    g.push_back({"data-scale", fmt::format("{:.6f}", scale_)});
    g.push_back({"data-origin", xy(ox_, oy_)});
    // Where the plan's (0, 0) falls, so that a page can place any point.
    if (windowed_) g.push_back({"data-zero", xy(ox_ - min_x_ * scale_, oy_ + max_y_ * scale_)});
  }
  svg.open("g", g);
  svg.text("text",
            {{"x", num(kLeft)},
             {"y", num(kTitle)},
             {"font-size", "16"},
             {"font-weight", "bold"},
             {"fill", style::text}},
            "Route plan" + (d_.percorso.empty() ? std::string() : " \u2014 " + d_.percorso));
  legend(svg, kLegend);
  svg.vuoto("rect", {{"x", num(kLeft)},
                     {"y", num(kArea)},
                     {"width", num(kAreaWidth)},
                     {"height", num(high_ + 2 * kEdgeY)},
                     {"fill", style::panel_bottom},
                     {"stroke", style::panel_edge}});
  if (!present_) {
    svg.text("text",
              {{"x", num(style::page / 2)},
               {"y", num(kArea + kEdgeY + high_ / 2)},
               {"font-size", "13"},
               {"text-anchor", "middle"},
               {"fill", style::text}},
              "no plan: the plan file is missing or holds no points");
    svg.close();
    return;
  }
  Labels labels;
  const auto names = station_names(labels);
  if (windowed_) {
    svg.open("clipPath", {{"id", "plan-window"}});
    svg.vuoto("rect", {{"x", num(kLeft)}, {"y", num(kArea)}, {"width", num(kAreaWidth)}, {"height", num(high_ + 2 * kEdgeY)}});
    svg.close();
    svg.open("g", {{"clip-path", "url(#plan-window)"}});
  }
  track(svg);
  gallerie(svg);
  numbering(svg, labels);
  points(svg);
  stazioni(svg, names);
  if (windowed_) svg.close();
  graphic_scale(svg);
  nord(svg);
  svg.close();
}

void Plan::legend(Svg& svg, double y) const {
  svg.open("g", {{"class", "legend"}, {"font-size", "11"}, {"fill", style::text}});
  double x = kLeft;
  const auto entry = [&](const std::string& text, double wide_) {
    svg.text("text", {{"x", num(x + 22)}, {"y", num(y + 4)}}, text);
    x += wide_;
  };
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y)},
                     {"x2", num(x + 16)},
                     {"y2", num(y)},
                     {"stroke", style::track},
                     {"stroke-width", "2.50"}});
  entry("route", 70);
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y)},
                     {"x2", num(x + 16)},
                     {"y2", num(y)},
                     {"stroke", style::galleria},
                     {"stroke-width", "6.00"}});
  entry("tunnel", 75);
  svg.vuoto("circle", {{"cx", num(x + 8)},
                       {"cy", num(y)},
                       {"r", "4.50"},
                       {"fill", style::stazione},
                       {"stroke", style::stazione},
                       {"stroke-width", "1.50"}});
  entry("timed stop", 100);
  svg.vuoto("circle", {{"cx", num(x + 8)},
                       {"cy", num(y)},
                       {"r", "4.50"},
                       {"fill", "#ffffff"},
                       {"stroke", style::stazione},
                       {"stroke-width", "1.50"}});
  entry("station passed without a stop", 210);
  svg.vuoto("line", {{"x1", num(x + 8)},
                     {"y1", num(y - 5)},
                     {"x2", num(x + 8)},
                     {"y2", num(y + 2)},
                     {"stroke", style::segnale},
                     {"stroke-width", "1.30"}});
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y + 3)},
                     {"x2", num(x + 16)},
                     {"y2", num(y + 3)},
                     {"stroke", style::track},
                     {"stroke-width", "2.50"}});
  entry("signal", 70);
  svg.vuoto("rect", {{"x", num(x + 5)},
                     {"y", num(y - 3)},
                     {"width", "6.00"},
                     {"height", "6.00"},
                     {"transform", fmt::format("rotate(45 {} {})", num(x + 8), num(y))},
                     {"fill", style::cippo}});
  entry("kilometre post", 120);
  svg.vuoto("line", {{"x1", num(x + 8)},
                     {"y1", num(y - 6)},
                     {"x2", num(x + 8)},
                     {"y2", num(y + 6)},
                     {"stroke", style::km},
                     {"stroke-width", "1.60"}});
  entry("line kilometres, every 10 km", 200);
  svg.close();
}

std::string Plan::polyline_(int64_t da, int64_t a) const {
  std::vector<Point> points;
  for (int64_t m = da;; m += kStep) {
    m = std::min(m, a);
    const Place q = screen(m);
    points.push_back({q.x, q.y});
    if (m == a) break;
  }
  // A window's lines to the screen's resolution.
  return points_text(windowed_ ? fewer_points(points, kOnScreen) : points);
}

void Plan::track(Svg& svg) const {
  svg.vuoto("polyline", {{"id", "route"},
                         {"class", "route"},
                         {"points", polyline_(shown_from_, shown_to_)},
                         {"fill", "none"},
                         {"stroke", style::track},
                         {"stroke-width", "2.50"},
                         {"stroke-linejoin", "round"}});
}

void Plan::gallerie(Svg& svg) const {
  svg.open("g", {{"id", "plan-tunnels"},
                 {"fill", "none"},
                 {"stroke", style::galleria},
                 {"stroke-width", "6.00"},
                 {"stroke-linecap", "butt"}});
  for (const Stretch& t : d_.gallerie) {
    if (t.a < shown_from_ || t.da > shown_to_) continue;
    svg.open("polyline", {{"class", "tunnel"}, {"points", polyline_(t.da, t.a)}});
    svg.text("title", {}, fmt::format("tunnel {} to {} m", t.da, t.a));
    svg.close();
  }
  svg.close();
}

void Plan::numbering(Svg& svg, Labels& labels) const {
  // The white halo keeps a label readable where it crosses the route.
  svg.open("g", {{"id", "plan-km"},
                 {"font-size", "9"},
                 {"fill", style::km},
                 {"stroke", "#ffffff"},
                 {"stroke-width", "2.50"},
                 {"stroke-linejoin", "round"},
                 {"paint-order", "stroke"}});
  // Changes of numbering first: their label carries both readings.
  for (const Jump& s : d_.jumps) {
    const Place q = screen(s.posizione), n = normal(s.posizione);
    if (!shown(q)) continue;
    svg.vuoto("circle", {{"class", "km-change"},
                         {"cx", num(q.x)},
                         {"cy", num(q.y)},
                         {"r", "3.50"},
                         {"fill", "none"},
                         {"stroke", style::km},
                         {"stroke-width", "1.40"}});
    const std::string text = style::readable_reading(s.before) + "/" + style::readable_reading(s.after);
    const auto e =
        labels.laid(q.x, q.y,
                       {{-n.x, -n.y, 14}, {n.x, n.y, 12}, {-n.x, -n.y, 26}, {n.x, n.y, 24}, {-n.x, -n.y, 38},
                        {n.x, n.y, 36}},
                       text, 9, true);
    // A label pushed away from a crowded ring keeps a line to it.
    if (std::hypot(e->x - q.x, e->y - q.y) > 30)
      svg.vuoto("line", {{"class", "km-change-leader"},
                         {"x1", num(q.x)},
                         {"y1", num(q.y)},
                         {"x2", num(e->x)},
                         {"y2", num(e->y - 3)},
                         {"stroke", style::km},
                         {"stroke-width", "0.60"}});
    svg.text("text", {{"x", num(e->x)}, {"y", num(e->y)}, {"font-style", "italic"}, {"text-anchor", e->still}},
              text);
  }
  // A tick whose label finds no free place stays unlabelled.
  for (const Tick& t : d_.ticks) {
    const Place q = screen(t.posizione), n = normal(t.posizione);
    if (!shown(q)) continue;
    svg.vuoto("line", {{"class", "km-tick"},
                       {"x1", num(q.x - n.x * 2)},
                       {"y1", num(q.y - n.y * 2)},
                       {"x2", num(q.x - n.x * 10)},
                       {"y2", num(q.y - n.y * 10)},
                       {"stroke", style::km},
                       {"stroke-width", "1.60"}});
    const std::string text = fmt::format("km {}", t.reading / 1000);
    if (const auto e = labels.laid(q.x, q.y, {{-n.x, -n.y, 14}, {-n.x, -n.y, 22}}, text, 9, false))
      svg.text("text", {{"x", num(e->x)}, {"y", num(e->y)}, {"text-anchor", e->still}}, text);
  }
  svg.close();
}

void Plan::points(Svg& svg) const {
  svg.open("g", {{"id", "plan-signals"}});
  // A short tick beside the route, on the side of the kilometre ticks, so
  // that dense signals do not hide the line itself.
  for (const int32_t c : d_.segnali) {
    const Place q = screen(c), n = normal(c);
    if (!shown(q)) continue;
    svg.vuoto("line", {{"class", "signal"},
                       {"x1", num(q.x - n.x * 2.5)},
                       {"y1", num(q.y - n.y * 2.5)},
                       {"x2", num(q.x - n.x * 7)},
                       {"y2", num(q.y - n.y * 7)},
                       {"stroke", style::segnale},
                       {"stroke-width", "1.30"}});
  }
  svg.close();
  svg.open("g", {{"id", "plan-km-posts"}});
  for (const Cartello& k : d_.cippi) {
    const Place q = screen(k.posizione);
    if (!shown(q)) continue;
    diamond(svg, q.x, q.y, fmt::format("{} at {} m", k.text, k.posizione));
  }
  svg.close();
}

std::vector<std::optional<Label>> Plan::station_names(Labels& labels) const {
  std::vector<std::optional<Label>> names;
  for (const DrawnStation& s : d_.stazioni) {
    const Place q = screen(s.posizione), n = normal(s.posizione);
    if (!shown(q)) {
      names.push_back(std::nullopt);
      continue;
    }
    names.push_back(
        labels.laid(q.x, q.y, {{n.x, n.y, 9}, {-n.x, -n.y, 9}, {n.x, n.y, 20}, {-n.x, -n.y, 20}}, s.nome, 10, true));
  }
  return names;
}

void Plan::stazioni(Svg& svg, const std::vector<std::optional<Label>>& names) const {
  svg.open("g", {{"id", "plan-stations"}, {"font-size", "10"}, {"fill", "#0d2a50"}});
  for (size_t i = 0; i < d_.stazioni.size(); ++i) {
    const DrawnStation& s = d_.stazioni[i];
    const Place q = screen(s.posizione);
    if (!shown(q)) continue;
    circle(svg, s.fermata ? "station timed" : "station passing", q.x, q.y, 4.5,
            s.fermata ? style::stazione : "#ffffff", style::stazione, 1.5);
    if (const auto& e = names[i])
      svg.text("text",
                {{"class", "station-name"},
                 {"x", num(e->x)},
                 {"y", num(e->y)},
                 {"text-anchor", e->still},
                 {"stroke", "#ffffff"},
                 {"stroke-width", "3.00"},
                 {"stroke-linejoin", "round"},
                 {"paint-order", "stroke"}},
                s.nome);
  }
  svg.close();
}

void Plan::graphic_scale(Svg& svg) const {
  const double metres = style::round_step(kWide / 5 / scale_ / 2.5);
  const double long_ = metres * scale_;
  const double x = kLeft + 14, y = kArea + high_ + 2 * kEdgeY - 14;
  svg.open("g", {{"id", "scale-bar"}, {"font-size", "10"}, {"fill", style::text}});
  svg.vuoto("rect",
            {{"x", num(x)}, {"y", num(y - 4)}, {"width", num(long_ / 2)}, {"height", "4.00"}, {"fill", style::text}});
  svg.vuoto("rect", {{"x", num(x + long_ / 2)},
                     {"y", num(y - 4)},
                     {"width", num(long_ / 2)},
                     {"height", "4.00"},
                     {"fill", "#ffffff"},
                     {"stroke", style::text},
                     {"stroke-width", "0.80"}});
  svg.text("text", {{"x", num(x)}, {"y", num(y - 7)}, {"text-anchor", "middle"}}, "0");
  svg.text("text", {{"x", num(x + long_)}, {"y", num(y - 7)}, {"text-anchor", "middle"}},
            style::readable_metres(metres));
  svg.close();
}

void Plan::nord(Svg& svg) const {
  const double x = kLeft + kAreaWidth - 22, y = kArea + 14;
  svg.open("g", {{"id", "north"}, {"fill", style::text}});
  svg.vuoto("path", {{"d", fmt::format("M {} {} L {} {} L {} {} Z", num(x), num(y), num(x - 5), num(y + 16), num(x + 5),
                                       num(y + 16))}});
  svg.text("text", {{"x", num(x)}, {"y", num(y + 28)}, {"font-size", "10"}, {"text-anchor", "middle"}}, "N");
  svg.close();
}

}  // namespace compactor::cli
