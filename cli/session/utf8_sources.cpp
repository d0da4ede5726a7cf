#include "cli/session/utf8_sources.h"

#include "platform/cp1252.h"

namespace compactor::session {
namespace {

// The length of the well-formed UTF-8 sequence at `i`, 0 when there is none.
size_t sequence_at(const std::string& b, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(b[k]); };
  const unsigned char c = byte(i);
  size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > b.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

bool blank_or_delimiter(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<Utf8Hint> looks_like_utf8(const std::string& bytes) {
  std::optional<Utf8Hint> hint;
  int line = 1;
  size_t line_start = 0;
  int last_counted = 0;
  for (size_t i = 0; i < bytes.size();) {
    const char c = bytes[i];
    if (c == '\n') {
      ++line;
      line_start = ++i;
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x80) {
      ++i;
      continue;
    }
    const size_t n = sequence_at(bytes, i);
    if (n == 0) return std::nullopt;  // a byte UTF-8 does not allow: Windows-1252 after all
    if (!hint) {
      hint.emplace();
      hint->line = line;
      hint->column = static_cast<int>(i - line_start);
      size_t end = bytes.find('\n', line_start);
      if (end == std::string::npos) end = bytes.size();
      if (end > line_start && bytes[end - 1] == '\r') --end;
      hint->line_text = bytes.substr(line_start, end - line_start);
      size_t wb = i, we = i;
      while (wb > line_start && !blank_or_delimiter(bytes[wb - 1])) --wb;
      while (we < end && !blank_or_delimiter(bytes[we])) ++we;
      hint->word_as_meant = bytes.substr(wb, we - wb);
      hint->word_as_stored = cp1252_to_utf8(hint->word_as_meant);
    }
    if (last_counted != line) {
      ++hint->lines;
      last_counted = line;
    }
    i += n;
  }
  return hint;
}

}  // namespace compactor::session
