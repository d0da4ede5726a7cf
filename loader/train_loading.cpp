// The train half of the loader: the train's values, the speed and adhesion
// profiles, stations, signals, slowdowns and code drops.
#include <algorithm>
#include <array>
#include <string>

#include "loader/rounding.h"
#include "loader/load_state.h"
#include "loader/train_records.h"
#include "sources/key_words.h"

namespace compactor {
namespace {

// Working values of the train half.
struct Work {
  int64_t speed_pointer = 0;
  int32_t velocita = 0;  // before the first speed record: 0
  int64_t adhesion_pointer = 0;
  int32_t aderenza = 0;  // before the first adhesion record: 0
  int32_t station_line = 1;
  // The records that gave the current speed and adhesion: the ones at fault
  // when applying them fails later on.
  LoadReport from_speed;
  LoadReport from_adhesion;
  // ... and as the provenance sink numbered them.
  int32_t speed_giver = kNoRecord;
  int32_t adhesion_giver = kNoRecord;
};

// A speed in units of 5 km/h; the load fails outside 0 to 255.
uint8_t speed_cell(int32_t velocita) {
  const int64_t v = round_half_even(velocita / 5.0);
  if (v < 0 || v > 255) throw LoadFailure("speed " + std::to_string(velocita) + " km/h does not fit a cell");
  return static_cast<uint8_t>(v);
}

// Names an earlier record as the one at fault of the load failure under way.
// With the source closed the failure handler has no field of its own to
// point at, so it keeps this one.
void blamed_on(LoadState& c, const LoadReport& record) {
  c.diagnostic = record;
  c.reader.reset();
}

// Runs `f`; a load failure in it is the fault of `record`, an earlier one.
template <class F>
void charged_to(LoadState& c, const LoadReport& record, F f) {
  try {
    f();
  } catch (const LoadFailure&) {
    blamed_on(c, record);
    throw;
  }
}

// Writes the current speed from the fill pointer up to the cell before
// `up_to`; a speed that does not fit a cell is the fault of the record that
// gave it, not of the one that applies it.
void apply_speed(LoadState& c, Work& w, int64_t up_to) {
  const int64_t first = w.speed_pointer;
  charged_to(c, w.from_speed, [&] {
    fill(c.m.griglia, w.speed_pointer, up_to, [&](cella& k) { k.velocita = speed_cell(w.velocita); });
  });
  c.profile_filled(first, w.speed_pointer, CellMember::velocita, w.speed_giver);
}

Flow velocita(LoadState& c, Work& w) {
  Model& m = c.m;
  const int32_t p = c.numero();
  const auto where = c.here();
  const int32_t s = c.numero();
  // A speed that does not fit a cell is told at the speed.
  const auto speed_where = c.here();
  if (!c.inside(p, 100, where)) return Flow::end_of_record;
  const int64_t n = round_half_even(p / 50.0);
  // Unlike adhesion, the speed fill stops at the last cell.
  if (n > 0 && w.speed_pointer < m.celle_totali) apply_speed(c, w, std::min<int64_t>(n, m.celle_totali));
  w.velocita = s;
  w.from_speed = c.place_of(speed_where);
  w.speed_giver = c.record;
  c.recorded(RecordKind::velocita, p, where);
  return Flow::go_on;
}

Flow aderenza(LoadState& c, Work& w) {
  const int32_t p = c.numero();
  const auto where = c.here();
  const int32_t a = c.numero();
  if (!c.inside(p, 100, where)) return Flow::end_of_record;
  const int64_t n = round_half_even(p / 50.0);
  if (n > 0) {
    const int64_t first = w.adhesion_pointer;
    fill(c.m.griglia, w.adhesion_pointer, n, [&](cella& k) { k.aderenza = basso8(w.aderenza); });
    c.profile_filled(first, w.adhesion_pointer, CellMember::aderenza, w.adhesion_giver);
  }
  w.aderenza = a;
  w.from_adhesion = c.place_of(where);
  w.adhesion_giver = c.record;
  c.recorded(RecordKind::aderenza, p, where);
  return Flow::go_on;
}

// Signals and slowdowns stop loading once an error is recorded, also one the
// line source recorded earlier (error 15 carries over). The record that stops
// it is not the one at fault then: name that one too.
Flow stop_after_error(LoadState& c, int32_t error_before, int32_t posizione, LoadState::Place where) {
  const LoadReport before = c.diagnostic;
  c.stop(c.m.numero_errore, posizione, where);
  if (error_before > 0 && before.source == LoadReport::linea && before.line > 0)
    c.diagnostic.reason = "recorded by the line source at line " + std::to_string(before.line) + " (\"" +
                           before.line_text + "\"); train loading stops at its first signal or slowdown";
  return Flow::end_of_load;
}

Flow segnale(LoadState& c) {
  Model& m = c.m;
  const int32_t posizione = c.numero();
  const auto where = c.here();
  std::array<int32_t, 10> v{};
  for (int32_t& x : v) x = c.numero();
  if (!c.inside(posizione, 100, where)) return Flow::end_of_record;
  const int32_t error_before = m.numero_errore;
  memo_segnale(m, posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], c.provenance);
  if (m.numero_errore > 0) return stop_after_error(c, error_before, posizione, where);
  c.recorded(RecordKind::segnale, posizione, where);
  return Flow::go_on;
}

Flow rallentamento(LoadState& c) {
  Model& m = c.m;
  const int32_t x = c.numero();
  const auto where = c.here();
  std::array<int32_t, 5> v{};
  for (int32_t& n : v) n = c.numero();
  if (!c.inside(x, 100, where)) return Flow::end_of_record;
  const int32_t error_before = m.numero_errore;
  memo_rallentamento(m, x, v[0], v[1], v[2], v[3], v[4], c.provenance);
  if (m.numero_errore > 0) return stop_after_error(c, error_before, x, where);
  c.recorded(RecordKind::rallentamento, x, where);
  return Flow::go_on;
}

Flow abbattimento(LoadState& c) {
  Model& m = c.m;
  const int32_t p = c.numero();
  const auto where = c.here();
  const int32_t valore = c.numero();
  if (!c.inside(p, 100, where)) return Flow::end_of_record;
  const int64_t k = round_half_even(p / 50.0);
  cella& cell = m.griglia.at(k);
  if (!free_cell(cell)) return c.stop(7, p, where);
  if (valore > 0) {
    cell.tipo = tipo_cella::abbattimento;
    cell.dato1 = basso16(valore);
    note_cells(c.provenance, k, k, CellMembers(CellMember::tipo, CellMember::dato1));
  } else {
    cell.tipo = tipo_cella::abbattimento_senza_valore;
    note_cells(c.provenance, k, k, CellMembers(CellMember::tipo));
  }
  c.recorded(RecordKind::abbattimento, p, where);
  return Flow::go_on;
}

Flow train_station(LoadState& c, Work& w) {
  Model& m = c.m;
  FieldReader& in = *c.reader;
  const int32_t i = w.station_line;
  stazione& r = m.stazioni.at(i);

  // A station owns its whole row, clear until now: told before the reads,
  // any of which may stop the load half-way through the row.
  note_row(c.provenance, i, RowMembers::all());
  r.posizione = c.numero();
  const auto where = c.here();
  if (!c.inside(r.posizione, 800, where)) return Flow::end_of_record;
  if (r.posizione % 50 != 0) return c.stop(8, r.posizione, where);
  r.tipo = in.read_byte();
  const int32_t lunghezza = c.numero();
  if (lunghezza % 100 != 0) return c.stop(9, r.posizione, c.here());
  r.campo4 = in.read_byte();
  r.campo5 = in.read_byte();
  r.campo6 = in.read_byte();
  r.campo7 = in.read_integer();
  r.campo8 = in.read_integer();
  r.campo9 = in.read_byte();
  r.campo10 = in.read_integer();
  r.campo11 = in.read_integer();
  r.campo12 = in.read_integer();
  r.campo13 = in.read_byte();
  const int64_t ore = c.numero(), minuti = c.numero(), secondi = c.numero();
  r.orario = in_long((ore * 60 + minuti) * 60 + secondi);
  // Checked before it is stored: the writer cannot give a longer text its length.
  std::string nome = c.text();
  if (nome.size() > testo_massimo) throw LoadFailure("station name longer than 32767 bytes");
  r.nome = std::move(nome);

  // The station's zone.
  const int64_t p = r.posizione;
  switch (r.tipo) {
    case 5:
    case 6:
      r.inizio = in_long(p - lunghezza);
      r.fine = in_long(p + 150);
      r.campo6 = 0;
      break;
    case 7:
    case 8:
      r.inizio = in_long(p - lunghezza);
      r.fine = in_long(p + lunghezza);
      r.campo6 = 0;
      break;
    default:
      r.inizio = in_long(round_half_even(p - lunghezza / 2.0));
      r.fine = in_long(round_half_even(p + lunghezza / 2.0) + (r.campo6 != 0 ? 50 : 0));
      break;
  }
  if (lunghezza < 600) r.campo5 = 0;
  if (i == 1) {
    r.campo5 = 0;
    r.campo6 = 0;
  }
  // Approach codes on the four cells before the stop point; not tested.
  if (r.tipo < 25 && r.tipo != 5 && r.tipo != 6)
    for (int k = 1; k <= 4; ++k) {
      const int64_t j = round_half_even(r.fine / 50.0 - k - 1);
      if (j > 1) {
        m.griglia.at(j).preavviso = static_cast<uint8_t>(80 + k);
        note_cells(c.provenance, j, j, CellMembers(CellMember::preavviso));
      }
    }
  // The stop point replaces whatever stands in its cell.
  if (r.tipo < 25) {
    if (r.fine / 50.0 - 1 <= 1) return c.stop(24, where);
    const int64_t k = round_half_even(r.fine / 50.0 - 1);
    cella& stop = m.griglia.at(k);
    stop.tipo = tipo_cella::fermata;
    stop.dato1 = basso16(i);
    note_cells(c.provenance, k, k, CellMembers(CellMember::tipo, CellMember::dato1));
  }
  if (i > 1 && int64_t{r.inizio} - 350 < m.stazioni.at(i - 1).fine) return c.stop(22, r.posizione, where);
  c.recorded(RecordKind::stazione, r.posizione, where);
  w.station_line = i + 1;
  if (w.station_line >= c.next_board_row) return c.stop(10, where);
  return Flow::go_on;
}

// The record loop: returns false when loading ends.
bool record(LoadState& c, Work& w) {
  Model& m = c.m;
  for (;;) {
    c.record_ends();
    if (!c.read_key()) return true;
    c.record_begins();
    const TrainKeys keys = chiavi_treno(m.riga);
    if (keys == TrainKeys{}) c.skipped(m.riga);
    Flow outcome = Flow::go_on;
    auto apply = [&](bool present_one, auto&& rule) {
      if (outcome == Flow::go_on && present_one) outcome = rule();
    };
    apply(keys.massa_frenata, [&] {
      c.read_into_row(84, RowMember::inizio);
      return Flow::go_on;
    });
    apply(keys.vetture, [&] {
      c.read_into_row(84, RowMember::posizione);
      return Flow::go_on;
    });
    apply(keys.velocita, [&] { return velocita(c, w); });
    apply(keys.aderenza, [&] { return aderenza(c, w); });
    apply(keys.clock, [&] {
      stazione& r86 = m.stazioni.at(86);
      r86.campo10 = c.reader->read_integer();
      note_row(c.provenance, 86, RowMembers(RowMember::campo10));
      r86.campo11 = c.reader->read_integer();
      note_row(c.provenance, 86, RowMembers(RowMember::campo11));
      r86.campo12 = c.reader->read_integer();
      note_row(c.provenance, 86, RowMembers(RowMember::campo12));
      return Flow::go_on;
    });
    apply(keys.sabbia, [&] {
      m.stazioni.at(86).campo7 = c.reader->read_integer();
      note_row(c.provenance, 86, RowMembers(RowMember::campo7));
      return Flow::go_on;
    });
    apply(keys.segnale, [&] { return segnale(c); });
    apply(keys.rallentamento, [&] { return rallentamento(c); });
    apply(keys.abbattimento, [&] { return abbattimento(c); });
    apply(keys.stazione, [&] { return train_station(c, w); });
    if (outcome == Flow::end_of_record) return true;
    if (outcome == Flow::end_of_load) return false;
  }
}

}  // namespace

void load_train(LoadState& c) {
  Model& m = c.m;
  c.open(LoadReport::treno, c.names.train_txt);
  // Everything before "[generale]" is skipped; without it nothing is read.
  while (!c.end_of_file()) {
    m.riga = c.text();
    if (opens_general(m.riga)) break;
  }
  Work w;
  if (!record(c, w)) return;
  c.close_and_delete();

  // The last speed and adhesion run to the end of the route. The source is
  // closed: a failure here is the fault of the record that gave the value
  // (or, for adhesion, pushed the pointer past the grid).
  const int64_t end_of_profiles = int64_t{m.celle_totali} - 2;
  apply_speed(c, w, end_of_profiles);
  const int64_t first = w.adhesion_pointer;
  charged_to(c, w.from_adhesion, [&] {
    fill(m.griglia, w.adhesion_pointer, end_of_profiles, [&](cella& k) { k.aderenza = basso8(w.aderenza); });
  });
  c.profile_filled(first, w.adhesion_pointer, CellMember::aderenza, w.adhesion_giver);

  // The chainage references must be whole multiples of 50.
  for (int r = 81; r <= 83; ++r) {
    const stazione& s = m.stazioni.at(r);
    if (s.inizio % 50 != 0 || s.fine % 50 != 0) {
      m.numero_errore = 2;
      c.diagnostic = {};
      c.diagnostic.source = LoadReport::linea;
    }
  }
}

}  // namespace compactor
