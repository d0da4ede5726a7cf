#include "compiler/memorizza_percorso.h"

#include "compiler/compiled_files.h"
#include "compiler/finishing_pass.h"
#include "compiler/riservati.h"
#include "loader/memorizza_dati.h"

namespace compactor {

EsitoCompilazione memorizza_percorso(Modello& m, int32_t& j, const NomiFile& nomi, Files& files,
                                     Osservatore* osservatore) {
  m.con_planimetria = j;
  m.numero_errore = 0;
  m.stazioni.pulisci();
  EsitoCompilazione esito;
  auto fase = [osservatore](const char* nome) {
    if (osservatore) osservatore->fase(nome);
  };
  fase("loading");
  esito.diagnostica = memorizza_dati(m, nomi, files, osservatore);
  if (!m.griglia.dimensionata()) return esito;
  fase("finishing");
  const int32_t errore_caricato = m.numero_errore, posizione_caricata = m.posizione_errore;
  passo_finale(m);
  // An error of the pass comes from the grid, not from a source record.
  if (m.numero_errore != errore_caricato || m.posizione_errore != posizione_caricata) esito.diagnostica = {};
  timbra_riservati(m);
  fase("writing");
  esito.scritti = scrivi_file_compilati(m, nomi, files);
  return esito;
}

}  // namespace compactor
