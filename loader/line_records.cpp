#include "loader/line_records.h"

#include <algorithm>
#include <array>

#include "loader/rounding.h"

namespace compactor {
namespace {

struct Reference {
  int32_t inizio = 0, fine = 0, posizione = 0;
};

Reference read_line(const Model& m, int r) {
  const stazione& s = m.stazioni.at(r);
  return {s.inizio, s.fine, s.posizione};
}

void write_line(Model& m, int r, const Reference& v) {
  stazione& s = m.stazioni.at(r);
  s.inizio = v.inizio;
  s.fine = v.fine;
  s.posizione = v.posizione;
}

}  // namespace

std::array<int, 3> progressive_ordina(Model& m) {
  const Reference r81 = read_line(m, 81), r82 = read_line(m, 82), r83 = read_line(m, 83);
  // The row each new row 81 + k takes its values from; 0 clears it.
  std::array<int, 3> from{};
  const int64_t sum = int64_t{r81.inizio} + r82.inizio + r83.inizio;
  if (sum != 0) {
    // Largest first; between equals the "uno" record (row 83) goes before
    // "due" (82) before "tre" (81). A tie for the top clears all three.
    const std::array<int, 3> lines = {83, 82, 81};
    const std::array<Reference, 3> count_read = {r83, r82, r81};
    int most = 0;
    for (int k = 1; k < 3; ++k)
      if (count_read[k].inizio > count_read[most].inizio) most = k;
    bool unique_ = true;
    for (int k = 0; k < 3; ++k)
      if (k != most && count_read[k].inizio == count_read[most].inizio) unique_ = false;
    if (unique_) {
      from[0] = lines[most];
      int a = -1, b = -1;
      for (int k = 0; k < 3; ++k)
        if (k != most) (a < 0 ? a : b) = k;
      // a precedes b in the uno-due-tre order, so a wins a tie.
      if (count_read[b].inizio > count_read[a].inizio) std::swap(a, b);
      from[1] = lines[a];
      from[2] = lines[b];
    }
  } else {
    if (r81.fine > 0) from = {81, 82, 83};
    if (r82.fine > 0) from = {82, 81, 83};
    if (r83.fine > 0) from = {83, 82, 81};
  }
  const std::array<Reference, 3> read_ones = {r81, r82, r83};
  for (int k = 0; k < 3; ++k) {
    Reference outcome = from[k] == 0 ? Reference{} : read_ones[static_cast<size_t>(from[k] - 81)];
    if (outcome.posizione == 1) outcome.fine = in_long(int64_t{outcome.fine} + 100);
    write_line(m, 81 + k, outcome);
  }
  return from;
}

void memo_montagna(Model& m, int32_t& inizio, int32_t& fine, int32_t& tipo, ProvenanceSink* sink) {
  const bool marked = tipo > 10;
  if (marked) tipo -= 10;
  const int32_t n = ++m.numero_montagne;
  m.montagna_inizio.at(n) = inizio;
  m.montagna_fine.at(n) = fine;
  // A tunnel that starts right after the one before it is of type 3.
  if (n > 1 && int64_t{m.montagna_inizio.at(n)} - m.montagna_fine.at(n - 1) <= 150) tipo = 3;
  const int64_t a = round_half_even(inizio / 50.0);
  const int64_t b = round_half_even(fine / 50.0 - 1);
  // The cells the loop reaches before it would step off the grid.
  if (a >= 0 && b >= a) note_cells(sink, a, std::min(b, m.griglia.last()), CellMembers(CellMember::montagna));
  int64_t count = 0;
  for (int64_t k = a; k <= b; ++k) {
    cella& c = m.griglia.at(k);
    c.montagna = basso8(tipo);
    ++count;
    if (marked && count % 4 == 0 && c.tipo == tipo_cella::nothing) {
      c.tipo = tipo_cella::marcatore_montagna;
      note_cells(sink, k, k, CellMembers(CellMember::tipo));
    }
  }
}

void memo_indicatori_v_max(Model& m, int32_t posizione, int32_t& vas, int32_t& vbs, int32_t& vcs,
                           int32_t& strisces, int32_t& vad, int32_t& vbd, int32_t& vcd, int32_t& strisced,
                           ProvenanceSink* sink) {
  const int64_t k = round_half_even(posizione / 50.0 + 1);
  cella& c = m.griglia.at(k);
  if (!free_cell(c)) {
    m.numero_errore = 21;
    return;
  }
  // Told first: a value that does not fit stops the load half-way through.
  note_cells(sink, k, k, CellMembers(CellMember::tipo, CellMember::dato1, CellMember::dato2, CellMember::dato3, CellMember::dato4));
  c.tipo = tipo_cella::indicatore_v_max;
  c.dato1 = in_integer(round_half_even(vas * 20.0 + vad / 5.0));
  c.dato2 = in_integer(round_half_even(vbs * 20.0 + vbd / 5.0));
  c.dato3 = in_integer(round_half_even(vcs * 20.0 + vcd / 5.0));
  c.dato4 = in_integer(int64_t{strisces} * 10 + strisced);
}

}  // namespace compactor
