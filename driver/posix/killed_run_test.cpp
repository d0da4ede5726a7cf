// A run killed at any moment never leaves a half-written output: the program
// is started over and over and killed with SIGKILL at random moments, and
// every output must then be the complete old file or the complete new one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <thread>

#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The program in its directory, with no window.
pid_t start_(const std::string& program) { return testing::start_program({program}, ".", {"DISPLAY="}); }

// Waits until the run has a temporary file of a compiled output (or the run
// has ended), so that the kill lands while it writes.
void wait_for_write(pid_t pid, const std::string& dir) {
  for (;;) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), fine; !ec && it != fine; it.increment(ec)) {
      const std::string nome = it->path().filename().string();
      if (nome.find(".dat.tmp-") != std::string::npos || nome.find(".sim.tmp-") != std::string::npos) return;
    }
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == pid) return;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr int kRun = 60;  // each run of the sanitized program is many times slower
#else
constexpr int kRun = 200;
#endif

// The program in a directory of its own, with the outputs of one whole run
// (the new versions) and how long that run took.
struct ProgramAndItsRun {
  testing::TempDir dir;
  std::string program = dir / "compactor";
  Clock::duration duration{};
  std::map<std::string, std::string> fresh;

  // False when the whole run fails.
  bool prepare() {
    fs::copy_file(COMPACTOR_BINARY, program);
    const auto inizio = Clock::now();
    if (testing::wait_program(start_(program)) != 0) return false;
    duration = Clock::now() - inizio;
    for (const auto& nome : testing::kProgramOutputs) fresh[nome] = testing::file_text(dir / nome);
    return true;
  }
  // The directory as before a run over an older version: the old outputs
  // and nothing else beside the program.
  void old_outputs() const {
    for (const auto& nome : testing::folder_names(dir.path()))
      if (nome != "compactor") fs::remove(dir / nome);
    for (const auto& nome : testing::kProgramOutputs) testing::put_file(dir / nome, testing::old_version(nome));
  }
};

TEST(KilledRun, EveryOutputIsTheWholeOldOrTheWholeNewFileAndTemporariesLookLikeNoOutput) {
  ProgramAndItsRun p;
  ASSERT_TRUE(p.prepare());
  const auto& [dir, program, duration, fresh] = p;
  const std::map<std::string, std::string> sources = {{"Orvena_Lusco_linea.txt", joined_lines(line_lines())},
                                                       {"Orvena_Lusco_REG 4105-.txt", joined_lines(train_lines())}};

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 c_(seed);
  // Moments up to a little past a whole run, so that some runs finish.
  std::uniform_int_distribution<int64_t> wait(
      0, std::chrono::duration_cast<std::chrono::microseconds>(duration).count() * 11 / 10);

  int killed = 0, mixed_ = 0, with_temporaries = 0;
  for (int run = 0; run < kRun; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    p.old_outputs();

    const pid_t pid = start_(program);
    // Every other run is killed at any moment, the rest while a compiled
    // file is being written.
    if (run % 2 == 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(wait(c_)));
    } else {
      wait_for_write(pid, dir.path());
      std::this_thread::sleep_for(std::chrono::microseconds(c_() % 3000));
    }
    ::kill(pid, SIGKILL);
    const int status = testing::wait_program(pid);
    ASSERT_TRUE(status == 0 || status == 128 + SIGKILL) << status;
    if (status != 0) ++killed;

    int old = 0, renewed = 0;
    bool temporaries_ = false;
    for (const auto& nome : testing::folder_names(dir.path())) {
      if (nome == "compactor") continue;
      const std::string bytes = testing::file_text(dir / nome);
      if (fresh.count(nome)) {
        if (bytes == fresh.at(nome)) {
          ++renewed;
        } else {
          EXPECT_EQ(bytes, testing::old_version(nome)) << nome << " is neither the old nor the new file";
          ++old;
        }
      } else if (sources.count(nome)) {
        EXPECT_EQ(bytes, sources.at(nome)) << nome << " is not whole";
      } else {
        // A temporary: the name of its file, ".tmp-" and six characters,
        // so no reader of outputs takes it for one.
        temporaries_ = true;
        const auto tmp = nome.rfind(".tmp-");
        ASSERT_NE(tmp, std::string::npos) << "an unknown file: " << nome;
        const std::string di = nome.substr(0, tmp);
        EXPECT_TRUE(fresh.count(di) || sources.count(di)) << nome;
        EXPECT_EQ(nome.size(), tmp + 5 + 6) << nome;
        for (const char* extension : {".dat", ".sim", ".txt"}) EXPECT_FALSE(nome.ends_with(extension)) << nome;
      }
    }
    EXPECT_EQ(old + renewed, 6) << "an output vanished";
    if (old != 0 && renewed != 0) ++mixed_;
    if (temporaries_) ++with_temporaries;
  }
  std::cout << kRun << " runs: " << killed << " killed, " << mixed_ << " killed between two outputs, " << with_temporaries
            << " left a temporary file\n";
  EXPECT_GT(killed, kRun / 4) << "the kills came too late to test anything";

  // A run over the leftovers of killed ones is a clean run.
  ASSERT_EQ(testing::wait_program(start_(program)), 0);
  for (const auto& nome : testing::kProgramOutputs) EXPECT_EQ(testing::file_text(dir / nome), fresh.at(nome)) << nome;
}

// Interrupted the ways a user or a system does it (Ctrl-C, a closed
// terminal, kill), a run cleans up before it ends: no temporary and no
// source is left, the compiled files are one set (all old or all new), and
// the exit status says which signal ended it.
TEST(InterruptedRun, LeavesNoTemporaryNoSourceAndTheCompiledFilesAsOneSet) {
  ProgramAndItsRun p;
  ASSERT_TRUE(p.prepare());
  const auto& [dir, program, duration, fresh] = p;

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 c_(seed);
  std::uniform_int_distribution<int64_t> wait(
      0, std::chrono::duration_cast<std::chrono::microseconds>(duration).count() * 11 / 10);
  const int segnali[] = {SIGINT, SIGTERM, SIGHUP};

  int interrupted = 0;
  for (int run = 0; run < kRun / 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    p.old_outputs();

    const int segnale = segnali[run % 3];
    const pid_t pid = start_(program);
    if (run % 2 == 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(wait(c_)));
    } else {
      wait_for_write(pid, dir.path());
    }
    ::kill(pid, segnale);
    const int status = testing::wait_program(pid);
    ASSERT_TRUE(status == 0 || status == 128 + segnale) << status;
    if (status != 0) ++interrupted;

    int new_compiled = 0;
    for (const auto& nome : testing::folder_names(dir.path())) {
      if (nome == "compactor") continue;
      ASSERT_TRUE(fresh.count(nome)) << "left behind: " << nome;
      const std::string bytes = testing::file_text(dir / nome);
      const bool new_one = bytes == fresh.at(nome);
      if (!new_one) {
        EXPECT_EQ(bytes, testing::old_version(nome)) << nome << " is neither old nor new";
      }
      if (new_one && !nome.ends_with(".txt")) ++new_compiled;
    }
    EXPECT_TRUE(new_compiled == 0 || new_compiled == 3) << new_compiled << " of the three compiled files new";
  }
  std::cout << kRun / 2 << " runs: " << interrupted << " interrupted\n";
  EXPECT_GT(interrupted, kRun / 8) << "the signals came too late to test anything";
}

}  // namespace
}  // namespace compactor
