#include "cli/compiled_inputs.h"

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/paths.h"
#include "cli/session/scenario_names.h"
#include "model/file_names.h"

namespace compactor::cli {
namespace {

using Uso = UsageError;

std::string nome_cp1252(const std::string& utf8, const char* che_cosa) {
  std::string problema;
  const auto nome = session::scenario_name(utf8, che_cosa, problema);
  if (!nome) throw Uso(problema);
  return *nome;
}

}  // namespace

ScenarioCompilato read_compiled_inputs(const std::vector<std::string>& ingressi, const std::string& percorso,
                                       const std::string& treno, Files& files) {
  if (!percorso.empty() || !treno.empty()) {
    if (ingressi.size() != 1)
      throw Uso("--route and --train name the scenario inside one directory; give the directory alone");
  }
  std::string scenario, griglia, planimetria;
  bool serve_planimetria = false;
  if (ingressi.size() == 1 && !is_directory(ingressi[0]) && !files.exists(ingressi[0]))
    throw PlatformError(ingressi[0], "no such file or directory");
  if (ingressi.size() == 1 && is_directory(ingressi[0])) {
    if (percorso.empty() || treno.empty())
      throw Uso("a directory of compiled files needs --route and --train to name the scenario in it");
    const std::string cartella = without_trailing_slashes(ingressi[0]);
    const FileNames nomi = file_names(cartella, nome_cp1252(percorso, "route"), nome_cp1252(treno, "train"));
    scenario = nomi.scenario;
    griglia = nomi.griglia;
    planimetria = nomi.planimetria;  // drawn when it is there
  } else {
    if (ingressi.size() < 2 || ingressi.size() > 3)
      throw Uso(
          "give a directory with --route and --train, the compiled files (R_T.sim, R_T.dat and optionally "
          "R_linea.dat), or --line and --train-source");
    for (const std::string& f : ingressi) {
      std::string* posto = nullptr;
      switch (tipo_da_nome(f)) {
        case TipoFile::scenario:
          posto = &scenario;
          break;
        case TipoFile::griglia:
          posto = &griglia;
          break;
        case TipoFile::planimetria:
          posto = &planimetria;
          break;
      }
      if (!posto->empty()) throw Uso(fmt::format("\"{}\" and \"{}\" are the same kind of compiled file", *posto, f));
      *posto = f;
    }
    if (scenario.empty() || griglia.empty())
      throw Uso("the compiled files must include the scenario file (R_T.sim) and the grid file (R_T.dat)");
    serve_planimetria = !planimetria.empty();
  }
  if (!serve_planimetria && !files.exists(planimetria)) planimetria.clear();
  // Each file checked, and the three of one scenario.
  return leggi_scenario({"", planimetria, scenario, griglia}, files);
}

}  // namespace compactor::cli
