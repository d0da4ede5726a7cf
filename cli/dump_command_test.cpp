#include "cli/dump_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <numbers>

#include "compiler/compiled_files.h"
#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "testing/regex_matchers.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor::cli {
namespace {

using testing::ContainsEcmaRegex;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::TempDir;

// A plan through the given points after the seed (0, 0), (0, 1).
Planimetria plan(const std::vector<std::pair<double, double>>& points, int32_t metres) {
  Planimetria p;
  p.resize(metres);
  p.seed();
  for (const auto& [x, y] : points) p.add(x, y);
  return p;
}

// The three compiled files of a small hand-built scenario R_T: a signal in
// cell 12, its approach mark in cell 10, a signboard, a cell of a kind no
// loader writes, one station, the route-wide rows, and a plan that turns a
// right angle toward +x.
struct Scenario {
  TempDir dir;
  Scenario() {
    Griglia g;
    g.resize(20);
    for (int64_t k = 0; k <= 20; ++k) g.at(k) = {.velocita = 24, .pendenza = 100, .aderenza = 95};
    g.at(1).dato1 = 5121;
    g.at(1).dato2 = 2758;  // the plain code of "T" and "R"
    g.at(10).preavviso = 81;
    cella& segnale = g.at(12);
    segnale.tipo = 1;
    segnale.dato1 = 42;
    segnale.dato2 = 11;
    segnale.dato4 = 8;
    segnale.tempo = 101;
    segnale.pendenza = 95;
    g.at(15).tipo = 14;
    g.at(15).dato1 = 80;
    g.at(16).tipo = 200;

    Stazioni t;
    t.at(1) = {8, -500, 500, 0, 1, "Citt\xE0 Alta", 4, 1, 2, 1, 1, 0, 1, 0, 0, 43910};
    t.at(80).nome = "(Cippo)(Km 5+000)";
    t.at(84).inizio = 120;
    t.at(84).fine = 1000;
    t.at(84).posizione = 7;
    t.at(85).nome = "R";
    t.at(85).campo7 = 610;
    t.at(85).orario = 34906;  // the weighted code of "T" and "R"
    t.at(86).nome = "T";
    t.at(86).campo7 = 200;
    t.at(86).campo10 = 12;
    t.at(86).campo11 = 11;
    t.at(86).campo12 = 50;

    testing::put_file(dir / "R_T.dat", grid_bytes(g));
    testing::put_file(dir / "R_T.sim", station_bytes(t));
    testing::put_file(dir / "R_linea.dat", plan_bytes(plan({{0, 2}, {1, 2}, {2, 2}}, 6)));
  }
  testing::RunResult dump(std::vector<std::string> args) {
    args.insert(args.begin(), {SCENARIO_BINARY, "dump"});
    return testing::run_program(args, dir.path());
  }
  nlohmann::json json(std::vector<std::string> args) {
    args.push_back("--json");
    const auto e = dump(args);
    EXPECT_EQ(e.status, 0) << e.err;
    return nlohmann::json::parse(e.out);
  }
};

// The expected lines are written as raw strings, where \n stands for a line
// break that the regular expressions take literally.
std::string line_break(std::string r) {
  for (size_t i = r.find("\\n"); i != std::string::npos; i = r.find("\\n", i)) r.replace(i, 2, "\n");
  return r;
}

struct DumpCase {
  std::vector<std::string> args;
  int status;
  std::vector<std::string> says;     // regular expressions the output matches
  std::vector<std::string> does_not_say; // ... and does not
  std::string errore;                // part of standard error
};

TEST(ScenarioDump, TablesForPeople) {
  Scenario s;
  testing::put_file(s.dir / "short_T.dat", testing::file_text(s.dir / "R_T.dat").substr(1));
  testing::put_file(s.dir / "notes.txt", "not compiled");
  const DumpCase cases[] = {
      {{"R_T.dat"},
       0,
       {R"(21 cells \(0 to 20\), 5 with a feature)",
        R"(\n +12 +600  signal +42 +11 +0 +8 +101 +0 +0 +24 +120 +95 +-5 +95\n)",
        R"(\n +1 +50  nothing +5121 +2758 )", R"(\n +10 +500  nothing( +0){5} +81 )",
        R"(\n +15 +750  signboard +80 )", R"(\n +16 +800  unknown kind 200 )"},
       {R"(\n +3 +150 )"},
       ""},
      {{"R_T.dat", "--cells", "2:3"}, 0, {R"(\n +2 +100  nothing )", R"(\n +3 +150  nothing )"}, {"signal"}, ""},
      {{"R_T.dat", "--cells", "12"}, 0, {"signal"}, {R"(\n +1 +50 )"}, ""},
      {{"R_T.dat", "--cells", "30:"}, 0, {"no cells in that range: the grid has cells 0 to 20"}, {}, ""},
      {{"R_T.sim"},
       0,
       {"87 rows, 1 station, 1 signboard text\n", R"(\n +1  Città Alta +8 +0 +-500 +500 .* 12:11:50 \(43910 s\))",
        R"(\n +80  \(Cippo\)\(Km 5\+000\))",
        // The station columns named from the source reference.
        R"(\n  c5 \(campo5\): long-zone value; .*\n  c6 \(campo6\): zone extension; not 0: the zone ends 50 m further)",
        "braked mass \\(%\\) = 120, route length \\(m\\) = 1000, cars = 7",
        "route name = \"R\", mark 610 = 610, weighted scenario code = 34906",
        "train name = \"T\", sand = 200, .*start clock = 12:11:50"},
       {"clear rows", R"(\n +0 )"},
       ""},
      {{"R_T.sim", "--rows", "79:81"}, 0, {"clear rows: 79, 81", R"(\(Cippo\))"}, {"Città", "route length"}, ""},
      {{"R_linea.dat"},
       0,
       {"7 entries a coordinate", "3 computed \\(2 to 4\\), 2 empty entries",
        "bounding box: x 0.000 to 2.000 m, y 0.000 to 2.000 m", "last point: \\(2.000, 2.000\\) at metre 4",
        "total turn: 1.570796 rad \\(90.000 degrees", "length along the points: 4.000 m"},
       {"metre +x +y"},
       ""},
      {{"R_linea.dat", "--points", "1:5"},
       0,
       {R"(\n +1 +0 \(integer\) +1 \(integer\)\n)", R"(\n +3 +1 +2\n)", R"(\n +5 +empty +empty\n)"},
       {R"(\n +6 )"},
       ""},
      {{"short_T.dat"}, 6, {}, {"."}, "scenario: bad compiled file: short_T.dat: 314 bytes is not a whole number"},
      {{"notes.txt"}, 6, {}, {"."}, "scenario: bad compiled file: notes.txt: the name ends in neither"},
      {{"R_T.sim", "--cells", "1"}, 2, {}, {"."}, "--cells applies to a grid file"},
      {{"R_T.dat", "--cells", "7:3"}, 2, {}, {"."}, "--cells wants a range"},
      {{"R_T.dat", "--rows", "1"}, 2, {}, {"."}, "--rows applies to a scenario file"},
      {{"missing.dat"}, 2, {}, {"."}, "missing.dat"},
  };
  for (const DumpCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const auto e = s.dump(c.args);
    EXPECT_EQ(e.status, c.status) << e.err;
    for (const auto& r : c.says) EXPECT_THAT(e.out, ContainsEcmaRegex(line_break(r)));
    for (const auto& r : c.does_not_say) EXPECT_THAT(e.out, Not(ContainsEcmaRegex(line_break(r))));
    EXPECT_THAT(e.err, HasSubstr(c.errore));
  }
}

TEST(ScenarioDump, GridAsJson) {
  Scenario s;
  const auto all = s.json({"R_T.dat"});
  EXPECT_EQ(all["type"], "grid");
  EXPECT_EQ(all["cell_count"], 21);
  std::vector<int> indices;
  for (const auto& c : all["cells"]) indices.push_back(c["cell"]);
  EXPECT_EQ(indices, (std::vector<int>{1, 10, 12, 15, 16}));

  const auto una = s.json({"R_T.dat", "--cells", "12"});
  ASSERT_EQ(una["cells"].size(), 1u);
  const auto& c = una["cells"][0];
  EXPECT_EQ(c["kind"], "signal");
  EXPECT_EQ(c["tipo"], 1);
  EXPECT_EQ(c["dato1"], 42);
  EXPECT_EQ(c["dato2"], 11);
  EXPECT_EQ(c["dato4"], 8);
  EXPECT_EQ(c["tempo"], 101);
  EXPECT_EQ(c["from_m"], 600);
  EXPECT_EQ(c["velocita"], 24);
  EXPECT_EQ(c["speed_kmh"], 120);
  EXPECT_EQ(c["pendenza"], 95);
  EXPECT_EQ(c["gradient_per_mille"], -5);
  EXPECT_EQ(c["aderenza"], 95);
  EXPECT_EQ(s.json({"R_T.dat", "--cells", "0:20"})["cells"].size(), 21u);
}

TEST(ScenarioDump, ScenarioAndPlanAsJson) {
  Scenario s;
  const auto t = s.json({"R_T.sim"});
  EXPECT_EQ(t["type"], "scenario");
  std::vector<std::pair<int, std::string>> roles;
  for (const auto& r : t["rows"]) roles.emplace_back(r["row"], r["role"]);
  EXPECT_EQ(roles, (std::vector<std::pair<int, std::string>>{
                       {1, "station"}, {80, "signboard text"}, {84, "train and route"}, {85, "route"}, {86, "train"}}));
  const auto& stazione = t["rows"][0];
  EXPECT_EQ(stazione["nome"], "Città Alta");
  EXPECT_EQ(stazione["orario"], 43910);
  EXPECT_EQ(stazione["meaning"]["time"], "12:11:50");
  EXPECT_EQ(stazione["meaning"]["zone_start_m"], -500);
  EXPECT_EQ(t["rows"][2]["meaning"]["route_length_m"], 1000);
  EXPECT_EQ(t["rows"][3]["meaning"]["weighted_code"], 34906);
  EXPECT_EQ(t["rows"][4]["meaning"]["start_clock"], "12:11:50");
  EXPECT_EQ(s.json({"R_T.sim", "--rows", "0:86"})["rows"].size(), 87u);

  const auto p = s.json({"R_linea.dat", "--points", "3:6"});
  EXPECT_EQ(p["type"], "plan");
  EXPECT_EQ(p["entries_per_coordinate"], 7);
  EXPECT_EQ(p["points"], 5);
  EXPECT_DOUBLE_EQ(p["total_turn_deg"].get<double>(), 90.0);
  EXPECT_DOUBLE_EQ(p["length_m"].get<double>(), 4.0);
  EXPECT_EQ(p["bounding_box"]["x_max"], 2.0);
  ASSERT_EQ(p["entries"].size(), 4u);
  EXPECT_EQ(p["entries"][0]["x"], 1.0);
  EXPECT_EQ(p["entries"][0]["x_tag"], "double");
  EXPECT_TRUE(p["entries"][3]["y"].is_null());
  EXPECT_EQ(p["entries"][3]["y_tag"], "empty");
}

TEST(ScenarioDump, TheTurnOfAPlanCountsEveryBendAlongIt) {
  const double pi = std::numbers::pi;
  const struct {
    const char* c_;
    std::vector<std::pair<double, double>> points;
    double turn, lunghezza;
  } cases[] = {
      {"straight on", {{0, 2}, {0, 3}}, 0, 3},
      {"a right angle toward +x", {{0, 2}, {1, 2}}, pi / 2, 3},
      {"a right angle toward -x", {{0, 2}, {-1, 2}}, -pi / 2, 3},
      {"back the way it came", {{0, 2}, {0, 1}}, pi, 3},  // a half turn counts as +pi
      {"a whole loop", {{1, 1}, {1, 0}, {0, 0}, {0, 1}}, 2 * pi, 5},
      {"a loop and a quarter the other way", {{-1, 1}, {-1, 0}, {0, 0}, {0, 1}, {0, 2}, {-1, 2}}, -2.5 * pi, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.c_);
    const PlanSummary r = summarise(plan(c.points, 12));
    EXPECT_EQ(r.entries, 13);
    EXPECT_EQ(r.points, static_cast<int64_t>(c.points.size()) + 2);
    EXPECT_NEAR(r.turn, c.turn, 1e-12);
    EXPECT_NEAR(r.lunghezza, c.lunghezza, 1e-12);
  }
  Planimetria never_seeded;
  never_seeded.resize(12);
  EXPECT_EQ(summarise(never_seeded).points, 0);
}

TEST(ScenarioDump, RangesOfCellsAndRows) {
  const struct {
    const char* text;
    std::optional<std::pair<int64_t, int64_t>> expected;
  } cases[] = {{"3:7", {{3, 7}}}, {"5", {{5, 5}}}, {"4:", {{4, 99}}}, {":6", {{0, 6}}}, {"120:", {{120, 99}}},
              {"", {}},          {":", {}},       {"7:3", {}},      {"-1:2", {}},     {"a", {}},
              {"1:2:3", {}},     {"+1", {}},      {" 1", {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto i = read_range(c.text, 99);
    ASSERT_EQ(i.has_value(), c.expected.has_value());
    if (i) {
      EXPECT_EQ(std::make_pair(i->first, i->last), *c.expected);
    }
  }
}

// From the sources through the compile to the dump.
TEST(ScenarioDump, ACompiledSignalShowsInItsCell) {
  TempDir dir;
  testing::put_file(dir / "line.txt", "[generale]\r\nlunghezza percorso,    10000\r\n[fine]\r\n");
  testing::put_file(dir / "train.txt",
                  "[generale]\r\nvelocita,   0,    30\r\nsegnale,   3950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n[fine]\r\n");
  const auto c = testing::run_program(
      {SCENARIO_BINARY, "compile", "line.txt", "train.txt", "--route", "R", "--train", "T", "--out", "out"}, dir.path());
  ASSERT_EQ(c.status, 0) << c.err;
  const auto e = testing::run_program({SCENARIO_BINARY, "dump", "out/R_T.dat", "--cells", "80", "--json"}, dir.path());
  ASSERT_EQ(e.status, 0) << e.err;
  const auto j = nlohmann::json::parse(e.out);
  EXPECT_EQ(j["cells"][0]["kind"], "signal");
  EXPECT_EQ(j["cells"][0]["dato1"], 42);
  EXPECT_EQ(j["cells"][0]["speed_kmh"], 30);
}

// From the sources, without writing: the cells and rows the compile gives,
// and with --why the record under each member.
TEST(ScenarioDump, FromTheSourcesWhyNamesTheRecordThatSetEachMember) {
  TempDir dir;
  for (const auto& [nome, lines] : {std::pair{"linea.txt", &line_lines()}, std::pair{"treno.txt", &train_lines()}})
    testing::put_file(dir / nome, joined_lines(*lines));
  const std::string treno = joined_lines(train_lines());
  const std::string signal_line = std::to_string(std::count(treno.begin(), treno.begin() + treno.find("segnale,   29850"), '\n') + 1);
  const std::vector<std::string> sources = {SCENARIO_BINARY, "dump",    "--line",  "linea.txt", "--train-source",
                                             "treno.txt",     "--route", "Orvena_Lusco", "--train", "REG 4105"};
  auto dump = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = sources;
    args.insert(args.end(), extra.begin(), extra.end());
    return testing::run_program(args, dir.path());
  };

  const auto text = dump({"--cells", "598:598", "--why"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_THAT(text.out, HasSubstr("\n   598    29900  signal "));
  EXPECT_THAT(text.out, HasSubstr("\n          tipo, dato1, dato2, dato3, dato4, tempo: treno.txt:" + signal_line +
                                   ": segnale,   29850,   2, 4, 1,  0, 0,    2,  2,1,0, 0\n"));
  EXPECT_THAT(text.out, Not(HasSubstr("scenario compiled from"))) << "a range picks its table";
  EXPECT_EQ(testing::folder_names(dir.path()), (std::vector<std::string>{"linea.txt", "treno.txt"})) << "nothing written";

  const auto j = nlohmann::json::parse(dump({"--cells", "590:598", "--why", "--json"}).out);
  const auto& celle = j["grid"]["cells"];
  ASSERT_EQ(celle.size(), 9u);
  for (const char* m : {"dato1", "dato2", "dato3", "dato4"}) {
    EXPECT_EQ(celle[8]["why"][m]["file"], "treno.txt") << m;
    EXPECT_EQ(celle[8]["why"][m]["line"], std::stoi(signal_line)) << m;
  }
  for (const size_t i : {0, 2, 4, 6}) {
    EXPECT_EQ(celle[i]["why"]["preavviso"]["line"], std::stoi(signal_line)) << "cell " << celle[i]["cell"];
    EXPECT_EQ(celle[i]["why"]["preavviso"]["record"], "segnale,   29850,   2, 4, 1,  0, 0,    2,  2,1,0, 0");
  }
  EXPECT_EQ(celle[1]["why"].count("preavviso"), 0u) << "cell 591 has no approach code";

  // Rows: the station's line under its row, the names and marks in words.
  const auto lines = dump({"--rows", "1:1", "--why"});
  EXPECT_THAT(lines.out, HasSubstr("treno.txt:" + std::to_string(std::count(treno.begin(), treno.begin() + treno.find("stazione,"), '\n') + 1) + ": stazione,"));
  const auto general_ = nlohmann::json::parse(dump({"--rows", "85:85", "--why", "--json"}).out);
  EXPECT_EQ(general_["scenario"]["rows"][0]["why"]["nome"]["origin"], "route name");
  EXPECT_EQ(general_["scenario"]["rows"][0]["why"]["campo7"]["origin"], "mark");
  EXPECT_TRUE(general_["error"].is_null());
  EXPECT_FALSE(general_.contains("grid"));

  // Without a range, both tables, as the two compiled files would show them.
  const auto everything = dump({});
  EXPECT_THAT(everything.out, HasSubstr("grid compiled from linea.txt and treno.txt: 6821 cells"));
  EXPECT_THAT(everything.out, HasSubstr("scenario compiled from linea.txt and treno.txt: 87 rows"));
}

TEST(ScenarioDump, FromTheSourcesUsageAndScenarioErrors) {
  TempDir dir;
  testing::put_file(dir / "l.txt", "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\n"
                                  "cartello_indicatore,  2950,   (A)\r\n[fine]\r\n");
  testing::put_file(dir / "t.txt", "[generale]\r\nsegnale,   2950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n[fine]\r\n");
  testing::put_file(dir / "R_T.dat", std::string(15 * 341, '\0'));
  const std::vector<std::string> sources = {"--line", "l.txt", "--train-source", "t.txt", "--route", "R", "--train", "T"};
  auto con = [&](std::vector<std::string> args, bool with_sources = true) {
    if (with_sources) args.insert(args.end(), sources.begin(), sources.end());
    args.insert(args.begin(), {SCENARIO_BINARY, "dump"});
    return testing::run_program(args, dir.path());
  };
  const struct {
    std::vector<std::string> args;
    bool with_sources;
    int status;
    std::string errore;
  } cases[] = {
      {{"R_T.dat", "--why"}, false, 2, "scenario: --why names the records"},
      {{"R_T.dat"}, true, 2, "scenario: give either a compiled file or --line and --train-source"},
      {{"--line", "l.txt", "--route", "R", "--train", "T"}, false, 2, "scenario: --line and --train-source go together"},
      {{"--line", "l.txt", "--train-source", "t.txt"}, false, 2, "scenario: compiling sources needs --route and --train"},
      {{"--cells", "7:3"}, true, 2, "scenario: --cells wants a range"},
      {{}, false, 2, "scenario: give a compiled file, or the sources"},
      {{"--cells", "60", "--why"}, true, 1, "scenario: error 16: a signal's cell is already taken\n"},
  };
  for (const auto& c : cases) {
    const auto e = con(c.args, c.with_sources);
    EXPECT_EQ(e.status, c.status) << ::testing::PrintToString(c.args) << e.err;
    EXPECT_THAT(e.err, HasSubstr(c.errore)) << ::testing::PrintToString(c.args);
  }
  // A scenario error still shows what loaded.
  const auto e = con({"--cells", "60"});
  EXPECT_THAT(e.out, HasSubstr("signboard"));
}

}  // namespace
}  // namespace compactor::cli
