// A bad compiled file is told the same way by every command that reads
// compiled files: status 6 and one line on standard error that names the
// file and says what is wrong with it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "compiler/compiled_files.h"
#include "compiler/compiled_reader.h"
#include "testing/regex_matchers.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

using testing::MatchesEcmaRegex;
using testing::regex_escaped;
using testing::TempDir;

constexpr const char* kTrain = "[generale]\r\nvelocita,   0,    30\r\n[fine]\r\n";

std::string line_source(int length) {
  return "[generale]\r\nlunghezza percorso,    " + std::to_string(length) + "\r\n[fine]\r\n";
}

// Two compiles of one scenario R_T ("good" and "bad"), and one of another
// route length ("longer"), for a test to spoil "bad" by.
struct Compiled {
  TempDir dir;
  Compiled() {
    testing::put_file(dir / "line.txt", line_source(1000));
    testing::put_file(dir / "long.txt", line_source(3000));
    testing::put_file(dir / "train.txt", kTrain);
    for (const auto& [line, out] : {std::pair{"line.txt", "good"}, {"line.txt", "bad"}, {"long.txt", "longer"}}) {
      const auto c = run({"compile", line, "train.txt", "--route", "R", "--train", "T", "--out", out});
      if (c.status != 0) throw std::runtime_error("compile: " + c.err);
    }
  }
  testing::RunResult run(std::vector<std::string> args) const {
    args.insert(args.begin(), SCENARIO_BINARY);
    return testing::run_program(args, dir.path());
  }
};

TEST(BadCompiledFile, DumpDiffAndRenderGiveOneStatusAndNameTheFile) {
  const struct {
    const char* what;
    const char* file;  // in "bad"
    std::function<void(const Compiled&)> spoil;
    bool sound_alone;  // dump reads it: the fault lies between the files
    std::string why;   // the end of the message, a regular expression
  } cases[] = {
      {"a grid cut short", "R_T.dat",
       [](const Compiled& c) {
         const std::string grid = testing::file_text(c.dir / "bad/R_T.dat");
         testing::put_file(c.dir / "bad/R_T.dat", grid.substr(0, grid.size() - 7));
       },
       false, "2408 bytes is not a whole number of 15-byte cells"},
      {"a scenario file whose code is not that of its names", "R_T.sim",
       [](const Compiled& c) {
         Stazioni t = read_stations(testing::file_text(c.dir / "bad/R_T.sim"));
         t.at(86).nome = "U";
         testing::put_file(c.dir / "bad/R_T.sim", station_bytes(t));
       },
       false, "row 85 holds the code 34906 where the names it carries .* give 34907"},
      {"the plan's bytes under the grid's name", "R_T.dat",
       [](const Compiled& c) {
         testing::put_file(c.dir / "bad/R_T.dat", testing::file_text(c.dir / "bad/R_linea.dat"));
       },
       false, ".*"},
      {"a grid of another route length", "R_T.dat",
       [](const Compiled& c) {
         testing::put_file(c.dir / "bad/R_T.dat", testing::file_text(c.dir / "longer/R_T.dat"));
       },
       true, "201 cells, but the route length in .*bad.R_T.sim \\(1000 m\\) calls for 161"},
      {"a plan of another route length", "R_linea.dat",
       [](const Compiled& c) {
         testing::put_file(c.dir / "bad/R_linea.dat", testing::file_text(c.dir / "longer/R_linea.dat"));
       },
       true, "10001 entries a coordinate, but the route length in .*bad.R_T.sim \\(1000 m\\) calls for 8001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Compiled compiled;
    c.spoil(compiled);
    const std::string path = "bad/" + std::string(c.file);
    // diff and render name the file as they form it from the directory.
    const std::string formed = (compiled.dir / "bad") + kPathSeparator + c.file;
    const std::string one_line = "scenario: bad compiled file: " + regex_escaped(formed) + ": " + c.why + "\n";

    const auto dump = compiled.run({"dump", path});
    EXPECT_EQ(dump.status, c.sound_alone ? 0 : 6) << dump.err;
    if (!c.sound_alone) {
      EXPECT_THAT(dump.err, MatchesEcmaRegex("scenario: bad compiled file: " + regex_escaped(path) + ": " + c.why + "\n"));
    }

    const auto diff = compiled.run({"diff", compiled.dir / "good", compiled.dir / "bad"});
    EXPECT_EQ(diff.status, 6) << diff.out << diff.err;
    EXPECT_THAT(diff.err, MatchesEcmaRegex(one_line));
    EXPECT_EQ(diff.out, "");

    const auto render = compiled.run({"render", compiled.dir / "bad", "--route", "R", "--train", "T", "-o", "x.svg"});
    EXPECT_EQ(render.status, 6) << render.err;
    EXPECT_THAT(render.err, MatchesEcmaRegex(one_line));
    EXPECT_FALSE(std::filesystem::exists(compiled.dir / "x.svg"));
  }
}

}  // namespace
}  // namespace compactor
