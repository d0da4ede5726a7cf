#include "compiler/memorizza_percorso.h"

#include "compiler/compiled_files.h"
#include "compiler/finishing_pass.h"
#include "compiler/riservati.h"
#include "loader/memorizza_dati.h"

namespace compactor {

Diagnostica compile_in_memory(Modello& m, int32_t j, const NomiFile& nomi, Files& files,
                              const CompileListeners& listeners) {
  m.con_planimetria = j;
  m.numero_errore = 0;
  m.stazioni.pulisci();
  Osservatore* const osservatore = listeners.observer;
  auto fase = [osservatore](const char* nome) {
    if (osservatore) osservatore->fase(nome);
  };
  fase("loading");
  Diagnostica diagnostica = memorizza_dati(m, nomi, files, osservatore, listeners.provenance);
  if (!m.griglia.dimensionata()) return diagnostica;
  fase("finishing");
  const int32_t errore_caricato = m.numero_errore, posizione_caricata = m.posizione_errore;
  passo_finale(m, listeners.provenance);
  // An error of the pass comes from the grid, not from a source record.
  if (m.numero_errore != errore_caricato || m.posizione_errore != posizione_caricata) diagnostica = {};
  timbra_riservati(m);
  return diagnostica;
}

EsitoCompilazione memorizza_percorso(Modello& m, int32_t& j, const NomiFile& nomi, Files& files,
                                     Osservatore* osservatore) {
  EsitoCompilazione esito;
  esito.diagnostica = compile_in_memory(m, j, nomi, files, {.observer = osservatore});
  if (!m.griglia.dimensionata()) return esito;
  if (osservatore) osservatore->fase("writing");
  esito.scritti = scrivi_file_compilati(m, nomi, files);
  return esito;
}

}  // namespace compactor
