// Where a recorded error came from, for people: the source, the line and the
// field. The model keeps only the number and the position; this is extra.
#pragma once

#include <string>

namespace compactor {

struct LoadReport {
  enum Sorgente { nessuna, linea, treno };
  Sorgente sorgente = nessuna;
  int riga = 0;     // 1-based line of the field at fault, 0 when unknown
  int colonna = 0;  // 0-based byte offset of that field in its line
  std::string testo_riga;  // the line as written (Windows-1252)
  std::string motivo;      // for a load failure: what failed
};

}  // namespace compactor
