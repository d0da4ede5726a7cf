#include "driver/form1.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tools/run_program.h"
#include "tools/test_support.h"

namespace compactor {
namespace {

// The program, copied into a fresh directory: it writes next to itself.
struct ProgramInDir {
  testing::TempDir dir;
  std::string program = dir / "compactor";
  ProgramInDir() { std::filesystem::copy_file(COMPACTOR_BINARY, program); }
  testing::Esito run(const std::string& cwd = "/") { return testing::esegui({program}, cwd, {"DISPLAY="}); }
};

TEST(Program, WritesItsFilesNextToItselfWhateverTheWorkingDirectory) {
  ProgramInDir p;
  testing::TempDir elsewhere;
  const auto e = p.run(elsewhere.path());
  ASSERT_NE(e.stato, 4) << e.err;
  EXPECT_TRUE(testing::elenco(elsewhere.path()).empty()) << "nothing lands in the working directory";
  const auto files = testing::elenco(p.dir.path());
  for (const char* name : {"Orvena_Lusco_REG 4105.sim", "Orvena_Lusco_REG 4105.dat", "Orvena_Lusco_linea.dat",
                           "Orvena_Lusco_REG 4105_note.txt", "Orvena_Lusco_REG 4105_rallentamenti.txt",
                           "Orvena_Lusco_REG 4105_scheda_treno.txt"})
    EXPECT_NE(std::find(files.begin(), files.end(), name), files.end()) << name;
}

TEST(Program, ASecondRunReplacesEveryFileWhole) {
  ProgramInDir p;
  ASSERT_NE(p.run().stato, 4);
  std::vector<std::pair<std::string, std::string>> first;
  for (const auto& name : testing::elenco(p.dir.path()))
    if (name != "compactor") first.emplace_back(name, testing::leggi(p.dir / name));
  // Lengthen every output: a second run must leave no old tail behind.
  for (const auto& [name, bytes] : first) testing::scrivi(p.dir / name, bytes + std::string(4096, '#'));
  ASSERT_NE(p.run().stato, 4);
  for (const auto& [name, bytes] : first) EXPECT_EQ(testing::leggi(p.dir / name), bytes) << name;
}

TEST(Program, AFileThatCannotBeWrittenEndsTheRunWithItsNameAndStatus4) {
  ProgramInDir p;
  // A directory in the way of the scenario file: renaming over it fails
  // even for a user whom file modes do not stop.
  std::filesystem::create_directory(p.dir / "Orvena_Lusco_REG 4105.sim");
  std::filesystem::create_directory(p.dir / "Orvena_Lusco_REG 4105.sim/keep");
  const auto e = p.run();
  EXPECT_EQ(e.stato, 4);
  EXPECT_NE(e.err.find("Orvena_Lusco_REG 4105.sim"), std::string::npos) << e.err;
  EXPECT_NE(e.err.find("directory"), std::string::npos) << "the system's reason: " << e.err;
  for (const auto& name : testing::elenco(p.dir.path()))
    EXPECT_EQ(name.find(".tmp-"), std::string::npos) << "temporary file left: " << name;
  EXPECT_FALSE(std::filesystem::exists(p.dir / "Orvena_Lusco_REG 4105.dat")) << "later steps do not run";
  EXPECT_TRUE(std::filesystem::exists(p.dir / "Orvena_Lusco_REG 4105_scheda_treno.txt")) << "earlier files stay";
}

}  // namespace
}  // namespace compactor
