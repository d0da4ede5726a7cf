// Two sources compiled through the author tool's compile session, as its
// commands compile them, named line.txt and train.txt.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "cli/session/compile_session.h"
#include "compiler/memorizza_percorso.h"
#include "model/file_names.h"
#include "platform/memory_files.h"

namespace compactor::testing {

inline session::CompileResult compile_in_session(const std::string& linea, const std::string& treno,
                                               bool origin = false, const std::string& percorso = "R",
                                               const std::string& nome_treno = "T") {
  session::CompileRequest r;
  r.line = {"line.txt", linea};
  r.train = {"train.txt", treno};
  r.route = percorso;
  r.train_name = nome_treno;
  r.provenance = origin;
  return session::compile(std::move(r));
}

// `s` with the first `from` replaced by `to`: an edit of a fixture source.
inline std::string replaced(std::string s, const std::string& from, const std::string& to) {
  const size_t at = s.find(from);
  if (at == std::string::npos) throw std::logic_error("not in the fixture: " + from);
  return s.replace(at, from.size(), to);
}

// The compiled files the program itself writes from two sources, by its
// own path (memorizza_percorso over files in memory); empty when it writes
// none.
struct ProgramOutput {
  bool written = false;
  std::string plan, scenario, grid;
};

inline ProgramOutput program_output(const std::string& linea, const std::string& treno,
                                    const std::string& percorso = "R", const std::string& nome_treno = "T") {
  MemoryFiles files;
  Model m;
  m.nome_percorso = percorso;
  m.nome_treno = nome_treno;
  const FileNames names = file_names("/p", percorso, nome_treno);
  files.put(names.line_txt, linea);
  files.put(names.train_txt, treno);
  int32_t j = 1;
  memorizza_percorso(m, j, names, files);
  ProgramOutput out;
  out.written = files.exists(names.griglia);
  if (out.written) {
    out.plan = files.read(names.planimetria);
    out.scenario = files.read(names.scenario);
    out.grid = files.read(names.griglia);
  }
  return out;
}

}  // namespace compactor::testing
