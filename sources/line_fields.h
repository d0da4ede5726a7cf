// The fields of one source line as an author wrote them: split at each
// comma, with the blanks around each left out. What the author tool tells
// of a line (warnings, messages) reads it this way; the loader has its own
// reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace compactor {

struct LineField {
  size_t at = 0;          // byte offset of the text in its line
  std::string_view text;  // without the blanks around it
};

// Every field of `line`, the key field first.
std::vector<LineField> line_fields(std::string_view line);
// The same into `fields`, whose room is kept from one line to the next.
void line_fields(std::string_view line, std::vector<LineField>& fields);

// `s` without the blanks and tabs around it.
std::string_view without_blanks(std::string_view s);

// A whole number as written: an optional "-" and 1 to 9 digits in all.
std::optional<int64_t> whole_number(std::string_view text);

}  // namespace compactor
