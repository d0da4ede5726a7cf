#include "cli/session/utf8_sources.h"

#include <cstdint>
#include <cstring>

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

// The first byte from `i` on that is not ASCII, or the end: eight bytes a
// step, as a source is mostly ASCII.
size_t next_not_ascii(const std::string& b, size_t i) {
  for (; i + 8 <= b.size(); i += 8) {
    uint64_t eight;
    std::memcpy(&eight, b.data() + i, 8);
    if ((eight & 0x8080808080808080ull) != 0) break;
  }
  while (i < b.size() && static_cast<unsigned char>(b[i]) < 0x80) ++i;
  return i;
}

bool blank_or_delimiter(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<Utf8Hint> looks_like_utf8(const std::string& bytes) {
  std::optional<Utf8Hint> hint;
  int line = 1;
  size_t line_start = 0;
  int last_counted = 0;
  size_t counted = 0;  // the lines of the bytes before this are counted
  for (size_t i = next_not_ascii(bytes, 0); i < bytes.size(); i = next_not_ascii(bytes, i)) {
    // The line ends up to this byte, looked for only there.
    const char* const base = bytes.data();
    for (const void* end; (end = std::memchr(base + counted, '\n', i - counted)) != nullptr;) {
      counted = static_cast<size_t>(static_cast<const char*>(end) - base) + 1;
      ++line;
      line_start = counted;
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
    counted = i;  // a sequence holds no line end
  }
  return hint;
}

}  // namespace compactor::session
