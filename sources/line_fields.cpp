#include "sources/line_fields.h"

#include <algorithm>
#include <cctype>

namespace compactor {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string_view without_blanks(std::string_view s) {
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<LineField> line_fields(std::string_view line) {
  std::vector<LineField> fields;
  fields.reserve(8);
  line_fields(line, fields);
  return fields;
}

void line_fields(std::string_view line, std::vector<LineField>& fields) {
  // One pass, byte by byte: the fields are a few bytes each, shorter than
  // what a search for the next comma costs to start.
  fields.clear();
  const size_t n = line.size();
  for (size_t begin = 0;;) {
    size_t b = begin;
    while (b < n && blank(line[b])) ++b;
    size_t end = b;
    while (end < n && line[end] != ',') ++end;
    size_t e = end;
    while (e > b && blank(line[e - 1])) --e;
    fields.push_back({b, line.substr(b, e - b)});
    if (end == n) return;
    begin = end + 1;
  }
}

std::optional<int64_t> whole_number(std::string_view text) {
  const size_t sign = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() <= sign || text.size() > 9 ||
      !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(sign), text.end(),
                   [](unsigned char c) { return std::isdigit(c); }))
    return std::nullopt;
  int64_t value = 0;
  for (size_t i = sign; i < text.size(); ++i) value = value * 10 + (text[i] - '0');
  return sign ? -value : value;
}

}  // namespace compactor
