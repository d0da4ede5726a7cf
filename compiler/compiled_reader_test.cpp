#include "compiler/compiled_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "compiler/codici_gara.h"
#include "compiler/compiled_files.h"
#include "compiler/compiled_format.h"
#include "compiler/little_endian.h"
#include "platform/memory_files.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

using ::testing::HasSubstr;
using testing::TempDir;

Griglia test_grid() {
  Griglia g;
  g.resize(6);
  g.at(1) = {.tipo = 0, .dato1 = 5121, .dato2 = 2622};  // the plain code of "T 1" and "R"
  g.at(3) = {1, 42, 11, -1, 8, 101, 0, 2, 24, 95, 255};
  g.at(4) = {.tipo = 14, .dato1 = 80, .dato2 = -32768, .dato4 = 32767, .preavviso = 81};
  g.at(6).pendenza = 100;
  return g;
}

Stazioni test_stations() {
  Stazioni t;
  t.at(1) = {8, -500, 500, 0, 1, "Citt\xE0 Alta", 4, 1, 2, 1, 1, 0, 1, 0, 0, 43910};
  t.at(80).nome = "(Cippo)(Km 5+000)";
  t.at(83).inizio = 31100;
  t.at(83).fine = -3050;
  t.at(83).posizione = 1;
  // A route of 300 m with its run-out, as test_grid's 7 cells are.
  t.at(84).fine = 300 - 7000;
  t.at(85).inizio = 1;
  t.at(85).nome = "R";
  t.at(85).campo7 = 610;
  t.at(85).orario = 34651;  // the weighted code of "T 1" and "R"
  t.at(86).nome = "T 1";
  t.at(86).campo7 = 200;
  t.at(86).campo12 = -50;
  return t;
}

// A plan of 0..metres metres with `computed` points after the seed; -1
// leaves it unseeded.
Planimetria test_plan(int32_t metres, int computed) {
  Planimetria p;
  p.resize(metres);
  if (computed < 0) return p;
  p.seed();
  for (int i = 0; i < computed; ++i) p.add(0.25 * i - 1e-9, 2.0 + i * 1.000001);
  return p;
}

void EXPECT_SAME_PLAN(const Planimetria& a, const Planimetria& b) {
  ASSERT_EQ(a.points(), b.points());
  EXPECT_EQ(a.seeded(), b.seeded());
  EXPECT_EQ(a.next(), b.next());
  for (int64_t m = 0; m < a.points(); ++m)
    for (int c = 0; c < 2; ++c) {
      const Variant va = a.entry(m, c), vb = b.entry(m, c);
      EXPECT_EQ(va.tag, vb.tag) << m << "," << c;
      EXPECT_EQ(va.numero(), vb.numero()) << m << "," << c;
    }
}

TEST(CompiledReader, GridAndStationsComeBackAsTheyWereWritten) {
  const Griglia g = test_grid();
  EXPECT_EQ(read_grid(grid_bytes(g)).celle(), g.celle());
  const Stazioni t = test_stations();
  EXPECT_EQ(read_stations(station_bytes(t)).all(), t.all());
}

TEST(CompiledReader, PlansOfEveryShapeComeBackAsTheyWereWritten) {
  const struct {
    int32_t metres;
    int computed;
  } cases[] = {{9, -1}, {9, 0}, {9, 5}, {9, 8}, {1, 0}, {0, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.metres << " m, " << c.computed << " computed");
    const Planimetria p = test_plan(c.metres, c.computed);
    EXPECT_SAME_PLAN(read_plan(plan_bytes(p)), p);
  }
}

// Plan bytes from tags per coordinate; values follow the seed convention.
std::string plan_by_hand(const std::vector<int>& x, const std::vector<int>& y, int seed_y1 = 1) {
  std::string out;
  for (const auto* tags : {&x, &y})
    for (size_t m = 0; m < tags->size(); ++m) {
      const int t = (*tags)[m];
      le::i16(out, static_cast<int16_t>(t));
      if (t == 2) le::i16(out, static_cast<int16_t>(tags == &y && m == 1 ? seed_y1 : 0));
      if (t == 5) le::f64(out, 1.5);
      if (t != 0 && t != 2 && t != 5) le::i16(out, 0);
    }
  return out;
}

struct BrokenFile {
  const char* c_;
  FileKind tipo;
  std::string bytes;
  const char* why;
};

std::string with_name_length(int16_t n) {
  std::string b = station_bytes(test_stations());
  b[14] = static_cast<char>(n & 0xFF);
  b[15] = static_cast<char>((n >> 8) & 0xFF);
  return b;
}

// 200 cells of noise.
std::string random_grid() {
  std::string b(200 * 15, '\0');
  uint32_t x = 4105;
  for (size_t i = 0; i < b.size(); ++i) {
    x = x * 1103515245u + 12345u;
    b[i] = static_cast<char>(x >> 24);
  }
  return b;
}

// The scenario file of test_stations with one change.
std::string stations_with(void (*change)(Stazioni&)) {
  Stazioni t = test_stations();
  change(t);
  return station_bytes(t);
}

std::vector<BrokenFile> broken_files() {
  const std::string griglia = grid_bytes(test_grid());
  const std::string stazioni = station_bytes(test_stations());
  const std::string plan = plan_bytes(test_plan(9, 5));
  const std::string text = "[generale]\r\nlunghezza percorso,    10000\r\n[fine]\r\n";
  return {
      {"grid truncated by one byte", FileKind::griglia, griglia.substr(0, griglia.size() - 1), "15-byte cells"},
      {"grid one byte too long", FileKind::griglia, griglia + '\0', "15-byte cells"},
      {"empty grid", FileKind::griglia, "", "empty"},
      {"grid longer than the longest route", FileKind::griglia, std::string(20142 * 15, '\0'), "longest route"},
      {"grid without its mark", FileKind::griglia, std::string(3 * 15, '\0'), "cell 1 holds 0"},
      {"random bytes as a grid", FileKind::griglia, random_grid(), "where every compiled grid has the mark 5121"},
      {"scenario without its mark", FileKind::scenario, station_bytes(Stazioni{}), "row 85 holds 0"},
      {"scenario with another code", FileKind::scenario, stations_with([](Stazioni& t) { t.at(85).orario += 1; }),
       "row 85 holds the code 34652 where the names it carries (route \"R\", train \"T 1\") give 34651"},
      {"scenario with another train name", FileKind::scenario,
       stations_with([](Stazioni& t) { t.at(86).nome = "T 2"; }), "(route \"R\", train \"T 2\") give 34654"},
      {"scenario truncated by one byte", FileKind::scenario, stazioni.substr(0, stazioni.size() - 1), "row 86"},
      {"scenario cut inside a row's head", FileKind::scenario, stazioni.substr(0, 34 + 44 + 5), "ends inside row 2"},
      {"scenario one byte too long", FileKind::scenario, stazioni + 'x', "1 bytes left over"},
      {"scenario with a negative name length", FileKind::scenario, with_name_length(-2), "negative length -2"},
      {"scenario with an oversized name length", FileKind::scenario, with_name_length(32767), "32767 bytes"},
      {"text as a scenario", FileKind::scenario, text, "row 0"},
      {"empty scenario", FileKind::scenario, "", "ends inside row 0"},
      {"plan truncated by one byte", FileKind::planimetria, plan.substr(0, plan.size() - 1), "ends inside"},
      {"plan one byte too long", FileKind::planimetria, plan + '\0', "ends inside the tag"},
      {"text as a plan", FileKind::planimetria, text, "unknown tag"},
      {"empty plan", FileKind::planimetria, "", "empty"},
      {"unknown tag", FileKind::planimetria, plan_by_hand({2, 2, 3, 0}, {2, 2, 5, 0}), "unknown tag 3"},
      {"odd number of entries", FileKind::planimetria, plan_by_hand({2, 2, 5}, {2, 2, 5, 0}), "equal length"},
      {"halves of different shape", FileKind::planimetria, plan_by_hand({2, 2, 5, 5, 0}, {2, 2, 5, 0, 0}),
       "x half has 4 and the y half 3"},
      {"a computed point after an empty entry", FileKind::planimetria,
       plan_by_hand({2, 2, 5, 0, 5}, {2, 2, 5, 0, 5}), "x(4) has tag 5"},
      {"one seed point only", FileKind::planimetria, plan_by_hand({2, 5, 0}, {2, 5, 0}), "x(1) should be a seed"},
      {"a seed point out of place", FileKind::planimetria, plan_by_hand({5, 2, 2}, {5, 2, 2}),
       "x(0) should be a seed"},
      {"seed points elsewhere", FileKind::planimetria, plan_by_hand({2, 2, 0}, {2, 2, 0}, 7), "(0, 7)"},
  };
}

TEST(CompiledReader, TruncatedForeignAndInconsistentBytesAreABadCompiledFile) {
  for (const BrokenFile& f : broken_files()) {
    SCOPED_TRACE(f.c_);
    try {
      switch (f.tipo) {
        case FileKind::griglia: read_grid(f.bytes); break;
        case FileKind::scenario: read_stations(f.bytes); break;
        case FileKind::planimetria: read_plan(f.bytes); break;
      }
      ADD_FAILURE() << "accepted";
    } catch (const BadCompiledFile& e) {
      EXPECT_THAT(e.what(), HasSubstr("bad compiled file: "));
      EXPECT_THAT(e.what(), HasSubstr(f.why));
    }
  }
}

TEST(CompiledReader, AFileIsReadByTheKindItsNameSays) {
  EXPECT_EQ(kind_from_name("d/R_linea.dat"), FileKind::planimetria);
  EXPECT_EQ(kind_from_name("d/R_T 1.sim"), FileKind::scenario);
  EXPECT_EQ(kind_from_name("R_T.DAT"), FileKind::griglia);
  EXPECT_THROW(kind_from_name("R_linea.txt"), BadCompiledFile);

  TempDir dir;
  testing::put_file(dir / "R_T.dat", grid_bytes(test_grid()));
  testing::put_file(dir / "R_T.sim", station_bytes(test_stations()));
  testing::put_file(dir / "R_linea.dat", plan_bytes(test_plan(9, 5)));
  Files& files = real_files();
  EXPECT_EQ(read_file(dir / "R_T.dat", files).griglia.size(), 7);
  EXPECT_EQ(read_file(dir / "R_T.sim", files).stazioni.at(85).orario, 34651);
  EXPECT_EQ(read_file(dir / "R_linea.dat", files).planimetria.next(), 7);

  // The grid's bytes under a plan's name are no plan; the message names the file.
  std::filesystem::copy_file(dir / "R_T.dat", dir / "S_linea.dat");
  EXPECT_THAT([&] { read_file(dir / "S_linea.dat", files); },
              ::testing::ThrowsMessage<BadCompiledFile>(HasSubstr("bad compiled file: " + (dir / "S_linea.dat") + ": ")));
  // A file that cannot be read is the file layer's failure, not a bad file.
  EXPECT_THAT([&] { read_file(dir / "missing.sim", files); },
              ::testing::ThrowsMessage<PlatformError>(HasSubstr(testing::missing_file_reason())));
  std::filesystem::create_directory(dir / "dir.dat");
  EXPECT_THROW(read_file(dir / "dir.dat", files), PlatformError);
  // A file far beyond any compiled file is refused before it is read.
  std::filesystem::resize_file(dir / "R_T.dat", 1ull << 32);
  EXPECT_THAT([&] { read_file(dir / "R_T.dat", files); },
              ::testing::ThrowsMessage<BadCompiledFile>(HasSubstr("longer than")));
}

// The limits are those of the longest route the loader takes: its grid and
// plan are read, one cell or entry more is not.
TEST(CompiledReader, TheLargestFilesAreThoseOfTheLongestRoute) {
  namespace layout = compiled_format;
  const int64_t metres = metri_del_percorso(layout::longest_route_m);
  EXPECT_EQ(layout::most_cells, ultima_cella(metres) + 1);
  EXPECT_EQ(layout::most_plan_entries, metres + 1);

  Griglia g;
  g.resize(static_cast<int32_t>(ultima_cella(metres)));
  g.at(1).dato1 = mark_grid;
  const std::string griglia = grid_bytes(g);
  EXPECT_EQ(static_cast<int64_t>(griglia.size()), layout::largest_grid_file);
  EXPECT_EQ(read_grid(griglia).size(), layout::most_cells);

  // Every entry computed: the plan file at its largest.
  Planimetria p;
  p.resize(static_cast<int32_t>(metres));
  p.seed();
  p.extend(metres, [](double* x, double* y, int64_t da, int64_t a) {
    for (int64_t m = da; m < a; ++m) x[m] = y[m] = static_cast<double>(m);
  });
  const std::string plan = plan_bytes(p);
  EXPECT_EQ(static_cast<int64_t>(plan.size()), layout::largest_plan_file);
  EXPECT_EQ(read_plan(plan).next(), layout::most_plan_entries);

  Stazioni t = test_stations();
  for (int r = 1; r <= 80; ++r) t.at(r).nome = std::string(testo_massimo, 'x');
  t.at(85).nome = std::string(testo_massimo, 'r');
  t.at(86).nome = std::string(testo_massimo, 't');
  t.at(85).orario = weighted_code(t.at(86).nome, t.at(85).nome);
  for (const int r : {0, 81, 82, 83, 84}) t.at(r).nome = std::string(testo_massimo, 'y');
  const std::string stazioni = station_bytes(t);
  EXPECT_EQ(static_cast<int64_t>(stazioni.size()), layout::largest_scenario_file);
  EXPECT_EQ(read_stations(stazioni).all(), t.all());
}

TEST(CompiledReader, ScenariosInADirectoryAreFoundByTheirFileNames) {
  TempDir dir;
  for (const char* nome : {"A_linea.dat", "A_B_linea.dat", "A_B_T.sim", "A_B_T.dat", "A_U.sim", "notes.dat", "A_U.txt"})
    testing::put_file(dir / nome, "");
  std::filesystem::create_directory(dir / "X_Y.sim");
  Files& files = real_files();

  const auto all_ = scenarios_in(dir.path(), "", "", files);
  ASSERT_EQ(all_.size(), 2u);
  EXPECT_EQ(all_[0].nome, "A_B_T");
  EXPECT_EQ(all_[0].planimetria, dir / "A_B_linea.dat") << "the longest route name with a plan file";
  EXPECT_EQ(all_[0].griglia, dir / "A_B_T.dat");
  EXPECT_EQ(all_[1].nome, "A_U");
  EXPECT_EQ(all_[1].planimetria, dir / "A_linea.dat");
  EXPECT_EQ(all_[1].scenario, dir / "A_U.sim");

  const auto u = scenarios_in(dir.path(), "", "U", files);
  ASSERT_EQ(u.size(), 1u);
  EXPECT_EQ(u[0].nome, "A_U");
  EXPECT_EQ(scenarios_in(dir.path(), "A_B", "", files).size(), 1u);
  const auto asked = scenarios_in(dir.path(), "Z", "Q", files);
  ASSERT_EQ(asked.size(), 1u) << "named outright, whether or not it exists";
  EXPECT_EQ(asked[0].scenario, dir / "Z_Q.sim");
  EXPECT_EQ(asked[0].planimetria, dir / "Z_linea.dat");

  EXPECT_THAT([&] { scenarios_in(dir / "nowhere", "", "", files); },
              ::testing::ThrowsMessage<PlatformError>(HasSubstr("cannot list: " + testing::missing_folder_reason())));
}

// The three files of the scenario R / "T 1" in memory, the one that
// test_stations names.
struct FileSet {
  MemoryFiles files;
  FileScenario names{"R_T 1", "d/R_linea.dat", "d/R_T 1.sim", "d/R_T 1.dat"};
  FileSet() {
    files.put(names.scenario, station_bytes(test_stations()));
    files.put(names.griglia, grid_bytes(test_grid()));
    files.put(names.planimetria, plan_bytes(test_plan(300, 5)));
  }
};

TEST(CompiledReader, AScenarioReadsTheFilesItHasAndNotesTheOthers) {
  FileSet i;
  i.files.remove(i.names.planimetria);
  const FileScenario present = existing_files(i.names, i.files);
  EXPECT_EQ(present.planimetria, "");
  EXPECT_EQ(present.griglia, i.names.griglia);
  const CompiledScenario s = read_scenario(present, i.files);
  EXPECT_TRUE(s.with_scenario);
  EXPECT_TRUE(s.with_grid);
  EXPECT_FALSE(s.con_planimetria);
  EXPECT_FALSE(s.planimetria.sized());
  EXPECT_EQ(s.griglia.celle(), test_grid().celle());

  EXPECT_THROW(read_scenario(i.names, i.files), PlatformError) << "a file named but missing";
  i.files.put(i.names.griglia, "x");
  EXPECT_THROW(read_scenario(present, i.files), BadCompiledFile);
}

// Each file sound on its own, yet not of one scenario.
TEST(CompiledReader, TheFilesOfAScenarioMustBeOneRoute) {
  const struct {
    const char* c_;
    std::function<void(FileSet&)> change;
    std::string culprit;  // the file the message names
    std::string why;     // part of the message
  } cases[] = {
      {"sound", [](FileSet&) {}, "", ""},
      {"names in another letter case", [](FileSet& i) {
         i.names.scenario = "d/r_t 1.SIM";
         i.files.put(i.names.scenario, i.files.read("d/R_T 1.sim"));
       }, "", ""},
      {"a grid of another route length",
       [](FileSet& i) {
         Griglia g = test_grid();
         g.resize(7);
         g.at(1) = test_grid().at(1);
         i.files.put(i.names.griglia, grid_bytes(g));
       },
       "d/R_T 1.dat", "8 cells, but the route length in d/R_T 1.sim (-6700 m) calls for 7"},
      {"a plan of another route length",
       [](FileSet& i) { i.files.put(i.names.planimetria, plan_bytes(test_plan(301, 5))); },
       "d/R_linea.dat", "302 entries a coordinate, but the route length in d/R_T 1.sim (-6700 m) calls for 301"},
      {"a scenario file of another route length",
       [](FileSet& i) {
         Stazioni t = test_stations();
         t.at(84).fine = 20000;
         i.files.put(i.names.scenario, station_bytes(t));
       },
       "d/R_T 1.dat", "7 cells, but the route length in d/R_T 1.sim (20000 m) calls for 541"},
      {"a grid with another code",
       [](FileSet& i) {
         Griglia g = test_grid();
         g.at(1).dato2 = 2426;
         i.files.put(i.names.griglia, grid_bytes(g));
       },
       "d/R_T 1.dat", "cell 1 holds the code 2426 where the names in d/R_T 1.sim (route \"R\", train \"T 1\") give 2622"},
      {"a scenario file under another name",
       [](FileSet& i) {
         i.names.scenario = "d/R_T 2.sim";
         i.files.put(i.names.scenario, i.files.read("d/R_T 1.sim"));
       },
       "d/R_T 2.sim", "its name is not \"R_T 1.sim\", that of the names in d/R_T 2.sim (route \"R\", train \"T 1\")"},
      {"a grid under another name",
       [](FileSet& i) {
         i.names.griglia = "d/S_T 1.dat";
         i.files.put(i.names.griglia, grid_bytes(test_grid()));
       },
       "d/S_T 1.dat", "its name is not \"R_T 1.dat\""},
      {"a plan of another route",
       [](FileSet& i) {
         i.names.planimetria = "d/S_linea.dat";
         i.files.put(i.names.planimetria, plan_bytes(test_plan(300, 5)));
       },
       "d/S_linea.dat", "its name is not \"R_linea.dat\""},
      {"a grid and a plan of two lengths, without a scenario file",
       [](FileSet& i) {
         i.names.scenario.clear();
         i.files.put(i.names.planimetria, plan_bytes(test_plan(2000, 5)));
       },
       "d/R_T 1.dat", "7 cells, but the plan in d/R_linea.dat (2000 m) calls for 41"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.c_);
    FileSet i;
    c.change(i);
    if (c.culprit.empty()) {
      EXPECT_NO_THROW(read_scenario(i.names, i.files));
      continue;
    }
    EXPECT_THAT([&] { read_scenario(i.names, i.files); },
                ::testing::ThrowsMessage<BadCompiledFile>(HasSubstr("bad compiled file: " + c.culprit + ": " + c.why)));
  }
}

}  // namespace
}  // namespace compactor
