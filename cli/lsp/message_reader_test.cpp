#include "cli/lsp/message_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace lsp {
namespace {

using Kind = ReadResult::Kind;

TEST(MessageReader, ReadsMessagesInTurnThenTheEnd) {
  std::istringstream in("Content-Length: 2\r\n\r\n{}"
                        "content-length:3\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n[1]");
  auto first = read_message(in);
  ASSERT_EQ(first.kind, Kind::message) << first.error;
  EXPECT_EQ(first.body, "{}");
  auto second = read_message(in);
  ASSERT_EQ(second.kind, Kind::message) << second.error;
  EXPECT_EQ(second.body, "[1]");
  EXPECT_EQ(read_message(in).kind, Kind::end_of_input);
}

TEST(MessageReader, BodyMayHoldNewlinesAndZeroBytes) {
  std::string body("{\r\n\r\n\0}", 7);
  std::istringstream in("Content-Length: 7\r\n\r\n" + body);
  auto r = read_message(in);
  ASSERT_EQ(r.kind, Kind::message);
  EXPECT_EQ(r.body, body);
}

TEST(MessageReader, RefusesMalformedFraming) {
  struct Case {
    const char* input;
    const char* error_part;
  };
  const Case cases[] = {
      {"\r\n{}", "no Content-Length"},
      {"Content-Type: x\r\n\r\n{}", "no Content-Length"},
      {"Content-Length: 2\n\n{}", "CR LF"},
      {"Content-Length 2\r\n\r\n{}", "no colon"},
      {"Content-Length: two\r\n\r\n{}", "not a number"},
      {"Content-Length: -2\r\n\r\n{}", "not a number"},
      {"Content-Length: 2x\r\n\r\n{}", "not a number"},
      {"Content-Length: \r\n\r\n{}", "not a number"},
      {"Content-Length: 2\r\nContent-Length: 2\r\n\r\n{}", "twice"},
      {"Content-Length: 99999999999999999999999999\r\n\r\n{}", "larger"},
      {"Content-Length: 67108865\r\n\r\n{}", "larger"},
      {"Content-Length: 10\r\n\r\n{}", "inside a message body"},
      {"Content-Length: 2\r\n", "inside the headers"},
      {"Content-Len", "inside the headers"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    auto r = read_message(in);
    EXPECT_EQ(r.kind, Kind::bad_framing) << c.input;
    EXPECT_NE(r.error.find(c.error_part), std::string::npos) << c.input << " -> " << r.error;
  }
}

TEST(MessageReader, RefusesAnEndlessHeaderLine) {
  std::istringstream in(std::string(100000, 'x'));
  auto r = read_message(in);
  EXPECT_EQ(r.kind, Kind::bad_framing);
  EXPECT_NE(r.error.find("too long"), std::string::npos);
}

}  // namespace
}  // namespace lsp
