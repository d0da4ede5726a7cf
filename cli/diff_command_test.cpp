#include "cli/diff_command.h"
#include "cli/plan_diff.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <cmath>
#include <functional>

#include "compiler/codici_gara.h"
#include "compiler/compiled_files.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor::cli {
namespace {

using ::testing::HasSubstr;
using testing::TempDir;

// A small scenario of route R and train `treno`, 1000 m long: a signal in
// cell 12, one station, the route-wide rows and a plan of three computed
// points.
CompiledScenario base_scenario(const std::string& treno = "T") {
  CompiledScenario s;
  s.with_scenario = s.with_grid = s.con_planimetria = true;
  s.griglia.resize(160);
  for (int64_t k = 0; k <= s.griglia.last(); ++k) s.griglia.at(k) = {.velocita = 24, .pendenza = 100, .aderenza = 95};
  s.griglia.at(1).dato1 = 5121;
  s.griglia.at(1).dato2 = plain_code(treno, "R");
  s.griglia.at(12).tipo = 1;
  s.griglia.at(12).dato1 = 42;
  s.stazioni.at(1) = {8, -500, 500, 0, 1, "Citt\xE0 Alta", 4, 1, 2, 1, 1, 0, 1, 0, 0, 43910};
  s.stazioni.at(84).fine = 1000;
  s.stazioni.at(85).nome = "R";
  s.stazioni.at(85).campo7 = 610;
  s.stazioni.at(85).orario = weighted_code(treno, "R");
  s.stazioni.at(86).nome = treno;
  s.planimetria.resize(8000);
  s.planimetria.seed();
  for (const auto& [x, y] : {std::pair{0.0, 2.0}, {1.0, 2.0}, {2.0, 2.0}}) s.planimetria.add(x, y);
  return s;
}

void write_scenario(const std::string& dir, const std::string& rt, const CompiledScenario& s) {
  testing::put_file(dir + "/" + rt + ".sim", station_bytes(s.stazioni));
  testing::put_file(dir + "/" + rt + ".dat", grid_bytes(s.griglia));
  testing::put_file(dir + "/R_linea.dat", plan_bytes(s.planimetria));
}

// The same plan with the point at metre `m` moved, or cut short before it.
Planimetria plan_with(std::optional<std::pair<double, double>> point, int64_t m) {
  const Planimetria base_ = base_scenario().planimetria;
  Planimetria p;
  p.resize(base_.metri_totali());
  p.seed();
  for (int64_t i = 2; i < base_.next(); ++i) {
    if (i == m && !point) break;
    p.add(i == m ? point->first : base_.x(i), i == m ? point->second : base_.y(i));
  }
  return p;
}

TEST(ScenarioDiff, EachDifferenceIsNamedByItsMember) {
  const struct {
    const char* c_;
    std::function<void(CompiledScenario&)> change;
    std::string before;  // the first difference in words
    int64_t how_many;
  } cases[] = {
      {"identical", [](CompiledScenario&) {}, "", 0},
      {"a cell value", [](CompiledScenario& s) { s.griglia.at(12).dato1 = 41; }, "cell 12 dato1: 42 -> 41", 1},
      {"a cell's kind", [](CompiledScenario& s) { s.griglia.at(12).tipo = 0; },
       "cell 12 tipo: 1 -> 0 (signal -> nothing)", 1},
      {"a speed", [](CompiledScenario& s) { s.griglia.at(3).velocita = 20; },
       "cell 3 velocita: 24 -> 20 (120 -> 100 km/h)", 1},
      {"a gradient", [](CompiledScenario& s) { s.griglia.at(4).pendenza = 89; },
       "cell 4 pendenza: 100 -> 89 (+0 -> -11 per mille)", 1},
      {"a longer grid",
       [](CompiledScenario& s) {
         Griglia g;
         g.resize(161);
         for (int64_t k = 0; k <= 160; ++k) g.at(k) = s.griglia.at(k);
         s.griglia = g;
       },
       "grid: 161 -> 162 cells", 1},
      {"a route-wide value", [](CompiledScenario& s) { s.stazioni.at(85).orario = 34900; },
       "row 85 orario: 34906 -> 34900 (weighted scenario code)", 1},
      {"the route length", [](CompiledScenario& s) { s.stazioni.at(84).fine = 2000; },
       "row 84 fine: 1000 -> 2000 (route length (m))", 1},
      {"a station's time", [](CompiledScenario& s) { s.stazioni.at(1).orario = 43920; },
       "row 1 orario: 43910 -> 43920 (12:11:50 -> 12:12:00)", 1},
      {"a station's name", [](CompiledScenario& s) { s.stazioni.at(1).nome = "Citt\xE0 Bassa"; },
       "row 1 nome: \"Città Alta\" -> \"Città Bassa\"", 1},
      {"a route name", [](CompiledScenario& s) { s.stazioni.at(85).nome = "S"; },
       "row 85 nome: \"R\" -> \"S\" (route name)", 1},
      {"a plan point", [](CompiledScenario& s) { s.planimetria = plan_with(std::pair{1.5, 2.0}, 3); },
       "plan metre 3: x 1 -> 1.5", 1},
      {"a plan cut short", [](CompiledScenario& s) { s.planimetria = plan_with(std::nullopt, 4); },
       "plan metre 4: x 2 -> empty, y 2 -> empty", 1},
      {"a missing file", [](CompiledScenario& s) { s.with_scenario = false; },
       "missing file: b/R_T.sim (present: a/R_T.sim)", 1},
      {"a missing plan", [](CompiledScenario& s) { s.con_planimetria = false; },
       "missing file: b/R_linea.dat (present: a/R_linea.dat)", 1},
  };
  const FileScenario fa{"R_T", "a/R_linea.dat", "a/R_T.sim", "a/R_T.dat"};
  const FileScenario fb{"R_T", "b/R_linea.dat", "b/R_T.sim", "b/R_T.dat"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.c_);
    CompiledScenario b = base_scenario();
    c.change(b);
    Differences d(20);
    compare_scenarios(fa, base_scenario(), fb, b, d);
    EXPECT_EQ(d.total(), c.how_many);
    if (c.how_many > 0) {
      ASSERT_FALSE(d.prime().empty());
      EXPECT_EQ(d.prime().front(), c.before);
    }
  }
}

TEST(ScenarioDiff, AllDifferencesAreCountedButOnlyTheFirstAreKept) {
  CompiledScenario b = base_scenario();
  for (int64_t k = 0; k < 5; ++k) b.griglia.at(k).aderenza = 90;
  Differences d(2);
  compare_scenarios({}, base_scenario(), {}, b, d);
  EXPECT_EQ(d.total(), 5);
  EXPECT_EQ(d.prime(), (std::vector<std::string>{"cell 0 aderenza: 95 -> 90", "cell 1 aderenza: 95 -> 90"}));
}

// A straight plan of 0..`metres` metres, computed up to `up_to`, each point
// moved by `move_`.
Planimetria straight_plan(int32_t metres, int64_t up_to,
                          const std::function<std::pair<double, double>(int64_t)>& move_ = {}) {
  Planimetria p;
  p.resize(metres);
  p.seed();
  for (int64_t m = 2; m <= up_to; ++m) {
    const auto [dx, dy] = move_ ? move_(m) : std::pair{0.0, 0.0};
    p.add(0.0 + dx, static_cast<double>(m) + dy);
  }
  return p;
}

// A moved stretch of the plan is one line, where and how far; entry by
// entry only when asked.
TEST(ScenarioDiff, ThePlanIsComparedInRunsOfDifferingEntries) {
  auto within = [](int64_t da, int64_t a, std::pair<double, double> di) {
    return [=](int64_t m) { return m >= da && m <= a ? di : std::pair{0.0, 0.0}; };
  };
  const struct {
    const char* c_;
    Planimetria b;
    bool entry_by_entry;
    std::vector<std::string> lines;
    int64_t how_many;
  } cases[] = {
      {"a stretch moved",
       straight_plan(50, 50, [](int64_t m) { return m >= 10 && m <= 19 ? std::pair{(m - 9) * 0.5, -0.3} : std::pair{0.0, 0.0}; }),
       false, {"plan metres 10-19: 10 entries differ, largest |dx| 5.0 m, |dy| 0.3 m"}, 10},
      {"two runs and one entry",
       straight_plan(50, 50,
                     [](int64_t m) {
                       return m >= 10 && m <= 12 ? std::pair{1.0, 0.0}
                              : m == 20 || m == 21 ? std::pair{0.0, 2.0}
                              : m == 30            ? std::pair{1.0, 0.0}
                                                   : std::pair{0.0, 0.0};
                     }),
       false,
       {"plan metres 10-12: 3 entries differ, largest |dx| 1.0 m, |dy| 0 m",
        "plan metres 20-21: 2 entries differ, largest |dx| 0 m, |dy| 2.0 m", "plan metre 30: x 0 -> 1"},
       6},
      {"cut short", straight_plan(50, 44), false, {"plan metres 45-50: 6 entries differ, 6 set -> empty"}, 6},
      {"moved, then cut short", straight_plan(50, 44, within(40, 44, {1.0, 0.0})), false,
       {"plan metres 40-50: 11 entries differ, largest |dx| 1.0 m, |dy| 0 m, 6 set -> empty"}, 11},
      {"a tiny move", straight_plan(50, 50, within(10, 11, {0.0, 1e-9})), false,
       {"plan metres 10-11: 2 entries differ, largest |dx| 0 m, |dy| 1e-09 m"}, 2},
      {"a longer plan, the same points", straight_plan(60, 60), false, {"plan: 51 -> 61 entries a coordinate"}, 1},
      {"entry by entry", straight_plan(50, 50, within(10, 12, {0.5, 0.0})), true,
       {"plan metre 10: x 0 -> 0.5", "plan metre 11: x 0 -> 0.5", "plan metre 12: x 0 -> 0.5"}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.c_);
    Differences d(20);
    compare_plans(straight_plan(50, 50), c.b, c.entry_by_entry, d);
    EXPECT_EQ(d.prime(), c.lines);
    EXPECT_EQ(d.total(), c.how_many);
    EXPECT_EQ(d.in_file(DiffedFile::plan), c.how_many);
    EXPECT_EQ(d.not_shown(), 0);
  }

  // A plan that grew where the other has no points yet.
  Differences d(20);
  compare_plans(straight_plan(50, 47), straight_plan(50, 50), false, d);
  EXPECT_EQ(d.prime(), std::vector<std::string>{"plan metres 48-50: 3 entries differ, 3 empty -> set"});
}

TEST(ScenarioDiff, ALineStandsForEveryDifferenceOfItsRun) {
  CompiledScenario b = base_scenario();
  b.griglia.at(12).dato1 = 41;
  b.planimetria = straight_plan(7999, 7999, [](int64_t m) { return std::pair{m >= 100 ? 1.0 : 0.0, 0.0}; });
  CompiledScenario a = base_scenario();
  a.planimetria = straight_plan(7999, 7999);
  Differences d(1);
  compare_scenarios({}, a, {}, b, d);
  EXPECT_EQ(d.prime(), std::vector<std::string>{"cell 12 dato1: 42 -> 41"});
  EXPECT_EQ(d.total(), 1 + 7900);
  EXPECT_EQ(d.not_shown(), 7900) << "the run not shown counts every entry";
  EXPECT_EQ(d.in_file(DiffedFile::grid), 1);
  EXPECT_EQ(d.in_file(DiffedFile::scenario), 0);
}

TEST(ScenarioDiff, DistancesAreShownToATenthOfAMetreAndNeverAsZero) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "0"}, {12.44, "12.4"}, {339.46, "339.5"}, {0.06, "0.1"}, {0.004, "0.004"}, {1.2e-9, "1.2e-09"}, {std::nan(""), "nan"},
  };
  for (const auto& [metres, text] : cases) EXPECT_EQ(metres_text(metres), text) << metres;
}

struct TwoFolders {
  TempDir a, b;
  TwoFolders() {
    write_scenario(a.path(), "R_T", base_scenario());
    write_scenario(b.path(), "R_T", base_scenario());
  }
  testing::RunResult diff(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {SCENARIO_BINARY, "diff", a.path(), b.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return testing::run_program(args, a.path());
  }
};

TEST(ScenarioDiff, TheToolSaysWhetherTwoDirectoriesHoldTheSameScenario) {
  TwoFolders d;
  auto e = d.diff();
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(e.out, "identical\n");

  CompiledScenario b = base_scenario();
  b.griglia.at(12).dato1 = 41;
  write_scenario(d.b.path(), "R_T", b);
  e = d.diff();
  EXPECT_EQ(e.status, 1) << e.err;
  EXPECT_EQ(e.out, "R_T.sim: identical\nR_T.dat: 1 difference\nR_linea.dat: identical\ncell 12 dato1: 42 -> 41\n1 difference\n");

  std::filesystem::remove(d.b / "R_linea.dat");
  b.stazioni.at(84).inizio = 1;
  testing::put_file(d.b / "R_T.sim", station_bytes(b.stazioni));
  e = d.diff({"--max", "1"});
  EXPECT_EQ(e.status, 1) << e.err;
  EXPECT_EQ(e.out, "R_T.sim: 1 difference\nR_T.dat: 1 difference\nR_linea.dat: 1 difference\nmissing file: " +
                       (d.b / "R_linea.dat") + " (present: " + (d.a / "R_linea.dat") +
                       ")\n... and 2 more\n3 differences\n");
}

TEST(ScenarioDiff, SeveralScenariosNeedARouteAndATrain) {
  TwoFolders d;
  CompiledScenario u = base_scenario("U");
  u.griglia.at(12).dato1 = 7;
  write_scenario(d.a.path(), "R_U", u);

  auto e = d.diff();
  EXPECT_EQ(e.status, 2);
  EXPECT_THAT(e.err, HasSubstr("holds 2 scenarios (R_T, R_U); choose one with --route R --train T"));
  e = d.diff({"--route", "R", "--train", "T"});
  EXPECT_EQ(e.status, 0) << e.err;
  e = d.diff({"--train", "U"});
  EXPECT_EQ(e.status, 2) << "B has no R_U";
  EXPECT_THAT(e.err, HasSubstr("no compiled scenario in " + d.b.path()));
  e = d.diff({"--route", "R", "--train", "U"});
  EXPECT_EQ(e.status, 1);
  EXPECT_THAT(e.out, HasSubstr("missing file: " + (d.b / "R_U.sim")));
}

TEST(ScenarioDiff, ABadFileHasItsOwnStatusAndAMissingDirectoryIsAUsageError) {
  TwoFolders d;
  testing::put_file(d.b / "R_T.dat", "not a grid");
  auto e = d.diff();
  EXPECT_EQ(e.status, 6);
  EXPECT_EQ(e.err, "scenario: bad compiled file: " + (d.b / "R_T.dat") +
                       ": 10 bytes is not a whole number of 15-byte cells\n");
  EXPECT_EQ(e.out, "");

  e = testing::run_program({SCENARIO_BINARY, "diff", d.a.path(), d.a / "nowhere"});
  EXPECT_EQ(e.status, 2);
  e = d.diff({"--max", "-1"});
  EXPECT_EQ(e.status, 2);
}

// A longer curve moves the rest of the route: the diff says where and how
// far in one line; --all lists the entries.
TEST(ScenarioDiff, ACurveChangedIsOneRunOfThePlan) {
  TempDir dir;
  for (const auto& [nome, radius] : {std::pair{"one.txt", "150"}, {"two.txt", "200"}})
    testing::put_file(dir / nome, std::string("[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\ncurvas1,  1350,  ") +
                                    radius + "\r\n[fine]\r\n");
  testing::put_file(dir / "train.txt",
                  "[generale]\r\nvelocita,   0,    30\r\nsegnale,   3950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n[fine]\r\n");
  for (const char* out : {"one", "two"}) {
    const auto c = testing::run_program({SCENARIO_BINARY, "compile", std::string(out) + ".txt", "train.txt", "--route", "R",
                                    "--train", "T 1", "--out", out, "--quiet"},
                                   dir.path());
    ASSERT_EQ(c.status, 0) << c.err;
  }
  auto e = testing::run_program({SCENARIO_BINARY, "diff", "one", "two"}, dir.path());
  EXPECT_EQ(e.status, 1) << e.err;
  EXPECT_EQ(e.out,
            "R_T 1.sim: identical\n"
            "R_T 1.dat: identical\n"
            "R_linea.dat: 15498 differences\n"
            "plan metres 1501-16998: 15498 entries differ, largest |dx| 77.4 m, |dy| 1.3 m\n"
            "15498 differences\n");

  e = testing::run_program({SCENARIO_BINARY, "diff", "one", "two", "--all", "--max", "2"}, dir.path());
  EXPECT_EQ(e.status, 1) << e.err;
  EXPECT_EQ(e.out,
            "R_T 1.sim: identical\n"
            "R_T 1.dat: identical\n"
            "R_linea.dat: 15498 differences\n"
            "plan metre 1501: x -1.1474786372799317 -> -1.1475786261051344, y 1500.9942635632565 -> 1500.9942620633117\n"
            "plan metre 1502: x -1.1624780859858517 -> -1.1627780523114652, y 1501.9941518152837 -> 1501.9941473054503\n"
            "... and 15496 more\n"
            "15498 differences\n");
}

// Two compiles of the same sources give the same files.
TEST(ScenarioDiff, TwoCompilesOfTheSameSourcesAreIdentical) {
  TempDir dir;
  testing::put_file(dir / "line.txt",
                  "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\ncurvas1,  1350,  150\r\n[fine]\r\n");
  testing::put_file(dir / "train.txt",
                  "[generale]\r\nvelocita,   0,    30\r\nsegnale,   3950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n[fine]\r\n");
  for (const char* out : {"one", "two"}) {
    const auto c = testing::run_program(
        {SCENARIO_BINARY, "compile", "line.txt", "train.txt", "--route", "R", "--train", "T 1", "--out", out},
        dir.path());
    ASSERT_EQ(c.status, 0) << c.err;
  }
  const auto e = testing::run_program({SCENARIO_BINARY, "diff", "one", "two"}, dir.path());
  EXPECT_EQ(e.status, 0) << e.out << e.err;
  EXPECT_EQ(e.out, "identical\n");
}

}  // namespace
}  // namespace compactor::cli
