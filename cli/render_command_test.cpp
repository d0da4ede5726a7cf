#include "cli/render_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/drawing/svg_test_xml.h"
#include "compiler/memorizza_percorso.h"
#include "model/file_names.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

using testing::Element;
using testing::TempDir;

// A 20 km route: three references, three curves, three tunnels, two
// kilometre posts and a junction board.
const std::string kLine =
    "[generale]\r\n"
    "lunghezza percorso,    20000\r\n"
    "progressiva chilometrica uno,    5000,    1000,    0\r\n"
    "progressiva chilometrica due,    12000,    -12000,    0\r\n"
    "progressiva chilometrica tre,    16000,    30000,    1\r\n"
    "[curve]\r\n"
    "curvad4,  2000,  800\r\n"
    "curvas3,  6000,  1500\r\n"
    "curvad5,  11000,  600\r\n"
    "[pendenze]\r\n"
    "pendenza,  0,   0\r\n"
    "pendenza,  1000,   8\r\n"
    "pendenza,  4000,   -5\r\n"
    "pendenza,  9000,   12\r\n"
    "pendenza,  14000,   0\r\n"
    "[montagne]\r\n"
    "montagna,   3000,  4500,  12\r\n"
    "montagna,   8000,  8600,  2\r\n"
    "montagna,   15000,  16500,  2\r\n"
    "[cartelli]\r\n"
    "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0\r\n"
    "[indicazioni]\r\n"
    "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\n"
    "cartello_indicatore,  9950,   (Cippo)(Km 11+000)\r\n"
    "cartello_indicatore,  13000,   (Dev.I.)\r\n"
    "[fine]\r\n";

// Four stations (two timed stops), one slowdown, four signals.
const std::string kTrain =
    "[generale]\r\n"
    "numero vetture,    5\r\n"
    "percentuale massa frenata,    110\r\n"
    "sabbia,    100\r\n"
    "orologio,    8              0            0 \r\n"
    "[aderenze]\r\n"
    "aderenza,       0,    95\r\n"
    "aderenza,  10000,    87\r\n"
    "[vel_limite]\r\n"
    "velocita,   0,    30\r\n"
    "velocita,    1000,    95\r\n"
    "velocita,    6000,    120\r\n"
    "velocita,   13000,    80\r\n"
    "velocita,   16000,    100\r\n"
    "[stazioni]\r\n"
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,   8, 0, 0, Alfa\r\n"
    "stazione,    5000, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, Beta\r\n"
    "stazione,   11000, 22,  300,  1, 0, 0,  1,1,0,  2,1,0,    0,   8,20, 0, Gamma & <Delta>\r\n"
    "stazione,   18500, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Epsilon\r\n"
    "[rallentamenti]\r\n"
    "rallentamento,  7000,  60,  1000,  1,  1,  0\r\n"
    "[segnali]\r\n"
    "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
    "segnale,    4100,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n"
    "segnale,    9000,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n"
    "segnale,   14000,   2, 4, 0,  0, 0,    2,  1,0,0, 0\r\n"
    "[fine]\r\n";

struct Scenario {
  TempDir dir;
  std::string linea = dir / "route.txt";
  std::string treno = dir / "train.txt";
  explicit Scenario(const std::string& l = kLine, const std::string& t = kTrain) {
    testing::put_file(linea, l);
    testing::put_file(treno, t);
  }
  testing::RunResult scenario(std::vector<std::string> args) const {
    args.insert(args.begin(), SCENARIO_BINARY);
    return testing::run_program(args, dir.path());
  }
  testing::RunResult from_sources(const std::string& svg) const {
    return scenario({"render", "--line", linea, "--train-source", treno, "--route", "R", "--train", "T 1", "-o", svg});
  }
  // The model the picture must show, compiled here by the compile step itself.
  Model model() const {
    TempDir work;
    const FileNames names = file_names(work.path(), "R", "T 1");
    testing::put_file(names.line_txt, testing::file_text(linea));
    testing::put_file(names.train_txt, testing::file_text(treno));
    Model m;
    m.nome_percorso = "R";
    m.nome_treno = "T 1";
    int32_t j = 1;
    memorizza_percorso(m, j, names, real_files());
    return m;
  }
};

double numero(const std::string& s) { return std::stod(s); }

std::vector<std::pair<double, double>> points(const std::string& attr) {
  std::vector<std::pair<double, double>> out;
  std::istringstream in(attr);
  for (std::string p; in >> p;) {
    const auto comma_ = p.find(',');
    out.emplace_back(std::stod(p.substr(0, comma_)), std::stod(p.substr(comma_ + 1)));
  }
  return out;
}

// The steps of a path "M x y H x V y H x ...": (x from, x to, y) of each
// horizontal run.
std::vector<std::array<double, 3>> steps(const std::string& d) {
  std::istringstream in(d);
  std::vector<std::array<double, 3>> out;
  double x = 0, y = 0;
  for (std::string cmd; in >> cmd;) {
    double v = 0;
    if (cmd == "M") {
      in >> x >> y;
      continue;
    }
    in >> v;
    if (cmd == "H") {
      out.push_back({x, v, y});
      x = v;
    } else if (cmd == "V") {
      y = v;
    } else {
      ADD_FAILURE() << "unexpected path command " << cmd;
    }
  }
  return out;
}

int count(const Element& e, std::string_view class_) {
  return static_cast<int>(testing::with_class(e, class_).size());
}

TEST(ScenarioRender, ThePictureFromSourcesShowsWhatTheModelHolds) {
  Scenario s;
  const auto outcome = s.from_sources("route.svg");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "") << "no progress lines when standard error is not a terminal";
  EXPECT_EQ(outcome.out, "");
  const Element svg = testing::read_xml(testing::file_text(s.dir / "route.svg"));
  ASSERT_EQ(svg.nome, "svg");
  const Model m = s.model();
  ASSERT_EQ(m.numero_errore, 0);
  const int32_t L = m.stazioni.at(84).fine;
  ASSERT_EQ(L, 20000);

  const Element* plan = testing::with_id(svg, "plan");
  const Element* profile = testing::with_id(svg, "profile");
  ASSERT_NE(plan, nullptr);
  ASSERT_NE(profile, nullptr);

  // Stations: one marker each in both panels, timed stops told apart.
  int fermate = 0, passes = 0;
  for (int r = 1; r <= 80 && !m.stazioni.at(r).nome.empty() && m.stazioni.at(r).inizio != m.stazioni.at(r).fine; ++r)
    (m.stazioni.at(r).orario != 0 ? fermate : passes)++;
  EXPECT_EQ(fermate, 2);
  EXPECT_EQ(passes, 2);
  for (const Element* panel : {plan, profile}) {
    EXPECT_EQ(count(*panel, "station"), fermate + passes);
    EXPECT_EQ(count(*panel, "timed"), fermate);
    EXPECT_EQ(count(*panel, "passing"), passes);
  }
  std::vector<std::string> names;
  for (const Element* t : testing::with_class(*plan, "station-name")) names.push_back(t->text);
  EXPECT_EQ(names, (std::vector<std::string>{"Alfa", "Beta", "Gamma & <Delta>", "Epsilon"}));

  // Tunnels, signals and kilometre posts.
  EXPECT_EQ(count(*plan, "tunnel"), m.numero_montagne);
  int segnali = 0;
  for (const cella& c : m.griglia.celle()) segnali += c.tipo == tipo_cella::segnale;
  EXPECT_EQ(segnali, 4);
  EXPECT_EQ(count(*plan, "signal"), segnali);
  EXPECT_EQ(count(*plan, "km-post"), 2);
  // Readings: 0 at 0; 10 km at 9000 (chainage + 1000); 0 again at 12000;
  // 10 km at 20000, counting down from 30000 - 16000 = 14 km.
  EXPECT_EQ(count(*plan, "km-tick"), 4);
  EXPECT_EQ(count(*plan, "km-change"), 3);

  // The route polyline covers the plan's bounding box, to one scale for x and y.
  const auto linea = points(testing::with_id(*plan, "route")->attr("points"));
  ASSERT_EQ(linea.size(), static_cast<size_t>(L / 50 + 1)) << "one point every 50 m";
  double min_x = 1e18, max_x = -1e18, min_y = 1e18, max_y = -1e18;
  for (int64_t k = 0; k <= L; ++k) {
    min_x = std::min(min_x, m.planimetria.x(k)), max_x = std::max(max_x, m.planimetria.x(k));
    min_y = std::min(min_y, m.planimetria.y(k)), max_y = std::max(max_y, m.planimetria.y(k));
  }
  double px0 = 1e18, px1 = -1e18, py0 = 1e18, py1 = -1e18;
  for (const auto& [x, y] : linea)
    px0 = std::min(px0, x), px1 = std::max(px1, x), py0 = std::min(py0, y), py1 = std::max(py1, y);
  const double scale = numero(plan->attr("data-scale"));
  EXPECT_NEAR(px1 - px0, (max_x - min_x) * scale, 0.5);
  EXPECT_NEAR(py1 - py0, (max_y - min_y) * scale, 0.5);
  EXPECT_NEAR((px1 - px0) / (py1 - py0), (max_x - min_x) / (max_y - min_y), 0.01) << "equal x and y scale";
  EXPECT_GT(std::max(px1 - px0, py1 - py0), 500) << "the route fills the panel";
  // North is up: the last point lies as far up and right of the first as on the plan.
  EXPECT_NEAR(linea.back().first - linea.front().first, (m.planimetria.x(L) - m.planimetria.x(0)) * scale, 0.02);
  EXPECT_NEAR(linea.front().second - linea.back().second, (m.planimetria.y(L) - m.planimetria.y(0)) * scale, 0.02);
  ASSERT_NE(testing::with_id(*plan, "scale-bar"), nullptr);

  // The profile spans the route: one height point every 50 m, to its end.
  const double x0 = numero(profile->attr("data-x0"));
  const double px_m = numero(profile->attr("data-px-per-m"));
  const auto quote = points(testing::with_class(*profile, "height-line").at(0)->attr("points"));
  ASSERT_EQ(quote.size(), static_cast<size_t>(L / 50 + 1));
  EXPECT_NEAR(quote.front().first, x0, 0.01);
  EXPECT_NEAR(quote.back().first, x0 + L * px_m, 0.01);
  EXPECT_EQ(count(*profile, "height"), 1) << "the filled area";
  // Heights: +8 per mille from 1000 to 4000 m (24 m), -5 to 9000 m (-1 m),
  // +12 to 14000 m (59 m), then level. The top is at 14000 m, and the rises
  // keep their proportions on the drawing.
  const auto top = std::min_element(quote.begin(), quote.end(), [](auto a, auto b) { return a.second < b.second; });
  EXPECT_NEAR((top->first - x0) / px_m, 14000, 1);
  const auto y_a = [&](int c) { return quote.at(static_cast<size_t>(c / 50)).second; };
  EXPECT_NEAR((y_a(9000) - y_a(4000)) / (y_a(9000) - y_a(14000)), 25.0 / 60.0, 0.01);
  EXPECT_DOUBLE_EQ(y_a(0), y_a(1000));

  // Speed steps: the grid's, in km/h, over the route.
  const Element* vel = testing::with_class(*profile, "speed").at(0);
  const double y0 = numero(vel->attr("data-y0")), px_kmh = numero(vel->attr("data-px-per-kmh"));
  std::vector<std::array<int, 3>> drawn;
  for (const auto& [a, b, y] : steps(vel->attr("d")))
    drawn.push_back({static_cast<int>(std::nearbyint((a - x0) / px_m)),
                         static_cast<int>(std::nearbyint((b - x0) / px_m)),
                         static_cast<int>(std::nearbyint((y0 - y) / px_kmh))});
  std::vector<std::array<int, 3>> expected_;
  for (int k = 0; k < L / 50; ++k) {
    const int v = m.griglia.at(k).velocita * 5;
    if (!expected_.empty() && expected_.back()[2] == v)
      expected_.back()[1] = (k + 1) * 50;
    else
      expected_.push_back({k * 50, (k + 1) * 50, v});
  }
  EXPECT_EQ(drawn, expected_);
  EXPECT_EQ(expected_.size(), 5u);
  EXPECT_EQ(steps(testing::with_class(*profile, "adhesion").at(0)->attr("d")).size(), 2u);

  // The slowdown from 7000 to 8000 m and its warning board 1200 m before.
  const auto rall = testing::with_class(*profile, "slowdown");
  ASSERT_EQ(rall.size(), 1u);
  EXPECT_NEAR((numero(rall[0]->attr("x")) - x0) / px_m, 7000, 1);
  EXPECT_NEAR(numero(rall[0]->attr("width")) / px_m, 1000, 1);
  EXPECT_EQ(count(*profile, "warning"), 1);
}

TEST(ScenarioRender, CompiledFilesGiveTheSamePictureByteForByte) {
  Scenario s;
  ASSERT_EQ(s.from_sources("a.svg").status, 0);
  ASSERT_EQ(s.from_sources("b.svg").status, 0);
  const std::string a = testing::file_text(s.dir / "a.svg");
  EXPECT_EQ(a, testing::file_text(s.dir / "b.svg")) << "the same input gives the same bytes";

  const auto c = s.scenario({"compile", s.linea, s.treno, "--route", "R", "--train", "T 1", "--out", s.dir / "out"});
  ASSERT_EQ(c.status, 0) << c.err;
  const auto dir = s.scenario({"render", "out", "--route", "R", "--train", "T 1", "-o", "c.svg", "--quiet"});
  ASSERT_EQ(dir.status, 0) << dir.err;
  EXPECT_EQ(testing::file_text(s.dir / "c.svg"), a);
  const auto file = s.scenario({"render", "out/R_T 1.dat", "out/R_linea.dat", "out/R_T 1.sim", "-o", "-"});
  ASSERT_EQ(file.status, 0) << file.err;
  EXPECT_EQ(file.out, a) << "-o - writes the picture to standard output";

  // Without the plan file the profile is still drawn and the plan says why.
  const auto without = s.scenario({"render", "out/R_T 1.sim", "out/R_T 1.dat", "-o", "d.svg"});
  ASSERT_EQ(without.status, 0) << without.err;
  const Element d = testing::read_xml(testing::file_text(s.dir / "d.svg"));
  EXPECT_EQ(testing::with_id(d, "route"), nullptr);
  EXPECT_EQ(count(*testing::with_id(d, "profile"), "station"), 4);
}

// A route length below 0 m still gives a grid and a plan (here of 300 m):
// its compiled files agree, and they draw what the sources draw. They were
// refused once, as a grid of "7 cells" where the route length "needs 7".
TEST(ScenarioRender, ARouteShorterThanItsRunOutIsDrawnFromItsCompiledFiles) {
  Scenario s("[generale]\r\nlunghezza percorso,    -6700\r\n[curve]\r\ncurvas1,  50,  150\r\n[fine]\r\n",
             "[generale]\r\nvelocita,   0,    30\r\n[fine]\r\n");
  ASSERT_EQ(s.from_sources("a.svg").status, 0);
  const auto c = s.scenario({"compile", s.linea, s.treno, "--route", "R", "--train", "T 1", "--out", s.dir / "out"});
  ASSERT_EQ(c.status, 0) << c.err;
  const auto e = s.scenario({"render", "out", "--route", "R", "--train", "T 1", "-o", "b.svg"});
  ASSERT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(testing::file_text(s.dir / "b.svg"), testing::file_text(s.dir / "a.svg"));
}

TEST(ScenarioRender, AScenarioErrorStillDrawsWhatLoadedAndSaysSo) {
  // The second signal falls on the first kilometre post's cell: error 16.
  std::string treno = kTrain;
  treno.replace(treno.find("4100"), 4, "2950");
  Scenario s(kLine, treno);
  const auto e = s.from_sources("route.svg");
  EXPECT_EQ(e.status, 1);
  EXPECT_NE(e.err.find("error 16 at 2950 m"), std::string::npos) << e.err;
  EXPECT_NE(e.err.find("(train source, line 24)"), std::string::npos) << e.err;
  EXPECT_NE(e.err.find("drawn from what was loaded"), std::string::npos) << e.err;
  const Element svg = testing::read_xml(testing::file_text(s.dir / "route.svg"));
  const Element* avviso = testing::with_id(svg, "load-warning");
  ASSERT_NE(avviso, nullptr);
  EXPECT_NE(avviso->text.find("error 16"), std::string::npos);
  EXPECT_EQ(count(*testing::with_id(svg, "plan"), "station"), 4) << "the stations loaded before the signals";
  EXPECT_EQ(count(*testing::with_id(svg, "plan"), "signal"), 1);
}

TEST(ScenarioRender, UsageFileAndCompiledFileFailures) {
  Scenario s;
  ASSERT_EQ(s.scenario({"compile", s.linea, s.treno, "--route", "R", "--train", "T 1", "--out", s.dir / "out"}).status,
            0);
  ASSERT_EQ(s.scenario({"compile", s.linea, s.treno, "--route", "R", "--train", "T 1", "--out", s.dir / "other"}).status,
            0);

  EXPECT_EQ(s.scenario({"render", "out", "--route", "R", "--train", "T 1"}).status, 2) << "no -o";
  EXPECT_EQ(s.scenario({"render", "out", "-o", "x.svg"}).status, 2) << "a directory needs the names";
  EXPECT_EQ(s.scenario({"render", "--line", s.linea, "--route", "R", "--train", "T", "-o", "x.svg"}).status, 2);
  EXPECT_EQ(s.scenario({"render", "out/R_T 1.sim", "-o", "x.svg"}).status, 2) << "the grid file is missing";
  EXPECT_EQ(s.scenario({"render", "out/R_T 1.sim", "out/R_T 1.dat", "--route", "R", "-o", "x.svg"}).status, 2);
  EXPECT_FALSE(std::filesystem::exists(s.dir / "x.svg"));

  const auto missing = s.scenario({"render", "nowhere", "--route", "R", "--train", "T 1", "-o", "x.svg"});
  EXPECT_EQ(missing.status, 4);
  EXPECT_NE(missing.err.find("nowhere"), std::string::npos);
  EXPECT_EQ(s.scenario({"render", "out", "--route", "R", "--train", "T 2", "-o", "x.svg"}).status, 4)
      << "no such scenario in the directory";
  EXPECT_EQ(s.scenario({"render", "out", "--route", "R", "--train", "T 1", "-o", "no/such/dir/x.svg"}).status, 4);

  // A truncated grid file.
  const std::string griglia = testing::file_text(s.dir / "other/R_T 1.dat");
  testing::put_file(s.dir / "other/R_T 1.dat", griglia.substr(0, griglia.size() - 7));
  const auto truncated = s.scenario({"render", "other", "--route", "R", "--train", "T 1", "-o", "x.svg"});
  EXPECT_EQ(truncated.status, 6);
  EXPECT_NE(truncated.err.find("bad compiled file"), std::string::npos) << truncated.err;

  // A grid that does not belong to the scenario file's route.
  const std::string other_ = kLine.substr(0, kLine.find("20000")) + "30000" + kLine.substr(kLine.find("20000") + 5);
  testing::put_file(s.dir / "long.txt", other_);
  ASSERT_EQ(
      s.scenario({"compile", "long.txt", s.treno, "--route", "L", "--train", "T 1", "--out", s.dir / "long"}).status, 0);
  const auto mixed = s.scenario({"render", "out/R_T 1.sim", "long/L_T 1.dat", "-o", "x.svg"});
  EXPECT_EQ(mixed.status, 6);
  EXPECT_NE(mixed.err.find("bad compiled file"), std::string::npos) << mixed.err;
  EXPECT_FALSE(std::filesystem::exists(s.dir / "x.svg"));
}

TEST(ScenarioRender, HelpExplainsEveryOptionWithAnExample) {
  const auto e = testing::run_program({SCENARIO_BINARY, "render", "--help"});
  EXPECT_EQ(e.status, 0);
  for (const char* o :
       {"INPUT", "--output", "--route", "--train", "--line", "--train-source", "--quiet", "Examples:", "Exit status"})
    EXPECT_NE(e.out.find(o), std::string::npos) << o;
  int examples = 0;
  for (size_t i = e.out.find("e.g."); i != std::string::npos; i = e.out.find("e.g.", i + 1)) ++examples;
  EXPECT_GE(examples, 7) << e.out;
}

TEST(ScenarioRender, TheCarriedScenarioPictureMatchesItsModel) {
  const std::string texts = std::string(COMPACTOR_SOURCE_DIR) + "/emitters/texts/";
  if (!std::filesystem::exists(texts + "linea.txt")) GTEST_SKIP() << "the carried texts are not there";
  Scenario s(testing::file_text(texts + "linea.txt"), testing::file_text(texts + "treno.txt"));
  const auto e = s.from_sources("carried.svg");
  const Model m = s.model();
  ASSERT_EQ(e.status, m.numero_errore == 0 ? 0 : 1) << e.err;
  const Element svg = testing::read_xml(testing::file_text(s.dir / "carried.svg"));
  const Element& plan = *testing::with_id(svg, "plan");
  int stazioni = 0, fermate = 0;
  for (int r = 1; r <= 80 && m.stazioni.at(r).inizio != m.stazioni.at(r).fine; ++r) {
    ++stazioni;
    fermate += m.stazioni.at(r).orario != 0;
  }
  EXPECT_EQ(count(plan, "station"), stazioni);
  EXPECT_EQ(count(plan, "timed"), fermate);
  EXPECT_EQ(count(plan, "tunnel"), m.numero_montagne) << "the carried tunnels never touch";
  int segnali = 0;
  for (const cella& c : m.griglia.celle()) segnali += c.tipo == tipo_cella::segnale;
  EXPECT_EQ(count(plan, "signal"), segnali);
}

}  // namespace
}  // namespace compactor
