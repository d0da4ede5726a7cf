#include "cli/session/further_errors.h"

#include <gtest/gtest.h>

namespace compactor::session {
namespace {

CompileRequest request_of(std::string line, std::string train) {
  CompileRequest r;
  r.line = {"l.txt", std::move(line)};
  r.train = {"t.txt", std::move(train)};
  r.route = "R";
  r.train_name = "T";
  return r;
}

const std::string kLine = "[generale]\r\nlunghezza percorso,    10000\r\n[fine]\r\n";

TEST(FurtherErrors, EachErrorIsFoundWithTheOnesBeforeSetAside) {
  // Three stations off a cell (error 8) on lines 2, 4 and 5; line 3 is fine.
  const std::string train =
      "[generale]\r\n"
      "stazione,  3125, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, A\r\n"
      "stazione,  4000, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, B\r\n"
      "stazione,  5025, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, C\r\n"
      "stazione,  6025, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, D\r\n"
      "[fine]\r\n";
  const CompileRequest request = request_of(kLine, train);
  const CompileResult first = compile(request);
  ASSERT_NE(first.error(), nullptr);
  EXPECT_EQ(first.error()->line, 2);
  const auto more = further_errors(request, first);
  ASSERT_EQ(more.size(), 2u);
  EXPECT_EQ(more[0].line, 4);
  EXPECT_EQ(more[0].number, 8);
  EXPECT_EQ(more[1].line, 5);
  EXPECT_EQ(request.train.bytes, train) << "the author's source is never changed";
}

TEST(FurtherErrors, NoMoreThanTwentyInAllAndNoneWithoutALine) {
  std::string train = "[generale]\r\n";
  for (int k = 0; k < 30; ++k)
    train += "stazione,  " + std::to_string(3125 + 1000 * k) + ", 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, A\r\n";
  std::string line = "[generale]\r\nlunghezza percorso,    40000\r\n[fine]\r\n";
  const CompileRequest request = request_of(line, train + "[fine]\r\n");
  EXPECT_EQ(further_errors(request, compile(request)).size(), static_cast<size_t>(kMostErrors - 1));

  const CompileRequest clean = request_of(kLine, "[generale]\r\n[fine]\r\n");
  EXPECT_TRUE(further_errors(clean, compile(clean)).empty());
}

}  // namespace
}  // namespace compactor::session
