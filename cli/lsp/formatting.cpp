#include "cli/lsp/formatting.h"

#include <map>
#include <set>
#include <vector>

#include "emitters/carried_texts.h"
#include "sources/line_fields.h"

namespace lsp {
namespace {

struct Line {
  std::string_view text;  // without its line end
  std::string_view end;   // "\r\n", "\n" or ""
};

std::vector<Line> split(std::string_view bytes) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    size_t text_end = end;
    if (text_end > start && bytes[text_end - 1] == '\r') --text_end;
    lines.push_back({bytes.substr(start, text_end - start), bytes.substr(text_end, next - text_end)});
    start = next;
  }
  return lines;
}

// A record line: its key word, and how many numeric fields follow the key
// field before anything else.
struct Shape {
  std::string key;
  std::vector<compactor::LineField> fields;
  size_t numbers = 0;
};

std::optional<Shape> shape_of(std::string_view text, compactor::SourceLanguage language) {
  if (text.find('"') != std::string_view::npos) return std::nullopt;  // quotes may hold commas
  Shape s;
  s.fields = compactor::line_fields(text);
  const auto records = compactor::records_of_line(language, text);
  if (records.size() != 1) return std::nullopt;
  s.key = std::string(records.front()->key);
  while (1 + s.numbers < s.fields.size() && compactor::whole_number(s.fields[1 + s.numbers].text)) ++s.numbers;
  if (s.numbers == 0) return std::nullopt;
  return s;
}

// How the carried texts set a numeric column of a kind of record: always
// the same blanks after its comma, or right-aligned to the end of a slot.
struct Rule {
  bool right_aligned = false;
  size_t blanks = 1;  // when not right-aligned
  size_t slot = 0;    // when right-aligned: from the comma to the number's end
};

std::map<std::string, std::vector<Rule>> carried_rules(compactor::SourceLanguage language) {
  struct Seen {
    std::set<size_t> blanks;
    size_t slot = 0;
  };
  std::map<std::string, std::vector<Seen>> seen;
  const compactor::LineTable& table =
      language == compactor::SourceLanguage::line ? compactor::line_lines() : compactor::train_lines();
  for (const std::string_view text : table) {
    if (text == compactor::end_marker) break;
    const auto s = shape_of(text, language);
    if (!s) continue;
    auto& columns = seen[s->key];
    for (size_t k = 0; k < s->numbers; ++k) {
      const compactor::LineField& f = s->fields[1 + k];
      const size_t comma = text.rfind(',', f.at);
      if (columns.size() <= k) columns.emplace_back();
      columns[k].blanks.insert(f.at - comma - 1);
      columns[k].slot = std::max(columns[k].slot, f.at + f.text.size() - comma - 1);
    }
  }
  std::map<std::string, std::vector<Rule>> rules;
  for (const auto& [key, columns] : seen)
    for (const Seen& c : columns)
      rules[key].push_back(c.blanks.size() == 1 ? Rule{false, *c.blanks.begin(), 0} : Rule{true, 0, c.slot});
  return rules;
}

}  // namespace

std::string formatted(std::string_view bytes, compactor::SourceLanguage language) {
  const std::vector<Line> lines = split(bytes);
  std::vector<std::optional<Shape>> shapes;
  static const auto line_rules = carried_rules(compactor::SourceLanguage::line);
  static const auto train_rules = carried_rules(compactor::SourceLanguage::train);
  const auto& rules = language == compactor::SourceLanguage::line ? line_rules : train_rules;
  // A right-aligned column's slot widens to the file's widest number.
  std::map<std::string, std::vector<Rule>> widened;
  for (const Line& l : lines) {
    shapes.push_back(shape_of(l.text, language));
    if (!shapes.back()) continue;
    const Shape& shape = *shapes.back();
    auto& columns = widened[shape.key];
    if (columns.empty()) {
      const auto r = rules.find(shape.key);
      if (r != rules.end()) columns = r->second;
    }
    for (size_t k = 0; k < shape.numbers; ++k) {
      if (columns.size() <= k) columns.push_back(Rule{false, 2, 0});
      if (columns[k].right_aligned)
        columns[k].slot = std::max(columns[k].slot, shape.fields[1 + k].text.size());
    }
  }
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (size_t n = 0; n < lines.size(); ++n) {
    const Line& l = lines[n];
    if (!shapes[n]) {
      out += l.text;
      out += l.end;
      continue;
    }
    const Shape& s = *shapes[n];
    // The key field as written, up to its comma.
    const size_t key_comma = l.text.find(',');
    out += compactor::without_blanks(l.text.substr(0, key_comma));
    const auto& columns = widened.at(s.key);
    for (size_t k = 0; k < s.numbers; ++k) {
      const std::string_view number = s.fields[1 + k].text;
      out += ',';
      out.append(columns[k].right_aligned ? columns[k].slot - number.size() : columns[k].blanks, ' ');
      out += number;
    }
    // Whatever follows the numbers, from the comma after the last of them.
    const compactor::LineField& last = s.fields[s.numbers];
    const size_t rest = l.text.find(',', last.at + last.text.size());
    if (rest != std::string_view::npos) out += l.text.substr(rest);
    out += l.end;
  }
  return out;
}

}  // namespace lsp
