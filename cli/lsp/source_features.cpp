#include "cli/lsp/protocol_range.h"
#include "cli/lsp/source_features.h"

#include <fmt/format.h>

#include <vector>

#include "model/members.h"
#include "platform/cp1252.h"
#include "sources/line_fields.h"

namespace lsp {

using compactor::RecordInfo;
using compactor::SourceLanguage;
using compactor::SourcePart;
using nlohmann::json;
namespace session = compactor::session;

namespace {

std::vector<std::string_view> lines_of(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (end == bytes.size()) break;
    start = end + 1;
  }
  return lines;
}


bool is_header(std::string_view line) {
  const std::string_view t = compactor::without_blanks(line);
  return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}

// The record a line's key field is read as, if any.
const RecordInfo* record_of_line(std::string_view line, SourceLanguage language) {
  const auto found = compactor::records_of_line(language, line);
  return found.empty() ? nullptr : found.front();
}

// LSP SymbolKind numbers.
constexpr int kNamespace = 3, kEvent = 24, kStruct = 23, kField = 8, kConstant = 14;

}  // namespace

json outline(std::string_view bytes, SourceLanguage language) {
  json symbols = json::array();
  const auto lines = lines_of(bytes);
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string_view line = lines[n];
    const int width = static_cast<int>(line.size());
    if (is_header(line)) {
      symbols.push_back({{"name", compactor::cp1252_to_utf8(compactor::without_blanks(line))},
                         {"kind", kNamespace},
                         {"range", line_range(static_cast<int>(n), 0, width)},
                         {"selectionRange", line_range(static_cast<int>(n), 0, width)}});
      continue;
    }
    const RecordInfo* r = record_of_line(line, language);
    if (r == nullptr) continue;
    const auto fields = compactor::line_fields(line);
    std::string name;
    int kind = kField;
    const std::string chainage = fields.size() > 1 ? std::string(fields[1].text) : "";
    if (r->key == "stazione") {
      name = fmt::format("{} ({} m)", compactor::cp1252_to_utf8(fields.back().text), chainage);
      kind = kStruct;
    } else if (r->key == "montagna" || r->key == "rallentamento" || r->key == "segnale") {
      name = fmt::format("{} at {} m", r->name, chainage);
      kind = r->key == "segnale" ? kEvent : kConstant;
    } else {
      continue;  // gradients, curves and boards would drown the outline
    }
    symbols.push_back({{"name", name},
                       {"detail", std::string(r->key)},
                       {"kind", kind},
                       {"range", line_range(static_cast<int>(n), 0, width)},
                       {"selectionRange", line_range(static_cast<int>(n), 0, static_cast<int>(fields[0].text.size()))}});
  }
  return symbols;
}

json folds(std::string_view bytes) {
  json ranges = json::array();
  const auto lines = lines_of(bytes);
  int open = -1;
  const auto close_at = [&](int last) {
    if (open >= 0 && last > open) ranges.push_back({{"startLine", open}, {"endLine", last}, {"kind", "region"}});
  };
  for (size_t n = 0; n < lines.size(); ++n) {
    if (!is_header(lines[n])) continue;
    close_at(static_cast<int>(n) - 1);
    open = static_cast<int>(n);
  }
  int last = static_cast<int>(lines.size()) - 1;
  while (last > open && compactor::without_blanks(lines[static_cast<size_t>(last)]).empty()) --last;
  close_at(last);
  return ranges;
}

json key_word_items(SourceLanguage language) {
  json items = json::array();
  for (const RecordInfo& r : compactor::records(language)) {
    std::string snippet(r.key);
    std::string fields;
    int k = 1;
    for (const auto& f : r.fields) {
      snippet += fmt::format(", ${{{}:{}}}", k++, f.name);
      fields += fmt::format("- {}{}\n", f.name, f.unit.empty() ? "" : fmt::format(" ({})", f.unit));
    }
    items.push_back({{"label", std::string(r.key)},
                     {"kind", 14},  // keyword
                     {"detail", std::string(r.name)},
                     {"documentation", {{"kind", "markdown"}, {"value", std::string(r.meaning) + "\n\n" + fields}}},
                     {"insertText", snippet},
                     {"insertTextFormat", 2}});
  }
  return items;
}

std::string hover_text(const session::CompileResult& result, session::Source source, std::string_view bytes,
                       int line, int column) {
  const auto lines = lines_of(bytes);
  if (line < 0 || static_cast<size_t>(line) >= lines.size()) return {};
  const std::string_view text = lines[static_cast<size_t>(line)];
  const SourceLanguage language = source == session::Source::line ? SourceLanguage::line : SourceLanguage::train;
  const RecordInfo* r = record_of_line(text, language);
  if (r == nullptr) return {};
  const auto fields = compactor::line_fields(text);
  // On the key field: the record's fields.
  const size_t key_end = fields.size() > 1 ? fields[1].at : text.size();
  if (static_cast<size_t>(column) < key_end) {
    std::string said = fmt::format("**{}** ({}): {}\n\n", r->key, r->name, r->meaning);
    for (const auto& f : r->fields)
      said += fmt::format("- {}{}: {}\n", f.name, f.unit.empty() ? "" : fmt::format(" ({})", f.unit), f.range);
    return said;
  }
  // Elsewhere: what the compile stored from it.
  const session::Provenance& p = result.provenance;
  std::string said;
  for (const int32_t i : p.records_on_line(source, line + 1)) {
    const auto spans = p.cells_of(i);
    const auto rows = p.rows_of(i);
    if (spans.empty() && rows.empty()) continue;
    said += fmt::format("**{}** at line {}:\n\n", r->key, line + 1);
    for (const session::CellSpan& s : spans) {
      const auto& g = result.model.griglia;
      std::string members;
      for (int m = 0; m < compactor::kCellMemberCount; ++m) {
        const auto cm = static_cast<compactor::CellMember>(m);
        if (!s.members.contains(cm)) continue;
        const int64_t first = compactor::member_value(g.at(s.first), cm), last = compactor::member_value(g.at(s.last), cm);
        members += fmt::format("{}{} {}", members.empty() ? "" : ", ", compactor::member_name(cm),
                               first == last ? std::to_string(first) : fmt::format("{}..{}", first, last));
      }
      if (s.first == s.last)
        said += fmt::format("- cell {} (from m {}), {}: {}\n", s.first, (s.first - 1) * 50,
                            compactor::kind_name(g.at(s.first).tipo), members);
      else
        said += fmt::format("- cells {}-{} (m {} to {}): {}\n", s.first, s.last, (s.first - 1) * 50, s.last * 50, members);
      if (said.size() > 4000) break;
    }
    for (const session::RowPart& rp : rows) {
      const auto& s = result.model.stazioni.at(rp.row);
      std::string members;
      for (int m = 0; m < compactor::kRowMemberCount; ++m) {
        const auto rm = static_cast<compactor::RowMember>(m);
        if (!rp.members.contains(rm)) continue;
        members += fmt::format("{}{} {}", members.empty() ? "" : ", ", compactor::member_name(rm),
                               rm == compactor::RowMember::nome ? compactor::cp1252_to_utf8(s.nome)
                                                                : std::to_string(compactor::member_value(s, rm)));
      }
      said += fmt::format("- station table row {}: {}\n", rp.row, members);
    }
  }
  return said;
}

}  // namespace lsp
