#include "sources/key_words.h"

#include <algorithm>
#include <string>

#include "platform/cp1252.h"

namespace compactor {

bool contains(std::string_view campo, std::string_view word) {
  return campo.find(word) != std::string_view::npos;
}

bool contains_ignoring_case(std::string_view campo, std::string_view word) {
  return contains(cp1252_lower(campo), cp1252_lower(word));
}

bool has_dash(std::string_view campo) { return contains(campo, "-"); }

bool opens_general(std::string_view campo) {
  return contains_ignoring_case(campo, "[generale]");
}

GeneralKeys chiavi_generali(std::string_view campo) {
  const std::string lower_case = cp1252_lower(campo);
  GeneralKeys c;
  c.lunghezza_percorso = contains(lower_case, "lunghezza") && contains(lower_case, "percorso");
  const bool progressiva = contains(campo, "progressiva");
  const bool sfondo = contains(campo, "sfondo");
  const bool uno = contains(campo, "uno");
  const bool due = contains(campo, "due");
  const bool tre = contains(campo, "tre");
  c.progressiva_tre = progressiva && tre;
  c.progressiva_due = progressiva && due;
  c.progressiva_uno = progressiva && uno;
  c.sfondo_uno = sfondo && uno;
  c.sfondo_due = sfondo && due;
  c.sfondo_tre = sfondo && tre;
  c.signal_repetition = contains(campo, "ripetizione") && contains(campo, "segnali");
  return c;
}

int repeat_codes(std::string_view campo) {
  if (contains(campo, "4")) return 4;
  if (contains(campo, "9")) return 9;
  return 0;
}

bool closes_general_section(std::string_view campo) {
  const size_t first = campo.find_first_not_of(" \t");
  if (first != std::string_view::npos && campo[first] == '-') return false;
  return contains(campo, "[") && contains(campo, "]");
}

LineKeys chiavi_linea(std::string_view campo) {
  const std::string m = cp1252_lower(campo);
  LineKeys c;
  c.pendenza = contains(m, "pendenza");
  c.curva = contains(m, "curva");
  c.montagna = contains(m, "montagna");
  c.indicatori_v = contains(m, "indicatori_v");
  c.cartello_indicatore = contains(m, "cartello") && contains(m, "indicat");
  return c;
}

int curve_class(std::string_view campo) {
  // The lowest of the digits 1 to 6 anywhere in the field, in one pass.
  int lowest = 0;
  for (const char c : campo)
    if (c >= '1' && c <= '6' && (lowest == 0 || c - '0' < lowest)) lowest = c - '0';
  return lowest;
}

bool curva_s(std::string_view campo) {
  return std::any_of(campo.begin(), campo.end(), [](char c) { return c == 's' || c == 'S'; });
}

TrainKeys chiavi_treno(std::string_view campo) {
  const std::string m = cp1252_lower(campo);
  TrainKeys c;
  c.massa_frenata = contains(m, "frenata") && contains(m, "massa");
  c.vetture = contains(m, "vetture");
  c.velocita = contains(m, "velocit");
  c.aderenza = contains(m, "aderenza");
  c.clock = contains(m, "orologio");
  c.sabbia = contains(m, "sabbia");
  c.segnale = contains(m, "segnale");
  c.rallentamento = contains(m, "rallentamento");
  c.abbattimento = contains(m, "abbattimento");
  c.stazione = contains(m, "stazione");
  return c;
}

}  // namespace compactor
