#include "cli/drawing/render_profile.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "cli/drawing/fewer_points.h"
#include "cli/drawing/svg_style.h"

namespace compactor::cli {
namespace {

// Panel layout, px, from the top of the panel.
constexpr double kProfileTitle = 24, kProfileLegend = 46;
constexpr double kX0 = 100, kProfileWide = style::page - kX0 - 40;
constexpr double kLevelTop = 66, kLevelHigh = 200;
constexpr double kVelTop = kLevelTop + kLevelHigh + 14, kSpeedHigh = 110;
constexpr double kAdeTop = kVelTop + kSpeedHigh + 14, kAdhesionHigh = 44;
constexpr double kMarksTop = kAdeTop + kAdhesionHigh + 14, kMarksHigh = 130;
constexpr double kAxis = kMarksTop + kMarksHigh;

double y_level(double h, double lo, double hi) { return kLevelTop + kLevelHigh - (h - lo) / (hi - lo) * kLevelHigh; }

// A step line through the values of a profile, in one path:
// M x y H x V y H x ... ; the horizontal runs are the steps.
template <typename Y>
std::string steps_path(const std::vector<Step>& g, Y y, const std::function<double(double)>& x) {
  std::string d;
  for (const Step& s : g) {
    if (d.empty())
      d = fmt::format("M {} {}", num(x(s.da)), num(y(s.valore)));
    else
      d += fmt::format(" V {}", num(y(s.valore)));
    d += fmt::format(" H {}", num(x(s.a)));
  }
  return d;
}

void band(Svg& svg, double top, double high) {
  svg.vuoto("rect", {{"x", num(kX0)},
                     {"y", num(top)},
                     {"width", num(kProfileWide)},
                     {"height", num(high)},
                     {"fill", style::panel_bottom},
                     {"stroke", style::panel_edge}});
}

void band_label(Svg& svg, double top, double high, const std::string& text) {
  const double x = kX0 - 62, y = top + high / 2;
  svg.text("text",
            {{"x", num(x)},
             {"y", num(y)},
             {"font-size", "11"},
             {"text-anchor", "middle"},
             {"transform", fmt::format("rotate(-90 {} {})", num(x), num(y))},
             {"fill", style::text}},
            text);
}

void axis_value(Svg& svg, double y, const std::string& text) {
  svg.text(
      "text",
      {{"x", num(kX0 - 6)}, {"y", num(y + 3.5)}, {"font-size", "10"}, {"text-anchor", "end"}, {"fill", style::text}},
      text);
}

void horizontal_line(Svg& svg, double y) {
  svg.vuoto("line", {{"x1", num(kX0)},
                     {"y1", num(y)},
                     {"x2", num(kX0 + kProfileWide)},
                     {"y2", num(y)},
                     {"stroke", style::griglia},
                     {"stroke-width", "1.00"}});
}

}  // namespace

Profile::Profile(const RouteData& d, ChainageWindow window) : d_(d) {
  windowed_ = !window.whole();
  from_ = windowed_ ? static_cast<double>(window.from) : 0;
  to_ = windowed_ ? static_cast<double>(window.to) : d.lunghezza;
  px_per_m_ = windowed_ ? kProfileWide / (to_ - from_) : kProfileWide / std::max(d.lunghezza, 1);
  if (!d.quote.empty()) {
    const auto [lo, hi] = std::minmax_element(d.quote.begin(), d.quote.end());
    h_step_ = style::round_step(std::max(*hi - *lo, 20.0) / 6);
    h_min_ = std::floor(*lo / h_step_) * h_step_;
    h_max_ = std::ceil(*hi / h_step_) * h_step_;
    if (h_max_ <= h_min_) h_max_ = h_min_ + h_step_;
  } else {
    h_max_ = 1;
  }
  for (const Step& g : d.velocita) v_max_ = std::max<double>(v_max_, g.valore);
  v_max_ = std::ceil(v_max_ / 50) * 50;
  if (!d.aderenza.empty()) {
    a_min_ = a_max_ = d.aderenza.front().valore;
    for (const Step& g : d.aderenza) {
      a_min_ = std::min(a_min_, g.valore);
      a_max_ = std::max(a_max_, g.valore);
    }
  }
  if (a_max_ - a_min_ < 4) {
    a_min_ -= 2;
    a_max_ += 2;
  }
}

double Profile::height() const { return kAxis + 44; }

// In a window, what is drawn along the chainage is cut at the bands' edges;
// the axes' values beside them stay.
void Profile::clip_start(Svg& svg) const {
  if (windowed_) svg.open("g", {{"clip-path", "url(#profile-window)"}});
}

std::vector<Step> Profile::in_window(const std::vector<Step>& steps) const {
  if (!windowed_) return steps;
  std::vector<Step> kept;
  for (const Step& s : steps)
    if (near(s.da, s.a)) kept.push_back(s);
  return kept;
}

bool Profile::near(double a, double b) const {
  // A name drawn beside a mark reaches some way past it.
  const double margin = 100 / px_per_m_;
  return !windowed_ || (b >= from_ - margin && a <= to_ + margin);
}

void Profile::clip_end(Svg& svg) const {
  if (windowed_) svg.close();
}

double Profile::x(double chainage) const { return kX0 + (chainage - from_) * px_per_m_; }

void Profile::draw(Svg& svg, double y0) const {
  Attributes g = {{"id", "profile"},
                  {"transform", fmt::format("translate(0 {})", num(y0))},
                  {"data-x0", num(kX0)},
                  {"data-px-per-m", fmt::format("{:.8f}", px_per_m_)}};
  if (windowed_) g.push_back({"data-from", fmt::format("{}", std::llround(from_))});
  svg.open("g", g);
  std::string title_ = "Gradient profile and speed limits";
  if (!d_.treno.empty()) title_ += " \u2014 " + d_.treno;
  svg.text("text",
            {{"x", "30.00"}, {"y", num(kProfileTitle)}, {"font-size", "16"}, {"font-weight", "bold"}, {"fill", style::text}},
            title_);
  legend(svg, kProfileLegend);
  if (windowed_) {
    // What lies outside the window is cut at the bands' edges.
    svg.open("clipPath", {{"id", "profile-window"}});
    svg.vuoto("rect", {{"x", num(kX0)}, {"y", "0.00"}, {"width", num(kProfileWide)}, {"height", num(height())}});
    svg.close();
  }
  axes(svg);
  quote(svg);
  velocita(svg);
  aderenza(svg);
  marks(svg);
  svg.close();
}

void Profile::legend(Svg& svg, double y) const {
  svg.open("g", {{"class", "legend"}, {"font-size", "11"}, {"fill", style::text}});
  double x = 30;
  const auto entry = [&](const std::string& text, double wide_) {
    svg.text("text", {{"x", num(x + 22)}, {"y", num(y + 4)}}, text);
    x += wide_;
  };
  svg.vuoto("rect", {{"x", num(x)},
                     {"y", num(y - 5)},
                     {"width", "16.00"},
                     {"height", "10.00"},
                     {"fill", style::bottom_level},
                     {"stroke", style::line_level}});
  entry("track height", 110);
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y)},
                     {"x2", num(x + 16)},
                     {"y2", num(y)},
                     {"stroke", style::velocita},
                     {"stroke-width", "2.00"}});
  entry("speed limit", 100);
  svg.vuoto("line", {{"x1", num(x)},
                     {"y1", num(y)},
                     {"x2", num(x + 16)},
                     {"y2", num(y)},
                     {"stroke", style::aderenza},
                     {"stroke-width", "2.00"}});
  entry("adhesion", 90);
  svg.vuoto("rect", {{"x", num(x)},
                     {"y", num(y - 5)},
                     {"width", "16.00"},
                     {"height", "10.00"},
                     {"fill", style::rallentamento},
                     {"fill-opacity", "0.35"},
                     {"stroke", style::rallentamento}});
  entry("slowdown (its speed above)", 190);
  svg.vuoto("path", {{"d", fmt::format("M {} {} L {} {} L {} {} Z", num(x + 8), num(y - 5), num(x + 3), num(y + 5),
                                       num(x + 13), num(y + 5))},
                     {"fill", style::rallentamento}});
  entry("warning board", 120);
  svg.vuoto("circle", {{"cx", num(x + 8)},
                       {"cy", num(y)},
                       {"r", "4.00"},
                       {"fill", style::stazione},
                       {"stroke", style::stazione},
                       {"stroke-width", "1.50"}});
  entry("timed stop", 95);
  svg.vuoto("circle", {{"cx", num(x + 8)},
                       {"cy", num(y)},
                       {"r", "4.00"},
                       {"fill", "#ffffff"},
                       {"stroke", style::stazione},
                       {"stroke-width", "1.50"}});
  entry("station passed", 110);
  svg.close();
}

void Profile::axes(Svg& svg) const {
  band(svg, kLevelTop, kLevelHigh);
  band(svg, kVelTop, kSpeedHigh);
  band(svg, kAdeTop, kAdhesionHigh);
  band_label(svg, kLevelTop, kLevelHigh, "height (m)");
  band_label(svg, kVelTop, kSpeedHigh, "speed (km/h)");
  band_label(svg, kAdeTop, kAdhesionHigh, "adhesion");

  svg.open("g", {{"id", "chainage-axis"}});
  // Chainage ticks: a round number of kilometres, about 15 of them; in a
  // window down to 50 m.
  const double step = std::max(style::round_step((to_ - from_) / 15.0), windowed_ ? 50.0 : 1000.0);
  for (double c = std::ceil(from_ / step) * step; c <= to_ + 0.5; c += step) {
    const double px = x(c);
    for (const auto& [top, high] : {std::pair{kLevelTop, kLevelHigh}, {kVelTop, kSpeedHigh}, {kAdeTop, kAdhesionHigh}})
      svg.vuoto("line", {{"x1", num(px)},
                         {"y1", num(top)},
                         {"x2", num(px)},
                         {"y2", num(top + high)},
                         {"stroke", style::griglia},
                         {"stroke-width", "1.00"}});
    svg.vuoto("line", {{"x1", num(px)},
                       {"y1", num(kAxis)},
                       {"x2", num(px)},
                       {"y2", num(kAxis + 5)},
                       {"stroke", style::text},
                       {"stroke-width", "1.00"}});
    svg.text("text",
              {{"x", num(px)},
               {"y", num(kAxis + 17)},
               {"font-size", "10"},
               {"text-anchor", "middle"},
               {"fill", style::text}},
              step >= 1000 ? fmt::format("{}", std::llround(c / 1000)) : fmt::format("{:.2f}", c / 1000));
  }
  svg.vuoto("line", {{"x1", num(kX0)},
                     {"y1", num(kAxis)},
                     {"x2", num(kX0 + kProfileWide)},
                     {"y2", num(kAxis)},
                     {"stroke", style::text},
                     {"stroke-width", "1.00"}});
  svg.text("text",
            {{"x", num(kX0 + kProfileWide / 2)},
             {"y", num(kAxis + 34)},
             {"font-size", "11"},
             {"text-anchor", "middle"},
             {"fill", style::text}},
            "chainage (km from the start of the route)");
  svg.close();
}

void Profile::quote(Svg& svg) const {
  svg.open("g", {{"id", "profile-height"}});
  for (double h = h_min_; h <= h_max_ + h_step_ / 2; h += h_step_) {
    const double y = y_level(h, h_min_, h_max_);
    horizontal_line(svg, y);
    axis_value(svg, y, fmt::format("{}", std::llround(h)));
  }
  clip_start(svg);
  if (d_.quote.size() >= 2) {
    const double base_ = kLevelTop + kLevelHigh;
    // A window draws its own stretch and one point either side of it, to
    // the screen's resolution.
    const size_t first = windowed_ ? static_cast<size_t>(std::max(0.0, std::floor(from_ / 50) - 1)) : 0;
    const size_t last = windowed_ ? std::min(d_.quote.size(), static_cast<size_t>(std::ceil(to_ / 50) + 2)) : d_.quote.size();
    std::vector<Point> points;
    points.reserve(last - first);
    for (size_t k = first; k < last; ++k) {
      const double c = std::min<double>(50.0 * static_cast<double>(k), d_.lunghezza);
      points.push_back({x(c), y_level(d_.quote[k], h_min_, h_max_)});
    }
    const std::string linea = points_text(windowed_ ? fewer_points(points, kOnScreen) : points);
    const double left = std::min<double>(50.0 * static_cast<double>(first), d_.lunghezza);
    const double right = windowed_ ? std::min<double>(50.0 * static_cast<double>(last - 1), d_.lunghezza) : d_.lunghezza;
    const std::string area = num(x(left)) + "," + num(base_) + " " + linea + " " + num(x(right)) + "," + num(base_);
    svg.vuoto("polygon", {{"class", "height"}, {"points", area}, {"fill", style::bottom_level}, {"stroke", "none"}});
    svg.vuoto("polyline", {{"class", "height-line"},
                           {"points", linea},
                           {"fill", "none"},
                           {"stroke", style::line_level},
                           {"stroke-width", "1.20"}});
  }
  clip_end(svg);
  svg.close();
}

void Profile::velocita(Svg& svg) const {
  const double per_kmh_ = kSpeedHigh / v_max_;
  const double zero = kVelTop + kSpeedHigh;
  svg.open("g", {{"id", "profile-speed"}});
  for (double v = 0; v <= v_max_; v += 50) {
    horizontal_line(svg, zero - v * per_kmh_);
    axis_value(svg, zero - v * per_kmh_, fmt::format("{}", std::llround(v)));
  }
  clip_start(svg);
  // Slowdowns: the span shaded, its speed written above it.
  for (const Rallentamento& r : d_.rallentamenti) {
    if (!near(r.da, r.a)) continue;
    const double a = x(r.da), b = std::max(x(r.a), a + 1.5);
    svg.open("rect", {{"class", "slowdown"},
                      {"x", num(a)},
                      {"y", num(kVelTop)},
                      {"width", num(b - a)},
                      {"height", num(kSpeedHigh)},
                      {"fill", style::rallentamento},
                      {"fill-opacity", "0.35"},
                      {"stroke", style::rallentamento},
                      {"stroke-width", "0.80"}});
    svg.text("title", {}, fmt::format("slowdown to {} km/h from {} to {} m", r.velocita, r.da, r.a));
    svg.close();
    svg.text("text",
              {{"x", num((a + b) / 2)},
               {"y", num(kVelTop - 3)},
               {"font-size", "9"},
               {"text-anchor", "middle"},
               {"fill", style::rallentamento}},
              fmt::format("{}", r.velocita));
  }
  const auto y = [&](int v) { return zero - v * per_kmh_; };
  svg.vuoto("path", {{"class", "speed"},
                     {"d", steps_path(in_window(d_.velocita), y, [this](double c) { return x(c); })},
                     {"data-y0", num(zero)},
                     {"data-px-per-kmh", fmt::format("{:.6f}", per_kmh_)},
                     {"fill", "none"},
                     {"stroke", style::velocita},
                     {"stroke-width", "1.60"}});
  clip_end(svg);
  svg.close();
}

void Profile::aderenza(Svg& svg) const {
  const double per_unit = (kAdhesionHigh - 8) / (a_max_ - a_min_);
  const double zero = kAdeTop + kAdhesionHigh - 4;
  const auto y = [&](int a) { return zero - (a - a_min_) * per_unit; };
  svg.open("g", {{"id", "profile-adhesion"}});
  axis_value(svg, y(a_min_), fmt::format("{}", a_min_));
  axis_value(svg, y(a_max_), fmt::format("{}", a_max_));
  clip_start(svg);
  svg.vuoto("path", {{"class", "adhesion"},
                     {"d", steps_path(in_window(d_.aderenza), y, [this](double c) { return x(c); })},
                     {"fill", "none"},
                     {"stroke", style::aderenza},
                     {"stroke-width", "1.60"}});
  clip_end(svg);
  svg.close();
}

void Profile::marks(Svg& svg) const {
  svg.open("g", {{"id", "profile-marks"}});
  clip_start(svg);
  for (const int32_t c : d_.avvisi) {
    if (!near(c, c)) continue;
    const double px = x(c), y = kMarksTop + 10;
    svg.open("path", {{"class", "warning"},
                      {"d", fmt::format("M {} {} L {} {} L {} {} Z", num(px), num(y - 6), num(px - 4), num(y + 3),
                                        num(px + 4), num(y + 3))},
                      {"fill", style::rallentamento}});
    svg.text("title", {}, fmt::format("warning board at {} m", c));
    svg.close();
  }
  for (const DrawnStation& s : d_.stazioni) {
    if (!near(s.posizione, s.posizione)) continue;
    const double px = x(s.posizione), y = kMarksTop + 26;
    svg.vuoto("line", {{"x1", num(px)},
                       {"y1", num(kLevelTop)},
                       {"x2", num(px)},
                       {"y2", num(kLevelTop + kLevelHigh)},
                       {"stroke", style::stazione},
                       {"stroke-opacity", s.fermata ? "0.35" : "0.15"},
                       {"stroke-width", "0.80"}});
    svg.vuoto("circle", {{"class", s.fermata ? "station timed" : "station passing"},
                         {"cx", num(px)},
                         {"cy", num(y)},
                         {"r", "3.50"},
                         {"fill", s.fermata ? style::stazione : "#ffffff"},
                         {"stroke", style::stazione},
                         {"stroke-width", "1.30"}});
    svg.text("text",
              {{"class", "station-name"},
               {"x", num(px + 3)},
               {"y", num(y + 8)},
               {"font-size", "8"},
               {"transform", fmt::format("rotate(60 {} {})", num(px + 3), num(y + 8))},
               {"fill", "#0d2a50"}},
              s.nome);
  }
  clip_end(svg);
  svg.close();
}

}  // namespace compactor::cli
