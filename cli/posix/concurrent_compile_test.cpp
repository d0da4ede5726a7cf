// Runs of `scenario compile` side by side, and next to a program that holds
// an output open for reading, give the same files as a run alone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <stdexcept>

#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

const std::vector<std::string> kCompiled = {"R_T 1.dat", "R_T 1.sim", "R_linea.dat"};

// The carried scenario as an author's two sources.
struct Sources {
  testing::TempDir dir;
  std::string linea = dir / "route.txt";
  std::string treno = dir / "train.txt";
  Sources() {
    testing::put_file(linea, joined_lines(line_lines()));
    testing::put_file(treno, joined_lines(train_lines()));
  }
};

pid_t compile_sources(const Sources& s, const std::string& out) {
  return testing::start_program({SCENARIO_BINARY, "compile", s.linea, s.treno, "--route", "R", "--train", "T 1", "--out", out});
}

using testing::wait_program;

std::map<std::string, std::string> compiled(const std::string& dir) {
  std::map<std::string, std::string> f;
  for (const auto& nome : testing::folder_names(dir)) f[nome] = testing::file_text(dir + "/" + nome);
  return f;
}

TEST(ConcurrentCompile, TwoRunsIntoTwoDirectoriesAtOnceGiveWhatEachGivesAlone) {
  Sources s;
  ASSERT_EQ(wait_program(compile_sources(s, s.dir / "alone")), 0);
  const auto only = compiled(s.dir / "alone");
  ASSERT_EQ(only.size(), kCompiled.size());

  for (int turn_ = 0; turn_ < 3; ++turn_) {
    SCOPED_TRACE("round " + std::to_string(turn_));
    const std::string a = s.dir / ("a" + std::to_string(turn_)), b = s.dir / ("b" + std::to_string(turn_));
    const pid_t pa = compile_sources(s, a), pb = compile_sources(s, b);
    EXPECT_EQ(wait_program(pa), 0);
    EXPECT_EQ(wait_program(pb), 0);
    EXPECT_TRUE(compiled(a) == only) << "the first of two runs at once differs from a run alone";
    EXPECT_TRUE(compiled(b) == only) << "the second of two runs at once differs from a run alone";
  }
  EXPECT_EQ(testing::file_text(s.linea), joined_lines(line_lines())) << "the author's source is untouched";
}

TEST(ConcurrentCompile, TwoRunsIntoOneDirectoryLeaveOneWholeSetOfEither) {
  // Two scenarios of the same names that differ in all three files.
  Sources s;
  Sources other;
  std::string linea = testing::file_text(other.linea), treno = testing::file_text(other.treno);
  const size_t curva = linea.find("curvas1,  1350,"), velocita = treno.find("velocita,    1000,    95");
  ASSERT_NE(curva, std::string::npos);
  ASSERT_NE(velocita, std::string::npos);
  linea.replace(curva, 15, "curvas1,  1400,");       // the first curve 50 m further on
  treno.replace(velocita, 24, "velocita,    1000,    90");  // and a lower speed
  testing::put_file(other.linea, linea);
  testing::put_file(other.treno, treno);
  ASSERT_EQ(wait_program(compile_sources(s, s.dir / "a")), 0);
  ASSERT_EQ(wait_program(compile_sources(other, s.dir / "b")), 0);
  const auto set_a = compiled(s.dir / "a"), set_b = compiled(s.dir / "b");
  for (const std::string nome : {"R_T 1.dat", "R_linea.dat"}) ASSERT_TRUE(set_a.at(nome) != set_b.at(nome)) << nome;

  for (int turn_ = 0; turn_ < 5; ++turn_) {
    SCOPED_TRACE("round " + std::to_string(turn_));
    const std::string out = s.dir / ("both" + std::to_string(turn_));
    const pid_t pa = compile_sources(s, out), pb = compile_sources(other, out);
    EXPECT_EQ(wait_program(pa), 0);
    EXPECT_EQ(wait_program(pb), 0);
    const auto got = compiled(out);
    EXPECT_TRUE(got == set_a || got == set_b) << "a mixed set, or a file left beside it";
  }
}

// Another program that opens a file, tells that it has, and on a word reads
// it whole through the descriptor it opened and saves what it saw.
struct Reader {
  pid_t pid = -1;
  int to_it = -1;

  Reader(const std::string& path, const std::string& seen) {
    int ready_[2], via[2];
    if (::pipe(ready_) != 0 || ::pipe(via) != 0) throw std::runtime_error("pipe");
    pid = ::fork();
    if (pid < 0) throw std::runtime_error("cannot fork");
    if (pid == 0) {
      const int fd = ::open(path.c_str(), O_RDONLY);
      char c = fd >= 0 ? 'y' : 'n';
      if (::write(ready_[1], &c, 1) != 1 || ::read(via[0], &c, 1) != 1) ::_exit(2);
      std::string bytes;
      char buf[1 << 16];
      for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) bytes.append(buf, static_cast<size_t>(n));
      testing::put_file(seen, bytes);
      ::_exit(0);
    }
    ::close(ready_[1]);
    ::close(via[0]);
    char c = 0;
    if (::read(ready_[0], &c, 1) != 1 || c != 'y') throw std::runtime_error("the reader could not open " + path);
    ::close(ready_[0]);
    to_it = via[1];
  }

  // Lets it read; returns its exit status.
  int read_() {
    const char c = 'r';
    if (::write(to_it, &c, 1) != 1) return -1;
    ::close(to_it);
    return wait_program(pid);
  }
};

TEST(ConcurrentCompile, ARunWhileAnotherProgramReadsAnOutputReplacesItAndTheReaderKeepsTheOldBytes) {
  Sources s;
  ASSERT_EQ(wait_program(compile_sources(s, s.dir / "alone")), 0);
  const auto only = compiled(s.dir / "alone");

  const std::string out = s.dir / "out";
  std::filesystem::create_directory(out);
  for (const auto& nome : kCompiled) {
    SCOPED_TRACE(nome);
    const std::string old_one = "old " + nome + std::string(100000, 'o');
    testing::put_file(out + "/" + nome, old_one);
    Reader reader(out + "/" + nome, s.dir / "seen");
    ASSERT_EQ(wait_program(compile_sources(s, out)), 0);
    ASSERT_EQ(reader.read_(), 0);
    EXPECT_TRUE(testing::file_text(s.dir / "seen") == old_one) << "the reader saw other bytes than the ones it opened";
    EXPECT_TRUE(compiled(out) == only) << "the run next to a reader differs from a run alone";
  }
}

}  // namespace
}  // namespace compactor
