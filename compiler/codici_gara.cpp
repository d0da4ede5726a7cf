#include "compiler/codici_gara.h"

#include <string>
#include <string_view>

#include "platform/cp1252.h"

namespace compactor {
namespace {

// Makes sure the code text always has at least 25 characters.
constexpr std::string_view filler = "rrttvvzzsspphhffddbbmmllqq";
constexpr size_t code_characters = 25;

// Train name, then route name, lower case, then the filler.
std::string code_text(const std::string& treno, const std::string& percorso) {
  return cp1252_lower(treno + percorso) + std::string(filler);
}

// Windows-1252 code, 0 to 255, of the character at 0-based index i.
int32_t character_code(const std::string& text, size_t i) { return static_cast<unsigned char>(text.at(i)); }

int16_t plain_sum(const std::string& text) {
  int16_t sum = 0;
  for (size_t i = 0; i < code_characters; ++i) {
    sum = static_cast<int16_t>(sum + character_code(text, i));
  }
  return sum;
}

int32_t weighted_sum(const std::string& text) {
  int32_t sum = 0;
  for (size_t i = 0; i < code_characters; ++i) {
    sum += character_code(text, i) * static_cast<int32_t>(i + 1);
  }
  return sum;
}

}  // namespace

// Both leave their code text in m.riga.
int16_t codice_gara_og(Model& m) {
  m.riga = code_text(m.stazioni.at(86).nome, m.stazioni.at(85).nome);
  return plain_sum(m.riga);
}

int32_t codice_gara_st(Model& m) {
  m.riga = code_text(m.stazioni.at(86).nome, m.stazioni.at(85).nome);
  return weighted_sum(m.riga);
}

int16_t plain_code(const std::string& train, const std::string& route) {
  return plain_sum(code_text(train, route));
}

int32_t weighted_code(const std::string& train, const std::string& route) {
  return weighted_sum(code_text(train, route));
}

}  // namespace compactor
