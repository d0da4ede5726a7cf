// Sources an author could hand over, however hostile: texts too long for the
// file format, lines of megabytes, NUL bytes, binary garbage, the longest
// and densest route, every table filled to its edge and one past it, and
// chainages at the ends of 32 bits. Each gives either a correct compile or
// a recorded error, never a crash, a hang or a compiled file that does not
// add up.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "compiler/memorizza_percorso.h"
#include "testing/source_fixture.h"
#include "model/model.h"
#include "model/file_names.h"

namespace compactor {
namespace {

using testing::wrong_scenario_row;
using testing::crlf_lines;
using testing::SourcesInMemory;

struct Compiled : SourcesInMemory {
  using SourcesInMemory::SourcesInMemory;
  std::string griglia, scenario, planimetria;  // the compiled files, empty when not written
  std::string fermata;                         // the number of the error stop, if the run ended there

  int32_t errore() const { return m.numero_errore; }
  const std::string& nome(int riga) const { return m.stazioni.at(riga).nome; }
};

// The whole compile step on two sources, in memory. Whatever the outcome,
// the scenario file's rows must add up: each text behind its own length.
std::unique_ptr<Compiled> compile_sources(const std::string& linea, const std::string& treno) {
  auto c = std::make_unique<Compiled>(linea, treno);
  int32_t j = 1;
  try {
    memorizza_percorso(c->m, j, c->names, c->files);
  } catch (const ErrorStop& e) {
    // A record on a reserved place: the run stops and nothing is written.
    c->fermata = e.numero();
  }
  EXPECT_FALSE(c->files.exists(c->names.line_txt)) << "the line source stays behind";
  auto read_one = [&](const std::string& path) { return c->files.exists(path) ? c->files.read(path) : std::string(); };
  c->griglia = read_one(c->names.griglia);
  c->scenario = read_one(c->names.scenario);
  c->planimetria = read_one(c->names.planimetria);
  if (!c->fermata.empty()) {
    EXPECT_TRUE(c->griglia.empty() && c->scenario.empty() && c->planimetria.empty()) << "written after the error stop";
  } else if (c->m.griglia.sized()) {
    EXPECT_EQ(c->griglia.size(), 15 * static_cast<size_t>(c->m.griglia.size()));
    EXPECT_EQ(wrong_scenario_row(c->scenario, c->m.stazioni), -1)
        << "the scenario file's rows do not add up from that row on";
  }
  return c;
}

const std::string kMinimalTrain = crlf_lines({"[generale]", "velocita,   0,    30", "[fine]"});

std::string linea(const std::vector<std::string>& record, int32_t lunghezza = 5000) {
  std::vector<std::string> r = record;
  r.push_back("[fine]");
  return testing::line_with(lunghezza, r);
}

std::string treno(const std::vector<std::string>& record) {
  std::vector<std::string> r = {"[generale]", "velocita,   0,    30"};
  r.insert(r.end(), record.begin(), record.end());
  r.push_back("[fine]");
  return crlf_lines(r);
}

std::string stazione(int32_t posizione, const std::string& nome) {
  return "stazione,  " + std::to_string(posizione) + ", 12,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  12,11,50, " + nome;
}

// ---- Texts and the 2-byte length in front of them on file ----

TEST(HostileInput, ATextLongerThanTheFileFormatsLengthIsError25NeverAWrappedLength) {
  const std::string most(32767, 'x'), too_much(32768, 'x');
  struct Case {
    const char* what;
    std::string linea, treno;
    int32_t errore;
    int riga;  // the row that holds the text, when it loads
  };
  const std::vector<Case> cases = {
      {"signboard text of 32767 bytes", linea({"cartello_indicatore,  2950, " + most}), kMinimalTrain, 0, 80},
      {"signboard text of 32768 bytes", linea({"cartello_indicatore,  2950, " + too_much}), kMinimalTrain, 25, 80},
      {"quoted signboard text running to the end", linea({"cartello_indicatore,  2950, \"" + too_much}), kMinimalTrain, 25,
       80},
      {"station name of 32767 bytes", linea({}), treno({stazione(3000, most)}), 0, 1},
      {"station name of 32768 bytes", linea({}), treno({stazione(3000, too_much)}), 25, 1},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    const auto c = compile_sources(k.linea, k.treno);
    EXPECT_EQ(c->errore(), k.errore);
    EXPECT_EQ(c->nome(k.riga), k.errore == 0 ? most : "") << "a text too long is not stored cut";
    EXPECT_FALSE(c->scenario.empty()) << "the compiled files are written from what was loaded";
  }
}

// ---- Lines of megabytes, NUL bytes, garbage ----

TEST(HostileInput, MegabyteLinesNulBytesAndGarbageGiveACompileOrAClearError) {
  const std::string mega_(5 << 20, 'x');
  const std::string digits(5 << 20, '9');
  const std::string zeros(5 << 20, '0');
  const std::string blanks(5 << 20, ' ');
  std::mt19937 c_(8);
  std::string garbage_(1 << 20, '\0');
  for (char& b : garbage_) b = static_cast<char>(c_());
  const std::string nul(1 << 20, '\0');
  std::string with_nul = testing::line_with(20000, {std::string("cartello_indicatore,  2950,  Km") + '\0' + "3"});
  with_nul.insert(with_nul.find("lunghezza_percorso") + 9, 1, '\0');  // still names the route length
  auto lunghezza = [](const std::string& campo) {
    return "[generale]\r\nlunghezza_percorso," + campo + "\r\n[fine]\r\n";
  };

  struct Case {
    const char* what;
    std::string linea, treno;
    int32_t errore;
  };
  const std::vector<Case> cases = {
      {"a key field of 5 MB", linea({mega_ + ",  1,  2"}), kMinimalTrain, 0},
      {"a route length of 5 MB of digits", lunghezza(digits), kMinimalTrain, 25},
      {"5 MB of blanks before a number", lunghezza(blanks + "20000"), kMinimalTrain, 0},
      {"a speed of 5 MB of leading zeros", linea({}), treno({"velocita,  1000,  " + zeros + "95"}), 0},
      {"a station name of 5 MB", linea({}), treno({stazione(3000, mega_)}), 25},
      {"NUL bytes inside fields", with_nul, kMinimalTrain, 0},
      {"a line source of NUL bytes", nul, kMinimalTrain, 102},
      {"a train source of NUL bytes", linea({}), nul, 0},
      {"a line source of garbage", garbage_, kMinimalTrain, 102},
      {"garbage after the start marker of the line source", "[generale]\r\n" + garbage_, kMinimalTrain, 25},
      {"garbage after the start marker of the train source", linea({}), "[generale]\r\n" + garbage_, 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    const auto c = compile_sources(k.linea, k.treno);
    EXPECT_EQ(c->errore(), k.errore);
  }
}

// ---- The longest route with the densest records ----

TEST(HostileInput, AMillionMetreRouteWithRecordsInEveryCellCompilesClean) {
  constexpr int32_t kMetres = 1'000'000;
  std::vector<std::string> l, t;
  // Every 50 m a gradient, every 100 m a curve of 50 m up to the plan's
  // last point, 80 tunnels, 40 signboards and speed indicator boards.
  for (int32_t p = 0; p < kMetres; p += 50)
    l.push_back("pendenza, " + std::to_string(p) + ", " + std::to_string(p % 7 - 3));
  for (int32_t p = 100; p + 50 < kMetres; p += 100)
    l.push_back("curva" + std::string(p % 200 ? "s" : "d") + std::to_string(p % 6 + 1) + ", " + std::to_string(p) +
                ", 50");
  for (int32_t k = 0; k < 80; ++k)
    l.push_back("montagna, " + std::to_string(k * 10000 + 2000) + ", " + std::to_string(k * 10000 + 7000) + ", 12");
  for (int32_t k = 0; k < 40; ++k)
    l.push_back("cartello_indicatore, " + std::to_string(k * 10000 + 300) + ", Km " + std::to_string(k * 10));
  for (int32_t k = 0; k < 700; ++k)
    l.push_back("indicatori_v_max, " + std::to_string(k * 1000 + 700) + ", 4, 5, 6, 1, 4, 5, 6, 1");
  // Every 50 m a speed and an adhesion; a signal and a code drop in every
  // other free cell up to 760 km, where 38 stations stand; slowdowns every
  // 2 km beyond.
  for (int32_t p = 0; p < kMetres; p += 50) {
    t.push_back("velocita, " + std::to_string(p) + ", " + std::to_string(60 + p % 100));
    t.push_back("aderenza, " + std::to_string(p) + ", " + std::to_string(80 + p % 20));
  }
  for (int32_t c = 11; c * 50 < 760'000; c += 10) {
    t.push_back("segnale, " + std::to_string((c - 1) * 50) + ", 2, 4, 1, 0, 0, 2, 2, 1, 0, 0");
    t.push_back("abbattimento, " + std::to_string((c + 2) * 50) + ", 270");
  }
  for (int32_t x = 800'000; x + 2000 < kMetres; x += 2000)
    t.push_back("rallentamento, " + std::to_string(x) + ", 60, 500, 1, 1, 0");
  for (int32_t k = 0; k < 38; ++k) t.push_back(stazione(k * 20000 + 10000, "Stazione " + std::to_string(k)));

  const auto c = compile_sources(linea(l, kMetres), treno(t));
  EXPECT_EQ(c->fermata, "");
  EXPECT_EQ(c->errore(), 0) << c->m.posizione_errore;
  EXPECT_EQ(c->m.celle_totali, 20140);
  EXPECT_EQ(c->m.numero_montagne, 80);
  EXPECT_EQ(c->griglia.size(), 20141u * 15);
  EXPECT_EQ(c->nome(41), "Km 390") << "the 40th signboard";
  EXPECT_EQ(c->nome(38), "Stazione 37") << "the last station";
  EXPECT_EQ(c->m.planimetria.next(), kMetres + 7000 - 1) << "the plan reaches its end";
}

// ---- Tables filled to their edge and one past it ----

TEST(HostileInput, SignboardsTunnelsAndStationsAtTheirLimitsAndOnePast) {
  struct Case {
    int cartelli, montagne, stazioni;
    int32_t errore;
  };
  const std::vector<Case> cases = {
      {80, 0, 0, 0},  {81, 0, 0, 0},  // the 81st takes row 0
      {82, 0, 0, 25},                 // no row is left for the 82nd
      {0, 80, 0, 0},  {0, 81, 0, 25}, {0, 0, 78, 0}, {0, 0, 79, 10}, {1, 0, 77, 0}, {1, 0, 78, 10}, {80, 0, 1, 10},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(std::to_string(k.cartelli) + " signboards, " + std::to_string(k.montagne) + " tunnels, " +
                 std::to_string(k.stazioni) + " stations");
    std::vector<std::string> l, t;
    for (int i = 0; i < k.cartelli; ++i)
      l.push_back("cartello_indicatore, " + std::to_string(i * 200 + 1000) + ", C" + std::to_string(i));
    for (int i = 0; i < k.montagne; ++i)
      l.push_back("montagna, " + std::to_string(i * 200 + 1000) + ", " + std::to_string(i * 200 + 1100) + ", 1");
    for (int i = 0; i < k.stazioni; ++i) t.push_back(stazione(i * 1000 + 1000, "S" + std::to_string(i)));
    const auto c = compile_sources(linea(l, 100000), treno(t));
    EXPECT_EQ(c->errore(), k.errore);
    if (k.errore == 0) {
      EXPECT_EQ(c->m.numero_montagne, k.montagne);
    }
    // Stations fill rows from 1 upward, every one read is stored; signboards
    // fill rows from 80 downward, 81 of them at most.
    for (int i = 0; i < k.stazioni; ++i) EXPECT_EQ(c->nome(i + 1), "S" + std::to_string(i));
    for (int i = 0; i < std::min(k.cartelli, 81) && 80 - i > k.stazioni; ++i)
      EXPECT_EQ(c->nome(80 - i), "C" + std::to_string(i));
  }
}

// ---- Chainages and lengths at the ends of 32 bits ----

TEST(HostileInput, ChainagesAndLengthsAtTheEndsOf32BitsGiveACompileOrAClearError) {
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
  // X stands for the extreme value.
  struct Record {
    const char* text;
    bool of_line;
  };
  // The first number of each is its first chainage, range-checked.
  const std::vector<Record> models = {
      {"pendenza, X, 5", true},
      {"curvad3, X, 100", true},
      {"curvad3, 1000, X", true},
      {"montagna, X, 2000, 12", true},
      {"montagna, 1000, X, 12", true},
      {"indicatori_v_max, X, 4, 5, 6, 1, 4, 5, 6, 1", true},
      {"indicatori_v_max, 1000, X, X, X, X, X, X, X, X", true},
      {"cartello_indicatore, X, Km 1", true},
      {"velocita, X, 100", false},
      {"velocita, 1000, X", false},
      {"aderenza, X, 90", false},
      {"aderenza, 1000, X", false},
      {"segnale, X, 2, 4, 1, 0, 0, 2, 2, 1, 0, 0", false},
      {"segnale, 5000, X, X, X, X, X, X, X, X, X, X", false},
      {"rallentamento, X, 60, 500, 1, 1, 1", false},
      {"rallentamento, 5000, X, X, X, X, X", false},
      {"abbattimento, X, 270", false},
      {"abbattimento, 1000, X", false},
      {"stazione, X, 12, 400, 1, 0, 0, 4, 1, 0, 2, 1, 1, 1, 12, 11, 50, S", false},
      {"stazione, 3000, 12, X, 1, 0, 0, 4, 1, 0, 2, 1, 1, 1, 12, 11, 50, S", false},
      {"stazione, 3000, 7, X, 1, 0, 0, 4, 1, 0, 2, 1, 1, 1, 12, 11, 50, S", false},
      {"stazione, 3000, 12, 400, 1, 0, 0, 4, 1, 0, 2, 1, 1, 1, X, X, X, S", false},
  };
  const std::vector<int64_t> extremes = {kMin, kMin + 48, -1, kMax - 99, kMax, kMax + 1};
  int tried = 0;
  for (const auto& model : models)
    for (const int64_t x : extremes) {
      std::string record = model.text;
      for (size_t p; (p = record.find('X')) != std::string::npos;) record.replace(p, 1, std::to_string(x));
      SCOPED_TRACE(record);
      const auto c = model.of_line ? compile_sources(linea({record}), kMinimalTrain) : compile_sources(linea({}), treno({record}));
      ++tried;
      // A number that does not fit 32 bits never loads.
      if (x > kMax) {
        EXPECT_EQ(c->errore(), 25);
      }
      // A first chainage this far out lies beyond any grid.
      const std::string_view t = model.text;
      const bool before = t.substr(t.find(',') + 2, 1) == "X";
      if (before && x >= kMax - 99 && x <= kMax) {
        EXPECT_EQ(c->errore(), 15);
      }
    }
  // Beyond these outcomes the checks in compile_sources() hold for every case:
  // nothing escapes, and what is written adds up.
  EXPECT_EQ(tried, static_cast<int>(models.size() * extremes.size()));
}

TEST(HostileInput, ARouteLengthAtTheEndsOf32Bits) {
  struct Case {
    int64_t lunghezza;
    int32_t errore;
  };
  // Down to -6999 m a plan is left to seed, and the train's first speed
  // record lies beyond the one cell; the length is only limited upward.
  for (const auto& k : std::vector<Case>{{-6999, 15},
                                         {-7000, 25},
                                         {std::numeric_limits<int32_t>::min(), 25},
                                         {std::numeric_limits<int32_t>::max(), 1},
                                         {4294967296LL, 25}}) {
    SCOPED_TRACE(k.lunghezza);
    std::string l = testing::line_with(0, {"[fine]"});
    l.replace(l.find(" 0\r"), 2, " " + std::to_string(k.lunghezza));
    EXPECT_EQ(compile_sources(l, kMinimalTrain)->errore(), k.errore);
  }
}

}  // namespace
}  // namespace compactor
