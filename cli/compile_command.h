// scenario compile: the program's compile step on an author's two sources.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/avvisi.h"
#include "loader/diagnostica.h"
#include "platform/files.h"

namespace compactor {
struct Modello;
}

namespace compactor::cli {

class Avanzamento;

// Exit statuses of the tool.
namespace stato {
inline constexpr int pulito = 0, errore = 1, uso = 2, fermata = 3, piattaforma = 4, solo_avvisi = 5;
// A compiled file that is truncated, foreign or not of one scenario (dump,
// diff and render).
inline constexpr int bad_compiled_file = 6;
}

struct OpzioniCompilazione {
  std::string sorgente_linea;  // the author's line source
  std::string sorgente_treno;  // the author's train source
  std::string percorso;        // route name (UTF-8 on the command line)
  std::string treno;           // train name
  std::string cartella;        // where the compiled files go
  bool senza_planimetria = false;
  const Avanzamento* avanzamento = nullptr;  // tells each stage, when given
};

// The outcome of one compile.
struct Compilazione {
  int stato = 0;           // exit status
  int32_t errore = 0;      // recorded error, 1250/1251 for the error stop, 0 when none
  int32_t posizione = 0;   // posizione_errore as it stands
  std::string messaggio;   // what went wrong, in words (UTF-8)
  std::optional<std::string> file;  // the author's source the error comes from
  Diagnostica diagnostica;
  std::vector<Avviso> avvisi;
  std::string sorgente_linea, sorgente_treno;  // the author's paths, for warnings
  std::vector<std::string> scritti;  // compiled files written
};

// A route or train name as Windows-1252, fit to be part of a file name;
// nullopt, with the problem in words in `errore`, when it is not.
std::optional<std::string> nome_valido(const std::string& utf8, const char* che_cosa, std::string& errore);

// Copies the sources into the output directory under the names the loader
// expects (never touching the originals), runs the compile step and reports.
Compilazione compila(const OpzioniCompilazione& o, Files& files);
// The same, leaving what was loaded and finished in `m` (a fresh model).
Compilazione compila(const OpzioniCompilazione& o, Files& files, Modello& m);

// Prints the outcome: problems in the file:line:column style with the line
// and a caret, and a closing count; or, with `json`, one JSON object on
// `out` and nothing else there.
void stampa(const Compilazione& c, bool json, std::ostream& out, std::ostream& err);

}  // namespace compactor::cli
