// One error path for the whole tool: whatever goes wrong ends as one line
// "scenario: ..." and an exit status from the table, never an abort.
#include "cli/scenario_tool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "cli/command.h"
#include "model/errors.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

using testing::TempDir;

const std::string kLine = "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\n[fine]\r\n";
const std::string kTrain =
    "[generale]\r\nvelocita,   0,    30\r\n"
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  12,11,50, Orvena\r\n[fine]\r\n";

TEST(ScenarioTool, AnythingThatEscapesACommandIsOneLineAndAStatus) {
  const struct {
    const char* nome;
    std::function<int()> command_;
    int status;
    std::string riga;
  } cases[] = {
      {"usage", [] () -> int { throw cli::UsageError("--cells wants a range"); }, 2, "scenario: --cells wants a range\n"},
      {"platform", [] () -> int { throw PlatformError("out/R.dat", "cannot write: No space left on device"); }, 4,
       "scenario: out/R.dat: cannot write: No space left on device\n"},
      {"memory", [] () -> int { throw std::bad_alloc(); }, 4, "scenario: out of memory\n"},
      {"filesystem", [] () -> int { throw std::filesystem::filesystem_error("status", std::make_error_code(std::errc::filename_too_long)); }, 4,
       "scenario: filesystem error: status: File name too long\n"},
      {"anything", [] () -> int { throw 42; }, 4, "scenario: an unknown failure\n"},
      {"nothing", [] { return 5; }, 5, ""},
  };
  for (const auto& c : cases) {
    std::ostringstream err;
    EXPECT_EQ(cli::guarded(c.command_, err), c.status) << c.nome;
    EXPECT_EQ(err.str(), c.riga) << c.nome;
  }
}

struct Sources {
  TempDir dir;
  Sources(const std::string& line_name = "l.txt") : linea(dir / line_name) {
    testing::put_file(linea, kLine);
    testing::put_file(treno, kTrain);
  }
  std::string linea;
  std::string treno = dir / "t.txt";
  testing::RunResult scenario(std::vector<std::string> args, const std::vector<std::string>& env = {}) const {
    args.insert(args.begin(), SCENARIO_BINARY);
    return testing::run_program(args, dir.path(), env);
  }
};

// The version is the project's, in one place; --help starts with it, and a
// command line without a command shows the same help as a usage error.
TEST(ScenarioTool, VersionHelpAndNoCommand) {
  Sources s;
  const auto version = s.scenario({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "scenario " COMPACTOR_VERSION "\n");
  EXPECT_TRUE(std::regex_match(version.out, std::regex("scenario [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;

  const auto help = s.scenario({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.substr(0, help.out.find('\n')),
            "scenario " COMPACTOR_VERSION ": compile and inspect scenarios for the train-driving simulator");
  for (const std::string command : {"compile", "check", "export", "dump", "diff", "render"})
    EXPECT_TRUE(std::regex_search(help.out, std::regex("\n  " + command + " +[A-Z][^\n]+\n"))) << command;

  const auto none = s.scenario({});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, help.out);
}

// A temporary folder that is not there no longer matters: nothing is
// compiled in one.
TEST(ScenarioTool, ATemporaryFolderThatIsNotThereChangesNothing) {
  Sources s;
  const std::vector<std::string> env = {"TMPDIR=" + (s.dir / "missing")};
  const auto check = s.scenario({"check", s.linea, s.treno}, env);
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_EQ(check.err, "0 errors, 0 warnings\n");
  const auto render = s.scenario(
      {"render", "--line", s.linea, "--train-source", s.treno, "--route", "R", "--train", "T", "-o", "r.svg"}, env);
  EXPECT_EQ(render.status, 0) << render.err;
  EXPECT_TRUE(std::filesystem::exists(s.dir / "r.svg"));
}

// A path of a few thousand bytes is refused by the system: one line naming
// the reason, and the status of the table.
TEST(ScenarioTool, APathTooLongForTheSystemIsOneLine) {
  if (!testing::posix_system()) GTEST_SKIP() << "the limits and the reasons are the POSIX ones";
  Sources s;
  ASSERT_EQ(s.scenario({"compile", s.linea, s.treno, "--route", "R", "--train", "T", "--out", "out"}).status, 0);
  const std::string long_ = s.dir / (std::string(300, 'a') + "/" + std::string(4000, 'b'));
  const struct {
    std::vector<std::string> args;
    int status;
    const char* reason;
  } cases[] = {
      {{"compile", s.linea, s.treno, "--route", "R", "--train", "T", "--out", long_}, 2, "File name too long"},
      {{"export", long_}, 2, "File name too long"},
      {{"render", "out", "--route", "R", "--train", "T", "-o", long_ + "/x.svg"}, 4, "File name too long"},
      {{"render", "--line", s.linea, "--train-source", s.treno, "--route", "R", "--train", "T", "-o", long_}, 4,
       "File name too long"},
      {{"render", long_, "--route", "R", "--train", "T", "-o", "x.svg"}, 4, "no such file or directory"},
  };
  for (const auto& c : cases) {
    const auto e = s.scenario(c.args);
    EXPECT_EQ(e.status, c.status) << c.args[0] << "\n" << e.err;
    EXPECT_EQ(e.err.rfind("scenario: ", 0), 0u) << c.args[0] << "\n" << e.err;
    EXPECT_EQ(e.err.find('\n'), e.err.size() - 1) << "one line: " << e.err;
    EXPECT_NE(e.err.find(c.reason), std::string::npos) << e.err;
  }
}

// Paths are the author's bytes, not always UTF-8: the JSON still comes out,
// whole and valid, with the bytes it cannot carry replaced.
TEST(ScenarioTool, APathThatIsNotUtf8StillGivesValidJson) {
  if (!testing::posix_system()) GTEST_SKIP() << "a Windows path is always characters";
  Sources s("l\xff.txt");
  const auto check = s.scenario({"check", s.linea, s.treno, "--json"});
  EXPECT_EQ(check.status, 0) << check.err;
  const auto j = nlohmann::json::parse(check.out);
  EXPECT_EQ(j["status"], 0);

  // A warning names the file: the invalid byte is replaced in it.
  testing::put_file(s.linea, "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\npendnza,  600,  1\r\n[fine]\r\n");
  const auto avviso = s.scenario({"check", s.linea, s.treno, "--json"});
  EXPECT_EQ(avviso.status, 5) << avviso.err;
  EXPECT_EQ(nlohmann::json::parse(avviso.out)["warnings"][0]["file"], s.dir / "l\xef\xbf\xbd.txt");

  const auto compile = s.scenario({"compile", s.linea, s.treno, "--route", "R", "--train", "T", "--out",
                                   s.dir / "out\xfe", "--json"});
  EXPECT_EQ(compile.status, 0) << compile.err;
  const auto c = nlohmann::json::parse(compile.out);
  ASSERT_EQ(c["written"].size(), 3u);
  EXPECT_EQ(c["written"][0], s.dir / "out\xef\xbf\xbd/R_linea.dat");
  EXPECT_TRUE(std::filesystem::exists(s.dir / "out\xfe/R_T.dat"));
}

}  // namespace
}  // namespace compactor
