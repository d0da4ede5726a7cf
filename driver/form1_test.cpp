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

TEST(Program, OneRunLeavesTheThreeDocumentsAndTheThreeCompiledFilesNextToItself) {
  ProgramInDir p;
  testing::TempDir elsewhere;
  const auto e = p.run(elsewhere.path());
  ASSERT_EQ(e.stato, 0) << e.err;
  EXPECT_EQ(e.err, "");
  EXPECT_TRUE(testing::elenco(elsewhere.path()).empty()) << "nothing lands in the working directory";
  EXPECT_EQ(testing::elenco(p.dir.path()),
            (std::vector<std::string>{"Orvena_Lusco_REG 4105.dat", "Orvena_Lusco_REG 4105.sim",
                                      "Orvena_Lusco_REG 4105_note.txt", "Orvena_Lusco_REG 4105_rallentamenti.txt",
                                      "Orvena_Lusco_REG 4105_scheda_treno.txt", "Orvena_Lusco_linea.dat",
                                      "compactor"}))
      << "both sources are gone";
  EXPECT_EQ(std::filesystem::file_size(p.dir / "Orvena_Lusco_linea.dat"), 6819964u);
  EXPECT_EQ(std::filesystem::file_size(p.dir / "Orvena_Lusco_REG 4105.dat"), 102315u);
  const std::string grid = testing::leggi(p.dir / "Orvena_Lusco_REG 4105.dat");
  EXPECT_EQ(grid.substr(16, 2), "\x01\x14") << "the mark 5121 in cell 1";
}

TEST(Program, ASecondRunReplacesEveryFileWhole) {
  ProgramInDir p;
  const auto primo = p.run();
  ASSERT_EQ(primo.stato, 0) << primo.err;
  std::vector<std::pair<std::string, std::string>> first;
  for (const auto& name : testing::elenco(p.dir.path()))
    if (name != "compactor") first.emplace_back(name, testing::leggi(p.dir / name));
  // Lengthen every output: a second run must leave no old tail behind.
  for (const auto& [name, bytes] : first) testing::scrivi(p.dir / name, bytes + std::string(4096, '#'));
  const auto secondo = p.run();
  ASSERT_EQ(secondo.stato, 0) << secondo.err;
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
