#include "loader/memorizza_dati.h"

#include <exception>
#include <new>
#include <stdexcept>

#include "loader/rounding.h"
#include "loader/load_state.h"
#include "sources/key_words.h"
#include "sources/source_limit.h"

namespace compactor {

void LoadState::open(LoadReport::Source which, const std::string& percorso) {
  if (!files.exists(percorso)) {
    // Not the fault of any record, nor of a source read before.
    diagnostic = {};
    diagnostic.source = which;
    throw LoadFailure("source not found: " + percorso);
  }
  source = which;
  source_path = percorso;
  reader.emplace(read_source_bytes(files, percorso));
}

void LoadState::close_and_delete() {
  reader.reset();
  files.remove(source_path);
}

LoadState::Place LoadState::here() const {
  if (!reader) return {};
  return {reader->field_line(), reader->field_column()};
}

LoadReport LoadState::place_of(Place where) const {
  LoadReport d;
  d.source = source;
  d.line = where.line;
  d.column = where.column;
  if (reader) d.line_text = reader->line_text(where.line);
  return d;
}

void LoadState::mark(Place where) {
  if (reader) diagnostic = place_of(where);
}

void LoadState::errore(int32_t numero, Place where) {
  mark(where);
  m.numero_errore = numero;
}

void LoadState::errore(int32_t numero, int32_t posizione, Place where) {
  errore(numero, where);
  m.posizione_errore = posizione;
}

Flow LoadState::stop(int32_t numero, Place where) {
  errore(numero, where);
  close_and_delete();
  return Flow::end_of_load;
}

Flow LoadState::stop(int32_t numero, int32_t posizione, Place where) {
  errore(numero, posizione, where);
  close_and_delete();
  return Flow::end_of_load;
}

bool LoadState::read_key() {
  if (end_of_file()) return false;
  m.riga = text();
  if (end_of_file()) return false;
  for (int times = 0; times < 2 && has_dash(m.riga); ++times) {
    m.riga = text();
    if (end_of_file()) return false;
  }
  return true;
}

bool LoadState::inside(int32_t chainage, int64_t margin, Place where) {
  if (!past_grid(chainage, margin, m.celle_totali)) return true;
  errore(15, chainage, where);
  return false;
}

void LoadState::skipped(const std::string& campo) {
  const Place where = here();
  if (observer) observer->skipped_field({source, where.line, where.column}, reader->line_view(where.line), campo);
}

void LoadState::recorded(RecordKind tipo, int32_t chainage, Place where) {
  if (observer) observer->record(tipo, chainage, {source, where.line, where.column}, reader->line_view(where.line));
}

void LoadState::tell_record_begins() {
  const Place where = here();
  record = provenance->record_begins({source, where.line, where.column}, reader->line_view(where.line));
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

void LoadState::replaced(RecordKind tipo, int32_t chainage, Place where) {
  if (observer)
    observer->marker_replaced(tipo, chainage, {source, where.line, where.column}, reader->line_view(where.line));
}

LoadReport memorizza_dati(Model& m, const FileNames& names, Files& files, LoadObserver* observer,
                           ProvenanceSink* provenance) {
  LoadReport diagnostic;
  LoadState c{m, names, files, diagnostic};
  c.observer = observer;
  c.provenance = provenance;
  // No source is left behind, whatever stopped the load: a failure to
  // delete is told only when it is the failure being reported.
  auto delete_sources = [&](bool silently) {
    c.reader.reset();
    for (const std::string* source : {&names.line_txt, &names.train_txt}) {
      try {
        if (files.exists(*source)) files.remove(*source);
      } catch (const PlatformError&) {
        if (!silently) throw;
      }
    }
  };
  try {
    if (load_line(c)) load_train(c);
  } catch (const PlatformError&) {
    // Not a fault of the scenario, so no error 25; the failure already
    // under way is the one to report.
    delete_sources(true);
    throw;
  } catch (const std::bad_alloc&) {
    // Nor is running out of memory: what was loaded is not the scenario, and
    // nothing may be written from it.
    delete_sources(true);
    throw;
  } catch (const std::exception& e) {
    // Any other failure while loading: error 25, everything stored so far
    // stays.
    c.mark(c.here());
    diagnostic.reason = e.what();
    if (!c.record_key.empty() && c.reader) {
      diagnostic.record_line = c.record_at.line;
      diagnostic.record_column = c.record_at.column;
      diagnostic.record_key_field = c.record_key;
      diagnostic.record_text = c.reader->line_text(c.record_at.line);
    }
    m.numero_errore = 25;
    delete_sources(false);
  }
  return diagnostic;
}

}  // namespace compactor
