#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace lsp {

// One message of the base_ protocol: headers up to an empty line, then exactly
// Content-Length bytes of body. The body is not parsed here.
struct ReadResult {
  enum class Kind { message, end_of_input, bad_framing };
  Kind kind;
  std::string body;   // the body, for a message
  std::string error;  // what was wrong, for bad framing
};

// A client that announces a body larger than this is refused before anything
// is allocated: a stray or hostile header must not exhaust memory.
inline constexpr std::size_t max_body_bytes = 64u * 1024u * 1024u;

// Reads the next message. After bad framing the stream position is undefined
// for the protocol, and the caller should stop reading.
ReadResult read_message(std::istream& in);

}  // namespace lsp
