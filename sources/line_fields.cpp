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
  fields.reserve(1 + static_cast<size_t>(std::count(line.begin(), line.end(), ',')));
  for (size_t begin = 0;;) {
    const size_t comma = line.find(',', begin);
    size_t b = begin;
    const size_t end = comma == std::string_view::npos ? line.size() : comma;
    while (b < end && blank(line[b])) ++b;
    fields.push_back({b, without_blanks(line.substr(b, end - b))});
    if (comma == std::string_view::npos) return fields;
    begin = comma + 1;
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
