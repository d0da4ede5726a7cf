// The compile step: clear the table, load the two sources, finish the grid,
// stamp the marks and codes, write the compiled files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "loader/diagnostica.h"
#include "loader/osservatore.h"
#include "model/modello.h"
#include "model/nomi_file.h"
#include "platform/files.h"

namespace compactor {

struct EsitoCompilazione {
  std::vector<std::string> scritti;  // the compiled files written
  Diagnostica diagnostica;           // where the loader's error came from
};

// `j` switches the plan on (not 0) or off. Scenario errors are left in
// m.numero_errore and m.posizione_errore. When loading stopped before the
// route length was read there is no grid: nothing is finished or written.
// Throws ErrorStop when a reserved place is taken (nothing is written then)
// and PlatformError when a file operation fails. The observer, when given,
// hears of what the loader accepts silently.
EsitoCompilazione memorizza_percorso(Modello& m, int32_t& j, const NomiFile& nomi, Files& files,
                                     Osservatore* osservatore = nullptr);

}  // namespace compactor
