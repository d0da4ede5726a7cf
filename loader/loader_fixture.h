// Test fixture of the loader: writes a line source and a train source into a
// fresh directory, runs the loader on a fresh model and reports what it left.
// Header-only, so nothing of it reaches the production library.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "loader/diagnostica.h"
#include "loader/memorizza_dati.h"
#include "model/modello.h"
#include "model/nomi_file.h"
#include "platform/files.h"
#include "testing/test_support.h"

namespace compactor::testing {

// Lines joined with CR LF, each line ended too.
inline std::string righe_crlf(const std::vector<std::string>& righe) {
  std::string s;
  for (const auto& r : righe) s += r + "\r\n";
  return s;
}

// A general section with only the route length, then the given record lines.
inline std::string linea_con(int32_t lunghezza, const std::vector<std::string>& record = {}) {
  std::vector<std::string> r = {"[generale]", "lunghezza_percorso,  " + std::to_string(lunghezza), "[progressive]"};
  r.insert(r.end(), record.begin(), record.end());
  return righe_crlf(r);
}

// The smallest train source the train half accepts without an error.
inline std::string treno_minimo() { return righe_crlf({"[generale]"}); }

struct EsitoCarica {
  std::unique_ptr<Modello> m = std::make_unique<Modello>();
  Diagnostica diagnostica;
  bool linea_rimasta = false;  // the line source is still on disk
  bool treno_rimasto = false;  // the train source is still on disk
  std::vector<std::string> file_rimasti;  // every file left in the directory

  Modello& modello() { return *m; }
  const cella& c(int64_t k) const { return m->griglia.at(k); }
};

struct OpzioniCarica {
  bool con_planimetria = true;
  bool scrivi_treno = true;
};

// Runs the loader on `linea` (nullopt: no line source written) and `treno`.
inline EsitoCarica carica(const std::optional<std::string>& linea, const std::string& treno = treno_minimo(),
                          OpzioniCarica o = {}) {
  TempDir dir;
  const NomiFile nomi = nomi_file(dir.path(), "R", "T");
  if (linea) scrivi(nomi.linea_txt, *linea);
  if (o.scrivi_treno) scrivi(nomi.treno_txt, treno);
  EsitoCarica e;
  e.m->nome_percorso = "R";
  e.m->nome_treno = "T";
  e.m->con_planimetria = o.con_planimetria ? 1 : 0;
  e.m->stazioni.pulisci();
  e.diagnostica = memorizza_dati(*e.m, nomi, real_files());
  const auto rimasti = elenco(dir.path());
  auto c_e = [&](const std::string& percorso) {
    const std::string nome = percorso.substr(percorso.rfind('/') + 1);
    return std::find(rimasti.begin(), rimasti.end(), nome) != rimasti.end();
  };
  e.linea_rimasta = c_e(nomi.linea_txt);
  e.treno_rimasto = c_e(nomi.treno_txt);
  e.file_rimasti = rimasti;
  return e;
}

}  // namespace compactor::testing
