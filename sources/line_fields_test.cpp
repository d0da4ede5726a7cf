#include "sources/line_fields.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

TEST(LineFields, SplitAtCommasWithTheBlanksAroundEachLeftOut) {
  const auto f = line_fields("pendenza,  1250,\t -4 ,,x");
  ASSERT_EQ(f.size(), 5u);
  EXPECT_EQ(f[0].text, "pendenza");
  EXPECT_EQ(f[1].text, "1250");
  EXPECT_EQ(f[1].at, 11u);
  EXPECT_EQ(f[2].text, "-4");
  EXPECT_EQ(f[2].at, 18u);
  EXPECT_EQ(f[3].text, "");
  EXPECT_EQ(f[4].text, "x");
  EXPECT_EQ(line_fields("").size(), 1u);
}

TEST(LineFields, AWholeNumberIsASignAndOneToNineCharacters) {
  EXPECT_EQ(whole_number("75"), 75);
  EXPECT_EQ(whole_number("-31536"), -31536);
  EXPECT_EQ(whole_number("123456789"), 123456789);
  for (const char* not_one : {"", "-", "+5", "1.5", "12a", "1234567890", " 5"})
    EXPECT_FALSE(whole_number(not_one).has_value()) << not_one;
}

}  // namespace
}  // namespace compactor
