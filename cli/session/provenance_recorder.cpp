#include "cli/session/provenance_recorder.h"

#include <algorithm>
#include <tuple>

namespace compactor::session {

int32_t ProvenanceRecorder::record_begins(const SourcePlace& where, std::string_view line) {
  const Source source = where.source == LoadReport::linea   ? Source::line
                        : where.source == LoadReport::treno ? Source::train
                                                               : Source::none;
  const Record record{source, where.line, where.column};
  // Key fields that share a line share its text: a hostile line of a
  // million key fields is kept once.
  int32_t text = static_cast<int32_t>(p_.texts_.size());
  if (!p_.records_.empty()) {
    const Provenance::Entry& last = p_.records_.back();
    if (last.where.source == source && last.where.line == record.line) text = last.text;
  }
  if (text == static_cast<int32_t>(p_.texts_.size())) p_.texts_.emplace_back(line);
  p_.records_.push_back({record, text});
  current_ = static_cast<int32_t>(p_.records_.size()) - 1;
  return current_;
}

void ProvenanceRecorder::set_cells(int64_t first, int64_t last, CellMembers members, int32_t who) {
  first = std::max<int64_t>(first, 0);
  if (last < first) return;
  if (static_cast<size_t>(last) >= p_.cells_.size()) fit_cells(last + 1);
  std::array<size_t, kCellMemberCount> set{};
  size_t n = 0;
  for (int m = 0; m < kCellMemberCount; ++m)
    if (members.contains(static_cast<CellMember>(m))) set[n++] = static_cast<size_t>(m);
  for (int64_t k = first; k <= last; ++k) {
    auto& cell = p_.cells_[static_cast<size_t>(k)];
    for (size_t i = 0; i < n; ++i) cell[set[i]] = who;
  }
}

void ProvenanceRecorder::cells_set(int64_t first, int64_t last, CellMembers members) {
  set_cells(first, last, members, current_);
}

void ProvenanceRecorder::row_set(int row, RowMembers members) {
  if (row < 0 || row >= Stazioni::rows) return;
  for (int m = 0; m < kRowMemberCount; ++m)
    if (members.contains(static_cast<RowMember>(m))) p_.rows_[static_cast<size_t>(row)][static_cast<size_t>(m)] = current_;
}

void ProvenanceRecorder::profile_filled(int64_t first, int64_t last, CellMember member, int32_t giver) {
  set_cells(first, last, CellMembers(member), giver >= 0 ? giver : Provenance::kStartingValue);
}

void ProvenanceRecorder::rows_reordered(const std::array<int, 3>& from) {
  const auto before = p_.rows_;
  for (size_t k = 0; k < 3; ++k) {
    auto& row = p_.rows_[81 + k];
    if (from[k] >= 81 && from[k] <= 83) row = before[static_cast<size_t>(from[k])];
    else row.fill(Provenance::kNobody);
  }
}

void ProvenanceRecorder::drop_placed(int64_t cell, CellMembers members, int64_t cause) {
  int32_t who = Provenance::kNobody;
  if (cause >= 0 && static_cast<size_t>(cause) < p_.cells_.size())
    who = p_.cells_[static_cast<size_t>(cause)][static_cast<size_t>(CellMember::tipo)];
  set_cells(cell, cell, members, who);
}

void ProvenanceRecorder::fit_cells(int64_t size) {
  std::array<int32_t, kCellMemberCount> nobody;
  nobody.fill(Provenance::kNobody);
  p_.cells_.resize(static_cast<size_t>(std::max<int64_t>(size, 0)), nobody);
}

Provenance ProvenanceRecorder::finish(const Model& m, Stamps stamps) {
  auto& r85 = p_.rows_[85];
  r85[static_cast<size_t>(RowMember::nome)] = Provenance::kRouteName;
  p_.rows_[86][static_cast<size_t>(RowMember::nome)] = Provenance::kTrainName;
  // Every cell of the grid has its entry, also the ones nothing wrote.
  fit_cells(m.griglia.size());
  if (stamps.marks) r85[static_cast<size_t>(RowMember::campo7)] = Provenance::kMark;
  if (stamps.codes) r85[static_cast<size_t>(RowMember::orario)] = Provenance::kScenarioCode;
  if (p_.cells_.size() > 1) {
    if (stamps.marks) p_.cells_[1][static_cast<size_t>(CellMember::dato1)] = Provenance::kMark;
    if (stamps.codes) p_.cells_[1][static_cast<size_t>(CellMember::dato2)] = Provenance::kScenarioCode;
  }
  build_reverse_map();
  return std::move(p_);
}

void ProvenanceRecorder::build_reverse_map() {
  // Each member's runs of cells set by one record, grouped by record; then
  // each record's runs in cell order, the members of one range merged.
  std::vector<std::pair<int32_t, CellSpan>> runs;
  const auto cells = static_cast<int64_t>(p_.cells_.size());
  for (int m = 0; m < kCellMemberCount; ++m) {
    const CellMembers member(static_cast<CellMember>(m));
    int32_t run = Provenance::kNobody;  // who set the run that began at `start`
    int64_t start = 0;
    for (int64_t k = 0; k < cells; ++k) {
      const int32_t who = p_.cells_[static_cast<size_t>(k)][static_cast<size_t>(m)];
      if (who == run) continue;
      if (run >= 0) runs.push_back({run, {start, k - 1, member}});
      run = who;
      start = k;
    }
    if (run >= 0) runs.push_back({run, {start, cells - 1, member}});
  }
  std::vector<CellSpan> grouped;
  std::vector<uint32_t> offsets;
  group(runs, grouped, offsets);
  p_.spans_.clear();
  p_.span_offsets_.assign(1, 0);
  for (size_t i = 0; i + 1 < offsets.size(); ++i) {
    const auto from = grouped.begin() + offsets[i], to = grouped.begin() + offsets[i + 1];
    std::sort(from, to, [](const CellSpan& a, const CellSpan& b) { return std::tie(a.first, a.last) < std::tie(b.first, b.last); });
    const size_t first_of_record = p_.spans_.size();
    for (auto it = from; it != to; ++it) {
      if (p_.spans_.size() > first_of_record && p_.spans_.back().first == it->first && p_.spans_.back().last == it->last)
        p_.spans_.back().members = p_.spans_.back().members | it->members;
      else
        p_.spans_.push_back(*it);
    }
    p_.span_offsets_.push_back(static_cast<uint32_t>(p_.spans_.size()));
  }

  std::vector<std::pair<int32_t, RowPart>> parts;
  for (int r = 0; r < Stazioni::rows; ++r) {
    const size_t first_of_row = parts.size();
    for (int m = 0; m < kRowMemberCount; ++m) {
      const int32_t who = p_.rows_[static_cast<size_t>(r)][static_cast<size_t>(m)];
      if (who < 0) continue;
      auto it = std::find_if(parts.begin() + static_cast<ptrdiff_t>(first_of_row), parts.end(),
                             [&](const auto& p) { return p.first == who; });
      if (it == parts.end()) it = parts.insert(parts.end(), {who, {r, RowMembers()}});
      it->second.members = it->second.members | RowMembers(static_cast<RowMember>(m));
    }
  }
  group(parts, p_.parts_, p_.part_offsets_);
}

template <typename T>
void ProvenanceRecorder::group(const std::vector<std::pair<int32_t, T>>& items, std::vector<T>& grouped,
                               std::vector<uint32_t>& offsets) const {
  offsets.assign(p_.records_.size() + 1, 0);
  for (const auto& item : items) ++offsets[static_cast<size_t>(item.first) + 1];
  for (size_t i = 1; i < offsets.size(); ++i) offsets[i] += offsets[i - 1];
  grouped.resize(items.size());
  std::vector<uint32_t> next(offsets.begin(), offsets.end() - 1);
  for (const auto& [who, item] : items) grouped[next[static_cast<size_t>(who)]++] = item;
}

}  // namespace compactor::session
