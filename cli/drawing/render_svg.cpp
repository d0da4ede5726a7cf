#include "cli/drawing/render_svg.h"

#include <fmt/format.h>

#include <algorithm>

#include "cli/drawing/render_data.h"
#include "cli/drawing/render_plan.h"
#include "cli/drawing/render_profile.h"
#include "cli/drawing/svg_style.h"
#include "cli/drawing/svg_writer.h"

namespace compactor::cli {

std::string draw_scenario(const Stazioni& s, const Griglia& g, const Planimetria& p, const std::string& avviso) {
  return draw_scenario_window(s, g, p, avviso, {});
}

std::string draw_scenario_window(const Stazioni& s, const Griglia& g, const Planimetria& p, const std::string& avviso,
                                 ChainageWindow window) {
  const RouteData d = route_data(s, g);
  const Plan plan(p, d, window);
  const Profile profile(d, window);

  const double head = avviso.empty() ? 58 : 78;
  const double y_profile = head + plan.height() + 16;
  const double high = y_profile + profile.height() + 10;
  Svg svg(style::page, high);
  svg.vuoto("rect",
            {{"x", "0.00"}, {"y", "0.00"}, {"width", num(style::page)}, {"height", num(high)}, {"fill", "#ffffff"}});

  std::string nome = d.percorso.empty() ? "(route without a name)" : d.percorso;
  if (!d.treno.empty()) nome += " \u00b7 " + d.treno;
  svg.text("text",
            {{"x", "30.00"}, {"y", "28.00"}, {"font-size", "20"}, {"font-weight", "bold"}, {"fill", style::text}},
            nome);
  const auto fermate = std::count_if(d.stazioni.begin(), d.stazioni.end(), [](const auto& x) { return x.fermata; });
  const auto account = [](size_t n, const char* una, const char* many) {
    return fmt::format("{} {}", n, n == 1 ? una : many);
  };
  svg.text("text", {{"x", "30.00"}, {"y", "48.00"}, {"font-size", "12"}, {"fill", "#555555"}},
            fmt::format("{:.1f} km of route \u00b7 {}, {} timed \u00b7 {} \u00b7 {} \u00b7 {}", d.lunghezza / 1000.0,
                        account(d.stazioni.size(), "station", "stations"), static_cast<size_t>(fermate),
                        account(d.gallerie.size(), "tunnel", "tunnels"), account(d.segnali.size(), "signal", "signals"),
                        account(d.rallentamenti.size(), "slowdown", "slowdowns")));
  if (!avviso.empty())
    svg.text("text",
              {{"id", "load-warning"},
               {"x", "30.00"},
               {"y", "68.00"},
               {"font-size", "12"},
               {"font-weight", "bold"},
               {"fill", "#b71c1c"}},
              avviso);

  plan.draw(svg, head);
  profile.draw(svg, y_profile);
  return svg.fine();
}

}  // namespace compactor::cli
