#include "compiler/memorizza_percorso.h"

#include "compiler/compiled_files.h"
#include "compiler/finishing_pass.h"
#include "compiler/reserved_places.h"
#include "loader/memorizza_dati.h"

namespace compactor {

LoadReport compile_in_memory(Model& m, int32_t j, const FileNames& names, Files& files,
                              const CompileListeners& listeners) {
  m.con_planimetria = j;
  m.numero_errore = 0;
  m.stazioni.clean();
  LoadObserver* const observer = listeners.observer;
  auto stage = [observer](const char* nome) {
    if (observer) observer->stage(nome);
  };
  stage("loading");
  LoadReport diagnostic = memorizza_dati(m, names, files, observer, listeners.provenance);
  if (!m.griglia.sized()) return diagnostic;
  stage("finishing");
  const int32_t loaded_error = m.numero_errore, loaded_position = m.posizione_errore;
  finishing_pass(m, listeners.provenance);
  // An error of the pass comes from the grid, not from a source record.
  if (m.numero_errore != loaded_error || m.posizione_errore != loaded_position) diagnostic = {};
  stamp_reserved_places(m);
  return diagnostic;
}

CompileOutcome memorizza_percorso(Model& m, int32_t& j, const FileNames& names, Files& files,
                                     LoadObserver* observer) {
  CompileOutcome outcome;
  outcome.diagnostic = compile_in_memory(m, j, names, files, {.observer = observer});
  if (!m.griglia.sized()) return outcome;
  if (observer) observer->stage("writing");
  outcome.written = write_compiled_files(m, names, files);
  return outcome;
}

}  // namespace compactor
