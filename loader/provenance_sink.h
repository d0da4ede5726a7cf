// Who set what while a compile runs: the loader and the finishing pass tell
// a sink, when they are given one, so that each member of a cell or of a row
// can be traced back to the record that set it. The program gives none and
// pays a null check at each place that would tell.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "loader/load_observer.h"
#include "model/members.h"

namespace compactor {

// The giver of a profile value before any record of its kind: the loader's
// starting value.
inline constexpr int32_t kNoRecord = -1;

class ProvenanceSink {
 public:
  virtual ~ProvenanceSink() = default;

  // A record begins: its key field stands at `where`, in the line `line`
  // (valid for the call only). Everything set until the next record begins
  // is this record's doing. Returns the number the sink gives the record,
  // by which profile_filled() names it later.
  virtual int32_t record_begins(const SourcePlace& where, std::string_view line) = 0;

  // The current record set `members` of the cells first to last.
  virtual void cells_set(int64_t first, int64_t last, CellMembers members) = 0;
  // The current record set `members` of row `row`.
  virtual void row_set(int row, RowMembers members) = 0;

  // `member` of the cells first to last now holds the value that record
  // `giver` gave (kNoRecord: the starting value). A profile is filled up
  // to each of its records with the value of the one before.
  virtual void profile_filled(int64_t first, int64_t last, CellMember member, int32_t giver) = 0;

  // Rows 81 to 83 were put in order: row 81 + k now holds what row from[k]
  // held, or nothing when from[k] is 0.
  virtual void rows_reordered(const std::array<int, 3>& from) = 0;

  // The finishing pass set `members` of `cell` (a code drop) because of
  // the feature in cell `cause` (a warning board or a slowdown's start).
  virtual void drop_placed(int64_t cell, CellMembers members, int64_t cause) = 0;
};

// Each tells the sink when there is one.
inline void note_cells(ProvenanceSink* sink, int64_t first, int64_t last, CellMembers members) {
  if (sink) sink->cells_set(first, last, members);
}
inline void note_row(ProvenanceSink* sink, int row, RowMembers members) {
  if (sink) sink->row_set(row, members);
}

}  // namespace compactor
