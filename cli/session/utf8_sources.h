// A source saved as UTF-8. The reader takes every byte as a Windows-1252
// character, so "Pievè" saved as UTF-8 is stored as "PievÃ¨" and shown so by
// the simulator; nothing fails, so the author is told.
#pragma once

#include <optional>
#include <string>

namespace compactor::session {

struct Utf8Hint {
  int line = 0;            // the first line with a UTF-8 letter, 1-based
  int column = 0;          // its first byte, 0-based
  std::string line_text;   // that line as written
  int lines = 0;           // how many lines hold one
  std::string word_as_stored;  // UTF-8 of what the simulator will show ("PievÃ¨")
  std::string word_as_meant;   // the word as the author wrote it ("Pievè")
};

// Set when `bytes` holds letters beyond ASCII and every such byte belongs to
// a well-formed UTF-8 sequence: a Windows-1252 text almost never does.
std::optional<Utf8Hint> looks_like_utf8(const std::string& bytes);

}  // namespace compactor::session
