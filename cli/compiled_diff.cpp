#include "cli/compiled_diff.h"

#include <algorithm>
#include <string_view>

#include <fmt/format.h>

#include "cli/dump_tables.h"
#include "model/members.h"
#include "cli/paths.h"
#include "cli/plan_diff.h"
#include "platform/cp1252.h"

namespace compactor::cli {
namespace {

void compare_stations(const Stazioni& a, const Stazioni& b, Differences& d) {
  for (int r = 0; r < Stazioni::rows; ++r) {
    const stazione& sa = a.at(r);
    const stazione& sb = b.at(r);
    if (sa == sb) continue;
    const auto ma = members(sa), mb = members(sb);
    const bool station_a = line_role(r, sa) == "station" || line_role(r, sb) == "station";
    for (size_t i = 0; i < ma.size(); ++i) {
      if (ma[i].valore == mb[i].valore) continue;
      d.note(DiffedFile::scenario, [&] {
        std::string riga = fmt::format("row {} {}: {} -> {}", r, ma[i].nome, ma[i].valore, mb[i].valore);
        const std::string direction = meaning(r, ma[i].nome);
        if (!direction.empty()) riga += " (" + direction + ")";
        else if (station_a && std::string_view(ma[i].nome) == "orario")
          riga += fmt::format(" ({} -> {})", clock_time(sa.orario), clock_time(sb.orario));
        return riga;
      });
    }
    if (sa.nome != sb.nome)
      d.note(DiffedFile::scenario, [&] {
        std::string riga =
            fmt::format("row {} nome: \"{}\" -> \"{}\"", r, cp1252_to_utf8(sa.nome), cp1252_to_utf8(sb.nome));
        const std::string direction = meaning(r, "nome");
        return direction.empty() ? riga : riga + " (" + direction + ")";
      });
  }
}

void compare_grids(const Griglia& a, const Griglia& b, Differences& d) {
  if (a.size() != b.size())
    d.note(DiffedFile::grid, [&] { return fmt::format("grid: {} -> {} cells", a.size(), b.size()); });
  const int64_t common = std::min(a.size(), b.size());
  for (int64_t k = 0; k < common; ++k) {
    const cella& ca = a.at(k);
    const cella& cb = b.at(k);
    if (ca == cb) continue;
    const auto ma = members(ca), mb = members(cb);
    for (size_t i = 0; i < ma.size(); ++i) {
      if (ma[i].valore == mb[i].valore) continue;
      d.note(DiffedFile::grid, [&] {
        std::string riga = fmt::format("cell {} {}: {} -> {}", k, ma[i].nome, ma[i].valore, mb[i].valore);
        const std::string_view m = ma[i].nome;
        if (m == "tipo") riga += fmt::format(" ({} -> {})", kind_name(ca.tipo), kind_name(cb.tipo));
        if (m == "velocita") riga += fmt::format(" ({} -> {} km/h)", ca.velocita * 5, cb.velocita * 5);
        if (m == "pendenza") riga += fmt::format(" ({:+} -> {:+} per mille)", ca.pendenza - 100, cb.pendenza - 100);
        return riga;
      });
    }
  }
}

}  // namespace

void compare_scenarios(const FileScenario& fa, const CompiledScenario& a, const FileScenario& fb,
               const CompiledScenario& b, Differences& d, bool entry_by_entry) {
  const struct {
    DiffedFile which;
    bool in_a, in_b;
    const std::string &path_a, &path_b;
  } file[] = {{DiffedFile::scenario, a.with_scenario, b.with_scenario, fa.scenario, fb.scenario},
              {DiffedFile::grid, a.with_grid, b.with_grid, fa.griglia, fb.griglia},
              {DiffedFile::plan, a.con_planimetria, b.con_planimetria, fa.planimetria, fb.planimetria}};
  for (const auto& f : file) {
    auto missing = [](const std::string& absent, const std::string& present_one) {
      return fmt::format("missing file: {} (present: {})", shown_path(absent), shown_path(present_one));
    };
    if (f.in_a && !f.in_b) d.note(f.which, [&] { return missing(f.path_b, f.path_a); });
    if (!f.in_a && f.in_b) d.note(f.which, [&] { return missing(f.path_a, f.path_b); });
  }
  if (a.with_scenario && b.with_scenario) compare_stations(a.stazioni, b.stazioni, d);
  if (a.with_grid && b.with_grid) compare_grids(a.griglia, b.griglia, d);
  if (a.con_planimetria && b.con_planimetria) compare_plans(a.planimetria, b.planimetria, entry_by_entry, d);
}

}  // namespace compactor::cli
