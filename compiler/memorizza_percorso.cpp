#include "compiler/memorizza_percorso.h"

#include "compiler/compiled_files.h"

namespace compactor {

std::vector<std::string> memorizza_percorso(Modello& m, int32_t& j, const NomiFile& nomi, Files& files) {
  m.con_planimetria = j;
  m.numero_errore = 0;
  m.stazioni.pulisci();
  return scrivi_file_compilati(m, nomi, files);
}

}  // namespace compactor
