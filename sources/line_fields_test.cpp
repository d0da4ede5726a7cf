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

TEST(LineFields, FillingKeptRoomGivesTheSameFieldsAsANewList) {
  // The warnings split every record's line into one list: what a longer line
  // left in it must not show through on a shorter one.
  std::vector<LineField> kept;
  for (const char* line : {"stazione, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11", "curvad1,  1350,  150", "  ,  ", "x", "",
                           "a,\t,b ", " \t pendenza \t,-4\r"}) {
    line_fields(line, kept);
    const auto fresh = line_fields(line);
    ASSERT_EQ(kept.size(), fresh.size()) << line;
    for (size_t k = 0; k < fresh.size(); ++k) {
      EXPECT_EQ(kept[k].at, fresh[k].at) << line << " field " << k;
      EXPECT_EQ(kept[k].text, fresh[k].text) << line << " field " << k;
    }
  }
  line_fields(" \t pendenza \t,-4", kept);
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].text, "pendenza");
  EXPECT_EQ(kept[0].at, 3u);
  EXPECT_EQ(kept[1].text, "-4");
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
