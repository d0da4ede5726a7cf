#include "cli/lsp/text_encoding.h"

#include <gtest/gtest.h>

namespace lsp {
namespace {

TEST(SourceBytes, OffsetsInALineAreTheProtocolsPositions) {
  // "è" and "€" are in the code page; "ł" is not (one UTF-16 unit), nor is
  // "𝄞" (two units): each keeps the columns after it where the editor has them.
  const SourceBytes s = to_source_bytes("stazione, Pievè €\r\nł,x𝄞y\n");
  EXPECT_EQ(s.bytes, "stazione, Piev\xe8 \x80\r\n?,x??y\n");
  ASSERT_EQ(s.missing.size(), 2u);
  EXPECT_EQ(s.missing[0].line, 1);
  EXPECT_EQ(s.missing[0].column, 0);
  EXPECT_EQ(s.missing[0].width, 1);
  EXPECT_EQ(s.missing[0].code, U'ł');
  EXPECT_EQ(s.missing[1].column, 3);
  EXPECT_EQ(s.missing[1].width, 2);
  EXPECT_EQ(s.bytes.find('y', 20) - s.bytes.find('\n') - 1, 5u) << "y is at UTF-16 column 5";
}

}  // namespace
}  // namespace lsp
