// An editor's buffer (UTF-8, as the protocol sends it) turned into the bytes
// the loader reads (Windows-1252), so that a byte offset in a line is also
// the protocol's UTF-16 position there: every character of the code page is
// one UTF-16 unit, a character it lacks becomes "?" (or "??" for one of two
// units), and is told.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lsp {

struct MissingCharacter {
  int line = 0;    // 0-based
  int column = 0;  // UTF-16 units
  int width = 1;   // 1 or 2 units
  char32_t code = 0;
};

struct SourceBytes {
  std::string bytes;  // Windows-1252
  std::vector<MissingCharacter> missing;
};

SourceBytes to_source_bytes(std::string_view utf8);

}  // namespace lsp
