// Two sources in memory under the names the loader looks for, and a check
// of the scenario file's rows, for the tests and the fuzz targets.
#pragma once

#include <string>
#include <string_view>

#include "model/modello.h"
#include "model/nomi_file.h"
#include "platform/memory_files.h"

namespace compactor {

// Two sources in memory under the names the loader looks for, and the model
// of route R and train T to load them into.
struct SorgentiInMemoria {
  FileInMemoria files;
  NomiFile nomi = nomi_file("/r", "R", "T");
  Modello m;

  SorgentiInMemoria(std::string_view linea, std::string_view treno) {
    files.metti(nomi.linea_txt, std::string(linea));
    files.metti(nomi.treno_txt, std::string(treno));
    m.nome_percorso = "R";
    m.nome_treno = "T";
  }
};

// The scenario file walked row by row, each text behind its 2-byte length:
// the first row whose length is not its text's, or that the file ends
// within; the number of rows when the file runs on after the last; -1 when
// the rows fill the file exactly.
inline int riga_scenario_sbagliata(std::string_view bytes, const Stazioni& stazioni) {
  size_t p = 0;
  int r = 0;
  for (const stazione& s : stazioni.tutte()) {
    if (p + 16 > bytes.size()) return r;
    const auto basso = static_cast<unsigned char>(bytes[p + 14]);
    const auto alto = static_cast<unsigned char>(bytes[p + 15]);
    const auto lunghezza = static_cast<int16_t>(static_cast<uint16_t>(basso | (alto << 8)));
    if (lunghezza < 0 || static_cast<size_t>(lunghezza) != s.nome.size()) return r;
    p += 34 + static_cast<size_t>(lunghezza);
    ++r;
  }
  return p == bytes.size() ? -1 : r;
}

}  // namespace compactor
