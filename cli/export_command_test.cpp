// scenario export: the carried texts byte for byte as the program writes
// them, and back through compile to the program's own compiled files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

const std::string kRoute = "Orvena_Lusco";
const std::string kTrain = "REG 4105";

// Each written file, in the order the paths are printed, and the table the
// program writes it from.
const struct Text {
  const char* nome;
  const LineTable& (*lines)();
} kTexts[] = {
    {"Orvena_Lusco_linea.txt", line_lines},
    {"Orvena_Lusco_REG 4105-.txt", train_lines},
    {"Orvena_Lusco_REG 4105_note.txt", note_lines},
    {"Orvena_Lusco_REG 4105_rallentamenti.txt", slowdown_lines},
    {"Orvena_Lusco_REG 4105_scheda_treno.txt", card_lines},
};

testing::RunResult scenario(std::vector<std::string> args, const std::string& cwd) {
  args.insert(args.begin(), SCENARIO_BINARY);
  return testing::run_program(args, cwd);
}

TEST(ScenarioExport, WritesTheFiveTextsAsTheProgramDoesAndPrintsWhereTheyWent) {
  struct Case {
    const char* nome;
    std::string argument;  // DIR as given, relative to the working directory
    std::string folder;   // where the files land, relative to it
    bool existing;
  } cases[] = {
      {"an existing directory", "here", "here", true},
      {"a missing nested directory", "new/carried", "new/carried", false},
      // A UTF-8 directory name is printed as given: only the file names are
      // Windows-1252.
      {"a non-ASCII name with a trailing slash", "\xC3\xA9 dir/", "\xC3\xA9 dir", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nome);
    testing::TempDir dir;
    if (c.existing) std::filesystem::create_directory(dir / c.folder);
    const auto e = scenario({"export", c.argument}, dir.path());
    ASSERT_EQ(e.status, 0) << e.err;
    EXPECT_EQ(e.err, "");

    std::vector<std::string> names;
    std::string printed;
    for (const auto& t : kTexts) {
      names.push_back(t.nome);
      printed += c.folder + kPathSeparator + t.nome + "\n";
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(testing::folder_names(dir / c.folder), names);
    EXPECT_EQ(e.out, printed);
    for (const auto& t : kTexts)
      EXPECT_EQ(testing::file_text(dir / c.folder + "/" + t.nome), joined_lines(t.lines())) << t.nome;
  }
}

TEST(ScenarioExport, TheTrainSourceAndTheNotesCarryWindows1252Characters) {
  // Without them the byte comparison above would not reach the code page.
  for (auto lines : {&train_lines, &note_lines}) {
    const std::string bytes = joined_lines(lines());
    EXPECT_TRUE(std::any_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<unsigned char>(b) >= 0x80; }));
  }
}

TEST(ScenarioExport, AnAuthorsEditedTextsAreReplacedOnlyWithForce) {
  testing::TempDir dir;
  ASSERT_EQ(scenario({"export", "x"}, dir.path()).status, 0);
  const std::string treno = dir / "x/Orvena_Lusco_REG 4105-.txt";
  testing::put_file(treno, "my edits\r\n");
  const auto again = scenario({"export", "x"}, dir.path());
  EXPECT_EQ(again.status, 2);
  EXPECT_EQ(again.err, std::string("scenario: x") + kPathSeparator +
                           "Orvena_Lusco_linea.txt is already there; nothing was written (--force replaces it)\n");
  EXPECT_EQ(testing::file_text(treno), "my edits\r\n");
  const auto forced = scenario({"export", "x", "--force"}, dir.path());
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(testing::file_text(treno), joined_lines(train_lines()));
}

TEST(ScenarioExport, ADirectoryThatCannotBeMadeIsAUsageError) {
  struct Case {
    const char* nome;
    std::string argument;
  } cases[] = {
      {"an existing regular file", "taken"},
      {"a directory under a regular file", "taken/sub"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nome);
    testing::TempDir dir;
    testing::put_file(dir / "taken", "mine\r\n");
    const auto e = scenario({"export", c.argument}, dir.path());
    EXPECT_EQ(e.status, 2) << e.err;
    EXPECT_NE(e.err.find("\"" + c.argument + "\""), std::string::npos) << e.err;
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(testing::file_text(dir / "taken"), "mine\r\n");
    EXPECT_EQ(testing::folder_names(dir.path()), std::vector<std::string>{"taken"});
  }
}

// The exported sources, compiled by the tool, give the very files of the
// program's own run, and the exported documents are the ones it leaves.
TEST(ScenarioExport, CompilingTheExportedSourcesGivesTheProgramsOwnFiles) {
  testing::TempDir dir;
  ASSERT_EQ(scenario({"export", "carried"}, dir.path()).status, 0);
  const auto e = scenario({"compile", "carried/Orvena_Lusco_linea.txt", "carried/Orvena_Lusco_REG 4105-.txt", "--route",
                           kRoute, "--train", kTrain, "--out", "compiled"},
                          dir.path());
  ASSERT_EQ(e.status, 0) << e.err;

  testing::TempDir run;
  const std::string program = run / "compactor";
  std::filesystem::copy_file(COMPACTOR_BINARY, program);
  const auto ran = testing::run_program({program}, run.path(), {"DISPLAY="});
  ASSERT_EQ(ran.status, 0) << ran.err;

  for (const auto& nome : testing::kProgramOutputs) {
    const bool document = nome.ends_with(".txt");
    EXPECT_EQ(testing::file_text(dir / (document ? "carried/" : "compiled/") + nome), testing::file_text(run / nome)) << nome;
  }
}

}  // namespace
}  // namespace compactor
