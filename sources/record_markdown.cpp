#include "sources/record_markdown.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace compactor {
namespace {

// A table cell: a "|" would end it.
std::string cell(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out;
}

// A sentence from a description that starts in lower case.
std::string sentence(std::string_view text) {
  std::string out(text);
  if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 'a' + 'A');
  return out;
}

std::string code(std::string_view text) { return text.empty() ? "" : "`" + std::string(text) + "`"; }

}  // namespace

std::string_view example_block(SourceLanguage language, SourcePart part) {
  if (language == SourceLanguage::train) return "train";
  return part == SourcePart::general ? "line-general" : "line";
}

std::string record_markdown(const RecordInfo& r) {
  std::string s = "### `" + std::string(r.key) + "`: " + std::string(r.name) + "\n\n";
  s += sentence(r.meaning) + ". Key field: " + std::string(r.match) + ".\n\n";
  s += "| No. | Field | Member | Width | Unit | Range | Meaning | What the loader does |\n";
  s += "|---|---|---|---|---|---|---|---|\n";
  int n = 0;
  for (const FieldInfo& f : r.fields) {
    s += "| " + std::to_string(++n) + " | " + cell(f.name) + " | " + code(f.member) + " | " +
         std::string(width_name(f.width)) + " | " + cell(f.unit) + " | " + cell(f.range) + " | " + cell(f.meaning) +
         " | " + cell(f.stored) + " |\n";
  }
  s += "\n" + std::string(r.loader);
  if (!r.loader.empty() && r.loader.back() != '.') s += '.';
  s += "\n\nErrors:\n\n";
  // One line per number, its causes joined.
  std::vector<std::pair<int, std::string>> lines;
  for (const ErrorInfo& e : r.errors) {
    auto same = std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return l.first == e.number; });
    if (same == lines.end()) lines.emplace_back(e.number, std::string(e.when));
    else same->second += "; " + std::string(e.when);
  }
  for (const auto& [number, when] : lines) s += "- " + std::to_string(number) + ": " + when + "\n";
  s += "\nExample:\n\n```" + std::string(example_block(r.language, r.part)) + "\n" + std::string(r.example) +
       "\n```\n";
  if (!r.example_stores.empty()) s += "\nLoads as: `" + std::string(r.example_stores) + "`\n";
  return s;
}

std::string records_markdown(SourceLanguage language, SourcePart part) {
  std::string s;
  for (const RecordInfo& r : records(language)) {
    if (r.part != part) continue;
    if (!s.empty()) s += "\n";
    s += record_markdown(r);
  }
  return s;
}

}  // namespace compactor
