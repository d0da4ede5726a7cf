#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

using testing::TempDir;

const std::string kLine =
    "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\ncurvas1,  1350,  150\r\n"
    "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\n[fine]\r\n";
const std::string kTrain = "[generale]\r\nvelocita,   0,    30\r\nsegnale,   3950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n[fine]\r\n";

struct Sources {
  TempDir dir;
  std::string linea = dir / "my route.txt";
  std::string treno = dir / "my train.txt";
  Sources(const std::string& l = kLine, const std::string& t = kTrain) {
    testing::put_file(linea, l);
    testing::put_file(treno, t);
  }
  testing::RunResult scenario(std::vector<std::string> args) {
    args.insert(args.begin(), SCENARIO_BINARY);
    return testing::run_program(args, dir.path());
  }
  testing::RunResult compile(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"compile", linea, treno, "--route", "R", "--train", "T 1", "--out", dir / "out"};
    args.insert(args.end(), extra.begin(), extra.end());
    return scenario(args);
  }
};

TEST(ScenarioCompile, ACleanCompileLeavesTheCompiledFilesAndTheOriginalsUntouched) {
  Sources s;
  const auto e = s.compile();
  ASSERT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(testing::folder_names(s.dir / "out"), (std::vector<std::string>{"R_T 1.dat", "R_T 1.sim", "R_linea.dat"}));
  EXPECT_EQ(testing::file_text(s.linea), kLine);
  EXPECT_EQ(testing::file_text(s.treno), kTrain);
  // 10000 m + 7000: 341 cells and 17001 plan entries a coordinate.
  EXPECT_EQ(std::filesystem::file_size(s.dir / "out/R_T 1.dat"), 341u * 15);
  EXPECT_EQ(std::filesystem::file_size(s.dir / "out/R_linea.dat"), 2u * (10 * 17000 - 18));

  const auto without = s.compile({"--no-plan", "--json"});
  ASSERT_EQ(without.status, 0) << without.err;
  const auto j = nlohmann::json::parse(without.out);
  EXPECT_EQ(j["version"], COMPACTOR_VERSION);
  EXPECT_EQ(j["error"], 0);
  EXPECT_EQ(j["written"].size(), 2u);
  EXPECT_TRUE(j["file"].is_null());
  EXPECT_TRUE(j["line"].is_null());

  // The author's directory is shown as given, the file names in UTF-8.
  const std::string elsewhere_ = s.dir / "citt\u00e0 out";
  const auto accented = s.scenario({"compile", s.linea, s.treno, "--route", "R\u00e0", "--train", "T", "--out", elsewhere_ + "/"});
  ASSERT_EQ(accented.status, 0) << accented.err;
  EXPECT_NE(accented.out.find("wrote " + elsewhere_ + kPathSeparator + "R\u00e0_T.dat\n"), std::string::npos) << accented.out;
}

TEST(ScenarioCompile, ARecordedErrorNamesNumberPositionMeaningAndLine) {
  // The signal falls on the signboard's cell.
  std::string treno = kTrain;
  treno.replace(treno.find("3950"), 4, "2950");
  Sources s(kLine, treno);

  const auto text = s.compile();
  EXPECT_EQ(text.status, 1);
  EXPECT_NE(text.err.find(s.treno + ":3:12: error 16: a signal's cell is already taken (at 2950 m)\n"
                           "  segnale,   2950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\n"
                           "             ^\n"),
            std::string::npos)
      << text.err;
  EXPECT_NE(text.err.find("1 error, 0 warnings"), std::string::npos) << text.err;

  const auto e = s.compile({"--json"});
  EXPECT_EQ(e.status, 1);
  const auto j = nlohmann::json::parse(e.out);
  EXPECT_EQ(j["error"], 16);
  EXPECT_EQ(j["position"], 2950);
  EXPECT_EQ(j["file"], s.treno);
  EXPECT_EQ(j["line"], 3);
  EXPECT_EQ(j["column"], 12);
  EXPECT_EQ(j["record"], "segnale,   2950,   2, 4, 1,  0, 0,    2,  2,1,0, 0");
  EXPECT_EQ(e.err, "") << "with --json only the JSON is printed";
  EXPECT_EQ(j["written"].size(), 3u) << "the files are written from what was loaded";
  EXPECT_FALSE(j["message"].get<std::string>().empty());
}

TEST(ScenarioCompile, UsageErrorsAndTheErrorStopAndPlatformFailures) {
  Sources s;
  EXPECT_EQ(s.scenario({"compile", s.linea}).status, 2);
  EXPECT_EQ(s.scenario({"compile", s.linea, s.treno, "--route", "a/b", "--train", "T", "--out", "o"}).status, 2);
  EXPECT_EQ(s.scenario({"frobnicate"}).status, 2);
  EXPECT_EQ(s.scenario({"--version"}).status, 0);

  // Sources under the names the program reads (R_linea.txt, R_T-.txt) in
  // the output directory itself: the compile works in memory and leaves
  // them as they are.
  Sources clash;
  const std::string linea = clash.dir / "R_linea.txt", treno = clash.dir / "R_T-.txt";
  std::filesystem::rename(clash.linea, linea);
  std::filesystem::rename(clash.treno, treno);
  const auto e = clash.scenario({"compile", linea, treno, "--route", "R", "--train", "T", "--out", clash.dir.path()});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(testing::file_text(linea), kLine);
  EXPECT_EQ(testing::file_text(treno), kTrain);
  EXPECT_EQ(testing::folder_names(clash.dir.path()),
            (std::vector<std::string>{"R_T-.txt", "R_T.dat", "R_T.sim", "R_linea.dat", "R_linea.txt"}));

  // A signboard at chainage 0 lands in cell 1, a reserved place.
  Sources stop("[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\ncartello_indicatore,  0,   (X)\r\n[fine]\r\n",
                kTrain);
  const auto fermata = stop.compile({"--json"});
  EXPECT_EQ(fermata.status, 3);
  EXPECT_EQ(nlohmann::json::parse(fermata.out)["error"], 1250);
  EXPECT_EQ(nlohmann::json::parse(fermata.out)["message"],
            "a reserved place (row 85 campo7 or cell 1 dato1) is already taken");
  EXPECT_FALSE(std::filesystem::exists(stop.dir / "out/R_T 1.dat")) << "nothing is written after the stop";
  // The number once, then its meaning.
  const auto text = stop.compile();
  EXPECT_EQ(text.status, 3);
  EXPECT_EQ(text.err,
            "error 1250: a reserved place (row 85 campo7 or cell 1 dato1) is already taken\n"
            "1 error, 0 warnings\nnothing was written\n");

  // The stop keeps the position recorded before it, and leaves no working
  // copy of a source the loader never reached (two signboards in one cell
  // end loading before the train source).
  for (const auto& [lines, posizione] : {std::pair{"cartello_indicatore,  0,   (X)\r\npendenza,  99999,  0\r\n", 99999},
                                         std::pair{"cartello_indicatore,  0,   (X)\r\ncartello_indicatore,  0,   (Y)\r\n", 0}}) {
    Sources after(std::string("[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\n") + lines + "[fine]\r\n",
                  "[generale]\r\nvelocita,   0,    30\r\n[fine]\r\n");
    const auto e = after.compile({"--json"});
    EXPECT_EQ(e.status, 3) << lines << e.err;
    const auto j = nlohmann::json::parse(e.out);
    EXPECT_EQ(j["error"], 1250) << lines;
    EXPECT_EQ(j["position"], posizione) << lines;
    EXPECT_EQ(testing::folder_names(after.dir / "out"), std::vector<std::string>{}) << lines;
  }

  Sources blocked;
  std::filesystem::create_directories(blocked.dir / "out/R_T 1.sim/x");
  const auto platform = blocked.compile();
  EXPECT_EQ(platform.status, 4);
  EXPECT_NE(platform.err.find("R_T 1.sim"), std::string::npos) << platform.err;
}

// An error of the finishing pass is not blamed on a source line, not even
// when the loader had recorded one of its own before.
TEST(ScenarioCompile, AnErrorOfTheFinishingPassNamesNoSourceLine) {
  // Cells 407 to 409, where the first drop before the slowdown at 414 goes,
  // are taken; the last record lies beyond the grid (error 15).
  Sources s("[generale]\r\nlunghezza percorso,    30000\r\n[curve]\r\n[fine]\r\n",
             "[generale]\r\nvelocita,   0,    100\r\nrallentamento,  20650,  60,  1000,  1,  1,  0\r\n"
             "abbattimento,  20350,  270\r\nabbattimento,  20400,  270\r\nabbattimento,  20450,  270\r\n"
             "abbattimento,  99999,  270\r\n[fine]\r\n");
  const auto e = s.compile({"--json"});
  EXPECT_EQ(e.status, 1) << e.err;
  const auto j = nlohmann::json::parse(e.out);
  EXPECT_EQ(j["error"], 12);
  EXPECT_EQ(j["position"], 414 * 50);
  EXPECT_TRUE(j["file"].is_null()) << e.out;
  EXPECT_TRUE(j["line"].is_null()) << e.out;
  EXPECT_EQ(j["written"].size(), 3u);
}

// Loading that stops before the route length leaves no grid: nothing is
// finished or written, and the error is reported.
TEST(ScenarioCompile, WithoutAGridNothingIsWritten) {
  Sources s("[generale]\r\n[curve]\r\npendenza,  600,   -11\r\n[fine]\r\n", kTrain);
  const auto e = s.compile({"--json"});
  EXPECT_EQ(e.status, 1) << e.err;
  const auto j = nlohmann::json::parse(e.out);
  EXPECT_NE(j["error"], 0);
  EXPECT_TRUE(j["written"].empty());
  EXPECT_EQ(testing::folder_names(s.dir / "out"), std::vector<std::string>{});
}

// --quiet prints nothing unless something went wrong: a recorded error, the
// error stop and a failure are told as without it; warnings, the count and
// the files written are not. The exit status is the same either way.
TEST(ScenarioCompile, QuietTellsOnlyWhatWentWrong) {
  std::string signal_taken = kTrain;  // the signal falls on the signboard's cell
  signal_taken.replace(signal_taken.find("3950"), 4, "2950");
  const std::string avviso = kLine.substr(0, kLine.find("[fine]")) + "pendnza,  600,  1\r\n[fine]\r\n";
  const std::string fermata =
      "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\ncartello_indicatore,  0,   (X)\r\n[fine]\r\n";
  const std::string error_16 = ":3:12: error 16: a signal's cell is already taken (at 2950 m)\n"
                                "  segnale,   2950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\n"
                                "             ^\n"
                                "  note: cell 60 (from 2950 m) holds a signboard; the next free cell is 61 (from "
                                "3000 m, 50 m further on)\n";
  const struct {
    const char* c_;
    std::string linea, treno;
    std::vector<std::string> args;  // after the command and the two sources
    int status;
    std::string err;  // with "TRAIN" for the train source's path
  } cases[] = {
      {"clean compile", kLine, kTrain, {"compile"}, 0, ""},
      {"compile with a warning", avviso, kTrain, {"compile"}, 0, ""},
      {"compile with an error", kLine, signal_taken, {"compile"}, 1,
       "TRAIN" + error_16 + "the compiled files were written from what was loaded\n"},
      {"the error stop", fermata, kTrain, {"compile"}, 3,
       "error 1250: a reserved place (row 85 campo7 or cell 1 dato1) is already taken\nnothing was written\n"},
      {"check with a warning", avviso, kTrain, {"check"}, 5, ""},
      {"check with an error", kLine, signal_taken, {"check"}, 1, "TRAIN" + error_16},
      {"render of sources with an error", kLine, signal_taken,
       {"render", "--route", "R", "--train", "T", "-o", "r.svg"}, 1,
       "scenario: error 16 at 2950 m: a signal's cell is already taken (train source, line 3)\n"
       "scenario: the picture was drawn from what was loaded before the error\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.c_);
    Sources s(c.linea, c.treno);
    std::vector<std::string> args = {c.args[0]};
    if (c.args[0] == "render") args.insert(args.end(), {"--line", s.linea, "--train-source", s.treno});
    else args.insert(args.end(), {s.linea, s.treno});
    args.insert(args.end(), c.args.begin() + 1, c.args.end());
    if (c.args[0] == "compile") args.insert(args.end(), {"--route", "R", "--train", "T 1", "--out", s.dir / "out"});
    args.push_back("--quiet");
    const auto e = s.scenario(args);
    EXPECT_EQ(e.status, c.status) << e.err;
    EXPECT_EQ(e.out, "");
    std::string err = c.err;
    if (const size_t at = err.find("TRAIN"); at != std::string::npos) err.replace(at, 5, s.treno);
    EXPECT_EQ(e.err, err);

    // --json is the same with or without --quiet.
    if (c.args[0] == "render") continue;
    args.push_back("--json");
    const auto quiet_json = s.scenario(args);
    args.erase(args.end() - 2);
    EXPECT_EQ(quiet_json.out, s.scenario(args).out);
  }

  Sources blocked;
  std::filesystem::create_directories(blocked.dir / "out/R_T 1.sim/x");
  const auto failure = blocked.compile({"--quiet"});
  EXPECT_EQ(failure.status, 4);
  EXPECT_EQ(failure.out, "");
  EXPECT_EQ(failure.err.rfind("scenario: " + (blocked.dir / "out") + kPathSeparator + "R_T 1.sim", 0), 0u) << failure.err;
  EXPECT_EQ(failure.err.find('\n'), failure.err.size() - 1) << failure.err;
}

// Progress goes to a terminal only, and not with --quiet.
TEST(ScenarioCompile, ProgressOnATerminalOnly) {
  if (!testing::posix_system() || !std::filesystem::exists("/usr/bin/script"))
    GTEST_SKIP() << "no script(1) to give the tool a terminal";
  Sources s;
  auto under_terminal = [&](const std::string& command_, const std::string& extra) {
    std::string riga = std::string("'") + SCENARIO_BINARY + "' " + command_ + " '" + s.linea + "' '" + s.treno + "' ";
    if (command_ == "compile") riga += "--route R --train T --out '" + (s.dir / "out") + "' ";
    return testing::run_program({"/usr/bin/script", "-qec", riga + extra, "/dev/null"}, s.dir.path());
  };
  const auto to_terminal = under_terminal("compile", "");
  EXPECT_EQ(to_terminal.status, 0) << to_terminal.out;
  EXPECT_NE(to_terminal.out.find("scenario: loading..."), std::string::npos) << to_terminal.out;
  EXPECT_NE(to_terminal.out.find("scenario: writing..."), std::string::npos) << to_terminal.out;
  const auto quiet = under_terminal("compile", "--quiet");
  EXPECT_EQ(quiet.out.find("scenario:"), std::string::npos) << quiet.out;
  EXPECT_EQ(s.compile().err.find("scenario:"), std::string::npos) << "not a terminal";

  const auto check = under_terminal("check", "");
  EXPECT_NE(check.out.find("scenario: loading..."), std::string::npos) << check.out;
  EXPECT_EQ(under_terminal("check", "--quiet").out.find("scenario:"), std::string::npos);

  // The error stop ends the stage line before it is told: the message
  // starts a line of its own.
  testing::put_file(s.linea,
                  "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\ncartello_indicatore,  0,   (X)\r\n[fine]\r\n");
  const auto fermata = under_terminal("compile", "");
  EXPECT_EQ(fermata.status, 3) << fermata.out;
  const size_t message = fermata.out.find("error 1250:");
  ASSERT_NE(message, std::string::npos) << fermata.out;
  EXPECT_TRUE(message == 0 || fermata.out[message - 1] == '\n' || fermata.out.compare(message - 4, 4, "\r\033[K") == 0)
      << fermata.out;
}

// The finishing pass reaches the grid file: drops before, inside and after
// a slowdown and ahead of a signal before its warning board.
TEST(ScenarioCompile, ASlowdownGetsItsCodeDropsInTheGridFile) {
  Sources s("[generale]\r\nlunghezza percorso,    30000\r\n[curve]\r\n[fine]\r\n",
             "[generale]\r\nvelocita,   0,    100\r\n"
             "segnale,   19200,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n"   // cell 385, before the board at 390
             "segnale,   21950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n"   // cell 440, after the end at 434
             "rallentamento,  20650,  60,  1000,  1,  1,  0\r\n[fine]\r\n");
  const auto e = s.compile();
  ASSERT_EQ(e.status, 0) << e.err;
  const std::string dat = testing::file_text(s.dir / "out/R_T 1.dat");
  auto tipo = [&](int k) { return static_cast<int>(static_cast<unsigned char>(dat[k * 15])); };
  auto dato1 = [&](int k) {
    return static_cast<int>(static_cast<unsigned char>(dat[k * 15 + 1]) | static_cast<unsigned char>(dat[k * 15 + 2]) << 8);
  };
  EXPECT_EQ(tipo(414), 3);
  EXPECT_EQ(tipo(434), 2);
  EXPECT_EQ(tipo(390), 4);
  for (int k : {384, 409, 403, 396, 422, 430, 439}) {
    EXPECT_EQ(tipo(k), 12) << "cell " << k;
    EXPECT_EQ(dato1(k), 180) << "cell " << k;
  }
  int drops = 0;
  for (size_t k = 0; k < dat.size() / 15; ++k) drops += tipo(static_cast<int>(k)) == 12;
  EXPECT_EQ(drops, 7);
}

// A 320 km route with every kind of record, compiled end to end.
TEST(ScenarioCompile, ALongRouteGivesTheFileSizesAndCellsItsRecordsCallFor) {
  std::string linea = "[generale]\r\nlunghezza percorso,    320000\r\n"
                      "progressiva chilometrica uno,    31100,    3050,    0\r\n[curve]\r\n";
  for (int c = 1000; c < 318000; c += 2000)
    linea += "curva" + std::string(c % 4000 == 1000 ? "s" : "d") + std::to_string(1 + c / 2000 % 6) + ",  " +
             std::to_string(c) + ",  400\r\n";
  linea += "[pendenze]\r\n";
  for (int c = 0; c <= 315000; c += 5000)
    linea += "pendenza,  " + std::to_string(c) + ",   " + std::to_string(c / 5000 % 23 - 11) + "\r\n";
  linea += "montagna,   8750,  11150,  12\r\nindicatori_vmax,  26350,  130,  140,  145,  2,  130,  140,  145,  2\r\n"
           "cartello_indicatore,  27950,   (  Cippo  )(Km 28+000)\r\n[fine]\r\n";
  std::string treno = "[generale]\r\nnumero vetture,    7\r\nvelocita,   0,    30\r\nvelocita,    1000,    95\r\n"
                      "velocita,    8200,    80\r\naderenza,       0,    95\r\n";
  for (int k = 0; k < 40; ++k)
    treno += "stazione,  " + std::to_string(3100 + k * 8000) + ", 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, S" +
             std::to_string(k) + "\r\n";
  for (int c = 5050; c < 319000; c += 8000)
    treno += "segnale,   " + std::to_string(c) + ",   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n";
  treno += "segnale,   29850,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\nabbattimento,    7050,   270\r\n[fine]\r\n";
  Sources s(linea, treno);

  const auto e = s.compile({"--json"});
  ASSERT_EQ(e.status, 0) << e.out << e.err;
  const std::string dat = testing::file_text(s.dir / "out/R_T 1.dat");
  ASSERT_EQ(dat.size(), (327000u / 50 + 1) * 15);
  EXPECT_EQ(std::filesystem::file_size(s.dir / "out/R_linea.dat"), 2u * (10 * 327000 - 18));
  EXPECT_EQ(std::filesystem::file_size(s.dir / "out/R_T 1.sim"),
            87u * 34 + 10 * 2 + 30 * 3 + 22 + 1 + 3);  // station names, signboard, route and train names
  auto cell = [&](int k, int offset) { return static_cast<unsigned char>(dat[k * 15 + offset]); };
  EXPECT_EQ(cell(598, 0), 1) << "signal at 29850";
  EXPECT_EQ(cell(598, 1), 42);
  EXPECT_EQ(cell(590, 10), 84) << "its farthest approach code";
  EXPECT_EQ(cell(528, 0), 6) << "speed indicator board at 26350";
  EXPECT_EQ(cell(560, 0), 14) << "signboard at 27950";
  EXPECT_EQ(cell(141, 0), 12) << "code drop at 7050";
  EXPECT_EQ(cell(65, 0), 10) << "first station's stop point";
  EXPECT_EQ(cell(178, 0), 11) << "tunnel marker";
  EXPECT_EQ(cell(200, 11), 2) << "tunnel type";
  EXPECT_EQ(cell(19, 12), 6);
  EXPECT_EQ(cell(20, 12), 19);
  EXPECT_EQ(cell(164, 12), 16);
  EXPECT_EQ(cell(6537, 12), 16) << "the last speed runs to the third cell from the end";
  EXPECT_EQ(cell(6538, 12), 0) << "the last three cells keep no speed";
  EXPECT_EQ(cell(50, 13), 89) << "-11 per mille up to 5000 m";
  EXPECT_EQ(cell(1, 1) | cell(1, 2) << 8, 5121);
}

}  // namespace
}  // namespace compactor
