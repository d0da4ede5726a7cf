// The line half of the loader: the route's length, references, gradients,
// plan, tunnels, speed indicator boards and signboards.
#include <algorithm>
#include <array>

#include "loader/rounding.h"
#include "loader/load_state.h"
#include "loader/line_records.h"
#include "sources/key_words.h"

namespace compactor {
namespace {

constexpr int64_t kMostLength = 1'000'000;
constexpr int64_t kMostPoints = 1'000'000;

double curvature(int class_) {
  static constexpr std::array<double, 7> k = {0.0, 0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  return k[static_cast<size_t>(class_)];
}

// Working values of the record part.
struct Work {
  int64_t gradient_pointer = 0;
  int32_t pendenza = 0;
  int32_t gradient_giver = kNoRecord;  // the record that gave it
};

// The points of the plan from its index through `up_to`, each continuing the
// last step; with k not 0 each step also turns by about k radians.
void next_points(Planimetria& p, int64_t up_to, double k) { p.extend_stretch(up_to, k); }

// General section: returns false when loading ends.
bool sezione_generale(LoadState& c) {
  Model& m = c.m;
  for (;;) {
    c.record_ends();
    if (c.end_of_file()) return true;
    m.riga = c.text();
    if (c.end_of_file()) return true;
    for (int times = 0; times < 10; ++times)
      if (has_dash(m.riga)) m.riga = c.text();
    c.record_begins();
    const GeneralKeys keys = chiavi_generali(m.riga);

    if (keys.lunghezza_percorso) {
      const int32_t lunghezza = c.numero();
      m.stazioni.at(84).fine = lunghezza;
      note_row(c.provenance, 84, RowMembers(RowMember::fine));
      if (lunghezza > kMostLength) {
        c.stop(1, c.here());
        return false;
      }
      m.metri_totali = in_long(metri_del_percorso(lunghezza));
      m.celle_totali = in_long(ultima_cella(m.metri_totali));
      m.griglia.resize(m.celle_totali);
      if (m.con_planimetria != 0) m.planimetria.resize(m.metri_totali);
    }
    const std::array<std::pair<bool, int>, 3> references = {
        {{keys.progressiva_tre, 81}, {keys.progressiva_due, 82}, {keys.progressiva_uno, 83}}};
    for (const auto& [read_it, r] : references) {
      if (!read_it) continue;
      c.read_into_row(r, RowMember::inizio);
      c.read_into_row(r, RowMember::fine);
      c.read_into_row(r, RowMember::posizione);
    }
    if (keys.sfondo_uno) c.read_into_row(85, RowMember::inizio);
    if (keys.sfondo_due) c.read_into_row(85, RowMember::posizione);
    if (keys.sfondo_tre) c.read_into_row(85, RowMember::fine);
    if (keys.signal_repetition) {
      const auto key = c.here();
      stazione& r86 = m.stazioni.at(86);
      c.read_into_row(86, RowMember::inizio);
      const auto where_start = c.here();
      c.read_into_row(86, RowMember::fine);
      const auto where_end = c.here();
      int errore = 0;
      LoadState::Place where;
      if (r86.inizio % 50 != 0) {
        errore = 3;
        where = where_start;
      } else if (r86.fine % 50 != 0) {
        errore = 4;
        where = where_end;
      } else if (const int codes = repeat_codes(m.riga); codes != 0) {
        r86.posizione = codes;
        note_row(c.provenance, 86, RowMembers(RowMember::posizione));
      } else {
        // Neither "4" nor "9": the number of codes stays as it was.
        errore = 5;
        where = key;
      }
      if (errore != 0) {
        c.stop(errore, where);
        return false;
      }
      if (r86.fine == 0) {
        r86.posizione = 0;
        note_row(c.provenance, 86, RowMembers(RowMember::posizione));
      }
    }
    if (closes_general_section(m.riga)) return true;
    if (keys == GeneralKeys{}) c.skipped(m.riga);
  }
}


Flow pendenza(LoadState& c, Work& w) {
  Model& m = c.m;
  const int32_t chainage = c.numero();
  const auto where = c.here();
  const int32_t valore = c.numero();
  if (!c.inside(chainage, 100, where)) return Flow::end_of_record;
  const int64_t n = round_half_even(chainage / 50.0);
  // The cells before this gradient get the one before it; the first cell is
  // written even when the fill pointer already stands at or past n.
  if (n > 0) {
    const int64_t first = w.gradient_pointer;
    fill(m.griglia, w.gradient_pointer, n, [&](cella& k) { k.pendenza = basso8(int64_t{w.pendenza} + 100); });
    c.profile_filled(first, w.gradient_pointer, CellMember::pendenza, w.gradient_giver);
  }
  w.pendenza = valore;
  w.gradient_giver = c.record;
  c.recorded(RecordKind::pendenza, chainage, where);
  return Flow::go_on;
}

Flow curva(LoadState& c) {
  Model& m = c.m;
  const auto key = c.here();
  const int32_t inizio = c.numero();
  const auto where = c.here();
  const int32_t lunghezza = c.numero();
  if (!c.inside(inizio, 100, where)) return Flow::end_of_record;
  const int class_ = curve_class(m.riga);
  if (class_ == 0) return c.stop(103, key);
  const double k = curva_s(m.riga) ? -curvature(class_) : curvature(class_);
  Planimetria& p = m.planimetria;
  const int64_t fine = int64_t{inizio} + lunghezza;
  for (int stretch = 0; stretch < 2; ++stretch) {
    const int64_t last = stretch == 0 ? inizio : fine;
    // One call reaches `last`, or stops past the last point a plan may
    // hold.
    if (p.next() <= last) {
      next_points(p, std::min(last, kMostPoints), stretch == 0 ? 0.0 : k);
      if (p.next() > kMostPoints) return c.stop(103, where);
    }
  }
  c.recorded(RecordKind::curva, inizio, where);
  return Flow::go_on;
}

Flow montagna(LoadState& c) {
  int32_t inizio = c.numero();
  const auto where = c.here();
  int32_t fine = c.numero();
  int32_t tipo = c.numero();
  if (!c.inside(inizio, 100, where)) return Flow::end_of_record;
  memo_montagna(c.m, inizio, fine, tipo, c.provenance);
  c.recorded(RecordKind::montagna, inizio, where);
  return Flow::go_on;
}

Flow indicatori(LoadState& c) {
  const int32_t posizione = c.numero();
  const auto where = c.here();
  std::array<int32_t, 8> v{};
  for (int32_t& x : v) x = c.numero();
  if (!c.inside(posizione, 100, where)) return Flow::end_of_record;
  const bool on_marker =
      c.m.griglia.at(round_half_even(posizione / 50.0 + 1)).tipo == tipo_cella::marcatore_montagna;
  memo_indicatori_v_max(c.m, posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], c.provenance);
  if (c.m.numero_errore > 0) return c.stop(c.m.numero_errore, posizione, where);
  if (on_marker) c.replaced(RecordKind::indicatore_v_max, posizione, where);
  c.recorded(RecordKind::indicatore_v_max, posizione, where);
  return Flow::go_on;
}

Flow cartello(LoadState& c) {
  Model& m = c.m;
  const int32_t chainage = c.numero();
  const auto where = c.here();
  m.riga = c.text();
  if (m.riga.size() > testo_massimo) throw LoadFailure("sign text longer than 32767 bytes");
  if (!c.inside(chainage, 100, where)) return Flow::end_of_record;
  const int64_t k = round_half_even(chainage / 50.0 + 1);
  cella& cell = m.griglia.at(k);
  if (!free_cell(cell)) return c.stop(6, chainage, where);
  // Signboard rows count down from 80 without a check of their own: the
  // 81st takes row 0 and the 82nd fails on its row, after its cell is set.
  if (cell.tipo == tipo_cella::marcatore_montagna) c.replaced(RecordKind::cartello, chainage, where);
  cell.tipo = tipo_cella::cartello;
  cell.dato1 = basso16(c.next_board_row);
  note_cells(c.provenance, k, k, CellMembers(CellMember::tipo, CellMember::dato1));
  m.stazioni.at(c.next_board_row).nome = m.riga;
  note_row(c.provenance, c.next_board_row, RowMembers(RowMember::nome));
  --c.next_board_row;
  c.recorded(RecordKind::cartello, chainage, where);
  return Flow::go_on;
}

// Record part: returns false when loading ends.
bool record_part(LoadState& c, Work& w) {
  Model& m = c.m;
  for (;;) {
    c.record_ends();
    if (!c.read_key()) return true;
    c.record_begins();
    const LineKeys keys = chiavi_linea(m.riga);
    const bool curve_read = keys.curva && m.con_planimetria != 0;
    if (!keys.pendenza && !curve_read && !keys.montagna && !keys.indicatori_v && !keys.cartello_indicatore)
      c.skipped(m.riga);
    Flow outcome = Flow::go_on;
    if (keys.pendenza) outcome = pendenza(c, w);
    if (outcome == Flow::go_on && curve_read) outcome = curva(c);
    if (outcome == Flow::go_on && keys.montagna) outcome = montagna(c);
    if (outcome == Flow::go_on && keys.indicatori_v) outcome = indicatori(c);
    if (outcome == Flow::go_on && keys.cartello_indicatore) outcome = cartello(c);
    if (outcome == Flow::end_of_record) return true;
    if (outcome == Flow::end_of_load) return false;
  }
}

}  // namespace

bool load_line(LoadState& c) {
  Model& m = c.m;
  m.stazioni.at(85).nome = m.nome_percorso;
  m.stazioni.at(86).nome = m.nome_treno;
  if (!c.files.exists(c.names.line_txt)) {
    m.numero_errore = 101;
    return false;
  }
  c.open(LoadReport::linea, c.names.line_txt);

  // Everything before "[generale]" is skipped.
  do {
    m.riga = c.text();
    if (c.end_of_file()) {
      c.stop(102, c.here());
      return false;
    }
  } while (!opens_general(m.riga));

  if (!sezione_generale(c)) return false;
  const std::array<int, 3> from = progressive_ordina(m);
  if (c.provenance) c.provenance->rows_reordered(from);

  m.numero_montagne = 0;
  c.next_board_row = 80;
  Work w;
  if (m.con_planimetria != 0) m.planimetria.seed();
  if (!record_part(c, w)) return false;
  c.close_and_delete();

  // The last gradient runs to the end of the route.
  const int64_t first = w.gradient_pointer;
  fill(m.griglia, w.gradient_pointer, int64_t{m.celle_totali} - 2,
         [&](cella& k) { k.pendenza = basso8(int64_t{w.pendenza} + 100); });
  c.profile_filled(first, w.gradient_pointer, CellMember::pendenza, w.gradient_giver);
  // And the route runs straight from its last curve to the end of the plan.
  if (m.con_planimetria != 0)
    next_points(m.planimetria, int64_t{m.metri_totali} - 2, 0.0);
  return true;
}

}  // namespace compactor
