// The line half of the loader, run through memorizza_dati on sources written
// to disk: route length and grid, general section, gradients, plan, tunnels,
// speed indicator boards, signboards, and the state every error leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "testing/source_fixture.h"
#include "model/model.h"

namespace compactor {
namespace {

using testing::load;
using testing::LoadOutcome;
using testing::line_with;
using testing::LoadOptions;
using testing::crlf_lines;
using testing::minimal_train;

// A short route: metri_totali 10000, celle_totali 200, the last chainage
// inside the grid 9900.
constexpr int32_t kShort = 3000;

std::string n(int64_t v) { return std::to_string(v); }

// A train source whose one record shows that the train half ran.
std::string treno_con_sabbia() { return crlf_lines({"[generale]", "sabbia,    200"}); }

// Where a field stands in its line: 0-based offset of its first byte.
int column(const std::string& riga, const std::string& campo) {
  const auto p = riga.find(campo);
  EXPECT_NE(p, std::string::npos) << campo << " not in " << riga;
  return static_cast<int>(p);
}

void expected_after_error(const LoadOutcome& e, int32_t numero, int riga, int col) {
  EXPECT_EQ(e.m->numero_errore, numero);
  EXPECT_EQ(e.diagnostic.source, LoadReport::linea);
  EXPECT_EQ(e.diagnostic.line, riga);
  EXPECT_EQ(e.diagnostic.column, col);
}

// A scenario error of the line source: it is deleted, the train source is
// left for nobody to read.
void only_line_deleted(const LoadOutcome& e) {
  EXPECT_FALSE(e.line_left);
  EXPECT_TRUE(e.train_left);
  EXPECT_EQ(e.m->stazioni.at(86).campo7, 0);  // nothing of the train read
}

void both_deleted(const LoadOutcome& e) {
  EXPECT_FALSE(e.line_left);
  EXPECT_FALSE(e.train_left);
}

// The gradient byte of every cell.
std::vector<int> pendenze(const LoadOutcome& e) {
  std::vector<int> out;
  for (const cella& c : e.m->griglia.celle()) out.push_back(c.pendenza);
  return out;
}

struct Stretch {
  int64_t da, a;
  int valore;
};

// celle_totali + 1 cells, 0 except the runs given.
std::vector<int> stretches(int32_t celle_totali, std::initializer_list<Stretch> t) {
  std::vector<int> out(static_cast<size_t>(celle_totali) + 1, 0);
  for (const Stretch& r : t)
    for (int64_t k = r.da; k <= r.a; ++k) out[static_cast<size_t>(k)] = r.valore;
  return out;
}

// Heading of the step that reaches point i, in radians from +y toward +x.
double direction_(const Planimetria& p, int64_t i) {
  return std::atan2(p.x(i) - p.x(i - 1), p.y(i) - p.y(i - 1));
}

// ---------------------------------------------------------------------------
// Route length, grid and plan size

TEST(LineLength, RouteLengthSizesGridAndPlan) {
  struct Case {
    int32_t lunghezza, metres, celle;
  };
  const Case cases[] = {
      {334000, 341000, 6820},
      {334025, 341025, 6820},  // 6820.5 -> even
      {334075, 341075, 6822},  // 6821.5 -> even
      {1000000, 1007000, 20140},
      {0, 7000, 140},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.lunghezza);
    LoadOutcome e = load(line_with(k.lunghezza));
    const Model& m = *e.m;
    EXPECT_EQ(m.numero_errore, 0);
    EXPECT_EQ(m.metri_totali, k.metres);
    EXPECT_EQ(m.celle_totali, k.celle);
    EXPECT_EQ(m.griglia.last(), k.celle);
    EXPECT_EQ(m.planimetria.points(), int64_t{k.metres} + 1);
    EXPECT_EQ(m.stazioni.at(84).fine, k.lunghezza);
    EXPECT_TRUE(e.files_left.empty());
  }
}

TEST(LineLength, OverAMillionIsError1BeforeAnythingIsDimensioned) {
  LoadOutcome e = load(line_with(1000001, {"pendenza,  600,  -11"}));
  expected_after_error(e, 1, 2, column("lunghezza_percorso,  1000001", "1000001"));
  EXPECT_EQ(e.m->posizione_errore, 0);
  EXPECT_EQ(e.m->stazioni.at(84).fine, 1000001);
  EXPECT_FALSE(e.m->griglia.sized());
  EXPECT_FALSE(e.m->planimetria.sized());
  only_line_deleted(e);
}

TEST(LineLength, LaterLengthLineStartsTheGridAfresh) {
  // A grid made by an earlier line stays when a later one is refused...
  LoadOutcome refused = load(crlf_lines(
      {"[generale]", "lunghezza percorso,  3000", "lunghezza percorso,  1000001", "[curve]", "pendenza, 600, 1"}));
  EXPECT_EQ(refused.m->numero_errore, 1);
  EXPECT_EQ(refused.m->celle_totali, 200);
  EXPECT_EQ(refused.m->griglia.last(), 200);
  // ...and is replaced by a later one that is accepted.
  LoadOutcome redone =
      load(crlf_lines({"[generale]", "lunghezza percorso,  3000", "LUNGHEZZA del PERCORSO,  5000", "[curve]"}));
  EXPECT_EQ(redone.m->numero_errore, 0);
  EXPECT_EQ(redone.m->celle_totali, 240);
  EXPECT_EQ(redone.m->griglia.last(), 240);
  EXPECT_EQ(redone.m->planimetria.points(), 12001);
}

// A record of each kind at a chainage: the last one inside the grid is
// stored, one metre further is error 15, which ends the line's records only.
struct EdgeCase {
  const char* nome;
  std::string (*riga)(int32_t c);
  bool (*stored_)(const Model& m);
};

const EdgeCase kLimits[] = {
    {"gradient", [](int32_t c) { return "pendenza,  " + n(c) + ",  3"; },
     [](const Model& m) { return m.griglia.at(6818).pendenza == 103; }},
    {"curve", [](int32_t c) { return "curvad6,  " + n(c) + ",  50"; },
     [](const Model& m) { return m.planimetria.x(340950) > 0.0; }},
    {"tunnel", [](int32_t c) { return "montagna,  " + n(c) + ",  " + n(c + 50) + ",  1"; },
     [](const Model& m) { return m.numero_montagne == 1 && m.griglia.at(6818).montagna == 1; }},
    {"board", [](int32_t c) { return "indicatori_vmax,  " + n(c) + ",  100,  100,  100,  0,  0,  0,  0,  0"; },
     [](const Model& m) { return m.griglia.at(6819).tipo == tipo_cella::indicatore_v_max; }},
    {"signboard", [](int32_t c) { return "cartello_indicatore,  " + n(c) + ",  Km 341"; },
     [](const Model& m) { return m.griglia.at(6819).tipo == tipo_cella::cartello && m.stazioni.at(80).nome == "Km 341"; }},
};

TEST(LineLength, LastChainageInsideTheGridIsStored) {
  for (const EdgeCase& k : kLimits) {
    SCOPED_TRACE(k.nome);
    LoadOutcome e = load(line_with(334000, {k.riga(340900)}), treno_con_sabbia());
    EXPECT_EQ(e.m->numero_errore, 0);
    EXPECT_TRUE(k.stored_(*e.m));
  }
}

TEST(LineLength, OneMetreFurtherIsError15AndTheTrainIsStillRead) {
  for (const EdgeCase& k : kLimits) {
    SCOPED_TRACE(k.nome);
    const std::string riga = k.riga(340901);
    LoadOutcome e = load(
        line_with(334000, {"pendenza,  600,  -11", riga, "cartello_indicatore,  1000,  not read"}), treno_con_sabbia());
    expected_after_error(e, 15, 5, column(riga, "340901"));
    EXPECT_EQ(e.m->posizione_errore, 340901);
    EXPECT_EQ(e.m->griglia.at(6819), cella{});
    EXPECT_EQ(e.m->numero_montagne, 0);
    // The records after it are not read...
    EXPECT_EQ(e.m->griglia.at(21).tipo, 0);
    EXPECT_EQ(e.m->stazioni.at(80).nome, "");
    // ...but the line is finished, the train is read and both are deleted.
    EXPECT_EQ(e.m->griglia.at(11).pendenza, 100);
    EXPECT_EQ(e.m->griglia.at(6817).pendenza, 89);
    EXPECT_EQ(e.m->planimetria.next(), 340999);
    EXPECT_EQ(e.m->stazioni.at(86).campo7, 200);
    both_deleted(e);
  }
}

// ---------------------------------------------------------------------------
// General section

TEST(LineGeneralSection, ReferencesBackgroundsAndNames) {
  LoadOutcome e = load(crlf_lines({
      "[generale]",
      "lunghezza percorso,    334000",
      "progressiva chilometrica uno,    31100,    3050,    0",
      "progressiva chilometrica due,    284500,    -284500,    0",
      "progressiva chilometrica tre,    315950,    412050,    1",
      "sfondo uno,    1",
      "sfondo due,    2",
      "sfondo tre,    3",
      "[curve]",
  }));
  const Model& m = *e.m;
  EXPECT_EQ(m.numero_errore, 0);
  auto riga = [&](int r) {
    const stazione& s = m.stazioni.at(r);
    return std::vector<int32_t>{s.inizio, s.fine, s.posizione};
  };
  EXPECT_EQ(riga(81), (std::vector<int32_t>{315950, 412150, 1}));
  EXPECT_EQ(riga(82), (std::vector<int32_t>{284500, -284500, 0}));
  EXPECT_EQ(riga(83), (std::vector<int32_t>{31100, 3050, 0}));
  EXPECT_EQ(riga(85), (std::vector<int32_t>{1, 3, 2}));
  EXPECT_EQ(m.stazioni.at(85).nome, "R");
  EXPECT_EQ(m.stazioni.at(86).nome, "T");
}

TEST(LineGeneralSection, ReferencesAreOrderedBeforeTheMultipleOf50Check) {
  // Flag 1 makes 412025 into 412125, which the check after the train refuses.
  LoadOutcome e = load(crlf_lines({"[generale]", "lunghezza percorso,  3000",
                                     "progressiva chilometrica uno,  100,  412025,  1", "[curve]"}));
  EXPECT_EQ(e.m->numero_errore, 2);
  EXPECT_EQ(e.m->stazioni.at(81).fine, 412125);
  both_deleted(e);
}

TEST(LineGeneralSection, KeyWordsOfTheGeneralSection) {
  struct Case {
    const char* nome;
    std::vector<std::string> lines;  // between the length line and "[curve]"
    int32_t inizio81, fine81, inizio85;
  };
  const Case cases[] = {
      {"reference", {"progressiva chilometrica uno,  500,  50,  0"}, 500, 50, 0},
      // The reference key words are exact: a capital P is not recognised,
      // its numbers are skipped as key fields and reading goes on.
      {"capital_reference", {"Progressiva chilometrica uno,  500,  50,  0", "sfondo uno,  1"}, 0, 0, 1},
      {"capital_background", {"Sfondo uno,  4", "sfondo uno,  1"}, 0, 0, 1},
      // Ten dash fields are passed over; the eleventh is tested as it is.
      {"ten_dash_fields", {"-,-,-,-,-,-,-,-,-,- nota,-sfondo uno-,  7"}, 0, 0, 7},
      // After nine, the tenth replacement reads the number as a key field.
      {"nine_dash_fields", {"-,-,-,-,-,-,-,-,- nota,-sfondo uno-,  7"}, 0, 0, 0},
      // Record key words mean nothing here.
      {"record_key_word", {"cartello_indicatore,  1000,  sfondo uno", "  9"}, 0, 0, 9},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.nome);
    std::vector<std::string> lines = {"[generale]", "lunghezza percorso,  3000"};
    lines.insert(lines.end(), k.lines.begin(), k.lines.end());
    lines.push_back("[curve]");
    LoadOutcome e = load(crlf_lines(lines));
    EXPECT_EQ(e.m->numero_errore, 0);
    EXPECT_EQ(e.m->stazioni.at(81).inizio, k.inizio81);  // the one reference is the largest
    EXPECT_EQ(e.m->stazioni.at(81).fine, k.fine81);
    EXPECT_EQ(e.m->stazioni.at(85).inizio, k.inizio85);
    EXPECT_EQ(e.m->griglia.at(21).tipo, 0);
  }
}

TEST(LineGeneralSection, PreambleAndTheEndOfTheSection) {
  struct Case {
    const char* nome;
    std::vector<std::string> lines;
    int32_t celle, gradient_cell_12, sfondo;
  };
  const Case cases[] = {
      // Everything before "[generale]" is skipped, key words included.
      {"preamble", {"lunghezza percorso,  5000", "[generale]", "lunghezza percorso,  3000", "[curve]", "pendenza,  600,  -11"}, 200, 89, 0},
      {"capitals", {"[GENERALE]", "lunghezza percorso,  3000", "[curve]", "pendenza,  600,  -11"}, 200, 89, 0},
      {"inside_other_text", {"xx[Generale]yy", "lunghezza percorso,  3000", "[curve]", "pendenza,  600,  -11"}, 200, 89, 0},
      // A gradient in the general section is not read; after the first
      // bracketed field it is.
      {"gradient_before_the_end", {"[generale]", "lunghezza percorso,  3000", "pendenza,  600,  -11", "[x]", "pendenza,  600,  -11"}, 200, 89, 0},
      {"gradient_only_before_the_end", {"[generale]", "lunghezza percorso,  3000", "pendenza,  600,  -11", "[fine]"}, 200, 100, 0},
      // The closing field is tested against the general key words first.
      {"closing_field_with_key_words", {"[generale]", "lunghezza percorso,  3000", "[sfondo uno],  4", "pendenza,  600,  -11"}, 200, 89, 4},
      // A bracketed field behind a dash does not end the section.
      {"dash_in_front", {"[generale]", "lunghezza percorso,  3000", "-[nota]-", "pendenza,  600,  -11", "[curve]"}, 200, 100, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.nome);
    LoadOutcome e = load(crlf_lines(k.lines));
    EXPECT_EQ(e.m->numero_errore, 0);
    EXPECT_EQ(e.m->celle_totali, k.celle);
    EXPECT_EQ(e.m->griglia.at(12).pendenza, k.gradient_cell_12);
    EXPECT_EQ(e.m->stazioni.at(85).inizio, k.sfondo);
  }
}

// ---------------------------------------------------------------------------
// Signal repetition

TEST(LineSignalRepetition, CodesAndEnds) {
  struct Case {
    std::string riga;
    int32_t inizio, fine, codes;
  };
  const Case cases[] = {
      {"ripetizione segnali 9 codici,    8000,    330700", 8000, 330700, 9},
      {"ripetizione segnali 4 codici,    8000,    330700", 8000, 330700, 4},
      {"ripetizione segnali 94 codici,    8000,    330700", 8000, 330700, 4},  // "4" is tested first
      {"ripetizione segnali 4 codici,    0,    0", 0, 0, 0},  // no last chainage: 0 codes
      {"ripetizione segnali 9 codici,    8000,    0", 8000, 0, 0},
      {"ripetizione segnali 9 codici,    -50,    -100", -50, -100, 9},
      {"Ripetizione segnali 9 codici,    8000,    330700", 0, 0, 0},  // exact case: not recognised
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.riga);
    LoadOutcome e = load(crlf_lines({"[generale]", "lunghezza percorso,  3000", k.riga, "[curve]"}));
    const stazione& r86 = e.m->stazioni.at(86);
    EXPECT_EQ(e.m->numero_errore, 0);
    EXPECT_EQ(r86.inizio, k.inizio);
    EXPECT_EQ(r86.fine, k.fine);
    EXPECT_EQ(r86.posizione, k.codes);
    EXPECT_EQ(r86.nome, "T");
  }
}

TEST(LineSignalRepetition, Errors3To5EndLoadingWithWhatWasRead) {
  struct Case {
    std::string riga;
    int32_t numero;
    const char* campo;  // the field the error points at
    int32_t inizio, fine;
  };
  const Case cases[] = {
      {"ripetizione segnali 9 codici,  8010,  330700", 3, "8010", 8010, 330700},
      {"ripetizione segnali 9 codici,  8010,  330725", 3, "8010", 8010, 330725},
      {"ripetizione segnali 9 codici,  8000,  330725", 4, "330725", 8000, 330725},
      {"ripetizione segnali codici,  8000,  330700", 5, "ripetizione", 8000, 330700},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.riga);
    LoadOutcome e = load(crlf_lines({"[generale]", "lunghezza percorso,  3000", "sfondo uno,  1",
                                       "ripetizione segnali 4 codici, 50, 100", k.riga, "sfondo due,  2", "[curve]",
                                       "pendenza,  600,  -11"}));
    expected_after_error(e, k.numero, 5, column(k.riga, k.campo));
    EXPECT_EQ(e.m->posizione_errore, 0);
    const stazione& r86 = e.m->stazioni.at(86);
    EXPECT_EQ(r86.inizio, k.inizio);
    EXPECT_EQ(r86.fine, k.fine);
    EXPECT_EQ(r86.posizione, 4);  // from the line before; the refused one sets none
    EXPECT_EQ(e.m->stazioni.at(85).inizio, 1);
    EXPECT_EQ(e.m->stazioni.at(85).posizione, 0);
    // The grid exists but the record part and its tails never ran.
    EXPECT_EQ(e.m->celle_totali, 200);
    for (const cella& c : e.m->griglia.celle()) EXPECT_EQ(c, cella{});
    EXPECT_FALSE(e.m->planimetria.seeded());
    only_line_deleted(e);
  }
}

TEST(LineSignalRepetition, ErrorBeforeTheLengthLeavesNoGrid) {
  LoadOutcome e = load(crlf_lines({"[generale]", "ripetizione segnali codici,  0,  0", "lunghezza percorso,  3000", "[curve]"}));
  EXPECT_EQ(e.m->numero_errore, 5);
  EXPECT_FALSE(e.m->griglia.sized());
  only_line_deleted(e);
}

// ---------------------------------------------------------------------------
// Gradients

TEST(LineGradients, FillRules) {
  struct Case {
    const char* nome;
    std::vector<std::string> record;
    std::vector<int> celle;
  };
  const Case cases[] = {
      {"none", {}, stretches(200, {{0, 197, 100}})},
      // The first gradient at 0 fills nothing: cell 0 already has it.
      {"first_at_0", {"pendenza,  0,   7"}, stretches(200, {{0, 197, 107}})},
      {"worked_example", {"pendenza,  0,   0", "pendenza,  600,   -11", "pendenza,  1200,   0"},
       stretches(200, {{0, 11, 100}, {12, 23, 89}, {24, 197, 100}})},
      // Behind the fill pointer one cell is still written.
      {"behind_the_pointer", {"pendenza,  1000,  5", "pendenza,  500,  -3"},
       stretches(200, {{0, 19, 100}, {20, 20, 105}, {21, 197, 97}})},
      {"same_chainage_twice", {"pendenza,  1000,  5", "pendenza,  1000,  8"},
       stretches(200, {{0, 19, 100}, {20, 20, 105}, {21, 197, 108}})},
      {"negative_chainage", {"pendenza,  -500,  4"}, stretches(200, {{0, 197, 104}})},
      // The decimal comma: -4, and the "5" is a key field of nothing.
      {"decimal_comma", {"pendenza,  1250,   -4,5", "pendenza,  2000,  1"},
       stretches(200, {{0, 24, 100}, {25, 39, 96}, {40, 197, 101}})},
      // Halves to even: 125 -> 2, 175 -> 4.
      {"rounding", {"pendenza,  125,  3", "pendenza,  175,  6"}, stretches(200, {{0, 1, 100}, {2, 3, 103}, {4, 197, 106}})},
      // The byte keeps the low 8 bits.
      {"low_byte", {"pendenza,  100,  155", "pendenza,  200,  200", "pendenza,  300,  -100", "pendenza,  400,  -101"},
       stretches(200, {{0, 1, 100}, {2, 3, 255}, {4, 5, 44}, {6, 7, 0}, {8, 197, 255}})},
      // The last gradient inside the grid: its tail write falls on cell 198.
      {"tail_on_celle_minus_2", {"pendenza,  9900,  9"}, stretches(200, {{0, 197, 100}, {198, 198, 109}})},
      // A record over two lines.
      {"over_two_lines", {"pendenza,  600", "  -11"}, stretches(200, {{0, 11, 100}, {12, 197, 89}})},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.nome);
    LoadOutcome e = load(line_with(kShort, k.record));
    EXPECT_EQ(e.m->numero_errore, 0);
    EXPECT_EQ(pendenze(e), k.celle);
  }
}

TEST(LineGradients, DashFieldsOfTheRecordPart) {
  struct Case {
    std::string riga;
    bool read_it;
  };
  const Case cases[] = {
      {"-- nota --,pendenza,  600,  -11", true},
      {"-a,-b,pendenza,  600,  -11", true},
      {"-a,-b,-pendenza-,  600,  -11", true},  // the third is tested as it is
      {"-a,-pendenza-,  600,  -11", false},     // "600" takes its place
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.riga);
    LoadOutcome e = load(line_with(kShort, {k.riga}));
    EXPECT_EQ(e.m->numero_errore, 0);
    EXPECT_EQ(e.m->griglia.at(12).pendenza, k.read_it ? 89 : 100);
  }
}

TEST(LineGradients, EndOfTheFile) {
  // A lone key field as the last field is read and not interpreted.
  LoadOutcome single = load(line_with(kShort, {"pendenza,  600,  -11", "pendenza"}));
  EXPECT_EQ(single.m->numero_errore, 0);
  EXPECT_EQ(single.m->griglia.at(197).pendenza, 89);
  // A record whose fields run past the end fails the whole load.
  LoadOutcome truncate = load(line_with(kShort, {"pendenza,  600,  -11", "pendenza,  1200"}));
  EXPECT_EQ(truncate.m->numero_errore, 25);
  EXPECT_EQ(truncate.m->griglia.at(11).pendenza, 100);  // what was stored stays
  EXPECT_EQ(truncate.m->griglia.at(12).pendenza, 0);
  both_deleted(truncate);
}

TEST(LineGradients, KeyFieldWithTwoKeyWordsReadsBothRecords) {
  LoadOutcome e = load(line_with(kShort, {"pendenza curvad6,  600,  -11,  100,  200"}));
  EXPECT_EQ(e.m->numero_errore, 0);
  EXPECT_EQ(e.m->griglia.at(11).pendenza, 100);
  EXPECT_EQ(e.m->griglia.at(12).pendenza, 89);
  EXPECT_NEAR(direction_(e.m->planimetria, 300), 0.6, 1e-3);
}

// ---------------------------------------------------------------------------
// Plan

TEST(LinePlan, SeedAndStraightLineWithoutCurves) {
  LoadOutcome e = load(line_with(kShort));
  const Planimetria& p = e.m->planimetria;
  ASSERT_EQ(p.points(), 10001);
  EXPECT_EQ(p.entry(0, 0).tag, Variant::intero);
  EXPECT_EQ(p.entry(0, 1).tag, Variant::intero);
  EXPECT_EQ(p.entry(1, 0).tag, Variant::intero);
  EXPECT_EQ(p.entry(1, 1).tag, Variant::intero);
  EXPECT_EQ(p.entry(0, 1).i, 0);
  EXPECT_EQ(p.entry(1, 1).i, 1);
  for (int64_t m = 2; m <= 9998; ++m) {
    ASSERT_EQ(p.entry(m, 0).tag, Variant::doppio) << m;
    ASSERT_EQ(p.entry(m, 0).d, 0.0) << m;
    ASSERT_EQ(p.entry(m, 1).d, static_cast<double>(m)) << m;
  }
  EXPECT_EQ(p.entry(9999, 0).tag, Variant::vuoto);
  EXPECT_EQ(p.entry(9999, 1).tag, Variant::vuoto);
  EXPECT_EQ(p.entry(10000, 0).tag, Variant::vuoto);
}

TEST(LinePlan, CurvesTurnTheHeading) {
  struct Case {
    std::string riga;
    int64_t fine;     // last point bent
    double angle_;    // heading there
  };
  const Case cases[] = {
      {"curvad6,  100,  1000", 1100, 3.0},
      {"curvas6,  100,  1000", 1100, -3.0},
      {"CURVAS2,  100,  500", 600, -0.1},   // capitals: still s, class 2
      {"curva6,  100,  500", 600, 1.5},     // no "s": d
      {"curvad21,  100,  500", 600, 0.05},  // class 1 wins over 2
      {"curvad4,  100,  0", 100, 0.0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.riga);
    LoadOutcome e = load(line_with(kShort, {k.riga}));
    ASSERT_EQ(e.m->numero_errore, 0);
    const Planimetria& p = e.m->planimetria;
    // Straight up to the start of the curve...
    for (int64_t m = 2; m <= 100; ++m) {
      ASSERT_EQ(p.x(m), 0.0) << m;
      ASSERT_EQ(p.y(m), static_cast<double>(m)) << m;
    }
    // ...bent from the next point on...
    EXPECT_EQ(p.x(101) != 0.0, k.angle_ != 0.0);
    EXPECT_NEAR(direction_(p, k.fine), k.angle_, 1e-4);
    // ...and straight again to the end of the plan.
    EXPECT_NEAR(direction_(p, 9998), direction_(p, k.fine), 1e-9);
  }
}

TEST(LinePlan, StepsAreNotRenormalised) {
  LoadOutcome e = load(line_with(kShort, {"curvad6,  100,  1000"}));
  const Planimetria& p = e.m->planimetria;
  const double step = std::hypot(p.x(1100) - p.x(1099), p.y(1100) - p.y(1099));
  EXPECT_NEAR(step, std::pow(1.0 + 0.003 * 0.003, 500.0), 1e-9);
  EXPECT_NEAR(std::hypot(p.x(9998) - p.x(9997), p.y(9998) - p.y(9997)), step, 1e-9);
}

TEST(LinePlan, CurveStartingBeforeThePlanIndexBendsOnlyWhatIsLeft) {
  LoadOutcome e = load(line_with(kShort, {"curvad6,  100,  100", "curvas6,  150,  100"}));
  const Planimetria& p = e.m->planimetria;
  EXPECT_NEAR(direction_(p, 200), 0.3, 1e-4);
  EXPECT_NEAR(direction_(p, 201), 0.297, 1e-4);  // no straight run in between
  EXPECT_NEAR(direction_(p, 250), 0.15, 1e-4);
  EXPECT_NEAR(direction_(p, 9998), direction_(p, 250), 1e-9);
}

TEST(LinePlan, WithoutThePlanCurvesAreNotRead) {
  const std::vector<std::string> record = {
      "curva,  100,  200",       // no class digit
      "curvad1,  9901,  10",     // beyond the grid
      "curvad6,  pendenza,  600,  -11",  // its fields are key fields
  };
  LoadOutcome without = load(line_with(kShort, record), minimal_train(), LoadOptions{.con_planimetria = false});
  EXPECT_EQ(without.m->numero_errore, 0);
  EXPECT_FALSE(without.m->planimetria.sized());
  EXPECT_EQ(without.m->griglia.at(12).pendenza, 89);
  EXPECT_TRUE(without.files_left.empty());

  LoadOutcome con = load(line_with(kShort, record));
  EXPECT_EQ(con.m->numero_errore, 103);
}

TEST(LinePlan, CurveWithoutAClassDigitIsError103) {
  for (const std::string riga : {"curvad,  300,  100", "curvas7,  300,  100", "curva0,  300,  100"}) {
    SCOPED_TRACE(riga);
    LoadOutcome e = load(line_with(kShort, {"curvad1,  100,  100", riga, "pendenza,  600,  -11"}));
    expected_after_error(e, 103, 5, 0);
    EXPECT_EQ(e.m->posizione_errore, 0);
    EXPECT_EQ(e.m->planimetria.next(), 201);  // the curve before stays
    EXPECT_EQ(e.m->griglia.at(0).pendenza, 0);   // no gradient tail
    only_line_deleted(e);
  }
}

TEST(LinePlan, PlanIndexPassingAMillionIsError103) {
  struct Case {
    std::string riga;
    int32_t numero;
  };
  const Case cases[] = {
      {"curvad1,  999000,  999", 0},    // the plan index stops at 1,000,000
      {"curvad1,  999000,  1000", 103},
      {"curvad1,  1000000,  10", 103},  // in the straight run
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.riga);
    LoadOutcome e = load(line_with(1000000, {k.riga}));
    EXPECT_EQ(e.m->numero_errore, k.numero);
    if (k.numero == 0) {
      EXPECT_EQ(e.m->planimetria.next(), 1006999);  // the tail has no such limit
    } else {
      EXPECT_EQ(e.m->planimetria.next(), 1000001);
      only_line_deleted(e);
    }
  }
}

TEST(LinePlan, CurveRunningPastThePlanIsError25) {
  LoadOutcome e = load(line_with(kShort, {"pendenza,  600,  -11", "curvad1,  9000,  2000"}));
  EXPECT_EQ(e.m->numero_errore, 25);
  EXPECT_EQ(e.m->posizione_errore, 0);
  EXPECT_EQ(e.m->planimetria.next(), 10001);  // up to the last point of the plan
  EXPECT_EQ(e.m->griglia.at(11).pendenza, 100);
  EXPECT_EQ(e.diagnostic.line, 5);
  both_deleted(e);
}

// ---------------------------------------------------------------------------
// Tunnels

TEST(LineTunnels, TunnelLinesReachTheGrid) {
  LoadOutcome e = load(line_with(334000, {"montagna,   8750,  11150,  12", "montagna,   11250,  12000,  12",
                                            "montagna,   292600,  292850,  2"}));
  const Model& m = *e.m;
  EXPECT_EQ(m.numero_errore, 0);
  EXPECT_EQ(m.numero_montagne, 3);
  EXPECT_EQ(m.montagna_inizio.at(2), 11250);
  EXPECT_EQ(m.montagna_fine.at(3), 292850);
  EXPECT_EQ(m.griglia.at(174).montagna, 0);
  EXPECT_EQ(m.griglia.at(175).montagna, 2);
  EXPECT_EQ(m.griglia.at(222).montagna, 2);
  EXPECT_EQ(m.griglia.at(178).tipo, tipo_cella::marcatore_montagna);
  EXPECT_EQ(m.griglia.at(177).tipo, 0);
  EXPECT_EQ(m.griglia.at(225).montagna, 3);
  EXPECT_EQ(m.griglia.at(228).tipo, tipo_cella::marcatore_montagna);
  EXPECT_EQ(m.griglia.at(5852).montagna, 2);
  EXPECT_EQ(m.griglia.at(5855).tipo, 0);
}

TEST(LineTunnels, EightyFirstTunnelIsError25WithTheFirstEightyStored) {
  std::vector<std::string> record;
  for (int k = 1; k <= 81; ++k) record.push_back("montagna,  " + n(k * 1000) + ",  " + n(k * 1000 + 500) + ",  1");
  record.push_back("cartello_indicatore,  500,  not read");
  LoadOutcome e = load(line_with(100000, record));
  EXPECT_EQ(e.m->numero_errore, 25);
  EXPECT_EQ(e.m->posizione_errore, 0);
  EXPECT_EQ(e.m->montagna_fine.at(80), 80500);
  EXPECT_EQ(e.m->griglia.at(1609).montagna, 1);  // the 80th tunnel's last cell
  EXPECT_EQ(e.m->griglia.at(1620).montagna, 0);  // the 81st stores no cell
  EXPECT_EQ(e.m->griglia.at(11).tipo, 0);
  EXPECT_EQ(e.diagnostic.line, 4 + 80);
  both_deleted(e);
}

TEST(LineTunnels, TunnelEndingPastTheGridIsError25AfterItsCells) {
  LoadOutcome e = load(line_with(kShort, {"montagna,  9800,  10500,  12"}));
  EXPECT_EQ(e.m->numero_errore, 25);
  for (int64_t k = 196; k <= 200; ++k) EXPECT_EQ(e.m->griglia.at(k).montagna, 2) << k;
  EXPECT_EQ(e.m->griglia.at(199).tipo, tipo_cella::marcatore_montagna);
  EXPECT_EQ(e.m->numero_montagne, 1);
  both_deleted(e);
}

// ---------------------------------------------------------------------------
// Speed indicator boards

TEST(LineSpeedBoards, BoardLinesReachTheGrid) {
  LoadOutcome e = load(line_with(334000, {
                                               "indicatori_vmax,  26350,  130,  140,  145,  2,  130,  140,  145,  2",
                                               "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0",
                                               "Indicatori_Vmax,  2000,  130,  0,  0,  0,  137,  0,  0,  0",
                                           }));
  const Model& m = *e.m;
  EXPECT_EQ(m.numero_errore, 0);
  auto dati = [&](int64_t k) {
    const cella& c = m.griglia.at(k);
    return std::vector<int>{c.tipo, c.dato1, c.dato2, c.dato3, c.dato4};
  };
  EXPECT_EQ(dati(528), (std::vector<int>{6, 2626, 2828, 2929, 22}));
  EXPECT_EQ(dati(21), (std::vector<int>{6, 1800, 1900, 2000, 0}));
  EXPECT_EQ(dati(41), (std::vector<int>{6, 2627, 0, 0, 0}));
}

TEST(LineSpeedBoards, BoardOnATakenCellIsError21WithItsChainage) {
  const std::string second = "indicatori_vmax,  8825,  90,  90,  90,  0,  0,  0,  0,  0";  // 177.5 -> 178
  LoadOutcome e = load(line_with(kShort, {"pendenza,  600,  -11", "indicatori_vmax,  8850,  100,  100,  100,  1,  0,  0,  0,  0",
                                            second, "cartello_indicatore,  500,  not read"}),
                         treno_con_sabbia());
  expected_after_error(e, 21, 6, column(second, "8825"));
  EXPECT_EQ(e.m->posizione_errore, 8825);
  EXPECT_EQ(e.m->griglia.at(178).dato1, 2000);  // the first board stays
  EXPECT_EQ(e.m->griglia.at(178).dato4, 10);
  EXPECT_EQ(e.m->griglia.at(11).pendenza, 100);
  EXPECT_EQ(e.m->griglia.at(12).pendenza, 0);  // no gradient tail
  EXPECT_EQ(e.m->griglia.at(11).tipo, 0);
  only_line_deleted(e);
}

TEST(LineSpeedBoards, SumOutside16BitsIsError25) {
  LoadOutcome e = load(line_with(kShort, {"indicatori_vmax,  1000,  1700,  0,  0,  0,  0,  0,  0,  0"}));
  EXPECT_EQ(e.m->numero_errore, 25);
  both_deleted(e);
}

// ---------------------------------------------------------------------------
// Signboards

TEST(LineBoards, RowsFrom80DownwardWithTheirTexts) {
  LoadOutcome e = load(line_with(334000, {"cartello_indicatore,  27950,   (  Cippo  )(Km 28+000)",
                                            "CARTELLO INDICATORE,  1000,  Km 1  ", "cartello_indicatore,  8775,  c"}));
  const Model& m = *e.m;
  EXPECT_EQ(m.numero_errore, 0);
  EXPECT_EQ(m.griglia.at(560).tipo, tipo_cella::cartello);
  EXPECT_EQ(m.griglia.at(560).dato1, 80);
  EXPECT_EQ(m.stazioni.at(80).nome, "(  Cippo  )(Km 28+000)");
  EXPECT_EQ(m.griglia.at(21).dato1, 79);
  EXPECT_EQ(m.stazioni.at(79).nome, "Km 1");
  EXPECT_EQ(m.griglia.at(176).dato1, 78);  // 175.5 + 1 = 176.5 -> 176
  EXPECT_EQ(m.griglia.at(177).tipo, 0);
  EXPECT_EQ(m.stazioni.at(77).nome, "");
}

TEST(LineBoards, SignboardReplacesATunnelMarker) {
  LoadOutcome e = load(line_with(334000, {"montagna,   8750,  11150,  12", "cartello_indicatore,  8850,  galleria"}));
  EXPECT_EQ(e.m->numero_errore, 0);
  EXPECT_EQ(e.m->griglia.at(178).tipo, tipo_cella::cartello);
  EXPECT_EQ(e.m->griglia.at(178).dato1, 80);
  EXPECT_EQ(e.m->griglia.at(178).montagna, 2);
}

TEST(LineBoards, SignboardOnATakenCellIsError6WithItsChainage) {
  const char* occupants[] = {"indicatori_vmax,  8850,  100,  100,  100,  0,  0,  0,  0,  0",
                             "cartello_indicatore,  8850,  primo"};
  for (const char* occupant : occupants) {
    SCOPED_TRACE(occupant);
    const std::string cartello = "cartello_indicatore,  8850,  secondo";
    LoadOutcome e = load(line_with(kShort, {"pendenza,  600,  -11", occupant, cartello, "pendenza,  1200,  0"}),
                           treno_con_sabbia());
    expected_after_error(e, 6, 6, column(cartello, "8850"));
    EXPECT_EQ(e.m->posizione_errore, 8850);
    const cella& c = e.m->griglia.at(178);
    EXPECT_NE(c.tipo, 0);
    EXPECT_NE(c.dato1, 79);
    EXPECT_NE(e.m->stazioni.at(80).nome, "secondo");
    EXPECT_EQ(e.m->stazioni.at(79).nome, "");
    // Only the line data read before the error; no tail, no train.
    EXPECT_EQ(e.m->griglia.at(11).pendenza, 100);
    EXPECT_EQ(e.m->griglia.at(12).pendenza, 0);
    EXPECT_EQ(e.m->planimetria.next(), 2);
    only_line_deleted(e);
  }
}

TEST(LineBoards, EightyFirstTakesRow0AndTheEightySecondIsError25) {
  std::vector<std::string> record;
  for (int k = 1; k <= 82; ++k) record.push_back("cartello_indicatore,  " + n(k * 100) + ",  c" + n(k));
  LoadOutcome e = load(line_with(kShort, record));
  const Model& m = *e.m;
  EXPECT_EQ(m.numero_errore, 25);
  EXPECT_EQ(m.posizione_errore, 0);
  EXPECT_EQ(m.stazioni.at(80).nome, "c1");
  EXPECT_EQ(m.stazioni.at(1).nome, "c80");
  EXPECT_EQ(m.stazioni.at(0).nome, "c81");
  EXPECT_EQ(m.griglia.at(163).tipo, tipo_cella::cartello);  // 8100 m
  EXPECT_EQ(m.griglia.at(163).dato1, 0);
  // The 82nd fails on its row; its cell was marked first.
  EXPECT_EQ(m.griglia.at(165).tipo, tipo_cella::cartello);
  EXPECT_EQ(m.griglia.at(165).dato1, -1);
  EXPECT_EQ(e.diagnostic.line, 4 + 81);
  both_deleted(e);
}

// ---------------------------------------------------------------------------
// Errors of the line source as a whole

TEST(LineErrors, NoLineSourceIsError101) {
  LoadOutcome e = load(std::nullopt);
  EXPECT_EQ(e.m->numero_errore, 101);
  EXPECT_EQ(e.m->posizione_errore, 0);
  EXPECT_EQ(e.diagnostic.source, LoadReport::no_source);
  EXPECT_FALSE(e.m->griglia.sized());
  EXPECT_EQ(e.m->stazioni.at(85).nome, "R");
  EXPECT_EQ(e.m->stazioni.at(86).nome, "T");
  EXPECT_TRUE(e.train_left);
}

TEST(LineErrors, NoGeneraleBeforeTheLastFieldIsError102) {
  const std::string cases[] = {
      crlf_lines({"lunghezza percorso,  3000", "[generale]"}),
      crlf_lines({"lunghezza percorso,  3000", "[curve]", "pendenza,  600,  -11"}),
      "[generale]",
  };
  for (const std::string& linea : cases) {
    SCOPED_TRACE(linea);
    LoadOutcome e = load(linea);
    EXPECT_EQ(e.m->numero_errore, 102);
    EXPECT_EQ(e.diagnostic.source, LoadReport::linea);
    EXPECT_FALSE(e.m->griglia.sized());
    only_line_deleted(e);
  }
}

TEST(LineErrors, LoadFailuresOfTheLineSourceAreError25) {
  struct Case {
    const char* nome;
    std::string linea;
    bool con_planimetria;
  };
  const Case cases[] = {
      {"empty_file", "", true},
      {"no_route_length", crlf_lines({"[generale]", "sfondo uno,  1", "[curve]"}), true},
      {"no_route_length_without_plan", crlf_lines({"[generale]", "sfondo uno,  1", "[curve]"}), false},
      {"not_a_number", line_with(kShort, {"pendenza,  600x,  -11"}), true},
      {"too_wide", line_with(kShort, {"pendenza,  600,  2147483648"}), true},
      {"length_not_a_number", crlf_lines({"[generale]", "lunghezza percorso,  tremila", "[curve]"}), true},
      {"negative_cell", line_with(kShort, {"cartello_indicatore,  -100,  c"}), true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.nome);
    LoadOutcome e = load(k.linea, minimal_train(), LoadOptions{.con_planimetria = k.con_planimetria});
    EXPECT_EQ(e.m->numero_errore, 25);
    EXPECT_EQ(e.m->posizione_errore, 0);
    EXPECT_FALSE(e.diagnostic.reason.empty());
    EXPECT_TRUE(e.files_left.empty());
  }
}

TEST(LineErrors, WhatTheLineStoredStaysAfterAFailure) {
  LoadOutcome e = load(crlf_lines({"[generale]", "sfondo uno,  1", "sfondo tre,  3", "[curve]"}));
  EXPECT_EQ(e.m->numero_errore, 25);
  EXPECT_EQ(e.m->stazioni.at(85).inizio, 1);
  EXPECT_EQ(e.m->stazioni.at(85).fine, 3);
}

}  // namespace
}  // namespace compactor
