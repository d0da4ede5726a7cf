#include "cli/session/scenario_names.h"

#include <gtest/gtest.h>

namespace compactor::session {
namespace {

TEST(ScenarioNames, ANameMustReadAsPartOfAFileName) {
  const struct {
    std::string utf8;
    const char* problem;  // nullptr: accepted
  } cases[] = {
      {"REG 4105", nullptr},
      {"Citt\xC3\xA0 Alta", nullptr},  // stored as Windows-1252
      {"", "the train name is empty"},
      {".", "the train name \".\" names a folder, not a scenario"},
      {"..", "the train name \"..\" names a folder, not a scenario"},
      {"a/b", "the train name \"a/b\" cannot hold \"/\""},
      {"REG\n4105", "the train name holds a control character (a line break, a tab) at byte 4"},
      {"REG\t4105", "the train name holds a control character (a line break, a tab) at byte 4"},
      {"\xE2\x82\xAC\xE2\x9C\x93", "the train name \"\xE2\x82\xAC\xE2\x9C\x93\" holds a character that Windows-1252 cannot store"},
  };
  for (const auto& c : cases) {
    std::string problem;
    const auto name = scenario_name(c.utf8, "train", problem);
    if (c.problem == nullptr) {
      EXPECT_TRUE(name.has_value()) << c.utf8 << ": " << problem;
    } else {
      EXPECT_FALSE(name.has_value()) << c.utf8;
      EXPECT_EQ(problem, c.problem);
    }
  }
}

}  // namespace
}  // namespace compactor::session
