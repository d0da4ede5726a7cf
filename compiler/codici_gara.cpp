#include "compiler/codici_gara.h"

#include <string>
#include <string_view>

#include "platform/cp1252.h"

namespace compactor {
namespace {

// Makes sure the code text always has at least 25 characters.
constexpr std::string_view riempitivo = "rrttvvzzsspphhffddbbmmllqq";
constexpr size_t caratteri_del_codice = 25;

// Train name, then route name, lower case, then the filler; left in m.riga.
void testo_del_codice(Modello& m) {
  m.riga = cp1252_lower(m.stazioni.at(86).nome + m.stazioni.at(85).nome);
  m.riga += riempitivo;
}

// Windows-1252 code, 0 to 255, of the character at 0-based index i.
int32_t codice_carattere(const std::string& testo, size_t i) { return static_cast<unsigned char>(testo.at(i)); }

}  // namespace

int16_t codice_gara_og(Modello& m) {
  testo_del_codice(m);
  int16_t somma = 0;
  for (size_t i = 0; i < caratteri_del_codice; ++i) {
    somma = static_cast<int16_t>(somma + codice_carattere(m.riga, i));
  }
  return somma;
}

int32_t codice_gara_st(Modello& m) {
  testo_del_codice(m);
  int32_t somma = 0;
  for (size_t i = 0; i < caratteri_del_codice; ++i) {
    somma += codice_carattere(m.riga, i) * static_cast<int32_t>(i + 1);
  }
  return somma;
}

}  // namespace compactor
