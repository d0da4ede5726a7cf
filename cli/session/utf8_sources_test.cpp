#include "cli/session/utf8_sources.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(Utf8Sources, LinesAndColumnsAreCountedWhereverTheSequencesFall) {
  struct Case {
    std::string text;
    int line, column, lines;
  };
  const std::string ascii(37, 'a');  // runs that end off an eight-byte step
  const Case cases[] = {
      {"\xC3\xA8", 1, 0, 1},
      {ascii + "\n\n" + ascii + "\xC3\xA8" + ascii + "\xE2\x82\xAC\n", 3, 37, 1},
      {"x\n" + ascii + "\xC3\xA0\n" + ascii + "\n\xC3\xA0 \xC3\xA0\n" + ascii + "\xF0\x9F\x98\x80", 2, 37, 3},
  };
  for (const Case& c : cases) {
    const auto hint = looks_like_utf8(c.text);
    ASSERT_TRUE(hint) << c.text;
    EXPECT_EQ(hint->line, c.line) << c.text;
    EXPECT_EQ(hint->column, c.column) << c.text;
    EXPECT_EQ(hint->lines, c.lines) << c.text;
  }
}

TEST(Utf8Sources, Windows1252AndPlainAsciiAreNotMistakenForIt) {
  EXPECT_FALSE(looks_like_utf8("stazione, 0, 1, Piev\xE8\r\n"));    // è in Windows-1252
  EXPECT_FALSE(looks_like_utf8("stazione, 0, 1, Pieve\r\n"));
  EXPECT_FALSE(looks_like_utf8("a \xC3\xA8 b \xE8\r\n"));           // one byte UTF-8 never allows
  EXPECT_FALSE(looks_like_utf8("truncated \xC3"));
}

}  // namespace
}  // namespace compactor::session
