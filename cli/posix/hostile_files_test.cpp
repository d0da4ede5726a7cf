// Sources and compiled files that are not what they claim: a FIFO, a device,
// a link to one, a file far too large. Each command refuses them at once with
// the file's name and exit status 4, instead of waiting forever or growing
// its memory until the system stops it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/run_program.h"
#include "testing/source_fixture.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

struct Hostile : ::testing::Test {
  testing::TempDir dir;
  Hostile() {
    testing::put_file(dir / "line.txt", testing::line_with(10000));
    testing::put_file(dir / "train.txt", testing::minimal_train());
    EXPECT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero.txt");
    // Sparse: 64 MiB and one byte that take no room on the disk.
    testing::put_file(dir / "huge.txt", "");
    std::filesystem::resize_file(dir / "huge.txt", (uint64_t{64} << 20) + 1);
  }
  // A hang shows as status 124 instead of a test that never ends.
  testing::RunResult scenario(std::vector<std::string> args) {
    args.insert(args.begin(), {"/usr/bin/timeout", "60", SCENARIO_BINARY});
    return testing::run_program(args, dir.path());
  }
};

TEST_F(Hostile, ASourceThatIsNotARegularFileOfBoundedSizeIsRefused) {
  const struct {
    const char* source;
    const char* reason;
  } sources[] = {
      {"fifo.txt", "not a regular file"},
      {"zero.txt", "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {"huge.txt", "larger than 64 MiB, the limit for a source"},
  };
  for (const auto& s : sources) {
    const std::vector<std::vector<std::string>> commands = {
        {"check", s.source, "train.txt"},
        {"check", "line.txt", s.source},
        {"compile", s.source, "train.txt", "--route", "R", "--train", "T", "--out", "out"},
        {"render", "--line", s.source, "--train-source", "train.txt", "--route", "R", "--train", "T", "-o", "r.svg"},
        {"dump", "--line", "line.txt", "--train-source", s.source, "--route", "R", "--train", "T", "--cells", "1:1"},
    };
    for (const auto& command : commands) {
      const auto e = scenario(command);
      EXPECT_EQ(e.status, 4) << command[0] << " " << s.source << ": " << e.err;
      EXPECT_NE(e.err.find(s.source), std::string::npos) << e.err;
      EXPECT_NE(e.err.find(s.reason), std::string::npos) << e.err;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "out")) << "nothing compiled";
  EXPECT_FALSE(std::filesystem::exists(dir / "r.svg"));
}

TEST_F(Hostile, ACompiledFileThatIsALinkToADeviceIsRefused) {
  ASSERT_EQ(scenario({"compile", "line.txt", "train.txt", "--route", "R", "--train", "T", "--out", "out"}).status, 0);
  std::filesystem::remove(dir / "out/R_T.dat");
  std::filesystem::create_symlink("/dev/zero", dir / "out/R_T.dat");
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"render", "out/R_T.sim", "out/R_T.dat", "-o", "r.svg"},
        {"render", "out", "--route", "R", "--train", "T", "-o", "r.svg"},
        {"dump", "out/R_T.dat"}}) {
    const auto e = scenario(command);
    EXPECT_EQ(e.status, 4) << command[0] << ": " << e.err;
    EXPECT_NE(e.err.find("R_T.dat"), std::string::npos) << e.err;
    EXPECT_NE(e.err.find("not a regular file"), std::string::npos) << e.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "r.svg"));
}

TEST_F(Hostile, AnOutputThatIsADeviceOrAFifoIsWrittenThroughNotReplaced) {
  std::filesystem::create_symlink("/dev/null", dir / "null.svg");
  const std::string render_to = "--line line.txt --train-source train.txt --route R --train T -o ";
  for (const std::string target : {"/dev/null", "null.svg"}) {
    const auto e = testing::run_program({"/bin/sh", "-c", std::string(SCENARIO_BINARY) + " render " + render_to + target},
                                   dir.path());
    EXPECT_EQ(e.status, 0) << target << ": " << e.err;
  }
  struct stat st;
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "/dev/null is still the device";
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "null.svg")) << "the link is still a link";
  // A FIFO with a reader gets the picture.
  const auto e = testing::run_program(
      {"/bin/sh", "-c", "cat fifo.txt > got.svg & " + std::string(SCENARIO_BINARY) + " render " + render_to +
                            "fifo.txt; status=$?; wait; exit $status"},
      dir.path());
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_NE(testing::file_text(dir / "got.svg").find("</svg>"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo.txt"));
  for (const auto& name : testing::folder_names(dir.path()))
    EXPECT_EQ(name.find(".tmp-"), std::string::npos) << "temporary left: " << name;
}

TEST_F(Hostile, AStandardOutputThatCannotBeWrittenIsAFailure) {
  ASSERT_EQ(scenario({"compile", "line.txt", "train.txt", "--route", "R", "--train", "T", "--out", "out"}).status, 0);
  const std::string tool = SCENARIO_BINARY;
  for (const std::string command : {"dump out/R_T.dat", "dump out/R_T.dat --json", "check line.txt train.txt --json",
                                    "render out --route R --train T -o -", "export texts", "--help"}) {
    const auto e = testing::run_program({"/bin/sh", "-c", tool + " " + command + " > /dev/full"}, dir.path());
    EXPECT_EQ(e.status, 4) << command << ": " << e.err;
    EXPECT_NE(e.err.find("cannot write to standard output: No space left on device"), std::string::npos) << e.err;
  }
}

TEST_F(Hostile, ANameThatFitsAFileNameCompilesThoughItsTemporaryWouldNot) {
  // "R_" + 245 bytes + ".sim" is 251 bytes, a name the system takes; its
  // temporary, 11 bytes longer, is shortened to fit.
  const std::string train(245, 'a');
  const auto e = scenario({"compile", "line.txt", "train.txt", "--route", "R", "--train", train, "--out", "out"});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(testing::folder_names(dir / "out"),
            (std::vector<std::string>{"R_" + train + ".dat", "R_" + train + ".sim", "R_linea.dat"}));
}

}  // namespace
}  // namespace compactor
