#include "cli/diff_command.h"

#include <iostream>
#include <memory>
#include <optional>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/read_failures.h"
#include "cli/paths.h"
#include "cli/plural.h"
#include "cli/report.h"
#include "platform/cp1252.h"
#include "platform/path_separator.h"

namespace compactor::cli {
namespace {

constexpr int kEqual = 0, kDifferent = 1, kUsage = 2;

// The one scenario of a directory, or a message why there is none.
std::optional<FileScenario> choose_scenario(const std::string& folder, const std::string& percorso, const std::string& treno,
                                   Files& files, std::ostream& err) {
  const auto found = scenarios_in(folder, percorso, treno, files);
  if (found.size() == 1) return found.front();
  if (found.empty()) {
    tell(err, fmt::format("no compiled scenario in {}{}", folder,
                          percorso.empty() && treno.empty() ? "" : " with that route and train"));
    return std::nullopt;
  }
  std::vector<std::string> names;
  for (const auto& f : found) names.push_back(cp1252_to_utf8(f.nome));
  tell(err, fmt::format("{} holds {} scenarios ({}); choose one with --route R --train T", folder, found.size(),
                        fmt::join(names, ", ")));
  return std::nullopt;
}


// "R_T.dat: 3 differences", a line for each file found on either side, in
// the order they are compared, named as in A.
void print_counts_by_file(const FileScenario& fa, const FileScenario& fb, const CompiledScenario& a,
                          const CompiledScenario& b, const Differences& d, std::ostream& out) {
  const struct {
    DiffedFile which;
    bool found;
    const std::string& path;
  } file[] = {{DiffedFile::scenario, a.with_scenario || b.with_scenario, fa.scenario.empty() ? fb.scenario : fa.scenario},
              {DiffedFile::grid, a.with_grid || b.with_grid, fa.griglia.empty() ? fb.griglia : fa.griglia},
              {DiffedFile::plan, a.con_planimetria || b.con_planimetria,
               fa.planimetria.empty() ? fb.planimetria : fa.planimetria}};
  for (const auto& f : file) {
    if (!f.found) continue;
    const int64_t n = d.in_file(f.which);
    out << fmt::format("{}: {}\n", shown_file_name(file_name_part(f.path)),
                       n == 0 ? "identical" : plural(static_cast<size_t>(n), "difference"));
  }
}

// The whole comparison; a bad or unreadable file escapes to diff().
int compare_folders(const DiffOptions& o, Files& files, std::ostream& out, std::ostream& err) {
  if (o.most < 0) {
    tell(err, "--max wants a number of lines, 0 or more");
    return kUsage;
  }
  // File names on disk are Windows-1252, as the compile writes them.
  const auto percorso = utf8_to_cp1252(o.percorso);
  const auto treno = utf8_to_cp1252(o.treno);
  if (!percorso || !treno) {
    tell(err, "the route and train names must be Windows-1252 characters");
    return kUsage;
  }
  auto fa = choose_scenario(o.a, *percorso, *treno, files, err);
  auto fb = choose_scenario(o.b, *percorso, *treno, files, err);
  if (!fa || !fb) return kUsage;
  // A plan file found on one side only names the one missing on the other.
  if (fa->planimetria.empty() && !fb->planimetria.empty())
    fa->planimetria = o.a + kPathSeparator + std::string(file_name_part(fb->planimetria));
  if (fb->planimetria.empty() && !fa->planimetria.empty())
    fb->planimetria = o.b + kPathSeparator + std::string(file_name_part(fa->planimetria));

  const CompiledScenario a = read_scenario(existing_files(*fa, files), files);
  const CompiledScenario b = read_scenario(existing_files(*fb, files), files);
  if (!a.with_scenario && !a.with_grid && !b.with_scenario && !b.with_grid) {
    tell(err, fmt::format("no compiled files of {} in {} or {}", cp1252_to_utf8(fa->nome), o.a, o.b));
    return kUsage;
  }

  Differences d(static_cast<size_t>(o.most));
  compare_scenarios(*fa, a, *fb, b, d, o.all);
  if (fa->nome != fb->nome)
    out << fmt::format("comparing {} in {} with {} in {}\n", cp1252_to_utf8(fa->nome), o.a, cp1252_to_utf8(fb->nome),
                       o.b);
  if (d.total() == 0) {
    out << "identical\n";
    return kEqual;
  }
  print_counts_by_file(*fa, *fb, a, b, d, out);
  for (const std::string& riga : d.prime()) out << riga << "\n";
  if (d.not_shown() > 0) out << fmt::format("... and {} more\n", d.not_shown());
  out << plural(static_cast<size_t>(d.total()), "difference") << "\n";
  return kDifferent;
}

}  // namespace

int diff(const DiffOptions& o, Files& files, std::ostream& out, std::ostream& err) {
  return reporting_read_failures(err, [&] { return compare_folders(o, files, out, err); });
}

Command command_diff(CommandLine& app) {
  auto opz = std::make_shared<DiffOptions>();
  auto* cmd = app.add_subcommand("diff", "Compare two compiled scenarios member by member");
  cmd->add_option("DIR_A", opz->a, "directory with the first scenario's compiled files")
      ->required()
      ->check(existing_directory);
  cmd->add_option("DIR_B", opz->b, "directory with the second scenario's compiled files")
      ->required()
      ->check(existing_directory);
  cmd->add_option("--route", opz->percorso,
                  "route name R: compare R_T.sim, R_T.dat and R_linea.dat when a directory holds several scenarios");
  cmd->add_option("--train", opz->treno, "train name T, with --route or alone");
  cmd->add_option("--max", opz->most, "print at most this many lines of differences (all are counted)")
      ->default_val(20);
  cmd->add_flag("--all", opz->all, "list the plan entry by entry instead of by runs of differing entries");
  cmd->footer(
      "First a count for each file, then one line by meaning: a missing file, the number of grid cells\n"
      "or plan entries, \"row 85 orario: 34923 -> 34900\", \"cell 598 dato1: 42 -> 41\", and for the plan\n"
      "each run of consecutive differing entries (metres), \"plan metres 1501-341000: 339500 entries\n"
      "differ, largest |dx| 12.4 m, |dy| 3.1 m\" (with --all each entry, \"plan metre 1501: x 3.25 -> 3.5\");\n"
      "a last line counts them all: a member of a row or cell, an entry of the plan.\n"
      "Examples:\n"
      "  scenario diff before after\n"
      "  scenario diff before after --route Orvena_Lusco --train \"REG 4105\" --max 5\n"
      "  scenario diff before after --all --max 100\n"
      "Exit status: 0 identical, 1 different, 2 usage error, 4 a file or directory cannot be read,\n"
      "6 a bad compiled file (truncated, foreign, or not of one scenario).");
  return {cmd, [opz] { return diff(*opz, real_files(), std::cout, std::cerr); }};
}

}  // namespace compactor::cli
