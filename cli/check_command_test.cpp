#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

const std::string kLineHead = "[generale]\r\nlunghezza percorso,    10000\r\n";

// A train source without a station is warned of; the cases here that are
// about something else get one at the route's start.
std::string with_station(std::string treno) {
  const size_t fine = treno.find("[fine]");
  if (treno.find("stazione") == std::string::npos && fine != std::string::npos)
    treno.insert(fine, "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  12,11,50, Orvena\r\n");
  return treno;
}

testing::RunResult check(const std::string& linea, const std::string& given_train, bool json = false,
                     bool stazione = true) {
  const std::string treno = stazione ? with_station(given_train) : given_train;
  testing::TempDir dir;
  testing::put_file(dir / "l.txt", linea);
  testing::put_file(dir / "t.txt", treno);
  std::vector<std::string> args = {SCENARIO_BINARY, "check", "l.txt", "t.txt"};
  if (json) args.push_back("--json");
  auto e = testing::run_program(args, dir.path());
  EXPECT_EQ(testing::folder_names(dir.path()), (std::vector<std::string>{"l.txt", "t.txt"})) << "check keeps nothing";
  return e;
}

TEST(ScenarioCheck, WarnsOfWhatTheLoaderAcceptsSilently) {
  struct Case {
    const char* nome;
    std::string linea, treno;
    const char* avviso;  // file:line:column: warning: ...
  } cases[] = {
      {"capitalised key word", kLineHead + "Progressiva chilometrica uno,    31100,    3050,    0\r\n[curve]\r\n[fine]\r\n",
       "[generale]\r\n[fine]\r\n", "l.txt:3:1: warning: unrecognised key field \"Progressiva chilometrica uno\""},
      {"misspelt key word", kLineHead + "[curve]\r\npendnza,  600,   -11\r\n[fine]\r\n", "[generale]\r\n[fine]\r\n",
       "l.txt:4:1: warning: unrecognised key field \"pendnza\": no key word matches, so it and the fields after it on "
       "this line are skipped; did you mean \"pendenza\"?\n"},
      {"decimal comma", kLineHead + "[curve]\r\npendenza,  1250,   -4,5\r\n[fine]\r\n", "[generale]\r\n[fine]\r\n",
       "l.txt:4:23: warning: a decimal comma splits \"-4,5\""},
      {"decimal point", kLineHead + "[curve]\r\npendenza,  1250,   12.5\r\n[fine]\r\n", "[generale]\r\n[fine]\r\n",
       "l.txt:4:20: warning: a decimal point in \"12.5\": numbers are whole, and the value reads as 12\n"},
      {"minute 75", kLineHead + "[fine]\r\n",
       "[generale]\r\nstazione,    3100, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   12, 75, 0, A\r\n[fine]\r\n",
       "t.txt:2:64: warning: station at 3100 m: the time 12, 75, 0 is out of range (hours 0 to 23, minutes and seconds "
       "0 to 59); it counts as 47700 seconds, 13:15:00\n"},
      {"timetable backwards", kLineHead + "[fine]\r\n",
       "[generale]\r\nstazione,    3100, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   12, 15, 0, A\r\n"
       "stazione,    6100, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   11, 15, 0, B\r\n[fine]\r\n",
       "t.txt:3:64: warning: station at 6100 m: its time 11:15:00 is before 12:15:00, the time of the station before "
       "it at 3100 m\n"},
      {"curve direction", kLineHead + "[curve]\r\ncurvax5,  1350,  150\r\n[fine]\r\n", "[generale]\r\n[fine]\r\n",
       "l.txt:4:1: warning: curve \"curvax5\": \"curva\" is followed by s (left) or d (right); this one turns right\n"},
      {"comment-like record", kLineHead + "[curve]\r\n# pendenza raised here,  1350,  15\r\n[fine]\r\n",
       "[generale]\r\n[fine]\r\n",
       "l.txt:4:1: warning: \"# pendenza raised here\" looks like a comment but holds a key word, so the line is read "
       "as a record"},
      {"saved as UTF-8", kLineHead + "[fine]\r\n",
       "[generale]\r\nstazione,    3100, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, Piev\xC3\xA8\r\n[fine]\r\n",
       "t.txt:2:77: warning: the file looks like UTF-8: its letters beyond ASCII (1 line) will be stored as two "
       "characters each, \"Piev\xC3\x83\xC2\xA8\" for \"Piev\xC3\xA8\"; save it as Windows-1252"},
      {"surplus field", kLineHead + "[curve]\r\n[fine]\r\n", "[generale]\r\nvelocita,   0,    30,  40\r\n[fine]\r\n",
       "t.txt:2:24: warning: surplus field \"40\""},
      {"out of order", kLineHead + "[curve]\r\npendenza,  600,   -11\r\npendenza,  500,   2\r\n[fine]\r\n",
       "[generale]\r\n[fine]\r\n", "l.txt:5:12: warning: gradient at 500 m is out of chainage order"},
      {"not a multiple of 50", kLineHead + "[curve]\r\n[fine]\r\n",
       "[generale]\r\nabbattimento,    7030,   270\r\n[fine]\r\n",
       "t.txt:2:18: warning: code drop at 7030 m: the chainage is not a multiple of 50"},
      {"board on a tunnel marker",
       kLineHead + "[curve]\r\nmontagna,   1000,  2000,  12\r\nindicatori_vmax,  1100,  90,  95,  100,  0,  ,  ,  ,  0\r\n[fine]\r\n",
       "[generale]\r\n[fine]\r\n", "l.txt:5:19: warning: speed indicator board at 1100 m replaces a tunnel marker"},
  };
  for (const auto& c : cases) {
    const auto e = check(c.linea, c.treno);
    EXPECT_EQ(e.status, 5) << c.nome << "\n" << e.err;
    EXPECT_NE(e.err.find(c.avviso), std::string::npos) << c.nome << "\n" << e.err;
    EXPECT_NE(e.err.find("0 errors, 1 warning\n"), std::string::npos) << c.nome << "\n" << e.err;
  }
}

TEST(ScenarioCheck, ACurveWithoutAClassDigitIsToldAtItsKeyWord) {
  const auto e = check(kLineHead + "[curve]\r\ncurvad9,  1350,  150\r\n[fine]\r\n", "[generale]\r\n[fine]\r\n");
  EXPECT_EQ(e.status, 1);
  EXPECT_NE(e.err.find("l.txt:4:1: error 103: the curve's key word holds no class digit 1 to 6 (curvas1 to curvas6 "
                       "turn left, curvad1 to curvad6 right)\n"),
            std::string::npos)
      << e.err;
}

TEST(ScenarioCheck, EveryErrorIsToldTheLaterOnesMarkedAsFoundWithTheEarlierSetAside) {
  const std::string treno =
      "[generale]\r\nstazione,  3125, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, A\r\n"
      "stazione,  4000, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, B\r\n"
      "stazione,  5025, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, C\r\n[fine]\r\n";
  const auto e = check(kLineHead + "[fine]\r\n", treno);
  EXPECT_EQ(e.status, 1);
  EXPECT_EQ(e.err,
            "t.txt:2:12: error 8: a station's chainage is not a multiple of 50 (at 3125 m)\n"
            "  stazione,  3125, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, A\n"
            "             ^\n"
            "t.txt:4:12: error 8: a station's chainage is not a multiple of 50 (at 5025 m) (found with the errors "
            "above set aside)\n"
            "  stazione,  5025, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, C\n"
            "             ^\n"
            "2 errors, 0 warnings\n");
  const auto j = nlohmann::json::parse(check(kLineHead + "[fine]\r\n", treno, true).out);
  ASSERT_EQ(j["errors"].size(), 2u);
  EXPECT_EQ(j["errors"][1]["line"], 4);
  EXPECT_EQ(j["errors"][1]["found_with_errors_before_set_aside"], true);
  EXPECT_EQ(j["error"], 8) << "the first error stays where it was";
}

TEST(ScenarioCheck, ATrainSourceWithoutAStationIsToldOfTheFile) {
  for (const std::string treno : {"", "[generale]\r\nvelocita,   0,    30\r\n[fine]\r\n"}) {
    const auto e = check(kLineHead + "[fine]\r\n", treno, false, false);
    EXPECT_EQ(e.status, 5) << e.err;
    EXPECT_EQ(e.err,
              "t.txt: warning: the train source holds no station: the scenario has no stop and no timetable\n"
              "0 errors, 1 warning\n");
    const auto j = nlohmann::json::parse(check(kLineHead + "[fine]\r\n", treno, true, false).out);
    EXPECT_EQ(j["warnings"][0]["line"], nullptr);
    EXPECT_EQ(j["warnings"][0]["file"], "t.txt");
  }
}

TEST(ScenarioCheck, HeadersCommentsAndCleanSourcesAreQuietAndErrorsWin) {
  // A curve is laid out metre by metre: any chainage is as meant.
  const std::string linea =
      kLineHead + "- a comment\r\n[curve]\r\ncurvad5,  2275,  130\r\n[pendenze]\r\npendenza,  0,   0\r\n"
                    "cartello_indicatore,  2950,   (Dev.)(I.  )\r\n[fine]\r\n";  // points in a text are text
  const auto clean = check(linea, "[generale]\r\n[segnali]\r\nvelocita,   0,    30\r\n[fine]\r\n");
  EXPECT_EQ(clean.status, 0) << clean.err;
  EXPECT_NE(clean.err.find("0 errors, 0 warnings"), std::string::npos);

  const auto errore = check(linea + "", "[generale]\r\nstazione,  3125, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, A\r\n"
                                       "abbattimento,    7030,   270\r\n[fine]\r\n", true);
  EXPECT_EQ(errore.status, 1);
  const auto j = nlohmann::json::parse(errore.out);
  EXPECT_EQ(j["error"], 8);
  EXPECT_EQ(j["position"], 3125);
  EXPECT_EQ(j["line"], 2);
  EXPECT_TRUE(j["written"].empty());
}

// The README's session prints what the README shows, byte for byte.
TEST(ScenarioCheck, TheReadmeSessionPrintsWhatTheReadmeShows) {
  const std::string readme = testing::file_text(std::string(COMPACTOR_SOURCE_DIR) + "/README.md");
  auto blocco = [&](const std::string& inizio) {
    const size_t da = readme.find("```\n" + inizio);
    EXPECT_NE(da, std::string::npos) << inizio;
    if (da == std::string::npos) return std::string();
    return readme.substr(da + 4, readme.find("```", da + 4) - da - 4);
  };
  testing::TempDir dir;
  auto scenario = [&](std::vector<std::string> args) {
    args.insert(args.begin(), SCENARIO_BINARY);
    return testing::run_program(args, dir.path());
  };
  ASSERT_EQ(scenario({"export", "carried"}).status, 0);
  const std::string treno = dir / "carried/Orvena_Lusco_REG 4105-.txt";
  std::string text = testing::file_text(treno);
  text.replace(text.find("stazione,    3100, 12,  400"), 27, "stazione,    3100, 12,  450");
  testing::put_file(treno, text);
  const auto check = scenario({"check", "carried/Orvena_Lusco_linea.txt", "carried/Orvena_Lusco_REG 4105-.txt"});
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(check.err, blocco("carried/Orvena_Lusco_linea.txt:187:23"));

  text.replace(text.find("stazione,    3100, 12,  450"), 27, "stazione,    3100, 12,  400");
  testing::put_file(treno, text);
  const auto why = scenario({"dump", "--line", "carried/Orvena_Lusco_linea.txt", "--train-source",
                             "carried/Orvena_Lusco_REG 4105-.txt", "--route", "Orvena_Lusco", "--train", "REG 4105",
                             "--cells", "598:598", "--why"});
  EXPECT_EQ(why.status, 0) << why.err;
  const std::string expected = blocco("   598    29900  signal");
  EXPECT_FALSE(expected.empty());
  EXPECT_NE(why.out.find(expected), std::string::npos) << why.out;

  // A wider first curve, compiled beside the first and compared.
  std::string linea = testing::file_text(dir / "carried/Orvena_Lusco_linea.txt");
  const size_t curva = linea.find("\ncurvas1,  1350,  150");
  ASSERT_NE(curva, std::string::npos);
  linea.replace(curva, 21, "\ncurvas1,  1350,  200");
  testing::put_file(dir / "wider.txt", linea);
  for (const auto& [source, folder] : {std::pair{"carried/Orvena_Lusco_linea.txt", "compiled"}, {"wider.txt", "wider"}}) {
    const auto c = scenario({"compile", source, "carried/Orvena_Lusco_REG 4105-.txt", "--route", "Orvena_Lusco",
                             "--train", "REG 4105", "--out", folder, "--quiet"});
    EXPECT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(c.out + c.err, "") << "quiet";
  }
  const auto diff = scenario({"diff", "compiled", "wider"});
  EXPECT_EQ(diff.status, 1) << diff.err;
  EXPECT_EQ(diff.out, blocco("Orvena_Lusco_REG 4105.sim: identical"));
}

}  // namespace
}  // namespace compactor
