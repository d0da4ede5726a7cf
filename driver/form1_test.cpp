#include "driver/form1.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <sstream>

#include "model/file_names.h"
#include "platform/memory_files.h"
#include "testing/faulty_files.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

// The program, copied into a fresh directory: it writes next to itself.
struct ProgramInDir {
  testing::TempDir dir;
  std::string program = dir / "compactor";
  ProgramInDir() { std::filesystem::copy_file(COMPACTOR_BINARY, program); }
  testing::RunResult run(const std::string& cwd = "/") { return testing::run_program({program}, cwd, {"DISPLAY="}); }
};

TEST(Program, OneRunLeavesTheThreeDocumentsAndTheThreeCompiledFilesNextToItself) {
  ProgramInDir p;
  testing::TempDir elsewhere;
  const auto e = p.run(elsewhere.path());
  ASSERT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(e.err, "");
  EXPECT_TRUE(testing::folder_names(elsewhere.path()).empty()) << "nothing lands in the working directory";
  EXPECT_EQ(testing::folder_names(p.dir.path()),
            (std::vector<std::string>{"Orvena_Lusco_REG 4105.dat", "Orvena_Lusco_REG 4105.sim",
                                      "Orvena_Lusco_REG 4105_note.txt", "Orvena_Lusco_REG 4105_rallentamenti.txt",
                                      "Orvena_Lusco_REG 4105_scheda_treno.txt", "Orvena_Lusco_linea.dat",
                                      "compactor"}))
      << "both sources are gone";
  EXPECT_EQ(std::filesystem::file_size(p.dir / "Orvena_Lusco_linea.dat"), 6819964u);
  EXPECT_EQ(std::filesystem::file_size(p.dir / "Orvena_Lusco_REG 4105.dat"), 102315u);
  const std::string grid = testing::file_text(p.dir / "Orvena_Lusco_REG 4105.dat");
  EXPECT_EQ(grid.substr(16, 2), "\x01\x14") << "the mark 5121 in cell 1";
}

TEST(Program, ASecondRunReplacesEveryFileWhole) {
  ProgramInDir p;
  const auto first = p.run();
  ASSERT_EQ(first.status, 0) << first.err;
  std::vector<std::pair<std::string, std::string>> outputs;
  for (const auto& name : testing::folder_names(p.dir.path()))
    if (name != "compactor") outputs.emplace_back(name, testing::file_text(p.dir / name));
  // Lengthen every output: a second run must leave no old tail behind.
  for (const auto& [name, bytes] : outputs) testing::put_file(p.dir / name, bytes + std::string(4096, '#'));
  const auto second = p.run();
  ASSERT_EQ(second.status, 0) << second.err;
  for (const auto& [name, bytes] : outputs) EXPECT_EQ(testing::file_text(p.dir / name), bytes) << name;
}

TEST(Program, TwoRunsInOneFolderAtOnceBothGiveWhatARunAloneGives) {
  ProgramInDir p;
  ASSERT_EQ(p.run().status, 0);
  std::map<std::string, std::string> alone;
  for (const auto& name : testing::folder_names(p.dir.path())) alone[name] = testing::file_text(p.dir / name);
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const pid_t a = testing::start_program({p.program}, "/", {"DISPLAY="});
    const pid_t b = testing::start_program({p.program}, "/", {"DISPLAY="});
    EXPECT_EQ(testing::wait_program(a), 0);
    EXPECT_EQ(testing::wait_program(b), 0);
    std::map<std::string, std::string> now;
    for (const auto& name : testing::folder_names(p.dir.path())) now[name] = testing::file_text(p.dir / name);
    EXPECT_TRUE(now == alone) << "the folder differs from a run alone";
  }
}

TEST(Program, AFileThatCannotBeWrittenEndsTheRunWithItsNameAndStatus4) {
  ProgramInDir p;
  // A directory in the way of the scenario file: renaming over it fails
  // even for a user whom file modes do not stop.
  std::filesystem::create_directory(p.dir / "Orvena_Lusco_REG 4105.sim");
  std::filesystem::create_directory(p.dir / "Orvena_Lusco_REG 4105.sim/keep");
  const auto e = p.run();
  EXPECT_EQ(e.status, 4);
  EXPECT_NE(e.err.find("Orvena_Lusco_REG 4105.sim"), std::string::npos) << e.err;
  EXPECT_NE(e.err.find("directory"), std::string::npos) << "the system's reason: " << e.err;
  for (const auto& name : testing::folder_names(p.dir.path()))
    EXPECT_EQ(name.find(".tmp-"), std::string::npos) << "temporary file left: " << name;
  EXPECT_FALSE(std::filesystem::exists(p.dir / "Orvena_Lusco_REG 4105.dat")) << "later steps do not run";
  EXPECT_TRUE(std::filesystem::exists(p.dir / "Orvena_Lusco_REG 4105_scheda_treno.txt")) << "earlier files stay";
}

// The files of a run in this process, held in memory, with the train
// source altered as the loader reads it back. A committed compiled file is
// said on standard error when asked, so that a run ending in the error stop
// shows whether it wrote one.
class AlteredTrain : public Files {
 public:
  static constexpr const char* kFolder = "/program";
  using Alteration = std::string (*)(std::string);

  explicit AlteredTrain(Alteration alter, bool announce_compiled = false)
      : alter_(alter), announce_(announce_compiled) {}

  bool exists(const std::string& path) override { return files_.exists(path); }
  std::string read(const std::string& path) override {
    std::string bytes = files_.read(path);
    return path == names.train_txt ? alter_(std::move(bytes)) : bytes;
  }
  std::string read_at_most(const std::string& path, uint64_t limit) override {
    std::string bytes = files_.read_at_most(path, limit);
    return path == names.train_txt ? alter_(std::move(bytes)) : bytes;
  }
  std::vector<std::string> list(const std::string& folder) override { return files_.list(folder); }
  std::unique_ptr<OutputFile> create(const std::string& path) override {
    const bool compiled_one = path == names.planimetria || path == names.scenario || path == names.griglia;
    return std::make_unique<Output>(files_.create(path), announce_ && compiled_one ? path : "");
  }
  void remove(const std::string& path) override { files_.remove(path); }

  const FileNames names = file_names(kFolder, "Orvena_Lusco", "REG 4105");

 private:
  class Output : public OutputFile {
   public:
    Output(std::unique_ptr<OutputFile> true_, std::string announcement)
        : truth_(std::move(true_)), announcement_(std::move(announcement)) {}
    void write(std::string_view bytes) override { truth_->write(bytes); }
    bool writes_at() const override { return truth_->writes_at(); }
    void write_at(uint64_t offset, std::string_view bytes) override { truth_->write_at(offset, bytes); }
    void reserve(uint64_t bytes) override { truth_->reserve(bytes); }
    void commit() override {
      truth_->commit();
      if (!announcement_.empty()) std::cerr << "written: " << announcement_ << "\n";
    }

   private:
    std::unique_ptr<OutputFile> truth_;
    std::string announcement_;
  };

  MemoryFiles files_;
  Alteration alter_;
  bool announce_;
};

// The line end the source uses.
std::string end_of_line(const std::string& text) { return text.find("\r\n") != std::string::npos ? "\r\n" : "\n"; }

// The signal at 2300 m twice: the second finds its cell taken.
std::string double_signal(std::string treno) {
  const size_t inizio = treno.find("segnale,    2300,");
  if (inizio == std::string::npos) return treno;
  const size_t fine = treno.find('\n', inizio) + 1;
  treno.insert(fine, treno.substr(inizio, fine - inizio));
  return treno;
}

// A code drop at 50 m, which lands on cell 1: the place of the grid's mark.
std::string drop_in_cell_1(std::string treno) {
  const size_t fine = treno.find("[fine]");
  if (fine == std::string::npos) return treno;
  treno.insert(fine, "abbattimento,      50,   270" + end_of_line(treno));
  return treno;
}

int form_load(Files& files, std::ostream& err) {
  testing::hide_display();  // runs in this process never open the window
  return Form_Load(AlteredTrain::kFolder, files, err);
}

TEST(Form1, ARecordedScenarioErrorEndsTheRunWithStatus1AndTheCompiledFilesWritten) {
  AlteredTrain files(double_signal);
  std::ostringstream err;
  EXPECT_EQ(form_load(files, err), 1);
  EXPECT_EQ(err.str(), "compactor: scenario error 16 at 2300 m\n");
  const FileNames& n = files.names;
  for (const auto& path : {n.planimetria, n.scenario, n.griglia, n.note, n.rallentamenti, n.scheda})
    EXPECT_TRUE(files.exists(path)) << path;
  // The train source is deleted where the error stops it, the line source
  // after it was read.
  EXPECT_FALSE(files.exists(n.train_txt));
  EXPECT_FALSE(files.exists(n.line_txt));
}

// Memory runs out while the train source is read back.
std::string without_memory(std::string) { throw std::bad_alloc(); }

TEST(Form1, RunningOutOfMemoryIsAPlatformFailureWithNothingWrittenFromWhatLoaded) {
  AlteredTrain files(without_memory);
  std::ostringstream err;
  EXPECT_EQ(form_load(files, err), 4);
  EXPECT_EQ(err.str(), "compactor: out of memory\n");
  const FileNames& n = files.names;
  for (const auto& path : {n.planimetria, n.scenario, n.griglia, n.line_txt, n.train_txt})
    EXPECT_FALSE(files.exists(path)) << path;
}

TEST(Form1, ARunThatCannotWriteASourceLeavesNeitherSource) {
  // Where the train source is created, in a run that does not fail.
  MemoryFiles trial;
  testing::FailingFiles count(trial);
  std::ostringstream ignore_;
  ASSERT_EQ(form_load(count, ignore_), 0);
  const FileNames n = file_names(AlteredTrain::kFolder, "Orvena_Lusco", "REG 4105");
  int64_t call = 0;
  for (size_t i = 0; i < count.calls().size() && call == 0; ++i)
    if (count.calls()[i].operation == testing::FailingFiles::Operation::create &&
        count.calls()[i].path == n.train_txt)
      call = static_cast<int64_t>(i) + 1;
  ASSERT_GT(call, 0);

  for (int64_t fault : {call, call + 1, call + 2}) {  // create, write, commit
    MemoryFiles files;
    testing::FailingFiles faults(files, fault);
    std::ostringstream err;
    EXPECT_EQ(form_load(faults, err), 4) << fault;
    EXPECT_NE(err.str().find(n.train_txt), std::string::npos) << err.str();
    EXPECT_FALSE(files.exists(n.line_txt)) << "call " << fault << " left the line source";
    EXPECT_FALSE(files.exists(n.train_txt));
  }
}

TEST(Form1DeathTest, ATakenReservedPlaceStopsTheRunWithStatus3BeforeAnyCompiledFile) {
  // A fresh process: a window module that an earlier test loaded must not
  // be inherited.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The message alone on standard error: no compiled file was committed.
  EXPECT_EXIT(
      {
        AlteredTrain files(drop_in_cell_1, true);
        std::ostringstream err;
        form_load(files, err);
        std::cerr << "returned: " << err.str();
      },
      ::testing::ExitedWithCode(3), "^ Errore n\\. 1250\n$");
}

}  // namespace
}  // namespace compactor
