#include "sources/key_words.h"

#include <string>

#include "platform/cp1252.h"

namespace compactor {

bool contiene(std::string_view campo, std::string_view parola) {
  return campo.find(parola) != std::string_view::npos;
}

bool contiene_ignora_maiuscole(std::string_view campo, std::string_view parola) {
  return contiene(cp1252_lower(campo), cp1252_lower(parola));
}

bool ha_trattino(std::string_view campo) { return contiene(campo, "-"); }

bool apre_generale(std::string_view campo) {
  return contiene_ignora_maiuscole(campo, "[generale]");
}

ChiaviGenerali chiavi_generali(std::string_view campo) {
  const std::string minuscolo = cp1252_lower(campo);
  ChiaviGenerali c;
  c.lunghezza_percorso = contiene(minuscolo, "lunghezza") && contiene(minuscolo, "percorso");
  const bool progressiva = contiene(campo, "progressiva");
  const bool sfondo = contiene(campo, "sfondo");
  const bool uno = contiene(campo, "uno");
  const bool due = contiene(campo, "due");
  const bool tre = contiene(campo, "tre");
  c.progressiva_tre = progressiva && tre;
  c.progressiva_due = progressiva && due;
  c.progressiva_uno = progressiva && uno;
  c.sfondo_uno = sfondo && uno;
  c.sfondo_due = sfondo && due;
  c.sfondo_tre = sfondo && tre;
  c.ripetizione_segnali = contiene(campo, "ripetizione") && contiene(campo, "segnali");
  return c;
}

int codici_ripetizione(std::string_view campo) {
  if (contiene(campo, "4")) return 4;
  if (contiene(campo, "9")) return 9;
  return 0;
}

bool chiude_sezione_generale(std::string_view campo) {
  const size_t primo = campo.find_first_not_of(" \t");
  if (primo != std::string_view::npos && campo[primo] == '-') return false;
  return contiene(campo, "[") && contiene(campo, "]");
}

ChiaviLinea chiavi_linea(std::string_view campo) {
  const std::string m = cp1252_lower(campo);
  ChiaviLinea c;
  c.pendenza = contiene(m, "pendenza");
  c.curva = contiene(m, "curva");
  c.montagna = contiene(m, "montagna");
  c.indicatori_v = contiene(m, "indicatori_v");
  c.cartello_indicatore = contiene(m, "cartello") && contiene(m, "indicat");
  return c;
}

int classe_curva(std::string_view campo) {
  for (char d = '1'; d <= '6'; ++d)
    if (campo.find(d) != std::string_view::npos) return d - '0';
  return 0;
}

bool curva_s(std::string_view campo) {
  return campo.find_first_of("sS") != std::string_view::npos;
}

ChiaviTreno chiavi_treno(std::string_view campo) {
  const std::string m = cp1252_lower(campo);
  ChiaviTreno c;
  c.massa_frenata = contiene(m, "frenata") && contiene(m, "massa");
  c.vetture = contiene(m, "vetture");
  c.velocita = contiene(m, "velocit");
  c.aderenza = contiene(m, "aderenza");
  c.orologio = contiene(m, "orologio");
  c.sabbia = contiene(m, "sabbia");
  c.segnale = contiene(m, "segnale");
  c.rallentamento = contiene(m, "rallentamento");
  c.abbattimento = contiene(m, "abbattimento");
  c.stazione = contiene(m, "stazione");
  return c;
}

}  // namespace compactor
