#include "compiler/finishing_pass.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "model/variant.h"

namespace compactor {
namespace {

constexpr int16_t drop_code = 180;
constexpr int16_t speed_without_drops = 110;  // km/h: no drops inside from here on
constexpr int64_t cells_before_the_warning = 20;       // 1 km of look-back from a board
constexpr int64_t cells_after_the_end = 12;            // 600 m after a slowdown's end
constexpr int64_t drop_step = 8;             // 400 m between drops inside

// One pass over the grid, and the feature whose drops are being placed: a
// warning board or a slowdown's start. The sink, when given, hears of each
// drop and of that cause.
struct Pass {
  Model& m;
  ProvenanceSink* sink;
  int64_t cause = 0;

  Griglia& g() { return m.griglia; }

  void record_it(int32_t numero, int64_t k) {
    m.numero_errore = numero;
    m.posizione_errore = static_cast<int32_t>(k * 50);
  }

  void mark(int64_t k) {
    cella& c = g().at(k);
    c.tipo = tipo_cella::abbattimento;
    c.dato1 = drop_code;
    if (sink) sink->drop_placed(k, CellMembers(CellMember::tipo, CellMember::dato1), cause);
  }
};

// A cell beyond the grid is never free: nothing is marked there.
bool free_within(const Griglia& g, int64_t k) { return g.contains(k) && free_cell(g.at(k)); }

// Marks the first free cell of `candidate`, in order; false when none is.
bool mark_the_first_free(Pass& p, std::initializer_list<int64_t> candidate) {
  for (int64_t k : candidate) {
    if (free_within(p.g(), k)) {
      p.mark(k);
      return true;
    }
  }
  return false;
}

// An existing drop keeps its place, its code lowered to at most 180.
bool lower_drop(Pass& p, int64_t k) {
  cella& c = p.g().at(k);
  if (c.tipo != tipo_cella::abbattimento) return false;
  c.dato1 = minimo(Variant::intero16(drop_code), Variant::intero16(c.dato1)).i;
  if (p.sink) p.sink->drop_placed(k, CellMembers(CellMember::dato1), p.cause);
  return true;
}

// Every signal within the 20 cells before the board gets a drop just ahead.
void warning_board(Pass& p, int64_t i) {
  Griglia& g = p.g();
  for (int64_t a = 1; a <= cells_before_the_warning; ++a) {
    const int64_t s = i - a;
    if (s < 3) break;
    if (g.at(s).tipo != tipo_cella::segnale) continue;
    if (mark_the_first_free(p, {s - 1, s - 2})) continue;
    if (lower_drop(p, s - 1) || lower_drop(p, s - 2)) continue;
    p.record_it(11, s);
  }
}

// The three drops ahead of a start, each in the first free cell of its window.
void drops_before_the_start(Pass& p, int64_t i) {
  static constexpr std::array<std::array<int64_t, 3>, 3> windows{{{5, 6, 7}, {11, 12, 13}, {18, 19, 20}}};
  for (const auto& f : windows) {
    if (i <= f[2]) continue;  // the window would reach cell 0 or before
    if (!mark_the_first_free(p, {i - f[0], i - f[1], i - f[2]})) p.record_it(12, i);
  }
}

// Walks forward from the start cell to the slowdown's end cell, or to the
// grid's last cell when no end comes first, and returns it. With drops, one
// falls due every 8 cells counted from the drop actually placed; the count
// is tested before the end, so a drop due on the end cell goes next to it.
int64_t walk_slowdown(Pass& p, int64_t i, bool with_drops) {
  Griglia& g = p.g();
  const int64_t last = g.last();
  int64_t k = i;
  int64_t n = 0;
  for (;;) {
    ++k;
    ++n;
    if (with_drops && n == drop_step) {
      if (free_within(g, k)) {
        p.mark(k);
        n = 0;
      } else if (free_within(g, k - 1)) {
        p.mark(k - 1);
        n = 1;
      } else if (free_within(g, k + 1)) {
        p.mark(k + 1);
        n = -1;
      } else {
        // n runs past 8 from here: no more drops in this slowdown.
        p.record_it(13, k);
      }
    }
    if (g.at(k).tipo == tipo_cella::fine_rallentamento || k == last) return k;
  }
}

// The first signal from the end cell t to 12 cells after it gets a drop ahead.
void drop_after_the_end(Pass& p, int64_t t) {
  Griglia& g = p.g();
  const int64_t up_to = std::min(t + cells_after_the_end, g.last());
  for (int64_t x = t; x <= up_to; ++x) {
    if (g.at(x).tipo != tipo_cella::segnale) continue;
    const int64_t k = x - 1;
    if (k > 0 && !mark_the_first_free(p, {k, k - 1})) p.record_it(13, t);
    return;
  }
}

void inizio_rallentamento(Pass& p, int64_t i) {
  drops_before_the_start(p, i);
  // A fast slowdown gets no drops inside, but its end is still found so that
  // the signal after it is treated like any other.
  const bool slow = p.g().at(i).dato1 < speed_without_drops;
  const int64_t fine = walk_slowdown(p, i, slow);
  drop_after_the_end(p, fine);
}

}  // namespace

void finishing_pass(Model& m, ProvenanceSink* sink) {
  if (!m.griglia.sized()) return;
  Pass p{m, sink};
  // The last two cells are never looked at as a board or a start.
  const int64_t last_examined = m.griglia.last() - 2;
  for (int64_t i = 1; i <= last_examined; ++i) {
    const uint8_t tipo = m.griglia.at(i).tipo;
    if (tipo == tipo_cella::avviso) {
      p.cause = i;
      warning_board(p, i);
    } else if (tipo == tipo_cella::inizio_rallentamento) {
      p.cause = i;
      inizio_rallentamento(p, i);
    }
  }
}

}  // namespace compactor
