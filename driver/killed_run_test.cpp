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
pid_t avvia(const std::string& program) { return testing::start_program({program}, ".", {"DISPLAY="}); }

// Waits until the run has a temporary file of a compiled output (or the run
// has ended), so that the kill lands while it writes.
void attendi_scrittura(pid_t pid, const std::string& dir) {
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
  Clock::duration durata{};
  std::map<std::string, std::string> nuove;

  // False when the whole run fails.
  bool prepare() {
    fs::copy_file(COMPACTOR_BINARY, program);
    const auto inizio = Clock::now();
    if (testing::wait_program(avvia(program)) != 0) return false;
    durata = Clock::now() - inizio;
    for (const auto& nome : testing::kProgramOutputs) nuove[nome] = testing::file_text(dir / nome);
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
  const auto& [dir, program, durata, nuove] = p;
  const std::map<std::string, std::string> sorgenti = {{"Orvena_Lusco_linea.txt", joined_lines(line_lines())},
                                                       {"Orvena_Lusco_REG 4105-.txt", joined_lines(train_lines())}};

  const unsigned seme = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seme));
  std::mt19937 caso(seme);
  // Moments up to a little past a whole run, so that some runs finish.
  std::uniform_int_distribution<int64_t> attesa(
      0, std::chrono::duration_cast<std::chrono::microseconds>(durata).count() * 11 / 10);

  int uccise = 0, miste = 0, con_temporanei = 0;
  for (int run = 0; run < kRun; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    p.old_outputs();

    const pid_t pid = avvia(program);
    // Every other run is killed at any moment, the rest while a compiled
    // file is being written.
    if (run % 2 == 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(attesa(caso)));
    } else {
      attendi_scrittura(pid, dir.path());
      std::this_thread::sleep_for(std::chrono::microseconds(caso() % 3000));
    }
    ::kill(pid, SIGKILL);
    const int status = testing::wait_program(pid);
    ASSERT_TRUE(status == 0 || status == 128 + SIGKILL) << status;
    if (status != 0) ++uccise;

    int vecchie = 0, rinnovate = 0;
    bool temporanei = false;
    for (const auto& nome : testing::folder_names(dir.path())) {
      if (nome == "compactor") continue;
      const std::string bytes = testing::file_text(dir / nome);
      if (nuove.count(nome)) {
        if (bytes == nuove.at(nome)) {
          ++rinnovate;
        } else {
          EXPECT_EQ(bytes, testing::old_version(nome)) << nome << " is neither the old nor the new file";
          ++vecchie;
        }
      } else if (sorgenti.count(nome)) {
        EXPECT_EQ(bytes, sorgenti.at(nome)) << nome << " is not whole";
      } else {
        // A temporary: the name of its file, ".tmp-" and six characters,
        // so no reader of outputs takes it for one.
        temporanei = true;
        const auto tmp = nome.rfind(".tmp-");
        ASSERT_NE(tmp, std::string::npos) << "an unknown file: " << nome;
        const std::string di = nome.substr(0, tmp);
        EXPECT_TRUE(nuove.count(di) || sorgenti.count(di)) << nome;
        EXPECT_EQ(nome.size(), tmp + 5 + 6) << nome;
        for (const char* estensione : {".dat", ".sim", ".txt"}) EXPECT_FALSE(nome.ends_with(estensione)) << nome;
      }
    }
    EXPECT_EQ(vecchie + rinnovate, 6) << "an output vanished";
    if (vecchie != 0 && rinnovate != 0) ++miste;
    if (temporanei) ++con_temporanei;
  }
  std::cout << kRun << " runs: " << uccise << " killed, " << miste << " killed between two outputs, " << con_temporanei
            << " left a temporary file\n";
  EXPECT_GT(uccise, kRun / 4) << "the kills came too late to test anything";

  // A run over the leftovers of killed ones is a clean run.
  ASSERT_EQ(testing::wait_program(avvia(program)), 0);
  for (const auto& nome : testing::kProgramOutputs) EXPECT_EQ(testing::file_text(dir / nome), nuove.at(nome)) << nome;
}

// Interrupted the ways a user or a system does it (Ctrl-C, a closed
// terminal, kill), a run cleans up before it ends: no temporary and no
// source is left, the compiled files are one set (all old or all new), and
// the exit status says which signal ended it.
TEST(InterruptedRun, LeavesNoTemporaryNoSourceAndTheCompiledFilesAsOneSet) {
  ProgramAndItsRun p;
  ASSERT_TRUE(p.prepare());
  const auto& [dir, program, durata, nuove] = p;

  const unsigned seme = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seme));
  std::mt19937 caso(seme);
  std::uniform_int_distribution<int64_t> attesa(
      0, std::chrono::duration_cast<std::chrono::microseconds>(durata).count() * 11 / 10);
  const int segnali[] = {SIGINT, SIGTERM, SIGHUP};

  int interrotte = 0;
  for (int run = 0; run < kRun / 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    p.old_outputs();

    const int segnale = segnali[run % 3];
    const pid_t pid = avvia(program);
    if (run % 2 == 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(attesa(caso)));
    } else {
      attendi_scrittura(pid, dir.path());
    }
    ::kill(pid, segnale);
    const int status = testing::wait_program(pid);
    ASSERT_TRUE(status == 0 || status == 128 + segnale) << status;
    if (status != 0) ++interrotte;

    int compilati_nuovi = 0;
    for (const auto& nome : testing::folder_names(dir.path())) {
      if (nome == "compactor") continue;
      ASSERT_TRUE(nuove.count(nome)) << "left behind: " << nome;
      const std::string bytes = testing::file_text(dir / nome);
      const bool nuova = bytes == nuove.at(nome);
      if (!nuova) {
        EXPECT_EQ(bytes, testing::old_version(nome)) << nome << " is neither old nor new";
      }
      if (nuova && !nome.ends_with(".txt")) ++compilati_nuovi;
    }
    EXPECT_TRUE(compilati_nuovi == 0 || compilati_nuovi == 3) << compilati_nuovi << " of the three compiled files new";
  }
  std::cout << kRun / 2 << " runs: " << interrotte << " interrupted\n";
  EXPECT_GT(interrotte, kRun / 8) << "the signals came too late to test anything";
}

}  // namespace
}  // namespace compactor
