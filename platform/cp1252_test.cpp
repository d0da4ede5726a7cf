#include "platform/cp1252.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

TEST(Cp1252, EncodesDecodesAndLowersTheCodePage) {
  EXPECT_EQ(utf8_to_cp1252("velocit\xC3\xA0"), "velocit\xE0");
  EXPECT_EQ(utf8_to_cp1252("\xE2\x82\xAC"), "\x80") << "euro sign";
  EXPECT_EQ(utf8_to_cp1252("\xC5\xA0"), "\x8A") << "S with caron";
  EXPECT_FALSE(utf8_to_cp1252("\xE4\xB8\x80")) << "outside the code page";
  EXPECT_FALSE(utf8_to_cp1252("\xC0\x80")) << "overlong";
  EXPECT_FALSE(utf8_to_cp1252("\xC3")) << "cut short";
  EXPECT_EQ(cp1252_to_utf8("\x80\xE0\x81"), "\xE2\x82\xAC\xC3\xA0\xEF\xBF\xBD");
  EXPECT_EQ(cp1252_lower("REG 4105 \xC0\xC8\xD7\xDE\x8A"), "reg 4105 \xE0\xE8\xD7\xFE\x9A");
}

}  // namespace
}  // namespace compactor
