// The one fixture for a pair of sources, shared by the tests of the loader,
// the compiler and the author tool and by the fuzz targets: two sources in
// memory under the names the loader looks for, the model to load them into,
// a load that reports what it left, and a check of the scenario file's rows.
// Header-only, so that the fuzz targets take it without the test library.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "loader/load_report.h"
#include "loader/memorizza_dati.h"
#include "model/model.h"
#include "model/file_names.h"
#include "platform/memory_files.h"

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

// Two sources in memory under the names the loader looks for, and the model
// of route R and train T to load them into.
struct SourcesInMemory {
  MemoryFiles files;
  FileNames nomi = file_names("/r", "R", "T");
  Model m;

  SourcesInMemory(std::string_view linea, std::string_view treno) {
    files.metti(nomi.linea_txt, std::string(linea));
    files.metti(nomi.treno_txt, std::string(treno));
    m.nome_percorso = "R";
    m.nome_treno = "T";
  }

  // The names of the run's files still in memory, without their directory.
  std::vector<std::string> rimasti() {
    std::vector<std::string> nomi_rimasti;
    for (const std::string* f : {&nomi.linea_txt, &nomi.treno_txt, &nomi.note, &nomi.rallentamenti, &nomi.scheda,
                                 &nomi.planimetria, &nomi.scenario, &nomi.griglia})
      if (files.exists(*f)) nomi_rimasti.push_back(f->substr(f->rfind('/') + 1));
    return nomi_rimasti;
  }
};

// What a load left.
struct EsitoCarica {
  std::unique_ptr<Model> m = std::make_unique<Model>();
  LoadReport diagnostica;
  bool linea_rimasta = false;             // the line source is still there
  bool treno_rimasto = false;             // the train source is still there
  std::vector<std::string> file_rimasti;  // every file of the run still there

  Model& modello() { return *m; }
  const cella& c(int64_t k) const { return m->griglia.at(k); }
};

struct OpzioniCarica {
  bool con_planimetria = true;
  bool scrivi_treno = true;  // false: no train source at all
};

// Runs the loader on `linea` (nullopt: no line source) and `treno`, in
// memory, on a fresh model of route R and train T. Lets a platform failure
// escape, as the loader does.
inline EsitoCarica carica(const std::optional<std::string>& linea, const std::string& treno = treno_minimo(),
                          OpzioniCarica o = {}) {
  SourcesInMemory s(linea.value_or(""), treno);
  if (!linea) s.files.remove(s.nomi.linea_txt);
  if (!o.scrivi_treno) s.files.remove(s.nomi.treno_txt);
  s.m.con_planimetria = o.con_planimetria ? 1 : 0;
  s.m.stazioni.pulisci();
  EsitoCarica e;
  e.diagnostica = memorizza_dati(s.m, s.nomi, s.files);
  *e.m = std::move(s.m);
  e.linea_rimasta = s.files.exists(s.nomi.linea_txt);
  e.treno_rimasto = s.files.exists(s.nomi.treno_txt);
  e.file_rimasti = s.rimasti();
  return e;
}

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

}  // namespace compactor::testing
