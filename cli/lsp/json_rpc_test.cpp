#include "cli/lsp/json_rpc.h"

#include <gtest/gtest.h>

namespace lsp {
namespace {

using Kind = Incoming::Kind;

TEST(JsonRpc, SortsWellFormedMessages) {
  auto r = parse_incoming(R"({"jsonrpc":"2.0","id":7,"method":"initialize","params":{"a":1}})");
  ASSERT_EQ(r.kind, Kind::request) << r.error_message;
  EXPECT_EQ(r.id, 7);
  EXPECT_EQ(r.method, "initialize");
  EXPECT_EQ(r.params["a"], 1);

  auto n = parse_incoming(R"({"jsonrpc":"2.0","method":"initialized"})");
  EXPECT_EQ(n.kind, Kind::notification);
  EXPECT_TRUE(n.params.is_null());

  auto s = parse_incoming(R"({"jsonrpc":"2.0","id":"x","result":null})");
  EXPECT_EQ(s.kind, Kind::response);
  EXPECT_EQ(s.id, "x");
}

TEST(JsonRpc, RefusesMalformedMessagesWithTheRightError) {
  struct Case {
    const char* body;
    ErrorCode code;
  };
  const Case cases[] = {
      {"", ErrorCode::parse_error},
      {"{", ErrorCode::parse_error},
      {"{\"jsonrpc\":\"2.0\",\"method\":\"x\"} trailing", ErrorCode::parse_error},
      {"\xff\xfe", ErrorCode::parse_error},
      {"[]", ErrorCode::invalid_request},
      {"42", ErrorCode::invalid_request},
      {R"({"id":1,"method":"x"})", ErrorCode::invalid_request},
      {R"({"jsonrpc":"1.0","id":1,"method":"x"})", ErrorCode::invalid_request},
      {R"({"jsonrpc":"2.0","id":1})", ErrorCode::invalid_request},
      {R"({"jsonrpc":"2.0","id":1,"method":3})", ErrorCode::invalid_request},
      {R"({"jsonrpc":"2.0","id":[1],"method":"x"})", ErrorCode::invalid_request},
      {R"({"jsonrpc":"2.0","id":1.5,"method":"x"})", ErrorCode::invalid_request},
      {R"({"jsonrpc":"2.0","id":1,"method":"x","params":3})", ErrorCode::invalid_request},
  };
  for (const Case& c : cases) {
    auto r = parse_incoming(c.body);
    EXPECT_EQ(r.kind, Kind::invalid) << c.body;
    EXPECT_EQ(r.error, c.code) << c.body;
    EXPECT_FALSE(r.error_message.empty()) << c.body;
  }
}

TEST(JsonRpc, AnErrorAnswersTheIdItCouldRead) {
  auto r = parse_incoming(R"({"jsonrpc":"1.0","id":"abc","method":"x"})");
  EXPECT_EQ(r.id, "abc");
  auto answer = error_response(r.id, r.error, r.error_message);
  EXPECT_EQ(answer["id"], "abc");
  EXPECT_EQ(answer["error"]["code"], -32600);
}

TEST(JsonRpc, FramesWithTheByteLengthOfTheBody) {
  std::string framed = frame(notification("window/logMessage", {{"message", "\xc3\xa8"}}));
  auto blank = framed.find("\r\n\r\n");
  ASSERT_NE(blank, std::string::npos);
  EXPECT_EQ(framed.substr(0, blank), "Content-Length: " + std::to_string(framed.size() - blank - 4));
  // An invalid byte in a string is replaced, not thrown about.
  EXPECT_NO_THROW(frame(notification("x", {{"message", "\xff"}})));
}

}  // namespace
}  // namespace lsp
