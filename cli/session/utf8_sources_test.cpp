#include "cli/session/utf8_sources.h"

#include <gtest/gtest.h>

namespace compactor::session {
namespace {

TEST(Utf8Sources, ASourceSavedAsUtf8IsToldWithTheWordAsItWillBeStored) {
  const auto hint = looks_like_utf8("[generale]\r\nstazione, 0, 1, Piev\xC3\xA8\r\nstazione, 50, 1, Citt\xC3\xA0 Alta\r\n");
  ASSERT_TRUE(hint);
  EXPECT_EQ(hint->line, 2);
  EXPECT_EQ(hint->column, 20);
  EXPECT_EQ(hint->line_text, "stazione, 0, 1, Piev\xC3\xA8");
  EXPECT_EQ(hint->lines, 2);
  EXPECT_EQ(hint->word_as_meant, "Piev\xC3\xA8");
  EXPECT_EQ(hint->word_as_stored, "Piev\xC3\x83\xC2\xA8");  // "PievÃ¨"
}

TEST(Utf8Sources, Windows1252AndPlainAsciiAreNotMistakenForIt) {
  EXPECT_FALSE(looks_like_utf8("stazione, 0, 1, Piev\xE8\r\n"));    // è in Windows-1252
  EXPECT_FALSE(looks_like_utf8("stazione, 0, 1, Pieve\r\n"));
  EXPECT_FALSE(looks_like_utf8("a \xC3\xA8 b \xE8\r\n"));           // one byte UTF-8 never allows
  EXPECT_FALSE(looks_like_utf8("truncated \xC3"));
}

}  // namespace
}  // namespace compactor::session
