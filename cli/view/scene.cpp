#include "cli/view/scene.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "cli/drawing/render_data.h"
#include "cli/drawing/render_svg.h"
#include "cli/dump_tables.h"
#include "cli/dump_why.h"
#include "cli/report.h"
#include "cli/view/cell_words.h"
#include "platform/cp1252.h"

namespace compactor::view {
namespace {

using nlohmann::json;

constexpr int64_t kPlanStep = 50;

json summary_json(const Model& m) {
  const cli::RouteData d = cli::route_data(m.stazioni, m.griglia);
  const auto timed = std::count_if(d.stazioni.begin(), d.stazioni.end(), [](const auto& s) { return s.fermata; });
  return {{"length_m", d.lunghezza},
          {"stations", d.stazioni.size()},
          {"timed_stops", timed},
          {"tunnels", d.gallerie.size()},
          {"signals", d.segnali.size()},
          {"slowdowns", d.rallentamenti.size()},
          {"warning_boards", d.avvisi.size()},
          {"cells", m.griglia.size()}};
}

json with_chainage(const session::CompileResult& r, const session::Diagnostic& d, bool set_aside) {
  json j = cli::diagnostic_json(r, d, set_aside);
  const auto at = diagnostic_chainage(r, d);
  j["chainage"] = at ? json(*at) : json(nullptr);
  j["severity"] = d.severity == session::Severity::error ? "error" : "warning";
  return j;
}

// See PagePlan.
std::vector<double> plan_points(const Model& m) {
  std::vector<double> xy;
  const Planimetria& p = m.planimetria;
  const int64_t length = m.stazioni.at(84).fine;
  if (p.sized() && p.next() >= 2) {
    const int64_t last = std::min<int64_t>(length, p.next() - 1);
    xy.reserve(2 * static_cast<size_t>(last / kPlanStep + 1));
    for (int64_t c = 0; c <= last; c += kPlanStep) {
      xy.push_back(static_cast<double>(std::lround(p.x(c) * 10)) / 10.0);
      xy.push_back(static_cast<double>(std::lround(p.y(c) * 10)) / 10.0);
    }
  }
  return xy;
}

}  // namespace

void finish_scene(Scene& scene, const Scene* before) {
  if (before && before->shown == scene.shown) {
    scene.drawings = before->drawings;
    scene.plan = before->plan;
  } else {
    std::vector<double> xy = plan_points(scene.shown->model);
    if (before && before->plan->xy == xy) {
      scene.plan = before->plan;
    } else {
      // Written only when new: thousands of numbers, and most saves keep them.
      auto plan = std::make_shared<PagePlan>();
      plan->text = json{{"step_m", kPlanStep}, {"xy", xy}}.dump();
      plan->xy = std::move(xy);
      plan->key = scene.version;
      scene.plan = std::move(plan);
    }
  }
  scene.state = state_json(scene).dump(-1, ' ', false, json::error_handler_t::replace);
}

std::shared_ptr<const std::string> scene_drawing(const Scene& scene, cli::ChainageWindow window) {
  return scene.drawings->get(window, [&] {
    const session::CompileResult& r = *scene.shown;
    std::string warning;
    if (const session::Diagnostic* e = r.error())
      warning = fmt::format("Loading stopped with error {}. Drawn from what was loaded.", e->number);
    return cli::draw_scenario_window(r.model.stazioni, r.model.griglia, r.model.planimetria, warning, window);
  });
}

std::optional<int64_t> diagnostic_chainage(const session::CompileResult& r, const session::Diagnostic& d) {
  if (d.has_position) return d.position;
  if (d.line <= 0 || r.provenance.empty()) return std::nullopt;
  for (const int32_t i : r.provenance.records_on_line(d.source, d.line)) {
    const auto spans = r.provenance.cells_of(i);
    if (!spans.empty()) {
      // The cell of the feature itself rather than its approach codes.
      const auto own = std::find_if(spans.begin(), spans.end(),
                                    [](const session::CellSpan& s) { return s.members.contains(CellMember::tipo); });
      return (own != spans.end() ? own->first : spans.front().first) * 50;
    }
    for (const session::RowPart& p : r.provenance.rows_of(i))
      if (p.row >= 1 && p.row <= 80) return r.model.stazioni.at(p.row).posizione;
  }
  return std::nullopt;
}

json state_json(const Scene& scene) {
  const session::CompileResult& latest = *scene.latest;
  const session::CompileResult& shown = *scene.shown;
  json j;
  j["version"] = scene.version;
  j["route"] = cp1252_to_utf8(latest.route);
  j["train"] = cp1252_to_utf8(latest.train_name);
  j["sources"] = {latest.line_name, latest.train_source_name};
  j["compiled_files"] = scene.compiled_files;
  j["stale"] = scene.stale();
  j["failure"] = scene.failure;
  j["summary"] = summary_json(shown.model);
  j["plan"] = {{"step_m", kPlanStep}, {"key", scene.plan->key}};
  j["errors"] = json::array();
  if (const session::Diagnostic* e = latest.error()) j["errors"].push_back(with_chainage(latest, *e, false));
  for (const session::Diagnostic& d : scene.further_errors) j["errors"].push_back(with_chainage(latest, d, true));
  j["warnings"] = json::array();
  for (const session::Diagnostic& d : latest.diagnostics)
    if (d.severity == session::Severity::warning) j["warnings"].push_back(with_chainage(latest, d, false));
  return j;
}

std::optional<json> cell_json(const Scene& scene, int64_t k) {
  const session::CompileResult& r = *scene.shown;
  if (!r.model.griglia.contains(k)) return std::nullopt;
  cli::ChosenCells one;
  one.cells = {k};
  one.range = true;
  const cli::Why why(r);
  json j = cli::grid_json(r.model.griglia, one, r.provenance.empty() ? nullptr : &why)["cells"].at(0);
  j["words"] = json::array();
  for (const MemberWords& w : cell_words(r.model.griglia.at(k), r.model.stazioni))
    j["words"].push_back({{"member", w.member}, {"words", w.words}});
  j["version"] = scene.version;
  return j;
}

}  // namespace compactor::view
