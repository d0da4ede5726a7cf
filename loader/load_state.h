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
enum class Flow { go_on, end_of_record, end_of_load };

struct LoadState {
  LoadState(Model& model, const FileNames& n, Files& f, LoadReport& d)
      : m(model), names(n), files(f), diagnostic(d) {}

  Model& m;
  const FileNames& names;
  Files& files;
  LoadReport& diagnostic;

  // The source being read, if any, and which one it is.
  std::optional<FieldReader> reader;
  LoadReport::Source source = LoadReport::no_source;
  std::string source_path;

  // Told of what the loader accepts silently; may be null.
  LoadObserver* observer = nullptr;
  // Told of who sets what; may be null.
  ProvenanceSink* provenance = nullptr;
  // The record being read, as the provenance sink numbered it.
  int32_t record = kNoRecord;

  // The next free signboard row, which is also the first row stations may
  // not reach.
  int32_t next_board_row = 80;

  // Opens a source: reads it whole into the reader.
  void open(LoadReport::Source which, const std::string& path);
  // Closes the source and deletes its file.
  void close_and_delete();

  // Where a field stands in the source being read.
  struct Place {
    int line = 0;
    int column = 0;
  };
  // The field last read.
  Place here() const;

  // Stops loading with a scenario error: the source is closed and deleted.
  Flow stop(int32_t numero, Place where);
  Flow stop(int32_t numero, int32_t posizione, Place where);

  // Records a scenario error found at field `where`. With a position it also
  // sets posizione_errore.
  void errore(int32_t numero, Place where);
  void errore(int32_t numero, int32_t posizione, Place where);
  // Where field `where` of the open source stands, with its line.
  LoadReport place_of(Place where) const;
  // Notes field `where` as the one at fault.
  void mark(Place where);

  // Tell the observer, if any.
  void skipped(const std::string& campo);
  void recorded(RecordKind tipo, int32_t chainage, Place where);
  void replaced(RecordKind tipo, int32_t chainage, Place where);

  // The key field just read begins a record: noted for a failure inside it,
  // and told to the provenance sink.
  void record_begins() {
    record_at = here();
    record_key = m.riga;
    if (provenance) tell_record_begins();
  }
  // No record is being read (the next key field is sought).
  void record_ends() { record_key.clear(); }
  // Where the record being read began, and its key field; empty between
  // records.
  Place record_at{};
  std::string record_key;
  void tell_record_begins();
  // Tells the provenance sink that fill() has filled `member` of the
  // cells from `first` up to the one before the fill pointer `pointer`
  // with the value record `giver` gave. (A fill writes all its cells or,
  // failing on its first, none: no fill reaches past the grid.)
  void profile_filled(int64_t first, int64_t pointer, CellMember member, int32_t giver) {
    if (provenance) provenance->profile_filled(first, pointer - 1, member, giver);
  }

  // Reads the next key field into m.riga, passing over one or two dash
  // fields; false when the source ends first (its last field is never used).
  bool read_key();
  // A record lies inside the grid when celle_totali is not below
  // (chainage + margin) / 50; else error 15 at its chainage.
  bool inside(int32_t chainage, int64_t margin, Place where);

  bool end_of_file() const { return reader->end_of_file(); }
  std::string text() { return reader->read_text(); }
  int32_t numero() { return reader->read_long(); }
  // Reads a number into a 32-bit member of row `r`, and tells the
  // provenance sink that the current record set it.
  void read_into_row(int r, RowMember member);
};

// The line half: returns true when loading goes on with the train source.
bool load_line(LoadState& c);
// The train half.
void load_train(LoadState& c);

}  // namespace compactor
