// The store procedures of the line records: chainage ordering, tunnels and
// speed indicator boards, called directly on a model.
#include "loader/line_records.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "model/errors.h"
#include "model/model.h"

namespace compactor {
namespace {

struct Rif {
  int32_t inizio = 0, fine = 0, posizione = 0;
  bool operator==(const Rif&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Rif& r) {
  return o << "(" << r.inizio << ", " << r.fine << ", " << r.posizione << ")";
}

// Rows 81, 82, 83 as read from the "tre", "due" and "uno" lines.
std::array<Rif, 3> sort_(const Rif& tre, const Rif& due, const Rif& uno) {
  Model m;
  const std::array<Rif, 3> count_read = {tre, due, uno};
  for (int k = 0; k < 3; ++k) {
    m.stazioni.at(81 + k).inizio = count_read[k].inizio;
    m.stazioni.at(81 + k).fine = count_read[k].fine;
    m.stazioni.at(81 + k).posizione = count_read[k].posizione;
  }
  progressive_ordina(m);
  std::array<Rif, 3> out;
  for (int k = 0; k < 3; ++k) {
    const stazione& s = m.stazioni.at(81 + k);
    out[k] = {s.inizio, s.fine, s.posizione};
  }
  return out;
}

struct OrderCase {
  const char* nome;
  Rif tre, due, uno;
  std::array<Rif, 3> expected;  // rows 81, 82, 83
};

class ProgressiveOrdina : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ProgressiveOrdina, RowsComeOutAsExpected) {
  const OrderCase& k = GetParam();
  EXPECT_EQ(sort_(k.tre, k.due, k.uno), k.expected);
}

const Rif kOne{31100, 3050, 0}, kTwo{284500, -284500, 0}, kThree{315950, 412050, 1};
const Rif kThreePlus100{315950, 412150, 1};

INSTANTIATE_TEST_SUITE_P(
    Casi, ProgressiveOrdina,
    ::testing::Values(
        // The carried references: already in order; the flag adds 100.
        OrderCase{"carried", kThree, kTwo, kOne, {kThreePlus100, kTwo, kOne}},
        // Read in any slot order they how out largest first, whole records.
        OrderCase{"reversed", kOne, kTwo, kThree, {kThreePlus100, kTwo, kOne}},
        OrderCase{"middle_first", kTwo, kThree, kOne, {kThreePlus100, kTwo, kOne}},
        OrderCase{"middle_last", kOne, kThree, kTwo, {kThreePlus100, kTwo, kOne}},
        OrderCase{"smallest_in_due", kThree, kOne, kTwo, {kThreePlus100, kTwo, kOne}},
        OrderCase{"largest_in_uno", kTwo, kOne, kThree, {kThreePlus100, kTwo, kOne}},
        // A tie for the top clears all three rows, flags included.
        OrderCase{"tie_for_top", {500, 10, 1}, {500, 20, 1}, {100, 30, 1}, {}},
        OrderCase{"all_equal", {700, 10, 0}, {700, 20, 0}, {700, 30, 0}, {}},
        // Equal lower two: "uno" before "due" before "tre".
        OrderCase{"tie_below_uno_first", {500, 1, 0}, {100, 2, 0}, {100, 3, 0}, {{{500, 1, 0}, {100, 3, 0}, {100, 2, 0}}}},
        OrderCase{"tie_below_due_before_tre", {100, 1, 0}, {100, 2, 0}, {500, 3, 0}, {{{500, 3, 0}, {100, 2, 0}, {100, 1, 0}}}},
        // The sum of the starts is 0: the second values decide.
        OrderCase{"only_uno_by_fine", {}, {}, {0, 3050, 0}, {{{0, 3050, 0}, {}, {}}}},
        OrderCase{"only_tre_by_fine", {0, 50, 0}, {}, {}, {{{0, 50, 0}, {}, {}}}},
        OrderCase{"due_by_fine", {0, 50, 0}, {0, 100, 0}, {}, {{{0, 100, 0}, {0, 50, 0}, {}}}},
        OrderCase{"uno_replaces_earlier", {0, 50, 0}, {0, 100, 0}, {0, 150, 0}, {{{0, 150, 0}, {0, 100, 0}, {0, 50, 0}}}},
        OrderCase{"no_positive_fine", {0, -50, 1}, {0, 0, 1}, {0, -100, 0}, {}},
        // Starts that cancel out count as a zero sum.
        OrderCase{"starts_cancel", {100, -50, 0}, {-100, 200, 0}, {0, 0, 0}, {{{-100, 200, 0}, {100, -50, 0}, {0, 0, 0}}}},
        // Only flag 1 adds 100, in every row and also to a negative value.
        OrderCase{"flags", {300, -300, 1}, {200, 25, 2}, {100, 412050, 1}, {{{300, -200, 1}, {200, 25, 2}, {100, 412150, 1}}}},
        OrderCase{"nothing", {}, {}, {}, {}}),
    [](const ::testing::TestParamInfo<OrderCase>& i) { return std::string(i.param.nome); });

// ---- Tunnels ----

Model grid_of(int32_t celle) {
  Model m;
  m.celle_totali = celle;
  m.griglia.resize(celle);
  return m;
}

struct Montagna {
  int32_t inizio, fine, tipo;
};

int32_t memo(Model& m, Montagna t) {
  memo_montagna(m, t.inizio, t.fine, t.tipo);
  return t.tipo;
}

std::vector<int64_t> markers(const Model& m) {
  std::vector<int64_t> out;
  for (int64_t k = 0; k <= m.griglia.last(); ++k)
    if (m.griglia.at(k).tipo == tipo_cella::marcatore_montagna) out.push_back(k);
  return out;
}

std::vector<int64_t> from_to_step(int64_t da, int64_t a, int64_t step) {
  std::vector<int64_t> out;
  for (int64_t k = da; k <= a; k += step) out.push_back(k);
  return out;
}

TEST(TunnelMemo, MarkedTunnelCoversItsCellsWithMarkersEveryFourth) {
  Model m = grid_of(400);
  EXPECT_EQ(memo(m, {8750, 11150, 12}), 2);  // the caller's type loses its 10
  EXPECT_EQ(m.numero_montagne, 1);
  EXPECT_EQ(m.montagna_inizio.at(1), 8750);
  EXPECT_EQ(m.montagna_fine.at(1), 11150);
  for (int64_t k = 170; k <= 230; ++k) EXPECT_EQ(m.griglia.at(k).montagna, (k >= 175 && k <= 222) ? 2 : 0) << k;
  EXPECT_EQ(markers(m), from_to_step(178, 222, 4));
}

TEST(TunnelMemo, UnmarkedTunnelSetsOnlyTheType) {
  Model m = grid_of(6820);
  EXPECT_EQ(memo(m, {292600, 292850, 2}), 2);
  for (int64_t k = 5850; k <= 5858; ++k) EXPECT_EQ(m.griglia.at(k).montagna, (k >= 5852 && k <= 5856) ? 2 : 0) << k;
  EXPECT_TRUE(markers(m).empty());
}

TEST(TunnelMemo, CellRangeIsRoundedAsAWholeHalvesToEven) {
  // 8725 / 50 = 174.5 -> 174; 8875 / 50 - 1 = 176.5 -> 176 (not 178 - 1).
  Model m = grid_of(400);
  memo(m, {8725, 8875, 1});
  for (int64_t k = 172; k <= 179; ++k) EXPECT_EQ(m.griglia.at(k).montagna, (k >= 174 && k <= 176) ? 1 : 0) << k;
  // 8775 / 50 = 175.5 -> 176.
  Model m2 = grid_of(400);
  memo(m2, {8775, 9000, 1});
  EXPECT_EQ(m2.griglia.at(175).montagna, 0);
  EXPECT_EQ(m2.griglia.at(176).montagna, 1);
}

TEST(TunnelMemo, GapAfterThePreviousTunnelDecidesType3) {
  struct Case {
    int32_t gap;
    int32_t expected_kind;
  };
  for (const Case& k : {Case{100, 3}, Case{150, 3}, Case{0, 3}, Case{-500, 3}, Case{151, 1}, Case{1000, 1}}) {
    SCOPED_TRACE(k.gap);
    Model m = grid_of(400);
    memo(m, {1000, 2000, 2});
    EXPECT_EQ(memo(m, {2000 + k.gap, 4000, 1}), k.expected_kind);
    EXPECT_EQ(m.griglia.at(70).montagna, k.expected_kind);
  }
  // The first tunnel has no previous one, however close to 0 it lies.
  Model m = grid_of(400);
  EXPECT_EQ(memo(m, {100, 1000, 1}), 1);
}

TEST(TunnelMemo, GapIsMeasuredFromThePreviousInSourceOrder) {
  Model m = grid_of(400);
  memo(m, {5000, 6000, 1});
  memo(m, {1000, 2000, 1});  // starts long before the previous one ends: type 3
  EXPECT_EQ(m.griglia.at(25).montagna, 3);
  EXPECT_EQ(memo(m, {2200, 3000, 2}), 2);  // 200 m after the one just before
}

TEST(TunnelMemo, MarkedTunnelRightAfterAnotherTurnsType3AndKeepsItsMarkers) {
  Model m = grid_of(400);
  memo(m, {8750, 11150, 12});
  EXPECT_EQ(memo(m, {11250, 12000, 12}), 3);
  for (int64_t k = 225; k <= 239; ++k) EXPECT_EQ(m.griglia.at(k).montagna, 3) << k;
  std::vector<int64_t> expected_ = from_to_step(178, 222, 4);
  for (int64_t k : {228, 232, 236}) expected_.push_back(k);
  EXPECT_EQ(markers(m), expected_);
}

TEST(TunnelMemo, MarkerLeavesATakenCellAlone) {
  Model m = grid_of(400);
  m.griglia.at(178).tipo = tipo_cella::indicatore_v_max;
  m.griglia.at(182).tipo = tipo_cella::marcatore_montagna;  // already a marker: stays one
  memo(m, {8750, 11150, 12});
  EXPECT_EQ(m.griglia.at(178).tipo, tipo_cella::indicatore_v_max);
  EXPECT_EQ(m.griglia.at(178).montagna, 2);
  EXPECT_EQ(m.griglia.at(182).tipo, tipo_cella::marcatore_montagna);
  EXPECT_EQ(m.griglia.at(186).tipo, tipo_cella::marcatore_montagna);
}

TEST(TunnelMemo, TunnelShorterThanACellTouchesNothingButIsCounted) {
  Model m = grid_of(400);
  memo(m, {100, 120, 12});
  EXPECT_EQ(m.numero_montagne, 1);
  EXPECT_EQ(m.montagna_inizio.at(1), 100);
  EXPECT_EQ(m.montagna_fine.at(1), 120);
  for (const cella& c : m.griglia.celle()) EXPECT_EQ(c, cella{});
  // It still counts as the previous tunnel of the next one.
  EXPECT_EQ(memo(m, {250, 1000, 1}), 3);
}

TEST(TunnelMemo, TypeKeepsItsLowByteInTheCells) {
  Model m = grid_of(400);
  EXPECT_EQ(memo(m, {1000, 1100, 266}), 256);  // marked, 256 -> byte 0
  EXPECT_EQ(m.griglia.at(20).montagna, 0);
  EXPECT_EQ(memo(m, {5000, 5100, 10}), 10);  // 10 is not above 10: unmarked
  EXPECT_EQ(m.griglia.at(100).montagna, 10);
  EXPECT_EQ(m.griglia.at(101).tipo, 0);
}

TEST(TunnelMemo, EightyFirstTunnelFailsAndAnEndPastTheGridFailsAfterItsCells) {
  Model m = grid_of(400);
  for (int n = 1; n <= 80; ++n) memo(m, {n * 200, n * 200 + 100, 1});
  EXPECT_EQ(m.montagna_inizio.at(80), 16000);
  EXPECT_THROW(memo(m, {17000, 17100, 1}), LoadFailure);

  Model g = grid_of(200);
  EXPECT_THROW(memo(g, {9800, 10500, 12}), LoadFailure);
  for (int64_t k = 196; k <= 200; ++k) EXPECT_EQ(g.griglia.at(k).montagna, 2) << k;
  EXPECT_EQ(markers(g), std::vector<int64_t>{199});

  Model n = grid_of(200);
  EXPECT_THROW(memo(n, {-100, 100, 1}), LoadFailure);  // a negative cell
}

// ---- Speed indicator boards ----

struct Board {
  int32_t posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced;
};

void memo(Model& m, Board t) {
  memo_indicatori_v_max(m, t.posizione, t.vas, t.vbs, t.vcs, t.strisces, t.vad, t.vbd, t.vcd, t.strisced);
}

TEST(SpeedBoardMemo, BoardValues) {
  struct Case {
    Board t;
    int64_t cella;
    std::array<int16_t, 4> dati;
  };
  const Case cases[] = {
      {{26350, 130, 140, 145, 2, 130, 140, 145, 2}, 528, {2626, 2828, 2929, 22}},
      {{1000, 90, 95, 100, 0, 0, 0, 0, 0}, 21, {1800, 1900, 2000, 0}},
      {{46950, 150, 160, 170, 0, 150, 160, 170, 0}, 940, {3030, 3232, 3434, 0}},  // the carried 170
      {{1000, 130, 0, 0, 0, 137, 0, 0, 0}, 21, {2627, 0, 0, 0}},  // 2600 + 27.4
      {{1000, 130, 0, 0, 0, 138, 0, 0, 0}, 21, {2628, 0, 0, 0}},  // 2600 + 27.6
      {{1000, 0, 0, 0, 1, -3, 0, 0, -12}, 21, {-1, 0, 0, -2}},   // -0.6 rounds to -1
      {{8775, 1, 1, 1, 1, 0, 0, 0, 0}, 176, {20, 20, 20, 10}},   // 175.5 + 1 = 176.5 -> 176
      {{8725, 1, 1, 1, 1, 0, 0, 0, 0}, 176, {20, 20, 20, 10}},   // 174.5 + 1 = 175.5 -> 176
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.t.posizione);
    Model m = grid_of(6820);
    memo(m, k.t);
    EXPECT_EQ(m.numero_errore, 0);
    const cella& c = m.griglia.at(k.cella);
    EXPECT_EQ(c.tipo, tipo_cella::indicatore_v_max);
    EXPECT_EQ((std::array<int16_t, 4>{c.dato1, c.dato2, c.dato3, c.dato4}), k.dati);
  }
}

TEST(SpeedBoardMemo, TakenCellIsError21AndStoresNothing) {
  for (uint8_t tipo : {tipo_cella::indicatore_v_max, tipo_cella::cartello, tipo_cella::segnale, tipo_cella::fermata}) {
    SCOPED_TRACE(int{tipo});
    Model m = grid_of(400);
    m.griglia.at(21).tipo = tipo;
    m.griglia.at(21).dato1 = 7;
    memo(m, {1000, 90, 95, 100, 1, 90, 95, 100, 1});
    EXPECT_EQ(m.numero_errore, 21);
    EXPECT_EQ(m.posizione_errore, 0);  // the caller sets it
    EXPECT_EQ(m.griglia.at(21).tipo, tipo);
    EXPECT_EQ(m.griglia.at(21).dato1, 7);
  }
}

TEST(SpeedBoardMemo, ReplacesATunnelMarker) {
  Model m = grid_of(400);
  memo(m, Montagna{8750, 11150, 12});
  ASSERT_EQ(m.griglia.at(178).tipo, tipo_cella::marcatore_montagna);
  memo(m, {8850, 100, 100, 100, 0, 0, 0, 0, 0});
  EXPECT_EQ(m.numero_errore, 0);
  EXPECT_EQ(m.griglia.at(178).tipo, tipo_cella::indicatore_v_max);
  EXPECT_EQ(m.griglia.at(178).montagna, 2);
}

TEST(SpeedBoardMemo, ValuesOutside16BitsAndCellsOutsideTheGridFail) {
  {
    Model m = grid_of(400);
    memo(m, {1000, 1638, 0, 0, 3276, 35, 0, 0, 7});  // 32760 + 7 and 32760 + 7: the largest that fit
    EXPECT_EQ(m.griglia.at(21).dato1, 32767);
    EXPECT_EQ(m.griglia.at(21).dato4, 32767);
  }
  const Board refused_[] = {
      {1000, 1638, 0, 0, 0, 40, 0, 0, 0},   // 32768
      {1000, 0, 0, -1639, 0, 0, 0, 0, 0},   // -32780
      {1000, 0, 0, 0, 3276, 0, 0, 0, 8},    // 32768
      {20000, 0, 0, 0, 0, 0, 0, 0, 0},      // cell 401 of 0..400
      {-100, 0, 0, 0, 0, 0, 0, 0, 0},       // cell -1
  };
  for (const Board& t : refused_) {
    SCOPED_TRACE(t.posizione);
    Model m = grid_of(400);
    EXPECT_THROW(memo(m, t), LoadFailure);
  }
}

}  // namespace
}  // namespace compactor
