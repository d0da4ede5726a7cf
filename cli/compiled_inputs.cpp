#include "cli/compiled_inputs.h"

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/paths.h"
#include "cli/session/scenario_names.h"
#include "model/file_names.h"

namespace compactor::cli {
namespace {

using Usage = UsageError;

std::string cp1252_name(const std::string& utf8, const char* what) {
  std::string problem;
  const auto nome = session::scenario_name(utf8, what, problem);
  if (!nome) throw Usage(problem);
  return *nome;
}

}  // namespace

CompiledScenario read_compiled_inputs(const std::vector<std::string>& inputs, const std::string& percorso,
                                       const std::string& treno, Files& files) {
  if (!percorso.empty() || !treno.empty()) {
    if (inputs.size() != 1)
      throw Usage("--route and --train name the scenario inside one directory; give the directory alone");
  }
  std::string scenario, griglia, planimetria;
  bool needs_plan = false;
  if (inputs.size() == 1 && !is_directory(inputs[0]) && !files.exists(inputs[0]))
    throw PlatformError(inputs[0], "no such file or directory");
  if (inputs.size() == 1 && is_directory(inputs[0])) {
    if (percorso.empty() || treno.empty())
      throw Usage("a directory of compiled files needs --route and --train to name the scenario in it");
    const std::string folder = without_trailing_slashes(inputs[0]);
    const FileNames names = file_names(folder, cp1252_name(percorso, "route"), cp1252_name(treno, "train"));
    scenario = names.scenario;
    griglia = names.griglia;
    planimetria = names.planimetria;  // drawn when it is there
  } else {
    if (inputs.size() < 2 || inputs.size() > 3)
      throw Usage(
          "give a directory with --route and --train, the compiled files (R_T.sim, R_T.dat and optionally "
          "R_linea.dat), or --line and --train-source");
    for (const std::string& f : inputs) {
      std::string* place = nullptr;
      switch (kind_from_name(f)) {
        case FileKind::scenario:
          place = &scenario;
          break;
        case FileKind::griglia:
          place = &griglia;
          break;
        case FileKind::planimetria:
          place = &planimetria;
          break;
      }
      if (!place->empty()) throw Usage(fmt::format("\"{}\" and \"{}\" are the same kind of compiled file", *place, f));
      *place = f;
    }
    if (scenario.empty() || griglia.empty())
      throw Usage("the compiled files must include the scenario file (R_T.sim) and the grid file (R_T.dat)");
    needs_plan = !planimetria.empty();
  }
  if (!needs_plan && !files.exists(planimetria)) planimetria.clear();
  // Each file checked, and the three of one scenario.
  return read_scenario({"", planimetria, scenario, griglia}, files);
}

}  // namespace compactor::cli
