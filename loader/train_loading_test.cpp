// The train half of the loader, run through memorizza_dati on real files:
// the speed and adhesion profiles, the train's values, key fields, stations,
// code drops, the errors and the state each one leaves.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "testing/source_fixture.h"

namespace compactor {
namespace {

using testing::load;
using testing::LoadOutcome;
using testing::line_with;
using testing::LoadOptions;
using testing::crlf_lines;

// A route of 334000 m: metri_totali 341000, cells 0 to 6820.
constexpr int32_t kLength = 334000;
constexpr int32_t kCells = 6820;

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A train source: "[generale]" on line 1, the given lines from line 2 on,
// "[fine]" last.
std::string treno(const std::vector<std::string>& lines) {
  return crlf_lines(join(join({"[generale]"}, lines), {"[fine]"}));
}

// Loads the train lines on a 334 km route whose record part holds `linea`.
LoadOutcome load_with_train(const std::vector<std::string>& lines, const std::vector<std::string>& linea = {}) {
  return load(line_with(kLength, linea), treno(lines), LoadOptions{.con_planimetria = false});
}

// A route with one general line besides its length (a chainage reference).
std::string line_with_general(const std::string& generale, const std::vector<std::string>& record = {}) {
  return crlf_lines(join({"[generale]", "lunghezza percorso,    334000", generale, "[curve]"}, record));
}

std::string segnale(int32_t p) { return "segnale,   " + std::to_string(p) + ",   2, 4, 1,  0, 0,    2,  2,1,0, 0"; }

std::string station_line(int32_t p, int tipo, int32_t l, int c5 = 0, int c6 = 0) {
  return "stazione,  " + std::to_string(p) + ", " + std::to_string(tipo) + ",  " + std::to_string(l) + ",  1, " +
         std::to_string(c5) + ", " + std::to_string(c6) + ",  4,1,0,  2,1,1,    1,  12,11,50, Fermata";
}

// ---------------------------------------------------------------------------
// Speed and adhesion profiles

struct Stretch {
  int64_t da, a;
  int valore;
};

struct Profile {
  const char* nome;
  std::vector<std::string> lines;
  uint8_t cella::*member;
  std::vector<Stretch> expected_;
};
void PrintTo(const Profile& p, std::ostream* os) { *os << p.nome; }

class TrainProfiles : public ::testing::TestWithParam<Profile> {};

TEST_P(TrainProfiles, FillTheCellsFromEachRecordToTheNext) {
  const Profile& p = GetParam();
  LoadOutcome e = load_with_train(p.lines);
  EXPECT_EQ(e.m->numero_errore, 0);
  ASSERT_EQ(e.m->griglia.last(), kCells);
  int64_t next_one = 0;
  for (const Stretch& t : p.expected_) {
    ASSERT_EQ(t.da, next_one) << "the expected stretches must cover the grid";
    for (int64_t k = t.da; k <= t.a; ++k) ASSERT_EQ(e.c(k).*p.member, t.valore) << "cell " << k;
    next_one = t.a + 1;
  }
  EXPECT_EQ(next_one, kCells + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Speed, TrainProfiles,
    ::testing::Values(
        Profile{"carried_records",
                {"velocita,   0,    30", "velocita,    1000,    95", "velocita,    8200,    80"},
                &cella::velocita,
                {{0, 19, 6}, {20, 163, 19}, {164, kCells - 3, 16}, {kCells - 2, kCells, 0}}},
        Profile{"zero_before_the_first_record", {"velocita,    1000,    95"}, &cella::velocita,
                {{0, 19, 0}, {20, kCells - 3, 19}, {kCells - 2, kCells, 0}}},
        Profile{"record_behind_the_pointer_writes_one_cell",
                {"velocita,   0,    30", "velocita,    1000,    95", "velocita,    500,    50"},
                &cella::velocita,
                {{0, 19, 6}, {20, 20, 19}, {21, kCells - 3, 10}, {kCells - 2, kCells, 0}}},
        Profile{"record_at_zero_changes_the_speed_only",
                {"velocita,   0,    30", "velocita,    1000,    95", "velocita,    0,    50"},
                &cella::velocita,
                {{0, 19, 6}, {20, kCells - 3, 10}, {kCells - 2, kCells, 0}}},
        // The tail's one unconditional write lands on celle_totali - 2.
        Profile{"last_record_on_the_last_chainage",
                {"velocita,   0,    30", "velocita,    340900,    40"},
                &cella::velocita,
                {{0, kCells - 3, 6}, {kCells - 2, kCells - 2, 8}, {kCells - 1, kCells, 0}}},
        // The speed fill stops at the last cell instead of failing.
        Profile{"pointer_stops_at_the_last_cell",
                {"velocita,  340900,  80", "velocita,  50,  5", "velocita,  50,  5", "velocita,  50,  5",
                 "velocita,  50,  5"},
                &cella::velocita,
                {{0, kCells - 3, 0}, {kCells - 2, kCells - 2, 16}, {kCells - 1, kCells, 1}}},
        Profile{"highest_speed_and_rounding",
                {"velocita,  0,  1275", "velocita,  100,  7", "velocita,  200,  13"},
                &cella::velocita,
                {{0, 1, 255}, {2, 3, 1}, {4, kCells - 3, 3}, {kCells - 2, kCells, 0}}}),
    [](const auto& info) { return std::string(info.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    Adhesion, TrainProfiles,
    ::testing::Values(
        Profile{"low_byte_kept", {"aderenza,  0,    87", "aderenza,  1000,  300"}, &cella::aderenza,
                {{0, 19, 87}, {20, kCells - 3, 44}, {kCells - 2, kCells, 0}}},
        Profile{"zero_before_the_first_record", {"aderenza,  1000,  87"}, &cella::aderenza,
                {{0, 19, 0}, {20, kCells - 3, 87}, {kCells - 2, kCells, 0}}},
        Profile{"record_behind_the_pointer_writes_one_cell",
                {"aderenza,  0,  87", "aderenza,  1000,  90", "aderenza,  500,  60"}, &cella::aderenza,
                {{0, 19, 87}, {20, 20, 90}, {21, kCells - 3, 60}, {kCells - 2, kCells, 0}}},
        Profile{"pointer_reaches_the_last_cell",
                {"aderenza,  340900,  80", "aderenza,  50,  1", "aderenza,  50,  1"}, &cella::aderenza,
                {{0, kCells - 3, 0}, {kCells - 2, kCells - 2, 80}, {kCells - 1, kCells, 1}}}),
    [](const auto& info) { return std::string(info.param.nome); });

// Adhesion has no guard: a pointer pushed past the last cell fails the load,
// in the fill (four records behind) or in the tail (three), and the cells
// written before stay.
TEST(TrainAdhesion, PointerPastTheGridIsALoadFailure) {
  for (int behind : {3, 4}) {
    SCOPED_TRACE(behind);
    std::vector<std::string> lines = {"numero vetture, 7", "aderenza,  340900,  80"};
    for (int i = 0; i < behind; ++i) lines.push_back("aderenza,  50,  1");
    LoadOutcome e = load_with_train(lines);
    EXPECT_EQ(e.m->numero_errore, 25);
    EXPECT_EQ(e.m->posizione_errore, 0);
    EXPECT_FALSE(e.train_left);
    EXPECT_FALSE(e.line_left);
    EXPECT_EQ(e.m->stazioni.at(84).posizione, 7);
    EXPECT_EQ(e.c(kCells - 2).aderenza, 80);
    EXPECT_EQ(e.c(kCells - 1).aderenza, 1);
    EXPECT_EQ(e.c(kCells).aderenza, 1);
    EXPECT_EQ(e.diagnostic.source, LoadReport::treno);
    EXPECT_EQ(e.diagnostic.line, static_cast<int>(lines.size()) + 1);
  }
}

// ---------------------------------------------------------------------------
// The train's values and the key fields

class TrainClock : public ::testing::TestWithParam<std::string> {};

TEST_P(TrainClock, TrainValuesGoToRows84And86) {
  LoadOutcome e = load_with_train(
      {"percentuale massa frenata,    120", "numero vetture,    7", "sabbia,    200", GetParam()});
  EXPECT_EQ(e.m->numero_errore, 0);
  const stazione& r84 = e.m->stazioni.at(84);
  const stazione& r86 = e.m->stazioni.at(86);
  EXPECT_EQ(r84.inizio, 120);
  EXPECT_EQ(r84.posizione, 7);
  EXPECT_EQ(r84.fine, kLength);
  EXPECT_EQ(r86.campo7, 200);
  EXPECT_EQ(r86.campo10, 12);
  EXPECT_EQ(r86.campo11, 11);
  EXPECT_EQ(r86.campo12, 50);
  EXPECT_EQ(r86.nome, "T");
}

INSTANTIATE_TEST_SUITE_P(Clock, TrainClock,
                         ::testing::Values("orologio,    12              11            50 ", "orologio,12,11,50"));

struct KeyCase {
  const char* nome;
  std::string body;  // everything after the "[generale]" line
  int32_t massa;
  int32_t vetture;
  int speed_20;  // cell 20 gets 19 when "velocita, 1000, 95" is read
  int32_t errore;
};
void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.nome; }

class TrainKeyWords : public ::testing::TestWithParam<KeyCase> {};

TEST_P(TrainKeyWords, RecognisedOrPassedOver) {
  const KeyCase& k = GetParam();
  LoadOutcome e = load(line_with(kLength), "[generale]\r\n" + k.body, LoadOptions{.con_planimetria = false});
  EXPECT_EQ(e.m->numero_errore, k.errore);
  EXPECT_EQ(e.m->stazioni.at(84).inizio, k.massa);
  EXPECT_EQ(e.m->stazioni.at(84).posizione, k.vetture);
  if (k.errore == 0) {
    EXPECT_EQ(e.c(19).velocita, 0);
    EXPECT_EQ(e.c(20).velocita, k.speed_20);
  }
  EXPECT_FALSE(e.train_left);
}

INSTANTIATE_TEST_SUITE_P(
    KeyFields, TrainKeyWords,
    ::testing::Values(
        KeyCase{"capitals", "VELOCITA,  1000,  95\r\n[fine]\r\n", 0, 0, 19, 0},
        KeyCase{"accented", "velocit\xE0,  1000,  95\r\n[fine]\r\n", 0, 0, 19, 0},
        KeyCase{"braking_mass", "percentuale massa frenata,  120\r\n[fine]\r\n", 120, 0, 0, 0},
        KeyCase{"massa_alone_reads_nothing", "massa,  120\r\nnumero vetture,  7\r\n[fine]\r\n", 0, 7, 0, 0},
        KeyCase{"headings_match_nothing",
               "[aderenze]\r\n[vel_limite]\r\n[stazioni]\r\n[rallentamenti]\r\n[segnali]\r\n[codici]\r\n"
               "numero vetture,  7\r\n[fine]\r\n",
               0, 7, 0, 0},
        KeyCase{"record_over_two_lines", "velocita,   1000\r\n   95\r\n[fine]\r\n", 0, 0, 19, 0},
        KeyCase{"third_number_is_the_next_key_field",
               "velocita,  1000,  95,  8000\r\nnumero vetture,  7\r\n[fine]\r\n", 0, 7, 19, 0},
        KeyCase{"one_dash_field_passed_over", "- vetture,  9\r\n[fine]\r\n", 0, 0, 0, 0},
        KeyCase{"two_dash_fields_passed_over", "-a, - vetture,  9\r\n[fine]\r\n", 0, 0, 0, 0},
        KeyCase{"field_after_two_dashes_used", "-a, -b, numero vetture,  9\r\n[fine]\r\n", 0, 9, 0, 0},
        KeyCase{"third_dash_field_used_as_it_stands", "-a, -b, - vetture,  9\r\n[fine]\r\n", 0, 9, 0, 0},
        KeyCase{"record_on_the_last_line", "numero vetture,  7\r\n", 0, 7, 0, 0},
        KeyCase{"lone_key_field_at_the_end_is_not_used", "numero vetture,  7\r\nvelocita", 0, 7, 0, 0},
        KeyCase{"record_cut_by_the_end_of_the_file", "numero vetture,  7\r\nsegnale,  29850,  2,  4\r\n", 0, 7, 0,
               25}),
    [](const auto& info) { return std::string(info.param.nome); });

// Without the start marker nothing of the train is stored; the source is
// deleted all the same and the closing reference check still runs.
TEST(TrainSource, WithoutGeneraleStoresNothingButIsDeleted) {
  LoadOutcome e = load(line_with_general("progressiva chilometrica uno,    31100,    3125,    0"),
                         "velocita,  0,  30\r\nnumero vetture,  7\r\nsabbia,  5\r\n" + segnale(29850) + "\r\n[fine]\r\n",
                         LoadOptions{.con_planimetria = false});
  EXPECT_EQ(e.m->numero_errore, 2);
  EXPECT_FALSE(e.train_left);
  EXPECT_FALSE(e.line_left);
  EXPECT_EQ(e.m->stazioni.at(84).posizione, 0);
  EXPECT_EQ(e.m->stazioni.at(86).campo7, 0);
  EXPECT_EQ(e.c(598).tipo, 0);
  EXPECT_EQ(e.c(0).velocita, 0);
}

TEST(TrainSource, MissingIsALoadFailureThatKeepsTheLineData) {
  LoadOutcome e = load(line_with(kLength, {"pendenza,  600,  -11", "pendenza,  340901,  0"}), "",
                         LoadOptions{.con_planimetria = false, .write_train = false});
  EXPECT_EQ(e.m->numero_errore, 25);
  EXPECT_EQ(e.m->posizione_errore, 340901);
  EXPECT_EQ(e.diagnostic.source, LoadReport::treno);
  EXPECT_EQ(e.diagnostic.line, 0);
  EXPECT_FALSE(e.line_left);
  EXPECT_FALSE(e.train_left);
  EXPECT_EQ(e.c(11).pendenza, 100);
  EXPECT_EQ(e.c(12).pendenza, 89);
  EXPECT_FALSE(e.diagnostic.reason.empty());
}

// ---------------------------------------------------------------------------
// Stations

TEST(TrainStations, TheFirstTwoCarriedStations) {
  LoadOutcome e = load_with_train({
      "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  12,11,50, Orvena",
      "stazione,    3100, 12,  400,  1, 1, 0,  1,1,0,  2,1,1,    0,  12,20, 5, Lusco Alta",
  });
  EXPECT_EQ(e.m->numero_errore, 0);
  stazione before;
  before.tipo = 8;
  before.inizio = -500;
  before.fine = 500;
  before.posizione = 0;
  before.campo4 = 1;
  before.campo7 = 4;
  before.campo8 = 1;
  before.campo10 = 2;
  before.campo11 = 1;
  before.campo12 = 1;
  before.campo13 = 1;
  before.orario = 12 * 3600 + 11 * 60 + 50;
  before.nome = "Orvena";
  EXPECT_EQ(e.m->stazioni.at(1), before);
  stazione second = before;
  second.tipo = 12;
  second.inizio = 2900;
  second.fine = 3300;
  second.posizione = 3100;
  second.campo7 = 1;  // campo5, given as 1, stays 0: the zone is shorter than 600 m
  second.campo13 = 0;
  second.orario = 12 * 3600 + 20 * 60 + 5;
  second.nome = "Lusco Alta";
  EXPECT_EQ(e.m->stazioni.at(2), second);
  EXPECT_EQ(e.m->stazioni.at(3), stazione{});

  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(e.c(9 - k).preavviso, 80 + k);
    EXPECT_EQ(e.c(65 - k).preavviso, 80 + k);
  }
  EXPECT_EQ(e.c(9).tipo, tipo_cella::fermata);
  EXPECT_EQ(e.c(9).dato1, 1);
  EXPECT_EQ(e.c(65).tipo, tipo_cella::fermata);
  EXPECT_EQ(e.c(65).dato1, 2);
  EXPECT_EQ(e.c(4).preavviso, 0);
  EXPECT_EQ(e.c(60).preavviso, 0);
}

struct ZoneCase {
  const char* nome;
  int tipo;
  int32_t lunghezza;
  int campo5, campo6;
  int32_t inizio, fine;
  int campo5_after, campo6_after;
  int64_t fermata;        // -1: no mark in the grid
  bool with_pre_warnings;     // approach codes on the four cells before it
};
void PrintTo(const ZoneCase& z, std::ostream* os) { *os << z.nome; }

class TrainZones : public ::testing::TestWithParam<ZoneCase> {};

// The station under test is the second one, at 5000 m, behind a station of
// type 27 that leaves no mark.
TEST_P(TrainZones, DependOnTheStationType) {
  const ZoneCase& z = GetParam();
  LoadOutcome e = load_with_train({station_line(0, 27, 200), station_line(5000, z.tipo, z.lunghezza, z.campo5, z.campo6)});
  EXPECT_EQ(e.m->numero_errore, 0);
  const stazione& r = e.m->stazioni.at(2);
  EXPECT_EQ(r.inizio, z.inizio);
  EXPECT_EQ(r.fine, z.fine);
  EXPECT_EQ(r.campo5, z.campo5_after);
  EXPECT_EQ(r.campo6, z.campo6_after);
  for (int64_t k = 0; k <= kCells; ++k) {
    const cella& c = e.c(k);
    if (k == z.fermata) {
      EXPECT_EQ(c.tipo, tipo_cella::fermata);
      EXPECT_EQ(c.dato1, 2);
    } else {
      EXPECT_EQ(c.tipo, 0) << "cell " << k;
    }
    const bool preavviso = z.with_pre_warnings && k < z.fermata && k >= z.fermata - 4;
    EXPECT_EQ(c.preavviso, preavviso ? 80 + (z.fermata - k) : 0) << "cell " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Stations, TrainZones,
    ::testing::Values(ZoneCase{"type_5_ends_150_m_on", 5, 400, 1, 1, 4600, 5150, 0, 0, 102, false},
                      ZoneCase{"type_6_ends_150_m_on", 6, 700, 1, 0, 4300, 5150, 1, 0, 102, false},
                      ZoneCase{"type_7_twice_its_length", 7, 400, 0, 1, 4600, 5400, 0, 0, 107, true},
                      ZoneCase{"type_8_twice_its_length", 8, 600, 1, 1, 4400, 5600, 1, 0, 111, true},
                      ZoneCase{"type_12_centred", 12, 400, 0, 0, 4800, 5200, 0, 0, 103, true},
                      ZoneCase{"type_12_lengthened_by_campo6", 12, 600, 1, 1, 4700, 5350, 1, 1, 106, true},
                      ZoneCase{"type_24_still_marked", 24, 200, 0, 0, 4900, 5100, 0, 0, 101, true},
                      ZoneCase{"type_27_without_marks", 27, 400, 1, 1, 4800, 5250, 0, 1, -1, false}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(TrainStations, FirstStationKeepsTheLengthCampo6GaveIt) {
  LoadOutcome e = load_with_train({station_line(1000, 12, 600, 1, 1)});
  EXPECT_EQ(e.m->numero_errore, 0);
  const stazione& r = e.m->stazioni.at(1);
  EXPECT_EQ(r.inizio, 700);
  EXPECT_EQ(r.fine, 1350);
  EXPECT_EQ(r.campo5, 0);
  EXPECT_EQ(r.campo6, 0);
  EXPECT_EQ(e.c(26).tipo, tipo_cella::fermata);
  EXPECT_EQ(e.c(25).preavviso, 81);
  EXPECT_EQ(e.c(22).preavviso, 84);
}

TEST(TrainStations, Type27NearTheStartLoadsWithoutMarks) {
  LoadOutcome e = load_with_train({station_line(50, 27, 100)});
  EXPECT_EQ(e.m->numero_errore, 0);
  EXPECT_EQ(e.m->stazioni.at(1).inizio, 0);
  EXPECT_EQ(e.m->stazioni.at(1).fine, 100);
  for (int64_t k = 0; k <= kCells; ++k) {
    ASSERT_EQ(e.c(k).tipo, 0) << k;
    ASSERT_EQ(e.c(k).preavviso, 0) << k;
  }
}

// A zone that begins 350 m after the previous one ends is enough.
TEST(TrainStations, SpacingOf350MetresBetweenZones) {
  LoadOutcome e = load_with_train({station_line(500, 12, 600), station_line(1300, 12, 300)});
  EXPECT_EQ(e.m->numero_errore, 0);
  EXPECT_EQ(e.m->stazioni.at(1).fine, 800);
  EXPECT_EQ(e.m->stazioni.at(2).inizio, 1150);
}

// The stop mark replaces the kind and dato1 of what stood in its cell and
// leaves the rest; the approach codes replace a signal's.
TEST(TrainStations, StopMarkReplacesWhatStoodInItsCell) {
  LoadOutcome e = load_with_train({segnale(3200), station_line(3100, 12, 400)});
  EXPECT_EQ(e.m->numero_errore, 0);
  const cella& c = e.c(65);
  EXPECT_EQ(c.tipo, tipo_cella::fermata);
  EXPECT_EQ(c.dato1, 1);
  EXPECT_EQ(c.dato2, 11);
  EXPECT_EQ(c.dato4, 8);
  EXPECT_EQ(e.c(63).preavviso, 82);
  EXPECT_EQ(e.c(61).preavviso, 84);
  EXPECT_EQ(e.c(59).preavviso, 83);
  EXPECT_EQ(e.c(57).preavviso, 84);
}

struct LimitCase {
  const char* nome;
  int cartelli;
  int stazioni;
  int32_t errore;
};
void PrintTo(const LimitCase& l, std::ostream* os) { *os << l.nome; }

class TrainStationLimit : public ::testing::TestWithParam<LimitCase> {};

// Stations share rows 1 to 80 with the signboards: with k signboards, the
// station stored in row 79 - k gives error 10 even when it is the last one.
TEST_P(TrainStationLimit, StationRowsStopBelowTheSignboards) {
  const LimitCase& l = GetParam();
  std::vector<std::string> linea;
  for (int k = 0; k < l.cartelli; ++k)
    linea.push_back("cartello_indicatore,  " + std::to_string(200000 + 1000 * k) + ",  Cartello " + std::to_string(k));
  linea.push_back("pendenza,  340901,  0");  // error 15 in the line: its position must stay
  std::vector<std::string> lines;
  for (int i = 1; i <= l.stazioni; ++i) lines.push_back(station_line(1000 * i, 12, 200));
  lines.push_back("numero vetture,  7");
  LoadOutcome e = load_with_train(lines, linea);

  EXPECT_EQ(e.m->numero_errore, l.errore == 0 ? 15 : l.errore);
  EXPECT_EQ(e.m->posizione_errore, 340901);
  EXPECT_FALSE(e.train_left);
  EXPECT_EQ(e.m->stazioni.at(84).posizione, l.errore == 0 ? 7 : 0);
  EXPECT_EQ(e.m->stazioni.at(l.stazioni).posizione, 1000 * l.stazioni);
  EXPECT_EQ(e.c(20 * l.stazioni + 1).tipo, tipo_cella::fermata);
  EXPECT_EQ(e.c(20 * l.stazioni + 1).dato1, l.stazioni);
  EXPECT_EQ(e.m->stazioni.at(l.stazioni + 1).posizione, 0);
  for (int k = 0; k < l.cartelli; ++k) EXPECT_EQ(e.m->stazioni.at(80 - k).nome, "Cartello " + std::to_string(k));
}

INSTANTIATE_TEST_SUITE_P(Stations, TrainStationLimit,
                         ::testing::Values(LimitCase{"seventy_eight_load", 0, 78, 0},
                                           LimitCase{"the_seventy_ninth_is_refused", 0, 79, 10},
                                           LimitCase{"two_signboards_leave_seventy_six", 2, 76, 0},
                                           LimitCase{"two_signboards_refuse_the_seventy_seventh", 2, 77, 10}),
                         [](const auto& info) { return std::string(info.param.nome); });

// ---------------------------------------------------------------------------
// Code drops

struct Abbattimento {
  const char* nome;
  std::vector<std::string> linea;
  std::vector<std::string> lines;
  int64_t indice;
  uint8_t tipo;
  int16_t dato1;
};
void PrintTo(const Abbattimento& a, std::ostream* os) { *os << a.nome; }

class TrainDrops : public ::testing::TestWithParam<Abbattimento> {};

TEST_P(TrainDrops, GoToChainageOver50) {
  const Abbattimento& a = GetParam();
  LoadOutcome e = load_with_train(a.lines, a.linea);
  EXPECT_EQ(e.m->numero_errore, 0);
  EXPECT_EQ(e.c(a.indice).tipo, a.tipo);
  EXPECT_EQ(e.c(a.indice).dato1, a.dato1);
}

INSTANTIATE_TEST_SUITE_P(
    CodeDrops, TrainDrops,
    ::testing::Values(
        Abbattimento{"value", {}, {"abbattimento,    8300,   270"}, 166, tipo_cella::abbattimento, 270},
        Abbattimento{"value_keeps_its_low_16_bits", {}, {"abbattimento,  8300,  70000"}, 166,
                     tipo_cella::abbattimento, 4464},
        Abbattimento{"zero_is_a_drop_without_value", {}, {"abbattimento,  8300,  0"}, 166,
                     tipo_cella::abbattimento_senza_valore, 0},
        Abbattimento{"negative_value_is_not_stored", {}, {"abbattimento,  8300,  -5"}, 166,
                     tipo_cella::abbattimento_senza_valore, 0},
        Abbattimento{"half_rounds_up_to_even", {}, {"abbattimento,  8775,  270"}, 176, tipo_cella::abbattimento,
                     270},
        Abbattimento{"half_rounds_down_to_even", {}, {"abbattimento,  8725,  270"}, 174, tipo_cella::abbattimento,
                     270},
        Abbattimento{"last_chainage_inside_the_grid", {}, {"abbattimento,  340900,  270"}, kCells - 2,
                     tipo_cella::abbattimento, 270},
        Abbattimento{"replaces_a_tunnel_marker", {"montagna,   8750,  11150,  12"}, {"abbattimento,  8900,  270"},
                     178, tipo_cella::abbattimento, 270},
        Abbattimento{"signal_at_the_same_chainage_lands_one_cell_on", {},
                     {"abbattimento,    8300,   270", segnale(8300)}, 167, tipo_cella::segnale, 42}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(TrainDrop, TunnelTypeStaysUnderAReplacedMarker) {
  LoadOutcome e = load_with_train({"abbattimento,  8900,  270"}, {"montagna,   8750,  11150,  12"});
  EXPECT_EQ(e.c(178).montagna, 2);
  EXPECT_EQ(e.c(182).tipo, tipo_cella::marcatore_montagna);
}

// ---------------------------------------------------------------------------
// Errors that stop loading: the number, the position, the record at fault,
// what stays stored and that the source is gone. Each case reads
// "numero vetture, 7" first (line 2) and "sabbia, 99" right after the
// record at fault, which must not be read.

struct Stop {
  const char* nome;
  std::vector<std::string> linea;
  std::vector<std::string> lines;  // from line 3 on; the last one is read last
  int32_t errore;
  int32_t posizione;
  std::function<void(const LoadOutcome&)> check = [](const LoadOutcome&) {};
  size_t blame = SIZE_MAX;  // index in lines of the record at fault; SIZE_MAX: the last one
};
void PrintTo(const Stop& a, std::ostream* os) { *os << a.nome; }

class TrainStops : public ::testing::TestWithParam<Stop> {};

TEST_P(TrainStops, LeaveWhatWasStoredAndNoSource) {
  const Stop& a = GetParam();
  const std::vector<std::string> lines = join(join({"numero vetture,  7"}, a.lines), {"sabbia,  99"});
  LoadOutcome e = load_with_train(lines, a.linea);
  EXPECT_EQ(e.m->numero_errore, a.errore);
  EXPECT_EQ(e.m->posizione_errore, a.posizione);
  EXPECT_FALSE(e.train_left);
  EXPECT_FALSE(e.line_left);
  EXPECT_EQ(e.m->stazioni.at(84).posizione, 7);
  EXPECT_EQ(e.m->stazioni.at(86).campo7, 0);
  EXPECT_EQ(e.diagnostic.source, LoadReport::treno);
  const size_t blame = a.blame == SIZE_MAX ? a.lines.size() - 1 : a.blame;
  EXPECT_EQ(e.diagnostic.line, static_cast<int>(blame) + 3);
  EXPECT_EQ(e.diagnostic.line_text, a.lines[blame]);
  a.check(e);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, TrainStops,
    ::testing::Values(
        Stop{"drop_on_a_taken_cell_7",
                {},
                {"abbattimento,    8300,   270", "abbattimento,    8300,   180"},
                7,
                8300,
                [](const LoadOutcome& e) { EXPECT_EQ(e.c(166).dato1, 270); }},
        Stop{"drop_on_a_signboard_7",
                {"cartello_indicatore,  8250,  (Km 8+250)"},
                {"abbattimento,    8300,   270"},
                7,
                8300,
                [](const LoadOutcome& e) { EXPECT_EQ(e.c(166).tipo, tipo_cella::cartello); }},
        Stop{"station_off_the_50_m_raster_8",
                {},
                {"stazione,  3125, 12,  400,  1, 0, 0,  4,1,0,  2,1,1,  1,  12,11,50, Fermata"},
                8,
                3125,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.m->stazioni.at(1).posizione, 3125);
                  EXPECT_EQ(e.m->stazioni.at(1).tipo, 0);
                  EXPECT_EQ(e.m->stazioni.at(1).nome, "");
                }},
        Stop{"zone_length_off_the_100_m_raster_9",
                {},
                {station_line(3100, 12, 450)},
                9,
                3100,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.m->stazioni.at(1).tipo, 12);
                  EXPECT_EQ(e.m->stazioni.at(1).campo4, 0);
                  EXPECT_EQ(e.c(65).tipo, 0);
                }},
        Stop{"zone_too_close_to_the_previous_22",
                {},
                {station_line(500, 12, 600), station_line(1000, 12, 300)},
                22,
                1000,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.m->stazioni.at(2).inizio, 850);
                  EXPECT_EQ(e.c(22).tipo, tipo_cella::fermata);
                  EXPECT_EQ(e.c(22).dato1, 2);
                }},
        Stop{"stop_cell_not_beyond_cell_1_24",
                {},
                {station_line(50, 12, 100)},
                24,
                0,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.m->stazioni.at(1).fine, 100);
                  EXPECT_EQ(e.c(1).tipo, 0);
                }},
        Stop{"signal_on_a_taken_cell_16",
                {},
                {"abbattimento,    8350,   270", segnale(8300)},
                16,
                8300,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.c(167).tipo, tipo_cella::abbattimento);
                  EXPECT_EQ(e.c(165).preavviso, 0);
                }},
        Stop{"slowdown_warning_on_a_taken_cell_17",
                {},
                {"rallentamento,  20650,  60,  1000,  1,  1,  0", "rallentamento,  20650,  40,  500,  1,  1,  0"},
                17,
                20650,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.c(390).dato1, 60);
                  EXPECT_EQ(e.c(424).tipo, 0);
                }},
        Stop{"slowdown_start_on_a_taken_cell_18",
                {},
                {"abbattimento,  20700,  270", "rallentamento,  20650,  60,  1000,  1,  1,  0"},
                18,
                20650,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.c(390).tipo, 0);
                  EXPECT_EQ(e.c(434).tipo, 0);
                }},
        Stop{"slowdown_end_on_a_taken_cell_19",
                {},
                {"abbattimento,  21700,  270", "rallentamento,  20650,  60,  1000,  1,  1,  0"},
                19,
                20650,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.c(414).tipo, 0);
                  EXPECT_EQ(e.c(434).tipo, tipo_cella::abbattimento);
                }},
        Stop{"pre_warning_on_a_taken_cell_20",
                {},
                {"abbattimento,  19450,  270", "rallentamento,  20650,  60,  1000,  1,  1,  0"},
                20,
                20650,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.c(390).tipo, tipo_cella::avviso);
                  EXPECT_EQ(e.c(414).tipo, tipo_cella::inizio_rallentamento);
                  EXPECT_EQ(e.c(434).tipo, tipo_cella::fine_rallentamento);
                  EXPECT_EQ(e.c(388).tipo, 0);
                }},
        Stop{"drop_beyond_the_grid_15", {}, {"abbattimento,  340901,  270"}, 15, 340901},
        Stop{"station_beyond_the_grid_15",
                {},
                {station_line(340250, 12, 200)},
                15,
                340250,
                [](const LoadOutcome& e) { EXPECT_EQ(e.m->stazioni.at(1).posizione, 340250); }},
        // It fails where the next record applies it; the record that gave
        // the speed is the one at fault.
        Stop{"speed_that_does_not_fit_a_cell_25",
                {},
                {"velocita,  0,  30", "velocita,  1000,  1280", "velocita,  2000,  60"},
                25,
                0,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.c(19).velocita, 6);
                  EXPECT_EQ(e.c(20).velocita, 0);
                },
                1},
        Stop{"signal_below_350_m_25",
                {},
                {segnale(300)},
                25,
                0,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.c(7).tipo, tipo_cella::segnale);
                  EXPECT_EQ(e.c(5).preavviso, 81);
                  EXPECT_EQ(e.c(3).preavviso, 82);
                  EXPECT_EQ(e.c(1).preavviso, 83);
                }},
        Stop{"slowdown_end_beyond_the_grid_25",
                {},
                {"rallentamento,  340000,  60,  2000,  1,  1,  0"},
                25,
                0,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.c(6801).tipo, 0);
                  EXPECT_EQ(e.c(6777).tipo, 0);
                }},
        Stop{"stop_mark_beyond_the_grid_25",
                {},
                {station_line(340200, 8, 900)},
                25,
                0,
                [](const LoadOutcome& e) {
                  EXPECT_EQ(e.m->stazioni.at(1).fine, 341100);
                  EXPECT_EQ(e.c(kCells).preavviso, 81);
                  EXPECT_EQ(e.c(kCells - 3).preavviso, 84);
                }},
        Stop{"byte_field_too_wide_25",
                {},
                {"stazione,  3100, 256,  400,  1, 0, 0,  4,1,0,  2,1,1,  1,  12,11,50, Fermata"},
                25,
                0,
                [](const LoadOutcome& e) { EXPECT_EQ(e.m->stazioni.at(1).posizione, 3100); }},
        Stop{"integer_field_too_wide_25", {}, {"orologio,  12,  11,  40000"}, 25, 0,
                [](const LoadOutcome& e) { EXPECT_EQ(e.m->stazioni.at(86).campo11, 11); }}),
    [](const auto& info) { return std::string(info.param.nome); });

// Error 15 of the train source ends its reading only: the tails still run.
TEST(TrainErrors, RecordBeyondTheGridStillRunsTheTails) {
  LoadOutcome e = load_with_train({"velocita,  0,  30", "aderenza,  0,  87", "velocita,  340901,  50"});
  EXPECT_EQ(e.m->numero_errore, 15);
  EXPECT_EQ(e.m->posizione_errore, 340901);
  EXPECT_EQ(e.c(kCells - 3).velocita, 6);
  EXPECT_EQ(e.c(kCells - 3).aderenza, 87);
  EXPECT_EQ(e.c(kCells - 2).velocita, 0);
}

// ---------------------------------------------------------------------------
// After error 15 in the line source

struct Dopo15 {
  const char* nome;
  std::vector<std::string> lines;
  int32_t errore;
  int32_t posizione;
  std::function<void(const LoadOutcome&)> check = [](const LoadOutcome&) {};
};
void PrintTo(const Dopo15& d, std::ostream* os) { *os << d.nome; }

class TrainAfterLineError : public ::testing::TestWithParam<Dopo15> {};

TEST_P(TrainAfterLineError, TrainSourceIsStillRead) {
  const Dopo15& d = GetParam();
  LoadOutcome e = load_with_train(d.lines, {"pendenza,  600,  -11", "pendenza,  340901,  0", "pendenza,  900,  5"});
  EXPECT_EQ(e.m->numero_errore, d.errore);
  EXPECT_EQ(e.m->posizione_errore, d.posizione);
  EXPECT_FALSE(e.train_left);
  EXPECT_FALSE(e.line_left);
  EXPECT_EQ(e.c(12).pendenza, 89);  // the line's tail ran with the gradient before the error
  EXPECT_EQ(e.c(18).pendenza, 89);
  d.check(e);
}

INSTANTIATE_TEST_SUITE_P(
    LineError15, TrainAfterLineError,
    ::testing::Values(
        Dopo15{"first_signal_stops_after_it_is_stored",
               {"velocita,  0,  30", "abbattimento,  1000,  270", station_line(3100, 12, 400), segnale(29850),
                segnale(40000), "numero vetture,  7"},
               15,
               29850,
               [](const LoadOutcome& e) {
                 EXPECT_EQ(e.c(20).tipo, tipo_cella::abbattimento);
                 EXPECT_EQ(e.c(65).tipo, tipo_cella::fermata);
                 EXPECT_EQ(e.m->stazioni.at(1).fine, 3300);
                 EXPECT_EQ(e.c(598).tipo, tipo_cella::segnale);
                 EXPECT_EQ(e.c(590).preavviso, 84);
                 EXPECT_EQ(e.c(801).tipo, 0);
                 EXPECT_EQ(e.m->stazioni.at(84).posizione, 0);
                 EXPECT_EQ(e.c(100).velocita, 0);  // no tails after a stop
                 EXPECT_EQ(e.diagnostic.source, LoadReport::treno);
                 EXPECT_EQ(e.diagnostic.line, 5);
                 // ... and the record that recorded the error is named
                 EXPECT_NE(e.diagnostic.reason.find("line source at line"), std::string::npos);
                 EXPECT_NE(e.diagnostic.reason.find("pendenza,  340901,  0"), std::string::npos);
               }},
        Dopo15{"first_slowdown_stops_after_it_is_stored",
               {"rallentamento,  20650,  60,  1000,  1,  1,  0", "numero vetture,  7"},
               15,
               20650,
               [](const LoadOutcome& e) {
                 EXPECT_EQ(e.c(414).tipo, tipo_cella::inizio_rallentamento);
                 EXPECT_EQ(e.c(386).dato1, 4);
                 EXPECT_EQ(e.m->stazioni.at(84).posizione, 0);
               }},
        Dopo15{"own_error_replaces_it", {"abbattimento,  1000,  270", "abbattimento,  1000,  270"}, 7, 1000},
        Dopo15{"error_24_keeps_its_position", {station_line(50, 12, 100)}, 24, 340901},
        Dopo15{"load_failure_keeps_its_position", {"velocita,  0,  1280", "velocita,  1000,  30"}, 25, 340901},
        // The tail fails after the source is closed: the failure is still
        // the train record's, not the line record's of error 15.
        Dopo15{"speed_failing_in_the_tail",
               {"velocita,  0,  30", "velocita,  1000,  1280", "numero vetture,  7"},
               25,
               340901,
               [](const LoadOutcome& e) {
                 EXPECT_EQ(e.m->stazioni.at(84).posizione, 7);
                 EXPECT_EQ(e.c(19).velocita, 6);
                 EXPECT_EQ(e.c(20).velocita, 0);
                 EXPECT_EQ(e.diagnostic.source, LoadReport::treno);
                 EXPECT_EQ(e.diagnostic.line, 3);
                 EXPECT_EQ(e.diagnostic.line_text, "velocita,  1000,  1280");
               }},
        Dopo15{"without_signals_the_tails_run",
               {"velocita,  0,  30", "numero vetture,  7"},
               15,
               340901,
               [](const LoadOutcome& e) {
                 EXPECT_EQ(e.c(kCells - 3).velocita, 6);
                 EXPECT_EQ(e.m->stazioni.at(84).posizione, 7);
               }}),
    [](const auto& info) { return std::string(info.param.nome); });

// ---------------------------------------------------------------------------
// The closing check of the chainage references

struct Reference {
  const char* nome;
  std::string generale;
  std::vector<std::string> linea;
  int32_t errore;
  int32_t posizione;
};
void PrintTo(const Reference& r, std::ostream* os) { *os << r.nome; }

class TrainReferences : public ::testing::TestWithParam<Reference> {};

TEST_P(TrainReferences, AreCheckedAfterTheTrainSource) {
  const Reference& r = GetParam();
  LoadOutcome e = load(line_with_general(r.generale, r.linea),
                         treno({"numero vetture,  7", "velocita,  0,  30", "aderenza,  0,  87"}),
                         LoadOptions{.con_planimetria = false});
  EXPECT_EQ(e.m->numero_errore, r.errore);
  EXPECT_EQ(e.m->posizione_errore, r.posizione);
  EXPECT_FALSE(e.train_left);
  EXPECT_FALSE(e.line_left);
  // The train source was read to its end and both tails ran.
  EXPECT_EQ(e.m->stazioni.at(84).posizione, 7);
  EXPECT_EQ(e.c(kCells - 3).velocita, 6);
  EXPECT_EQ(e.c(kCells - 3).aderenza, 87);
}

INSTANTIATE_TEST_SUITE_P(
    References, TrainReferences,
    ::testing::Values(
        Reference{"second_value_off_the_raster", "progressiva chilometrica uno,    31100,    3125,    0", {}, 2, 0},
        Reference{"flag_adds_100_off_the_raster", "progressiva chilometrica tre,    315950,    412025,    1", {}, 2,
                    0},
        Reference{"flag_adds_100_on_the_raster", "progressiva chilometrica tre,    315950,    412050,    1", {}, 0,
                    0},
        Reference{"replaces_error_15_and_keeps_its_position",
                    "progressiva chilometrica uno,    31100,    3125,    0",
                    {"pendenza,  340901,  0"},
                    2,
                    340901}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace compactor
