#include "compiler/memorizza_percorso.h"

#include "compiler/compiled_files.h"
#include "compiler/finishing_pass.h"
#include "compiler/reserved_places.h"
#include "loader/memorizza_dati.h"

namespace compactor {

LoadReport compile_in_memory(Model& m, int32_t j, const FileNames& nomi, Files& files,
                              const CompileListeners& listeners) {
  m.con_planimetria = j;
  m.numero_errore = 0;
  m.stazioni.pulisci();
  LoadObserver* const osservatore = listeners.observer;
  auto fase = [osservatore](const char* nome) {
    if (osservatore) osservatore->fase(nome);
  };
  fase("loading");
  LoadReport diagnostica = memorizza_dati(m, nomi, files, osservatore, listeners.provenance);
  if (!m.griglia.dimensionata()) return diagnostica;
  fase("finishing");
  const int32_t errore_caricato = m.numero_errore, posizione_caricata = m.posizione_errore;
  passo_finale(m, listeners.provenance);
  // An error of the pass comes from the grid, not from a source record.
  if (m.numero_errore != errore_caricato || m.posizione_errore != posizione_caricata) diagnostica = {};
  stamp_reserved_places(m);
  return diagnostica;
}

EsitoCompilazione memorizza_percorso(Model& m, int32_t& j, const FileNames& nomi, Files& files,
                                     LoadObserver* osservatore) {
  EsitoCompilazione esito;
  esito.diagnostica = compile_in_memory(m, j, nomi, files, {.observer = osservatore});
  if (!m.griglia.dimensionata()) return esito;
  if (osservatore) osservatore->fase("writing");
  esito.scritti = scrivi_file_compilati(m, nomi, files);
  return esito;
}

}  // namespace compactor
