// The example scenario of docs/example compiles clean with the tool, as its
// page says, and has every kind of record the reference describes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "sources/record_fields.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

const std::string kExample = std::string(COMPACTOR_SOURCE_DIR) + "/docs/example/";
const std::string kLine = kExample + "Valdora_Pianetto_linea.txt";
const std::string kTrain = kExample + "Valdora_Pianetto_REG 2201-.txt";

TEST(ExampleScenario, ChecksWithoutErrorOrWarning) {
  const auto e = testing::run_program({SCENARIO_BINARY, "check", kLine, kTrain});
  EXPECT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(e.err, "0 errors, 0 warnings\n");
}

TEST(ExampleScenario, CompilesIntoTheThreeFiles) {
  testing::TempDir out;
  const auto e = testing::run_program({SCENARIO_BINARY, "compile", kLine, kTrain, "--route", "Valdora_Pianetto", "--train",
                                  "REG 2201", "--out", out.path(), "--quiet"});
  ASSERT_EQ(e.status, 0) << e.err;
  EXPECT_EQ(testing::folder_names(out.path()), (std::vector<std::string>{"Valdora_Pianetto_REG 2201.dat",
                                                                  "Valdora_Pianetto_REG 2201.sim",
                                                                  "Valdora_Pianetto_linea.dat"}));
}

TEST(ExampleScenario, HoldsEveryKindOfRecord) {
  for (const auto& [language, path] : {std::pair{SourceLanguage::line, kLine}, {SourceLanguage::train, kTrain}}) {
    std::set<std::string> seen;
    const std::string text = testing::file_text(path);
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find('\n', start);
      const std::string line = text.substr(start, end - start);
      start = end == std::string::npos ? text.size() : end + 1;
      for (SourcePart part : {SourcePart::general, SourcePart::records})
        for (const RecordInfo* r : records_of(language, part, line.substr(0, line.find(','))))
          if (r->part == part) seen.insert(std::string(r->key));
    }
    for (const RecordInfo& r : records(language)) {
      // One chainage reference is enough for a short route.
      if (r.key == "progressiva chilometrica due" || r.key == "progressiva chilometrica tre") continue;
      EXPECT_EQ(seen.count(std::string(r.key)), 1u) << path << " lacks " << r.key;
    }
  }
}

}  // namespace
}  // namespace compactor
