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

void confronta_stazioni(const Stazioni& a, const Stazioni& b, Differences& d) {
  for (int r = 0; r < Stazioni::righe; ++r) {
    const stazione& sa = a.at(r);
    const stazione& sb = b.at(r);
    if (sa == sb) continue;
    const auto ma = membri(sa), mb = membri(sb);
    const bool stazione_a = ruolo_riga(r, sa) == "station" || ruolo_riga(r, sb) == "station";
    for (size_t i = 0; i < ma.size(); ++i) {
      if (ma[i].valore == mb[i].valore) continue;
      d.nota(CompiledFile::scenario, [&] {
        std::string riga = fmt::format("row {} {}: {} -> {}", r, ma[i].nome, ma[i].valore, mb[i].valore);
        const std::string senso = significato(r, ma[i].nome);
        if (!senso.empty()) riga += " (" + senso + ")";
        else if (stazione_a && std::string_view(ma[i].nome) == "orario")
          riga += fmt::format(" ({} -> {})", ora(sa.orario), ora(sb.orario));
        return riga;
      });
    }
    if (sa.nome != sb.nome)
      d.nota(CompiledFile::scenario, [&] {
        std::string riga =
            fmt::format("row {} nome: \"{}\" -> \"{}\"", r, cp1252_to_utf8(sa.nome), cp1252_to_utf8(sb.nome));
        const std::string senso = significato(r, "nome");
        return senso.empty() ? riga : riga + " (" + senso + ")";
      });
  }
}

void confronta_griglie(const Griglia& a, const Griglia& b, Differences& d) {
  if (a.dimensione() != b.dimensione())
    d.nota(CompiledFile::grid, [&] { return fmt::format("grid: {} -> {} cells", a.dimensione(), b.dimensione()); });
  const int64_t comuni = std::min(a.dimensione(), b.dimensione());
  for (int64_t k = 0; k < comuni; ++k) {
    const cella& ca = a.at(k);
    const cella& cb = b.at(k);
    if (ca == cb) continue;
    const auto ma = membri(ca), mb = membri(cb);
    for (size_t i = 0; i < ma.size(); ++i) {
      if (ma[i].valore == mb[i].valore) continue;
      d.nota(CompiledFile::grid, [&] {
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

void compare_scenarios(const FileScenario& fa, const ScenarioCompilato& a, const FileScenario& fb,
               const ScenarioCompilato& b, Differences& d, bool entry_by_entry) {
  const struct {
    CompiledFile which;
    bool in_a, in_b;
    const std::string &path_a, &path_b;
  } file[] = {{CompiledFile::scenario, a.con_scenario, b.con_scenario, fa.scenario, fb.scenario},
              {CompiledFile::grid, a.con_griglia, b.con_griglia, fa.griglia, fb.griglia},
              {CompiledFile::plan, a.con_planimetria, b.con_planimetria, fa.planimetria, fb.planimetria}};
  for (const auto& f : file) {
    auto manca = [](const std::string& assente, const std::string& presente) {
      return fmt::format("missing file: {} (present: {})", shown_path(assente), shown_path(presente));
    };
    if (f.in_a && !f.in_b) d.nota(f.which, [&] { return manca(f.path_b, f.path_a); });
    if (!f.in_a && f.in_b) d.nota(f.which, [&] { return manca(f.path_a, f.path_b); });
  }
  if (a.con_scenario && b.con_scenario) confronta_stazioni(a.stazioni, b.stazioni, d);
  if (a.con_griglia && b.con_griglia) confronta_griglie(a.griglia, b.griglia, d);
  if (a.con_planimetria && b.con_planimetria) compare_plans(a.planimetria, b.planimetria, entry_by_entry, d);
}

}  // namespace compactor::cli
