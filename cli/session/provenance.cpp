#include "cli/session/provenance.h"

#include <algorithm>
#include <utility>

namespace compactor::session {

namespace {

struct OriginText {
  Origin::Kind kind;
  const char* name;
  const char* words;
};
constexpr OriginText kOriginTexts[] = {
    {Origin::Kind::starting_value, "starting value", "the starting value, before the first record of its kind"},
    {Origin::Kind::route_name, "route name", "the route name given to the compile"},
    {Origin::Kind::train_name, "train name", "the train name given to the compile"},
    {Origin::Kind::mark, "mark", "the compile's mark"},
    {Origin::Kind::scenario_code, "scenario code", "the scenario code, from the route and train names"},
};

const OriginText* text_of(Origin::Kind kind) {
  for (const OriginText& t : kOriginTexts)
    if (t.kind == kind) return &t;
  return nullptr;
}

}  // namespace

const char* origin_name(Origin::Kind kind) { return text_of(kind) ? text_of(kind)->name : ""; }
const char* origin_words(Origin::Kind kind) { return text_of(kind) ? text_of(kind)->words : ""; }

Origin Provenance::unpack(int32_t who) {
  if (who >= 0) return {Origin::Kind::record, who};
  switch (who) {
    case kStartingValue: return {Origin::Kind::starting_value};
    case kRouteName: return {Origin::Kind::route_name};
    case kTrainName: return {Origin::Kind::train_name};
    case kMark: return {Origin::Kind::mark};
    case kScenarioCode: return {Origin::Kind::scenario_code};
    default: return {};
  }
}

std::string_view Provenance::record_text(int32_t i) const {
  return texts_.at(static_cast<size_t>(records_.at(static_cast<size_t>(i)).text));
}

std::vector<int32_t> Provenance::records_on_line(Source source, int line) const {
  // Records how in source order, each source by line.
  const auto where = [](const Entry& e) { return std::make_pair(e.where.source, e.where.line); };
  const auto wanted = std::make_pair(source, line);
  auto it = std::lower_bound(records_.begin(), records_.end(), wanted,
                             [&](const Entry& e, const auto& w) { return where(e) < w; });
  std::vector<int32_t> found;
  for (; it != records_.end() && where(*it) == wanted; ++it) found.push_back(static_cast<int32_t>(it - records_.begin()));
  return found;
}

Origin Provenance::cell(int64_t k, CellMember m) const {
  if (k < 0 || k >= static_cast<int64_t>(cells_.size())) return {};
  return unpack(cells_[static_cast<size_t>(k)][static_cast<size_t>(m)]);
}

Origin Provenance::row(int r, RowMember m) const {
  if (r < 0 || r >= Stazioni::rows) return {};
  return unpack(rows_[static_cast<size_t>(r)][static_cast<size_t>(m)]);
}

std::span<const CellSpan> Provenance::cells_of(int32_t i) const {
  if (i < 0 || static_cast<size_t>(i) + 1 >= span_offsets_.size()) return {};
  return std::span<const CellSpan>(spans_).subspan(span_offsets_[static_cast<size_t>(i)],
                                                   span_offsets_[static_cast<size_t>(i) + 1] - span_offsets_[static_cast<size_t>(i)]);
}

std::span<const RowPart> Provenance::rows_of(int32_t i) const {
  if (i < 0 || static_cast<size_t>(i) + 1 >= part_offsets_.size()) return {};
  return std::span<const RowPart>(parts_).subspan(part_offsets_[static_cast<size_t>(i)],
                                                  part_offsets_[static_cast<size_t>(i) + 1] - part_offsets_[static_cast<size_t>(i)]);
}

}  // namespace compactor::session
