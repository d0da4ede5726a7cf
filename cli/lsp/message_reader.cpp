#include "cli/lsp/message_reader.h"

#include <charconv>
#include <optional>

namespace lsp {
namespace {

// Header lines are short; a line longer than this is not a header.
constexpr std::size_t max_header_line = 8192;

enum class LineStatus { ok, end, too_long, no_carriage_return };

LineStatus read_header_line(std::istream& in, std::string& line) {
  line.clear();
  for (;;) {
    int c = in.get();
    if (c == std::char_traits<char>::eof()) return LineStatus::end;
    if (c == '\n') {
      if (line.empty() || line.back() != '\r') return LineStatus::no_carriage_return;
      line.pop_back();
      return LineStatus::ok;
    }
    if (line.size() == max_header_line) return LineStatus::too_long;
    line.push_back(static_cast<char>(c));
  }
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

ReadResult bad(std::string why) { return {ReadResult::Kind::bad_framing, {}, std::move(why)}; }

}  // namespace

ReadResult read_message(std::istream& in) {
  std::optional<std::size_t> length;
  std::string line;
  bool any_header = false;
  for (;;) {
    switch (read_header_line(in, line)) {
      case LineStatus::end:
        if (!any_header && line.empty()) return {ReadResult::Kind::end_of_input, {}, {}};
        return bad("the input ended inside the headers");
      case LineStatus::too_long: return bad("a header line is too long");
      case LineStatus::no_carriage_return: return bad("a header line does not end with CR LF");
      case LineStatus::ok: break;
    }
    if (line.empty()) break;
    any_header = true;
    auto colon = line.find(':');
    if (colon == std::string::npos) return bad("a header line has no colon: " + line.substr(0, 80));
    std::string_view name = trim(std::string_view(line).substr(0, colon));
    std::string_view value = trim(std::string_view(line).substr(colon + 1));
    if (!same_ignoring_case(name, "Content-Length")) continue;  // Content-Type and the like
    if (length) return bad("Content-Length is given twice");
    std::size_t n = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (ec == std::errc::result_out_of_range || (ec == std::errc() && n > max_body_bytes))
      return bad("Content-Length " + std::string(value) + " is larger than the " +
                 std::to_string(max_body_bytes) + " bytes accepted");
    if (ec != std::errc() || end != value.data() + value.size() || value.empty())
      return bad("Content-Length is not a number: " + std::string(value.substr(0, 40)));
    length = n;
  }
  if (!length) return bad("a message has no Content-Length header");
  std::string body(*length, '\0');
  in.read(body.data(), static_cast<std::streamsize>(body.size()));
  if (static_cast<std::size_t>(in.gcount()) != body.size())
    return bad("the input ended inside a message body");
  return {ReadResult::Kind::message, std::move(body), {}};
}

}  // namespace lsp
