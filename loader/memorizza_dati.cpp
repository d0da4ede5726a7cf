#include "loader/memorizza_dati.h"

#include <exception>

#include "loader/arrotonda.h"
#include "loader/caricamento.h"
#include "sources/key_words.h"

namespace compactor {

void Caricamento::apri(Diagnostica::Sorgente quale, const std::string& percorso) {
  if (!files.exists(percorso)) throw LoadFailure("source not found: " + percorso);
  sorgente = quale;
  percorso_sorgente = percorso;
  lettore.emplace(files.read(percorso));
}

void Caricamento::chiudi_ed_elimina() {
  lettore.reset();
  files.remove(percorso_sorgente);
}

Caricamento::Punto Caricamento::qui() const {
  if (!lettore) return {};
  return {lettore->riga_campo(), lettore->colonna_campo()};
}

void Caricamento::segna(Punto dove) {
  if (!lettore) return;
  diagnostica.sorgente = sorgente;
  diagnostica.riga = dove.riga;
  diagnostica.colonna = dove.colonna;
  diagnostica.testo_riga = lettore->testo_riga(dove.riga);
}

void Caricamento::errore(int32_t numero, Punto dove) {
  segna(dove);
  m.numero_errore = numero;
}

void Caricamento::errore(int32_t numero, int32_t posizione, Punto dove) {
  errore(numero, dove);
  m.posizione_errore = posizione;
}

Esito Caricamento::ferma(int32_t numero, Punto dove) {
  errore(numero, dove);
  chiudi_ed_elimina();
  return Esito::fine_caricamento;
}

Esito Caricamento::ferma(int32_t numero, int32_t posizione, Punto dove) {
  errore(numero, posizione, dove);
  chiudi_ed_elimina();
  return Esito::fine_caricamento;
}

bool Caricamento::leggi_chiave() {
  if (fine_file()) return false;
  m.riga = testo();
  if (fine_file()) return false;
  for (int volte = 0; volte < 2 && ha_trattino(m.riga); ++volte) {
    m.riga = testo();
    if (fine_file()) return false;
  }
  return true;
}

bool Caricamento::dentro(int32_t chainage, int64_t margine, Punto dove) {
  if (!oltre_griglia(chainage, margine, m.celle_totali)) return true;
  errore(15, chainage, dove);
  return false;
}

void Caricamento::ignorato(const std::string& campo) {
  if (osservatore) osservatore->campo_ignorato({sorgente, qui().riga, qui().colonna}, campo);
}

void Caricamento::registrato(TipoRecord tipo, int32_t chainage, Punto dove) {
  if (osservatore) osservatore->record(tipo, chainage, {sorgente, dove.riga, dove.colonna});
}

void Caricamento::sostituito(TipoRecord tipo, int32_t chainage, Punto dove) {
  if (osservatore) osservatore->marcatore_sostituito(tipo, chainage, {sorgente, dove.riga, dove.colonna});
}

Diagnostica memorizza_dati(Modello& m, const NomiFile& nomi, Files& files, Osservatore* osservatore) {
  Diagnostica diagnostica;
  Caricamento c{m, nomi, files, diagnostica};
  c.osservatore = osservatore;
  try {
    if (carica_linea(c)) carica_treno(c);
  } catch (const PlatformError&) {
    // Not a fault of the scenario, so no error 25; but no source is left
    // behind either, as far as the disk still lets us delete.
    c.lettore.reset();
    for (const std::string* sorgente : {&nomi.linea_txt, &nomi.treno_txt}) {
      try {
        if (files.exists(*sorgente)) files.remove(*sorgente);
      } catch (const PlatformError&) {
        // The failure already under way is the one to report.
      }
    }
    throw;
  } catch (const std::exception& e) {
    // Any other failure while loading: error 25, everything stored so far
    // stays, and no source is left behind.
    c.segna(c.qui());
    diagnostica.motivo = e.what();
    c.lettore.reset();
    m.numero_errore = 25;
    for (const std::string* sorgente : {&nomi.linea_txt, &nomi.treno_txt})
      if (files.exists(*sorgente)) files.remove(*sorgente);
  }
  return diagnostica;
}

}  // namespace compactor
