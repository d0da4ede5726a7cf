// memo_segnale and memo_rallentamento on a grid of their own: what each
// stores, where, and what it leaves when a cell is taken.
#include "loader/train_records.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "model/errors.h"
#include "model/model.h"

namespace compactor {
namespace {

// The grid of a 334 km route: cells 0 to 6820.
constexpr int32_t kCells = 6820;

Model model() {
  Model m;
  m.celle_totali = kCells;
  m.griglia.resize(kCells);
  return m;
}

struct Segnale {
  int32_t posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

// The signal of "segnale,   29850,   2, 4, 1,  0, 0,    2,  2,1,0, 0".
constexpr Segnale kSegnale29850{29850, 2, 4, 1, 0, 0, 2, 2, 1, 0, 0};

Segnale a(int32_t posizione, Segnale s = kSegnale29850) {
  s.posizione = posizione;
  return s;
}

// Calls memo_segnale and returns the `tempo` the caller is left with.
int32_t memo(Model& m, Segnale s) {
  memo_segnale(m, s.posizione, s.sx, s.s1, s.s2, s.s3, s.rapp, s.dx, s.d1, s.d2, s.d3, s.tempo);
  return s.tempo;
}

struct Rallentamento {
  int32_t x, v, l, f_tt, f_ta, d_v;
};

// x 20650, v 60, l 1000, f_tt 1, f_ta 1, d_v 0.
constexpr Rallentamento kRallentamento20650{20650, 60, 1000, 1, 1, 0};

void memo(Model& m, Rallentamento r) { memo_rallentamento(m, r.x, r.v, r.l, r.f_tt, r.f_ta, r.d_v); }

// Indices of the cells that differ between two grids.
std::set<int64_t> changed(const Model& before, const Model& after) {
  std::set<int64_t> k;
  for (int64_t i = 0; i <= kCells; ++i)
    if (!(before.griglia.at(i) == after.griglia.at(i))) k.insert(i);
  return k;
}

// ---------------------------------------------------------------------------
// Signals

TEST(SignalMemo, CarriedRecordAt29850) {
  Model m = model();
  const Model before = m;
  memo(m, kSegnale29850);
  EXPECT_EQ(m.numero_errore, 0);
  cella expected;
  expected.tipo = tipo_cella::segnale;
  expected.dato1 = 42;
  expected.dato2 = 11;
  expected.dato3 = 0;
  expected.dato4 = 8;
  expected.tempo = 0;
  EXPECT_EQ(m.griglia.at(598), expected);
  EXPECT_EQ(m.griglia.at(596).preavviso, 81);
  EXPECT_EQ(m.griglia.at(594).preavviso, 82);
  EXPECT_EQ(m.griglia.at(592).preavviso, 83);
  EXPECT_EQ(m.griglia.at(590).preavviso, 84);
  EXPECT_EQ(changed(before, m), (std::set<int64_t>{590, 592, 594, 596, 598}));
}

TEST(SignalMemo, AllFieldsEnterTheirValues) {
  Model m = model();
  memo(m, Segnale{10000, 1, 6, 5, 3, 1, 0, 1, 2, 4, 0});
  const cella& c = m.griglia.at(201);
  EXPECT_EQ(c.dato1, 61);
  EXPECT_EQ(c.dato2, 52);
  EXPECT_EQ(c.dato3, 34);
  EXPECT_EQ(c.dato4, 13);  // rapp 1, sx 1, dx 0
  EXPECT_EQ(m.griglia.at(199).preavviso, 31);
  EXPECT_EQ(m.griglia.at(193).preavviso, 34);
}

struct TimeCase {
  int32_t sx, tempo, cella, caller;
};
void PrintTo(const TimeCase& t, std::ostream* os) { *os << "sx " << t.sx << " tempo " << t.tempo; }

class SignalTimes : public ::testing::TestWithParam<TimeCase> {};

TEST_P(SignalTimes, KeptOnlyWithSx2AndRaisedTo101) {
  const TimeCase& t = GetParam();
  Model m = model();
  Segnale s = kSegnale29850;
  s.sx = t.sx;
  s.tempo = t.tempo;
  EXPECT_EQ(memo(m, s), t.caller);
  EXPECT_EQ(m.griglia.at(598).tempo, t.cella);
}

INSTANTIATE_TEST_SUITE_P(Signal, SignalTimes,
                         ::testing::Values(TimeCase{1, 250, 0, 250}, TimeCase{2, 50, 101, 101}, TimeCase{2, 0, 0, 0},
                                           TimeCase{2, 1, 101, 101}, TimeCase{2, 100, 101, 101}, TimeCase{2, 101, 101, 101},
                                           TimeCase{2, 250, 250, 250}, TimeCase{2, 300, 44, 300},
                                           TimeCase{1, 50, 0, 101}, TimeCase{2, -1, 255, -1}));

// The whole expression chainage / 50 + 1 is rounded, halves to even.
TEST(SignalMemo, CellIsChainageOver50PlusOneRoundedOnce) {
  for (const auto& [posizione, j] : std::vector<std::pair<int32_t, int64_t>>{
           {350, 8}, {325, 8}, {375, 8}, {425, 10}, {8300, 167}, {29874, 598}, {29876, 599}}) {
    SCOPED_TRACE(posizione);
    Model m = model();
    memo(m, a(posizione));
    EXPECT_EQ(m.griglia.at(j).tipo, tipo_cella::segnale);
    EXPECT_EQ(m.griglia.at(j - 8).preavviso, 84);
  }
}

class SignalOnTakenCell : public ::testing::TestWithParam<uint8_t> {};

// A station stop, a code drop, a signboard or any other feature refuses a
// signal: error 16, and nothing of it is stored.
TEST_P(SignalOnTakenCell, RefusesASignal) {
  Model m = model();
  m.griglia.at(598).tipo = GetParam();
  m.griglia.at(598).dato1 = 7;
  m.numero_errore = 0;
  const Model before = m;
  memo(m, kSegnale29850);
  EXPECT_EQ(m.numero_errore, 16);
  EXPECT_TRUE(changed(before, m).empty());
}

INSTANTIATE_TEST_SUITE_P(Signal, SignalOnTakenCell,
                         ::testing::Values(tipo_cella::segnale, tipo_cella::fine_rallentamento,
                                           tipo_cella::inizio_rallentamento, tipo_cella::avviso,
                                           tipo_cella::preavviso_avviso, tipo_cella::indicatore_v_max,
                                           tipo_cella::fermata, tipo_cella::abbattimento,
                                           tipo_cella::abbattimento_senza_valore, tipo_cella::cartello));

TEST(SignalMemo, ReplacesATunnelMarkerAndKeepsTheTrack) {
  Model m = model();
  cella& c = m.griglia.at(598);
  c.tipo = tipo_cella::marcatore_montagna;
  c.montagna = 2;
  c.velocita = 19;
  c.pendenza = 95;
  c.aderenza = 87;
  memo(m, kSegnale29850);
  EXPECT_EQ(m.numero_errore, 0);
  EXPECT_EQ(c.tipo, tipo_cella::segnale);
  EXPECT_EQ(c.dato1, 42);
  EXPECT_EQ(c.montagna, 2);
  EXPECT_EQ(c.velocita, 19);
  EXPECT_EQ(c.pendenza, 95);
  EXPECT_EQ(c.aderenza, 87);
}

// A signal leaves an earlier error number alone: the caller reads it.
TEST(SignalMemo, StoredWithoutTouchingAnEarlierError) {
  Model m = model();
  m.numero_errore = 15;
  m.posizione_errore = 340901;
  memo(m, kSegnale29850);
  EXPECT_EQ(m.numero_errore, 15);
  EXPECT_EQ(m.posizione_errore, 340901);
  EXPECT_EQ(m.griglia.at(598).tipo, tipo_cella::segnale);
}

// The approach codes of the second signal land on the first one's own cell.
TEST(SignalMemo, TwoSignals100MetresApart) {
  Model m = model();
  memo(m, kSegnale29850);
  Segnale second_ = a(29950);
  second_.dx = 0;
  memo(m, second_);
  EXPECT_EQ(m.numero_errore, 0);
  EXPECT_EQ(m.griglia.at(600).tipo, tipo_cella::segnale);
  EXPECT_EQ(m.griglia.at(598).tipo, tipo_cella::segnale);
  EXPECT_EQ(m.griglia.at(598).dato1, 42);
  EXPECT_EQ(m.griglia.at(598).preavviso, 61);
  EXPECT_EQ(m.griglia.at(596).preavviso, 62);
  EXPECT_EQ(m.griglia.at(594).preavviso, 63);
  EXPECT_EQ(m.griglia.at(592).preavviso, 64);
  EXPECT_EQ(m.griglia.at(590).preavviso, 84);
}

// Below 350 m the fourth approach code would fall before cell 0: the cell
// and the codes that fit are stored, then the load fails.
TEST(SignalMemo, Below350MetresFailsOnTheFirstCellBeforeTheGrid) {
  Model m = model();
  const Model before = m;
  EXPECT_THROW(memo(m, a(300)), LoadFailure);
  EXPECT_EQ(m.griglia.at(7).tipo, tipo_cella::segnale);
  EXPECT_EQ(m.griglia.at(5).preavviso, 81);
  EXPECT_EQ(m.griglia.at(3).preavviso, 82);
  EXPECT_EQ(m.griglia.at(1).preavviso, 83);
  EXPECT_EQ(changed(before, m), (std::set<int64_t>{1, 3, 5, 7}));
  EXPECT_EQ(m.numero_errore, 0);
}

// ---------------------------------------------------------------------------
// Slowdowns

TEST(SlowdownMemo, CarriedExampleAt20650) {
  Model m = model();
  const Model before = m;
  memo(m, kRallentamento20650);
  EXPECT_EQ(m.numero_errore, 0);
  const Griglia& g = m.griglia;
  EXPECT_EQ(g.at(414).tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(g.at(434).tipo, tipo_cella::fine_rallentamento);
  for (int64_t k : {414, 434}) {
    EXPECT_EQ(g.at(k).dato1, 60);
    EXPECT_EQ(g.at(k).dato2, 0);
    EXPECT_EQ(g.at(k).dato3, 1);
  }
  EXPECT_EQ(g.at(390).tipo, tipo_cella::avviso);
  EXPECT_EQ(g.at(390).dato1, 60);
  EXPECT_EQ(g.at(390).dato3, 0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(g.at(389 - i).tipo, tipo_cella::preavviso_avviso);
    EXPECT_EQ(g.at(389 - i).dato1, i + 1);
    EXPECT_EQ(g.at(389 - i).dato2, 0);
  }
  EXPECT_EQ(changed(before, m), (std::set<int64_t>{386, 387, 388, 389, 390, 414, 434}));
}

struct AuthorWarning {
  const char* nome;
  int32_t x;
  int32_t f_ta;
  std::set<int64_t> celle;  // every cell the slowdown writes
  int64_t avviso;           // -1: none
};
void PrintTo(const AuthorWarning& a, std::ostream* os) { *os << a.nome; }

class SlowdownWarnings : public ::testing::TestWithParam<AuthorWarning> {};

// Up to 1500 m there is no warning board and no pre-warning, whatever f_ta.
TEST_P(SlowdownWarnings, OnlyBeyond1500Metres) {
  const AuthorWarning& p = GetParam();
  Model m = model();
  const Model before = m;
  memo(m, Rallentamento{p.x, 60, 1000, 1, p.f_ta, 0});
  EXPECT_EQ(m.numero_errore, 0);
  EXPECT_EQ(changed(before, m), p.celle);
  if (p.avviso >= 0) {
    EXPECT_EQ(m.griglia.at(p.avviso).tipo, tipo_cella::avviso);
    EXPECT_EQ(m.griglia.at(p.avviso).dato1, 60);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Slowdown, SlowdownWarnings,
    ::testing::Values(AuthorWarning{"at_1500_with_f_ta", 1500, 1, {31, 51}, -1},
                      AuthorWarning{"at_1500_without_f_ta", 1500, 0, {31, 51}, -1},
                      AuthorWarning{"at_1550_with_f_ta", 1550, 1, {4, 5, 6, 7, 8, 32, 52}, 8},
                      AuthorWarning{"at_1550_without_f_ta", 1550, 0, {8, 32, 52}, 8},
                      // 1525 / 50 + 1 = 31.5 and (1525 - 1200) / 50 + 1 = 7.5
                      // both round to even; the pre-warning base_ 6.5 too.
                      AuthorWarning{"at_1525_halves_to_even", 1525, 1, {3, 4, 5, 6, 8, 32, 52}, 8}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(SlowdownMemo, LengthZeroLeavesOneStartCell) {
  Model m = model();
  const Model before = m;
  memo(m, Rallentamento{20650, 60, 0, 3, 0, 0});
  EXPECT_EQ(m.numero_errore, 0);
  EXPECT_EQ(m.griglia.at(414).tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(m.griglia.at(414).dato1, 60);
  EXPECT_EQ(m.griglia.at(414).dato3, 3);
  EXPECT_EQ(changed(before, m), (std::set<int64_t>{390, 414}));
}

// d_v 0 leaves dato2 as it was; any other d_v goes to start, end and
// warning board, and the pre-warning cells get 1 to 4.
TEST(SlowdownMemo, SecondValueDv) {
  for (int32_t d_v : {0, 5}) {
    SCOPED_TRACE(d_v);
    Model m = model();
    for (int64_t k : {386, 387, 388, 389, 390, 414, 434}) {
      m.griglia.at(k).tipo = tipo_cella::marcatore_montagna;
      m.griglia.at(k).dato2 = 9;
    }
    Rallentamento r = kRallentamento20650;
    r.d_v = d_v;
    memo(m, r);
    EXPECT_EQ(m.numero_errore, 0);
    for (int64_t k : {390, 414, 434}) EXPECT_EQ(m.griglia.at(k).dato2, d_v == 0 ? 9 : 5) << k;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(m.griglia.at(389 - i).dato2, d_v == 0 ? 9 : i + 1);
    EXPECT_EQ(m.griglia.at(390).tipo, tipo_cella::avviso);
    EXPECT_EQ(m.griglia.at(386).tipo, tipo_cella::preavviso_avviso);
  }
}

struct TakenCase {
  const char* nome;
  int64_t cella;
  int32_t errore;
  std::set<int64_t> written_ones;  // cells the slowdown still writes
};
void PrintTo(const TakenCase& o, std::ostream* os) { *os << o.nome; }

class SlowdownOnTakenCell : public ::testing::TestWithParam<TakenCase> {};

TEST_P(SlowdownOnTakenCell, RecordsItsErrorAndStoresOnlyWhatCameBefore) {
  const TakenCase& o = GetParam();
  Model m = model();
  m.griglia.at(o.cella).tipo = tipo_cella::abbattimento;
  const Model before = m;
  Rallentamento r = kRallentamento20650;
  r.d_v = 5;
  memo(m, r);
  EXPECT_EQ(m.numero_errore, o.errore);
  EXPECT_EQ(changed(before, m), o.written_ones);
  EXPECT_EQ(m.griglia.at(o.cella), before.griglia.at(o.cella));
  if (o.errore == 20) {
    EXPECT_EQ(m.griglia.at(390).tipo, tipo_cella::avviso);
    EXPECT_EQ(m.griglia.at(390).dato2, 5);
    EXPECT_EQ(m.griglia.at(414).tipo, tipo_cella::inizio_rallentamento);
    EXPECT_EQ(m.griglia.at(434).tipo, tipo_cella::fine_rallentamento);
    EXPECT_EQ(m.griglia.at(434).dato3, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Slowdown, SlowdownOnTakenCell,
                         ::testing::Values(TakenCase{"warning_board_17", 390, 17, {}},
                                           TakenCase{"start_18", 414, 18, {}},
                                           TakenCase{"end_19", 434, 19, {}},
                                           TakenCase{"nearest_pre_warning_20", 389, 20, {390, 414, 434}},
                                           TakenCase{"farthest_pre_warning_20", 386, 20, {390, 414, 434}}),
                         [](const auto& info) { return std::string(info.param.nome); });

TEST(SlowdownMemo, TunnelMarkersCountAsFree) {
  Model m = model();
  for (int64_t k : {386, 390, 414, 434}) {
    m.griglia.at(k).tipo = tipo_cella::marcatore_montagna;
    m.griglia.at(k).montagna = 1;
  }
  memo(m, kRallentamento20650);
  EXPECT_EQ(m.numero_errore, 0);
  EXPECT_EQ(m.griglia.at(386).tipo, tipo_cella::preavviso_avviso);
  EXPECT_EQ(m.griglia.at(390).tipo, tipo_cella::avviso);
  EXPECT_EQ(m.griglia.at(414).montagna, 1);
}

// Only the start is range-checked by the caller: an end beyond the last
// cell fails the load before anything is stored.
TEST(SlowdownMemo, EndBeyondTheGridIsALoadFailure) {
  Model m = model();
  const Model before = m;
  EXPECT_THROW(memo(m, Rallentamento{340000, 60, 2000, 1, 1, 0}), LoadFailure);
  EXPECT_TRUE(changed(before, m).empty());
  // The last cell itself can take an end.
  memo(m, Rallentamento{340000, 60, 950, 1, 1, 0});
  EXPECT_EQ(m.numero_errore, 0);
  EXPECT_EQ(m.griglia.at(kCells).tipo, tipo_cella::fine_rallentamento);
}

}  // namespace
}  // namespace compactor
