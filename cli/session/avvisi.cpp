#include "cli/session/avvisi.h"

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

#include "platform/cp1252.h"
#include "sources/key_words.h"

namespace compactor::session {
namespace {

const char* nome_record(TipoRecord t) {
  switch (t) {
    case TipoRecord::pendenza: return "gradient";
    case TipoRecord::curva: return "curve";
    case TipoRecord::montagna: return "tunnel";
    case TipoRecord::indicatore_v_max: return "speed indicator board";
    case TipoRecord::cartello: return "signboard";
    case TipoRecord::velocita: return "speed limit";
    case TipoRecord::aderenza: return "adhesion";
    case TipoRecord::segnale: return "signal";
    case TipoRecord::rallentamento: return "slowdown";
    case TipoRecord::abbattimento: return "code drop";
    case TipoRecord::stazione: return "station";
  }
  return "record";
}

// Kinds whose records fill the grid forward from the one before, so that a
// record behind its predecessor goes wrong.
bool conta_ordine(TipoRecord t) {
  return t == TipoRecord::pendenza || t == TipoRecord::curva || t == TipoRecord::velocita ||
         t == TipoRecord::aderenza || t == TipoRecord::stazione;
}

std::string senza_bianchi(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return s.substr(i);
}

bool solo_cifre(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The key words whose case matters, written with a capital by mistake.
bool chiave_con_maiuscola(const std::string& campo) {
  for (const char* parola : {"progressiva", "sfondo", "ripetizione", "segnali", "uno", "due", "tre"})
    if (contiene_ignora_maiuscole(campo, parola) && !contiene(campo, parola)) return true;
  return false;
}

}  // namespace

void RaccoltaAvvisi::aggiungi(const Luogo& dove, std::string_view riga, std::string messaggio) {
  avvisi_.push_back({dove, std::move(messaggio), std::string(riga)});
}

void RaccoltaAvvisi::campo_ignorato(const Luogo& dove, std::string_view linea, const std::string& campo) {
  const std::string testo = senza_bianchi(campo);
  // Headers, comments and empty fields are what authors write on purpose.
  if (testo.empty() || (testo.front() == '[' && testo.back() == ']')) return;
  Righe& r = righe_[dove.sorgente];
  if (r.ignorata == dove.riga) return;  // told with the key field before it
  if (r.record == dove.riga) {
    // Only the field right after the record can be the rest of its last number.
    const bool primo = r.dopo_record != dove.riga;
    r.dopo_record = dove.riga;
    const auto col = static_cast<size_t>(dove.colonna);
    const bool dopo_virgola_di_numero = col >= 2 && col <= linea.size() && linea[col - 1] == ',' &&
                                        std::isdigit(static_cast<unsigned char>(linea[col - 2]));
    if (primo && solo_cifre(testo) && dopo_virgola_di_numero) {
      size_t inizio = col - 1;
      while (inizio > 0 && (std::isdigit(static_cast<unsigned char>(linea[inizio - 1])) || linea[inizio - 1] == '-' ||
                            linea[inizio - 1] == '+'))
        --inizio;
      const std::string_view numero = linea.substr(inizio, col - 1 - inizio);
      aggiungi(dove, linea, fmt::format("a decimal comma splits \"{},{}\": the value reads as {} and \"{}\" is skipped",
                                 numero, testo, numero, testo));
      return;
    }
    if (r.surplus == dove.riga) {
      ++surplus_.at(r.quale_surplus).altri;
      return;
    }
    r.surplus = dove.riga;
    r.quale_surplus = surplus_.size();
    surplus_.push_back({avvisi_.size(), cp1252_to_utf8(testo)});
    aggiungi(dove, linea, fmt::format("surplus field \"{}\" after the record on this line is skipped", surplus_.back().campo));
    return;
  }
  r.ignorata = dove.riga;
  std::string messaggio = fmt::format("unrecognised key field \"{}\": no key word matches, so it and the fields after it "
                                      "on this line are skipped",
                                      cp1252_to_utf8(testo));
  if (chiave_con_maiuscola(testo)) messaggio += " (these key words are matched with their letter case)";
  aggiungi(dove, linea, messaggio);
}

void RaccoltaAvvisi::record(TipoRecord tipo, int32_t chainage, const Luogo& dove, std::string_view linea) {
  const int fonte = dove.sorgente;
  righe_[fonte].record = dove.riga;
  // Stations keep their chainage and curves are laid out metre by metre;
  // every other record is rounded to a cell.
  if (tipo != TipoRecord::stazione && tipo != TipoRecord::curva && chainage % 50 != 0)
    aggiungi(dove, linea, fmt::format("{} at {} m: the chainage is not a multiple of 50 and is rounded to a cell",
                                         nome_record(tipo), chainage));
  if (!conta_ordine(tipo)) return;
  const auto chiave = std::make_pair(fonte, tipo);
  const auto prima = ultima_chainage_.find(chiave);
  if (prima != ultima_chainage_.end() && chainage <= prima->second)
    aggiungi(dove, linea, fmt::format("{} at {} m is out of chainage order: the one before is at {} m",
                                         nome_record(tipo), chainage, prima->second));
  ultima_chainage_[chiave] = chainage;
}

void RaccoltaAvvisi::marcatore_sostituito(TipoRecord tipo, int32_t chainage, const Luogo& dove,
                                            std::string_view linea) {
  aggiungi(dove, linea, fmt::format("{} at {} m replaces a tunnel marker", nome_record(tipo), chainage));
}

std::vector<Avviso> RaccoltaAvvisi::avvisi() const {
  std::vector<Avviso> ordinati = avvisi_;
  for (const Surplus& s : surplus_)
    if (s.altri > 0)
      ordinati.at(s.avviso).messaggio =
          fmt::format("surplus field \"{}\" and {} more after the record on this line are skipped", s.campo, s.altri);
  std::stable_sort(ordinati.begin(), ordinati.end(), [](const Avviso& a, const Avviso& b) {
    return std::tie(a.dove.sorgente, a.dove.riga) < std::tie(b.dove.sorgente, b.dove.riga);
  });
  return ordinati;
}

}  // namespace compactor::session
