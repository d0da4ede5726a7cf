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
inline std::string crlf_lines(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& r : lines) s += r + "\r\n";
  return s;
}

// A general section with only the route length, then the given record lines.
inline std::string line_with(int32_t lunghezza, const std::vector<std::string>& record = {}) {
  std::vector<std::string> r = {"[generale]", "lunghezza_percorso,  " + std::to_string(lunghezza), "[progressive]"};
  r.insert(r.end(), record.begin(), record.end());
  return crlf_lines(r);
}

// The smallest train source the train half accepts without an error.
inline std::string minimal_train() { return crlf_lines({"[generale]"}); }

// Two sources in memory under the names the loader looks for, and the model
// of route R and train T to load them into.
struct SourcesInMemory {
  MemoryFiles files;
  FileNames names = file_names("/r", "R", "T");
  Model m;

  SourcesInMemory(std::string_view linea, std::string_view treno) {
    files.put(names.line_txt, std::string(linea));
    files.put(names.train_txt, std::string(treno));
    m.nome_percorso = "R";
    m.nome_treno = "T";
  }

  // The names of the run's files still in memory, without their directory.
  std::vector<std::string> left() {
    std::vector<std::string> names_left;
    for (const std::string* f : {&names.line_txt, &names.train_txt, &names.note, &names.rallentamenti, &names.scheda,
                                 &names.planimetria, &names.scenario, &names.griglia})
      if (files.exists(*f)) names_left.push_back(f->substr(f->rfind('/') + 1));
    return names_left;
  }
};

// What a load left.
struct LoadOutcome {
  std::unique_ptr<Model> m = std::make_unique<Model>();
  LoadReport diagnostic;
  bool line_left = false;             // the line source is still there
  bool train_left = false;             // the train source is still there
  std::vector<std::string> files_left;  // every file of the run still there

  Model& model() { return *m; }
  const cella& c(int64_t k) const { return m->griglia.at(k); }
};

struct LoadOptions {
  bool con_planimetria = true;
  bool write_train = true;  // false: no train source at all
};

// Runs the loader on `linea` (nullopt: no line source) and `treno`, in
// memory, on a fresh model of route R and train T. Lets a platform failure
// escape, as the loader does.
inline LoadOutcome load(const std::optional<std::string>& linea, const std::string& treno = minimal_train(),
                          LoadOptions o = {}) {
  SourcesInMemory s(linea.value_or(""), treno);
  if (!linea) s.files.remove(s.names.line_txt);
  if (!o.write_train) s.files.remove(s.names.train_txt);
  s.m.con_planimetria = o.con_planimetria ? 1 : 0;
  s.m.stazioni.clean();
  LoadOutcome e;
  e.diagnostic = memorizza_dati(s.m, s.names, s.files);
  *e.m = std::move(s.m);
  e.line_left = s.files.exists(s.names.line_txt);
  e.train_left = s.files.exists(s.names.train_txt);
  e.files_left = s.left();
  return e;
}

// The scenario file walked row by row, each text behind its 2-byte length:
// the first row whose length is not its text's, or that the file ends
// within; the number of rows when the file runs on after the last; -1 when
// the rows fill the file exactly.
inline int wrong_scenario_row(std::string_view bytes, const Stazioni& stazioni) {
  size_t p = 0;
  int r = 0;
  for (const stazione& s : stazioni.all()) {
    if (p + 16 > bytes.size()) return r;
    const auto low = static_cast<unsigned char>(bytes[p + 14]);
    const auto high = static_cast<unsigned char>(bytes[p + 15]);
    const auto lunghezza = static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
    if (lunghezza < 0 || static_cast<size_t>(lunghezza) != s.nome.size()) return r;
    p += 34 + static_cast<size_t>(lunghezza);
    ++r;
  }
  return p == bytes.size() ? -1 : r;
}

}  // namespace compactor::testing
