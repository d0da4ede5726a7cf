// Two sources compiled through the author tool's compile session, as its
// commands compile them, named line.txt and train.txt.
#pragma once

#include <string>
#include <utility>

#include "cli/session/compile_session.h"

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

}  // namespace compactor::testing
