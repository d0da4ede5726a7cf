#include "compiler/finishing_pass.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace compactor {
namespace {

namespace tc = tipo_cella;

struct Laying {
  int64_t k;
  uint8_t tipo;
  int16_t dato1 = 0;
};

// One grid before the pass and what must hold after it.
struct Case {
  const char* nome;
  std::vector<Laying> celle;
  std::vector<int64_t> a_180{};             // cells holding a drop to 180 afterwards
  std::map<int64_t, int16_t> other_codes{};  // drops left with another code
  int32_t errore = 0;
  int32_t posizione = 0;
  int32_t last = 200;
};

Model grid_with(const std::vector<Laying>& celle, int32_t last) {
  Model m;
  m.griglia.resize(last);
  for (const Laying& p : celle) {
    cella& c = m.griglia.at(p.k);
    c.tipo = p.tipo;
    c.dato1 = p.dato1;
  }
  return m;
}

// Every drop (kind 12) in the grid with its code.
std::map<int64_t, int16_t> abbattimenti(const Model& m) {
  std::map<int64_t, int16_t> found;
  for (int64_t k = 0; k <= m.griglia.last(); ++k) {
    if (m.griglia.at(k).tipo == tc::abbattimento) found[k] = m.griglia.at(k).dato1;
  }
  return found;
}

void check(const std::vector<Case>& cases) {
  for (const Case& c_ : cases) {
    SCOPED_TRACE(c_.nome);
    Model m = grid_with(c_.celle, c_.last);
    ASSERT_NO_THROW(finishing_pass(m));
    std::map<int64_t, int16_t> expected_ = c_.other_codes;
    for (int64_t k : c_.a_180) expected_[k] = 180;
    EXPECT_EQ(abbattimenti(m), expected_);
    EXPECT_EQ(m.numero_errore, c_.errore);
    EXPECT_EQ(m.posizione_errore, c_.posizione);
  }
}

// Slowdowns of 120 km/h get no drops inside, which leaves the drops before
// the start alone in the grid.
TEST(FinishingPass, DropsBeforeAStartDependOnItsDistanceFromTheGridStart) {
  check({
      {"start in cell 1", {{1, tc::inizio_rallentamento, 120}, {3, tc::fine_rallentamento, 120}}, {}},
      {"start in cell 7", {{7, tc::inizio_rallentamento, 120}, {9, tc::fine_rallentamento, 120}}, {}},
      {"start in cell 8", {{8, tc::inizio_rallentamento, 120}, {10, tc::fine_rallentamento, 120}}, {3}},
      {"start in cell 13", {{13, tc::inizio_rallentamento, 120}, {15, tc::fine_rallentamento, 120}}, {8}},
      {"start in cell 14", {{14, tc::inizio_rallentamento, 120}, {16, tc::fine_rallentamento, 120}}, {9, 3}},
      {"start in cell 20", {{20, tc::inizio_rallentamento, 120}, {22, tc::fine_rallentamento, 120}}, {15, 9}},
      {"start in cell 21", {{21, tc::inizio_rallentamento, 120}, {23, tc::fine_rallentamento, 120}}, {16, 10, 3}},
      {"start in cell 40", {{40, tc::inizio_rallentamento, 120}, {42, tc::fine_rallentamento, 120}}, {35, 29, 22}},
  });
}

// Start in cell 40: the windows are 35-33, 29-27 and 22-20.
TEST(FinishingPass, EachDropBeforeAStartTakesTheFirstFreeCellOfItsWindow) {
  const Laying inizio{40, tc::inizio_rallentamento, 120};
  const Laying fine{42, tc::fine_rallentamento, 120};
  check({
      {"ideal cell taken", {inizio, fine, {35, tc::cartello}}, {34, 29, 22}},
      {"two cells taken", {inizio, fine, {35, tc::cartello}, {34, tc::segnale}}, {33, 29, 22}},
      {"tunnel marker replaced", {inizio, fine, {35, tc::marcatore_montagna}}, {35, 29, 22}},
      {"an earlier drop is not free", {inizio, fine, {35, tc::abbattimento, 270}}, {34, 29, 22}, {{35, 270}}},
      {"first window full",
       {inizio, fine, {35, tc::cartello}, {34, tc::cartello}, {33, tc::fermata}},
       {29, 22},
       {},
       12,
       2000},
      {"last window full",
       {inizio, fine, {22, tc::cartello}, {21, tc::abbattimento_senza_valore}, {20, tc::indicatore_v_max}},
       {35, 29},
       {},
       12,
       2000},
  });
}

// A board in cell 30 and a signal in cell 25, with cells 24 and 23 ahead of it.
TEST(FinishingPass, ASignalBeforeAWarningBoardGetsADropAheadOrALoweredCode) {
  const Laying avviso{30, tc::avviso, 60};
  const Laying segnale{25, tc::segnale};
  check({
      {"cell ahead free", {avviso, segnale}, {24}},
      {"tunnel marker ahead replaced", {avviso, segnale, {24, tc::marcatore_montagna}}, {24}},
      {"cell ahead taken", {avviso, segnale, {24, tc::cartello}}, {23}},
      {"drop of 270 ahead, taken before it: lowered",
       {avviso, segnale, {24, tc::abbattimento, 270}, {23, tc::cartello}},
       {24}},
      {"drop of 120 ahead, taken before it: kept",
       {avviso, segnale, {24, tc::abbattimento, 120}, {23, tc::cartello}},
       {},
       {{24, 120}}},
      {"drop of 270 ahead, free before it: a new drop, 270 kept",
       {avviso, segnale, {24, tc::abbattimento, 270}},
       {23},
       {{24, 270}}},
      {"taken ahead, drop of 270 before it: lowered",
       {avviso, segnale, {24, tc::cartello}, {23, tc::abbattimento, 270}},
       {23}},
      {"drop without a code ahead is no drop",
       {avviso, segnale, {24, tc::abbattimento_senza_valore}, {23, tc::cartello}},
       {},
       {},
       11,
       1250},
      {"both cells taken", {avviso, segnale, {24, tc::cartello}, {23, tc::indicatore_v_max}}, {}, {}, 11, 1250},
  });
}

TEST(FinishingPass, TheBoardLooksBackTwentyCellsAndNotBeforeCell3) {
  check({
      {"every signal within 20 cells",
       {{40, tc::avviso}, {39, tc::segnale}, {30, tc::segnale}, {20, tc::segnale}},
       {38, 29, 19}},
      {"signal 21 cells back", {{40, tc::avviso}, {19, tc::segnale}}, {}},
      {"signal in cell 3", {{5, tc::avviso}, {3, tc::segnale}}, {2}},
      {"signal in cell 2", {{4, tc::avviso}, {2, tc::segnale}}, {}},
      {"board in the third cell from the end", {{198, tc::avviso}, {190, tc::segnale}}, {189}},
      {"board in the second cell from the end", {{199, tc::avviso}, {190, tc::segnale}}, {}},
  });
}

// The second board finds the first board's drop in the cell ahead and takes
// the cell before it.
TEST(FinishingPass, MarksMadeEarlierInThePassAreSeenLater) {
  check({
      {"two boards after one signal",
       {{30, tc::avviso}, {35, tc::avviso}, {25, tc::segnale}},
       {24, 23}},
  });
}

// Start in cell 50, end in cell 90: drops due in 58, 66, 74, 82 and 90, plus
// the three before the start in 45, 39 and 32.
TEST(FinishingPass, DropsInsideASlowSlowdownFallEveryEightCellsFromTheLastPlaced) {
  const Laying inizio{50, tc::inizio_rallentamento, 105};
  const Laying fine{90, tc::fine_rallentamento, 105};
  check({
      {"all free: the one due on the end cell goes before it", {inizio, fine}, {32, 39, 45, 58, 66, 74, 82, 89}},
      {"ideal cell taken: one before, and the count restarts there",
       {inizio, fine, {58, tc::cartello}},
       {32, 39, 45, 57, 65, 73, 81, 89}},
      {"ideal and previous cells taken: one after",
       {inizio, fine, {58, tc::cartello}, {57, tc::segnale}},
       {32, 39, 45, 59, 67, 75, 83}},
      {"due on the end cell with the cell before taken: after the end",
       {inizio, fine, {89, tc::cartello}},
       {32, 39, 45, 58, 66, 74, 82, 91}},
      {"no place: error 13 and no further drop inside",
       {inizio, fine, {57, tc::cartello}, {58, tc::cartello}, {59, tc::cartello}},
       {32, 39, 45},
       {},
       13,
       2900},
  });
}

TEST(FinishingPass, OnlySlowdownsBelow110GetDropsInside) {
  check({
      {"109", {{50, tc::inizio_rallentamento, 109}, {70, tc::fine_rallentamento, 109}}, {32, 39, 45, 58, 66}},
      {"110", {{50, tc::inizio_rallentamento, 110}, {70, tc::fine_rallentamento, 110}}, {32, 39, 45}},
  });
}

// Start in cell 50, end in cell 70; at 120 km/h the end is found without drops.
TEST(FinishingPass, TheFirstSignalWithinTwelveCellsAfterTheEndGetsADrop) {
  const Laying inizio{50, tc::inizio_rallentamento, 120};
  const Laying fine{70, tc::fine_rallentamento, 120};
  check({
      {"signal 5 cells after", {inizio, fine, {75, tc::segnale}}, {32, 39, 45, 74}},
      {"signal 12 cells after", {inizio, fine, {82, tc::segnale}}, {32, 39, 45, 81}},
      {"signal 13 cells after", {inizio, fine, {83, tc::segnale}}, {32, 39, 45}},
      {"only the first signal", {inizio, fine, {75, tc::segnale}, {78, tc::segnale}}, {32, 39, 45, 74}},
      {"signal right after the end: the drop goes inside",
       {inizio, fine, {71, tc::segnale}},
       {32, 39, 45, 69}},
      {"cell ahead taken", {inizio, fine, {75, tc::segnale}, {74, tc::cartello}}, {32, 39, 45, 73}},
      {"both cells taken: error 13 at the end cell",
       {inizio, fine, {75, tc::segnale}, {74, tc::cartello}, {73, tc::cartello}},
       {32, 39, 45},
       {},
       13,
       3500},
      {"slow slowdown too",
       {{50, tc::inizio_rallentamento, 105}, {70, tc::fine_rallentamento, 105}, {75, tc::segnale}},
       {32, 39, 45, 58, 66, 74}},
  });
}

// A grid of cells 0 to 60; a slowdown whose end the loader could not store
// runs to the last cell. Any read past it would throw.
TEST(FinishingPass, ScansStopAtTheGridsLastCell) {
  check({
      {"no end cell: the last cell ends the slowdown",
       {{50, tc::inizio_rallentamento, 105}, {60, tc::segnale}},
       {32, 39, 45, 58, 59},
       {},
       0,
       0,
       60},
      {"no end cell at 120 km/h: the signal on the last cell still gets its drop",
       {{50, tc::inizio_rallentamento, 120}, {60, tc::segnale}},
       {32, 39, 45, 59},
       {},
       0,
       0,
       60},
      {"drop due on the last cell, which and the one before are taken",
       {{52, tc::inizio_rallentamento, 105}, {59, tc::cartello}, {60, tc::cartello}},
       {34, 41, 47},
       {},
       13,
       3000,
       60},
      {"drop due on an end in the last cell, the cell before taken",
       {{52, tc::inizio_rallentamento, 105}, {60, tc::fine_rallentamento, 105}, {59, tc::cartello}},
       {34, 41, 47},
       {},
       13,
       3000,
       60},
      {"look for a signal after an end near the last cell",
       {{40, tc::inizio_rallentamento, 120}, {55, tc::fine_rallentamento, 120}},
       {35, 29, 22},
       {},
       0,
       0,
       60},
  });
}

TEST(FinishingPass, ARecordedErrorReplacesTheEarlierOne) {
  // Error 12 for the start in cell 40 comes first, error 13 inside it later.
  Model m = grid_with({{40, tc::inizio_rallentamento, 105},
                           {60, tc::fine_rallentamento, 105},
                           {35, tc::cartello},
                           {34, tc::cartello},
                           {33, tc::cartello},
                           {47, tc::cartello},
                           {48, tc::cartello},
                           {49, tc::cartello}},
                          200);
  m.numero_errore = 6;
  m.posizione_errore = 1234;
  finishing_pass(m);
  EXPECT_EQ(m.numero_errore, 13);
  EXPECT_EQ(m.posizione_errore, 48 * 50);
}

TEST(FinishingPass, WithoutBoardsOrStartsNothingChanges) {
  Model m = grid_with({{30, tc::segnale},
                           {29, tc::abbattimento, 270},
                           {40, tc::marcatore_montagna},
                           {45, tc::fine_rallentamento, 60},
                           {50, tc::cartello},
                           {60, tc::fermata}},
                          200);
  m.griglia.at(41).preavviso = 81;
  const std::vector<cella> before = m.griglia.celle();
  finishing_pass(m);
  EXPECT_EQ(m.griglia.celle(), before);
  EXPECT_EQ(m.numero_errore, 0);
}

TEST(FinishingPass, ADropKeepsTheTrackMembersOfItsCell) {
  Model m = grid_with({{30, tc::avviso}, {25, tc::segnale}, {24, tc::marcatore_montagna}}, 200);
  cella& c = m.griglia.at(24);
  c.dato2 = 7;
  c.montagna = 2;
  c.velocita = 24;
  c.pendenza = 112;
  finishing_pass(m);
  EXPECT_EQ(c.tipo, tc::abbattimento);
  EXPECT_EQ(c.dato1, 180);
  EXPECT_EQ(c.dato2, 7);
  EXPECT_EQ(c.montagna, 2);
  EXPECT_EQ(c.velocita, 24);
  EXPECT_EQ(c.pendenza, 112);
}

TEST(FinishingPass, WithoutAGridNothingHappens) {
  Model m;
  m.numero_errore = 101;
  ASSERT_NO_THROW(finishing_pass(m));
  EXPECT_FALSE(m.griglia.sized());
  EXPECT_EQ(m.numero_errore, 101);
}

}  // namespace
}  // namespace compactor
