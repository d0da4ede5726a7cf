// How a compile's outcome is told: for people, or as JSON for programs.
#include <nlohmann/json.hpp>
#include <ostream>

#include <fmt/format.h>

#include "cli/compile_command.h"
#include "cli/error_messages.h"
#include "cli/percorsi.h"
#include "cli/plurale.h"
#include "platform/cp1252.h"

namespace compactor::cli {
namespace {

// The source line and a caret under the byte at `colonna`; tabs are kept so
// that the caret stands under its field.
void riga_e_cursore(std::ostream& err, const std::string& riga, int colonna) {
  err << "  " << cp1252_to_utf8(riga) << "\n  ";
  for (int i = 0; i < colonna && i < static_cast<int>(riga.size()); ++i) err << (riga[static_cast<size_t>(i)] == '\t' ? '\t' : ' ');
  err << "^\n";
}

std::string posizione_testo(const Compilazione& c) {
  return errore_con_posizione(c.errore) ? fmt::format(" (at {} m)", c.posizione) : "";
}

}  // namespace

void stampa(const Compilazione& c, bool json, std::ostream& out, std::ostream& err) {
  const bool con_errore = c.stato == stato::errore || c.stato == stato::fermata;
  if (json) {
    using nlohmann::json;
    json j;
    j["status"] = c.stato;
    j["error"] = c.errore;
    j["position"] = c.posizione;
    j["message"] = c.messaggio;
    const bool con_riga = c.file && c.diagnostica.riga > 0;
    j["file"] = c.file ? json(*c.file) : json(nullptr);
    j["line"] = con_riga ? json(c.diagnostica.riga) : json(nullptr);
    j["column"] = con_riga ? json(c.diagnostica.colonna + 1) : json(nullptr);
    j["record"] = con_riga ? json(cp1252_to_utf8(c.diagnostica.testo_riga)) : json(nullptr);
    j["warnings"] = json::array();
    for (const Avviso& a : c.avvisi)
      j["warnings"].push_back({{"file", a.dove.sorgente == Diagnostica::linea ? c.sorgente_linea : c.sorgente_treno},
                               {"line", a.dove.riga},
                               {"column", a.dove.colonna + 1},
                               {"message", a.messaggio},
                               {"record", cp1252_to_utf8(a.testo_riga)}});
    j["written"] = json::array();
    for (const auto& s : c.scritti) j["written"].push_back(mostra_percorso(s));
    out << j.dump() << "\n";
    if (c.stato == stato::uso || c.stato == stato::piattaforma) err << "scenario: " << c.messaggio << "\n";
    return;
  }
  if (c.stato == stato::uso || c.stato == stato::piattaforma) {
    err << "scenario: " << c.messaggio << "\n";
    return;
  }
  for (const Avviso& a : c.avvisi) {
    const std::string& file = a.dove.sorgente == Diagnostica::linea ? c.sorgente_linea : c.sorgente_treno;
    err << fmt::format("{}:{}:{}: warning: {}\n", file, a.dove.riga, a.dove.colonna + 1, a.messaggio);
    riga_e_cursore(err, a.testo_riga, a.dove.colonna);
  }
  if (con_errore) {
    if (c.file && c.diagnostica.riga > 0) {
      err << fmt::format("{}:{}:{}: error {}: {}{}\n", *c.file, c.diagnostica.riga, c.diagnostica.colonna + 1, c.errore,
                         c.messaggio, posizione_testo(c));
      riga_e_cursore(err, c.diagnostica.testo_riga, c.diagnostica.colonna);
    } else {
      err << fmt::format("{}error {}: {}{}\n", c.file ? *c.file + ": " : "", c.errore, c.messaggio,
                         posizione_testo(c));
    }
  }
  err << plurale(con_errore ? 1 : 0, "error") << ", " << plurale(c.avvisi.size(), "warning") << "\n";
  if (c.stato == stato::fermata) {
    err << "nothing was written\n";
  } else {
    if (con_errore && !c.scritti.empty()) err << "the compiled files were written from what was loaded\n";
    for (const auto& s : c.scritti) out << "wrote " << mostra_percorso(s) << "\n";
  }
}

}  // namespace compactor::cli
