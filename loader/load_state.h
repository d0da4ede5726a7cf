// What the two halves of the loader share while one load runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "loader/load_report.h"
#include "loader/load_observer.h"
#include "loader/provenance_sink.h"
#include "model/model.h"
#include "model/file_names.h"
#include "platform/files.h"
#include "sources/field_reader.h"

namespace compactor {

// How a record ends: loading goes on, the record loop of this source ends
// (error 15), or loading ends.
enum class Esito { continua, fine_record, fine_caricamento };

struct LoadState {
  LoadState(Model& modello, const FileNames& n, Files& f, LoadReport& d)
      : m(modello), nomi(n), files(f), diagnostica(d) {}

  Model& m;
  const FileNames& nomi;
  Files& files;
  LoadReport& diagnostica;

  // The source being read, if any, and which one it is.
  std::optional<FieldReader> lettore;
  LoadReport::Sorgente sorgente = LoadReport::nessuna;
  std::string percorso_sorgente;

  // Told of what the loader accepts silently; may be null.
  LoadObserver* osservatore = nullptr;
  // Told of who sets what; may be null.
  ProvenanceSink* provenance = nullptr;
  // The record being read, as the provenance sink numbered it.
  int32_t record = kNoRecord;

  // The next free signboard row, which is also the first row stations may
  // not reach.
  int32_t prossima_riga_cartello = 80;

  // Opens a source: reads it whole into the reader.
  void apri(LoadReport::Sorgente quale, const std::string& percorso);
  // Closes the source and deletes its file.
  void chiudi_ed_elimina();

  // Where a field stands in the source being read.
  struct Punto {
    int riga = 0;
    int colonna = 0;
  };
  // The field last read.
  Punto qui() const;

  // Stops loading with a scenario error: the source is closed and deleted.
  Esito ferma(int32_t numero, Punto dove);
  Esito ferma(int32_t numero, int32_t posizione, Punto dove);

  // Records a scenario error found at field `dove`. With a position it also
  // sets posizione_errore.
  void errore(int32_t numero, Punto dove);
  void errore(int32_t numero, int32_t posizione, Punto dove);
  // Where field `dove` of the open source stands, with its line.
  LoadReport luogo(Punto dove) const;
  // Notes field `dove` as the one at fault.
  void segna(Punto dove);

  // Tell the observer, if any.
  void ignorato(const std::string& campo);
  void registrato(RecordKind tipo, int32_t chainage, Punto dove);
  void sostituito(RecordKind tipo, int32_t chainage, Punto dove);

  // The key field just read begins a record: noted for a failure inside it,
  // and told to the provenance sink.
  void record_begins() {
    record_at = qui();
    record_key = m.riga;
    if (provenance) tell_record_begins();
  }
  // No record is being read (the next key field is sought).
  void record_ends() { record_key.clear(); }
  // Where the record being read began, and its key field; empty between
  // records.
  Punto record_at{};
  std::string record_key;
  void tell_record_begins();
  // Tells the provenance sink that riempi() has filled `member` of the
  // cells from `first` up to the one before the fill pointer `pointer`
  // with the value record `giver` gave. (A fill writes all its cells or,
  // failing on its first, none: no fill reaches past the grid.)
  void profile_filled(int64_t first, int64_t pointer, CellMember member, int32_t giver) {
    if (provenance) provenance->profile_filled(first, pointer - 1, member, giver);
  }

  // Reads the next key field into m.riga, passing over one or two dash
  // fields; false when the source ends first (its last field is never used).
  bool leggi_chiave();
  // A record lies inside the grid when celle_totali is not below
  // (chainage + margine) / 50; else error 15 at its chainage.
  bool dentro(int32_t chainage, int64_t margine, Punto dove);

  bool fine_file() const { return lettore->fine_file(); }
  std::string testo() { return lettore->leggi_testo(); }
  int32_t numero() { return lettore->leggi_long(); }
  // Reads a number into a 32-bit member of row `r`, and tells the
  // provenance sink that the current record set it.
  void read_into_row(int r, RowMember member);
};

// The line half: returns true when loading goes on with the train source.
bool carica_linea(LoadState& c);
// The train half.
void carica_treno(LoadState& c);

}  // namespace compactor
