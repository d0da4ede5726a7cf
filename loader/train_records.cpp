#include "loader/train_records.h"

#include "loader/rounding.h"

namespace compactor {

void memo_segnale(Model& m, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2, int32_t& s3,
                  int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3, int32_t& tempo,
                  ProvenanceSink* sink) {
  const int64_t j = round_half_even(posizione / 50.0 + 1);
  cella& c = m.griglia.at(j);
  if (!free_cell(c)) {
    m.numero_errore = 16;
    return;
  }
  c.tipo = tipo_cella::segnale;
  c.dato4 = basso16(int64_t{rapp} * 10 + int64_t{sx} * 3 + dx);
  c.dato1 = basso16(int64_t{s1} * 10 + d1);
  c.dato2 = basso16(int64_t{s2} * 10 + d2);
  c.dato3 = basso16(int64_t{s3} * 10 + d3);
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  c.tempo = sx == 2 ? basso8(tempo) : 0;
  note_cells(sink, j, j,
             CellMembers(CellMember::tipo, CellMember::dato1, CellMember::dato2, CellMember::dato3, CellMember::dato4,
                         CellMember::tempo));
  // Approach codes 100, 200, 300 and 400 m before the signal, untested.
  for (int k = 1; k <= 4; ++k) {
    m.griglia.at(j - 2 * k).preavviso = basso8((int64_t{sx} * 3 + dx) * 10 + k);
    note_cells(sink, j - 2 * k, j - 2 * k, CellMembers(CellMember::preavviso));
  }
}

void memo_rallentamento(Model& m, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt, int32_t f_ta,
                        int32_t& d_v, ProvenanceSink* sink) {
  const int64_t s = round_half_even(x / 50.0 + 1);
  const int64_t e = round_half_even((int64_t{x} + l) / 50.0 + 1);
  const int64_t w = round_half_even((int64_t{x} - 1200) / 50.0 + 1);
  const int64_t b = round_half_even((int64_t{x} - 1200) / 50.0);
  Griglia& g = m.griglia;

  // Close to the start of the route there is no room for a warning board.
  const bool with_warning = x > 1500;
  if (with_warning) {
    if (!free_cell(g.at(w))) {
      m.numero_errore = 17;
      return;
    }
  } else {
    f_ta = 0;
  }
  if (!free_cell(g.at(s))) {
    m.numero_errore = 18;
    return;
  }
  if (!free_cell(g.at(e))) {
    m.numero_errore = 19;
    return;
  }
  // dato2 only with a value to put there.
  const CellMembers with_dato2 = d_v != 0 ? CellMembers(CellMember::dato2) : CellMembers();
  g.at(e).tipo = tipo_cella::fine_rallentamento;
  if (d_v != 0) g.at(e).dato2 = basso16(d_v);
  g.at(s).tipo = tipo_cella::inizio_rallentamento;
  if (d_v != 0) g.at(s).dato2 = basso16(d_v);
  if (with_warning) {
    g.at(w).tipo = tipo_cella::avviso;
    if (d_v != 0) g.at(w).dato2 = basso16(d_v);
    g.at(w).dato1 = basso16(v);
    note_cells(sink, w, w, CellMembers(CellMember::tipo, CellMember::dato1) | with_dato2);
  }
  g.at(s).dato1 = basso16(v);
  g.at(e).dato1 = basso16(v);
  g.at(s).dato3 = basso16(f_tt);
  g.at(e).dato3 = basso16(f_tt);
  for (const int64_t k : {s, e})
    note_cells(sink, k, k, CellMembers(CellMember::tipo, CellMember::dato1, CellMember::dato3) | with_dato2);
  if (f_ta != 0) {
    for (int i = 0; i < 4; ++i)
      if (!free_cell(g.at(b - i))) {
        m.numero_errore = 20;
        return;
      }
    for (int i = 0; i < 4; ++i) {
      cella& c = g.at(b - i);
      c.tipo = tipo_cella::preavviso_avviso;
      c.dato1 = static_cast<int16_t>(i + 1);
      if (d_v != 0) c.dato2 = static_cast<int16_t>(i + 1);
    }
    note_cells(sink, b - 3, b, CellMembers(CellMember::tipo, CellMember::dato1) | with_dato2);
  }
}

}  // namespace compactor
