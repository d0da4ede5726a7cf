// The body of the fuzz target of the language server's message reader:
// header-only so that the libFuzzer entry point and the corpus replay of the
// ordinary tests run the same code.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "cli/lsp/message_reader.h"

namespace compactor::fuzz {

// Reads messages until the end or bad framing; a body is never longer than
// was announced or than the input, and the reader always stops.
inline int message_reader(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  for (std::size_t rounds = 0;; ++rounds) {
    auto r = lsp::read_message(in);
    if (r.kind != lsp::ReadResult::Kind::message) break;
    if (r.body.size() > size || r.body.size() > lsp::max_body_bytes || rounds > size) {
      std::fprintf(stderr, "fuzz target: a message larger than its input\n");
      std::abort();
    }
  }
  return 0;
}

}  // namespace compactor::fuzz
