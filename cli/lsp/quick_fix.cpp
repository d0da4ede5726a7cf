#include "cli/lsp/protocol_range.h"
#include "cli/lsp/quick_fix.h"

#include <cctype>

#include "platform/cp1252.h"

namespace lsp {
namespace {

std::string_view line_at(std::string_view bytes, int line) {
  size_t start = 0;
  for (int k = 0; k < line; ++k) {
    const size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) return {};
    start = end + 1;
  }
  size_t end = bytes.find('\n', start);
  if (end == std::string_view::npos) end = bytes.size();
  std::string_view text = bytes.substr(start, end - start);
  if (text.ends_with('\r')) text.remove_suffix(1);
  return text;
}


// The text between the first pair of double quotes after `after` in `s`.
std::optional<std::string> quoted_after(const std::string& s, std::string_view after) {
  const size_t at = s.find(after);
  if (at == std::string::npos) return std::nullopt;
  const size_t open = s.find('"', at + after.size() - 1);
  const size_t close = open == std::string::npos ? open : s.find('"', open + 1);
  if (close == std::string::npos) return std::nullopt;
  return s.substr(open + 1, close - open - 1);
}

}  // namespace

std::optional<QuickFix> quick_fix(std::string_view bytes, const nlohmann::json& diagnostic) {
  if (diagnostic.value("source", "") != "scenario") return std::nullopt;
  const std::string message = diagnostic.value("message", "");
  const int line = diagnostic.at("range").at("start").at("line").get<int>();
  const auto from = diagnostic.at("range").at("start").at("character").get<size_t>();
  const auto to = diagnostic.at("range").at("end").at("character").get<size_t>();
  const std::string_view text = line_at(bytes, line);
  if (to > text.size() || from > to) return std::nullopt;

  if (message.starts_with("a decimal comma splits")) {
    // "-4,5": the range is the "5" the reader skipped; the number it kept
    // stands before the comma.
    size_t comma = from;
    while (comma > 0 && text[comma - 1] != ',') --comma;
    if (comma == 0) return std::nullopt;
    --comma;
    size_t start = comma;
    while (start > 0 && (std::isdigit(static_cast<unsigned char>(text[start - 1])) || text[start - 1] == '-')) --start;
    if (start == comma) return std::nullopt;
    const std::string kept(text.substr(start, comma - start));
    return QuickFix{"write the whole number " + kept, line_range(line, start, to), kept};
  }
  if (const auto word = quoted_after(message, "did you mean \"")) {
    return QuickFix{"write \"" + *word + "\"", line_range(line, from, to), *word};
  }
  if (message.find("these key words are matched with their letter case") != std::string::npos) {
    const std::string lower = compactor::cp1252_to_utf8(compactor::cp1252_lower(text.substr(from, to - from)));
    return QuickFix{"write \"" + lower + "\"", line_range(line, from, to), lower};
  }
  return std::nullopt;
}

}  // namespace lsp
