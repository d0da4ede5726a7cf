#include "compiler/codici_gara.h"

#include <string>
#include <string_view>

#include "platform/cp1252.h"

namespace compactor {
namespace {

// Makes sure the code text always has at least 25 characters.
constexpr std::string_view riempitivo = "rrttvvzzsspphhffddbbmmllqq";
constexpr size_t caratteri_del_codice = 25;

// Train name, then route name, lower case, then the filler.
std::string testo_del_codice(const std::string& treno, const std::string& percorso) {
  return cp1252_lower(treno + percorso) + std::string(riempitivo);
}

// Windows-1252 code, 0 to 255, of the character at 0-based index i.
int32_t codice_carattere(const std::string& text, size_t i) { return static_cast<unsigned char>(text.at(i)); }

int16_t plain_sum(const std::string& text) {
  int16_t somma = 0;
  for (size_t i = 0; i < caratteri_del_codice; ++i) {
    somma = static_cast<int16_t>(somma + codice_carattere(text, i));
  }
  return somma;
}

int32_t weighted_sum(const std::string& text) {
  int32_t somma = 0;
  for (size_t i = 0; i < caratteri_del_codice; ++i) {
    somma += codice_carattere(text, i) * static_cast<int32_t>(i + 1);
  }
  return somma;
}

}  // namespace

// Both leave their code text in m.riga.
int16_t codice_gara_og(Model& m) {
  m.riga = testo_del_codice(m.stazioni.at(86).nome, m.stazioni.at(85).nome);
  return plain_sum(m.riga);
}

int32_t codice_gara_st(Model& m) {
  m.riga = testo_del_codice(m.stazioni.at(86).nome, m.stazioni.at(85).nome);
  return weighted_sum(m.riga);
}

int16_t plain_code(const std::string& train, const std::string& route) {
  return plain_sum(testo_del_codice(train, route));
}

int32_t weighted_code(const std::string& train, const std::string& route) {
  return weighted_sum(testo_del_codice(train, route));
}

}  // namespace compactor
