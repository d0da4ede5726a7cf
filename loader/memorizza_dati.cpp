#include "loader/memorizza_dati.h"

#include <exception>
#include <new>
#include <stdexcept>

#include "loader/rounding.h"
#include "loader/load_state.h"
#include "sources/key_words.h"
#include "sources/source_limit.h"

namespace compactor {

void LoadState::apri(LoadReport::Sorgente quale, const std::string& percorso) {
  if (!files.exists(percorso)) {
    // Not the fault of any record, nor of a source read before.
    diagnostica = {};
    diagnostica.sorgente = quale;
    throw LoadFailure("source not found: " + percorso);
  }
  sorgente = quale;
  percorso_sorgente = percorso;
  lettore.emplace(read_source_bytes(files, percorso));
}

void LoadState::chiudi_ed_elimina() {
  lettore.reset();
  files.remove(percorso_sorgente);
}

LoadState::Punto LoadState::qui() const {
  if (!lettore) return {};
  return {lettore->riga_campo(), lettore->colonna_campo()};
}

LoadReport LoadState::luogo(Punto dove) const {
  LoadReport d;
  d.sorgente = sorgente;
  d.riga = dove.riga;
  d.colonna = dove.colonna;
  if (lettore) d.testo_riga = lettore->testo_riga(dove.riga);
  return d;
}

void LoadState::segna(Punto dove) {
  if (lettore) diagnostica = luogo(dove);
}

void LoadState::errore(int32_t numero, Punto dove) {
  segna(dove);
  m.numero_errore = numero;
}

void LoadState::errore(int32_t numero, int32_t posizione, Punto dove) {
  errore(numero, dove);
  m.posizione_errore = posizione;
}

Esito LoadState::ferma(int32_t numero, Punto dove) {
  errore(numero, dove);
  chiudi_ed_elimina();
  return Esito::fine_caricamento;
}

Esito LoadState::ferma(int32_t numero, int32_t posizione, Punto dove) {
  errore(numero, posizione, dove);
  chiudi_ed_elimina();
  return Esito::fine_caricamento;
}

bool LoadState::leggi_chiave() {
  if (fine_file()) return false;
  m.riga = testo();
  if (fine_file()) return false;
  for (int volte = 0; volte < 2 && ha_trattino(m.riga); ++volte) {
    m.riga = testo();
    if (fine_file()) return false;
  }
  return true;
}

bool LoadState::dentro(int32_t chainage, int64_t margine, Punto dove) {
  if (!oltre_griglia(chainage, margine, m.celle_totali)) return true;
  errore(15, chainage, dove);
  return false;
}

void LoadState::ignorato(const std::string& campo) {
  const Punto dove = qui();
  if (osservatore) osservatore->campo_ignorato({sorgente, dove.riga, dove.colonna}, lettore->vista_riga(dove.riga), campo);
}

void LoadState::registrato(RecordKind tipo, int32_t chainage, Punto dove) {
  if (osservatore) osservatore->record(tipo, chainage, {sorgente, dove.riga, dove.colonna}, lettore->vista_riga(dove.riga));
}

void LoadState::tell_record_begins() {
  const Punto dove = qui();
  record = provenance->record_begins({sorgente, dove.riga, dove.colonna}, lettore->vista_riga(dove.riga));
}

void LoadState::read_into_row(int r, RowMember member) {
  stazione& s = m.stazioni.at(r);
  int32_t* field = nullptr;
  switch (member) {
    case RowMember::inizio: field = &s.inizio; break;
    case RowMember::fine: field = &s.fine; break;
    case RowMember::posizione: field = &s.posizione; break;
    default: throw std::logic_error("read_into_row: not a 32-bit member");
  }
  *field = numero();
  note_row(provenance, r, RowMembers(member));
}

void LoadState::sostituito(RecordKind tipo, int32_t chainage, Punto dove) {
  if (osservatore)
    osservatore->marcatore_sostituito(tipo, chainage, {sorgente, dove.riga, dove.colonna}, lettore->vista_riga(dove.riga));
}

LoadReport memorizza_dati(Model& m, const FileNames& nomi, Files& files, LoadObserver* osservatore,
                           ProvenanceSink* provenance) {
  LoadReport diagnostica;
  LoadState c{m, nomi, files, diagnostica};
  c.osservatore = osservatore;
  c.provenance = provenance;
  // No source is left behind, whatever stopped the load: a failure to
  // delete is told only when it is the failure being reported.
  auto elimina_sorgenti = [&](bool in_silenzio) {
    c.lettore.reset();
    for (const std::string* sorgente : {&nomi.linea_txt, &nomi.treno_txt}) {
      try {
        if (files.exists(*sorgente)) files.remove(*sorgente);
      } catch (const PlatformError&) {
        if (!in_silenzio) throw;
      }
    }
  };
  try {
    if (carica_linea(c)) carica_treno(c);
  } catch (const PlatformError&) {
    // Not a fault of the scenario, so no error 25; the failure already
    // under way is the one to report.
    elimina_sorgenti(true);
    throw;
  } catch (const std::bad_alloc&) {
    // Nor is running out of memory: what was loaded is not the scenario, and
    // nothing may be written from it.
    elimina_sorgenti(true);
    throw;
  } catch (const std::exception& e) {
    // Any other failure while loading: error 25, everything stored so far
    // stays.
    c.segna(c.qui());
    diagnostica.motivo = e.what();
    if (!c.record_key.empty() && c.lettore) {
      diagnostica.record_riga = c.record_at.riga;
      diagnostica.record_colonna = c.record_at.colonna;
      diagnostica.record_chiave = c.record_key;
      diagnostica.record_testo = c.lettore->testo_riga(c.record_at.riga);
    }
    m.numero_errore = 25;
    elimina_sorgenti(false);
  }
  return diagnostica;
}

}  // namespace compactor
