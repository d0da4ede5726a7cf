// Which record set each member of each grid cell and each row of stazioni,
// and the reverse: which cells and rows each record set. Filled while a
// compile runs (see ProvenanceRecorder), read by the front ends: `dump --why`
// names the record under each member, the live page's inspector says which
// line made a cell, the language server says which cells a line made.
//
// Credit goes to the record whose doing the value is:
// - a point feature (signal, slowdown, board, signboard, drop, station stop)
//   owns every member it sets, even one it sets to 0;
// - the approach codes (preavviso) go to the signal or station that put them;
// - a code drop of the finishing pass goes to the slowdown whose warning
//   board or start called for it (a lowered drop's dato1 too);
// - the gradient, speed and adhesion of a cell go to the record that GAVE
//   the value: a record fills the cells before it with the value of the one
//   before, and the last one's value runs to the end of the route; cells
//   before the first record of a kind hold the starting value;
// - a station owns its whole row; rows 81 to 83 follow their reference
//   records through the sorting; rows 85 and 86 take their names from the
//   route and train names, and row 85 and cell 1 their marks and codes from
//   the compile itself.
// The last writer wins, as in the model.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/session/diagnostic.h"
#include "model/members.h"

namespace compactor::session {

// A record of a source, at its key field.
struct Record {
  Source source = Source::none;
  int line = 0;    // 1-based
  int column = 0;  // 0-based byte offset of the key field in its line
};

// Who set a member.
struct Origin {
  enum class Kind : uint8_t {
    none,            // nobody: the member is as a fresh model has it
    record,          // a record of the sources, `record`
    starting_value,  // a profile's value before its first record
    route_name,      // the route name the compile was given (row 85 nome)
    train_name,      // the train name (row 86 nome)
    mark,            // the compile's marks (row 85 campo7, cell 1 dato1)
    scenario_code,   // the scenario codes from the names (row 85 orario, cell 1 dato2)
  };
  Kind kind = Kind::none;
  int32_t record = -1;  // index of the record, for Kind::record
  bool operator==(const Origin&) const = default;
};

// For an origin other than a record, a short name ("route name") and words
// ("the route name given to the compile"); empty for none and record.
const char* origin_name(Origin::Kind kind);
const char* origin_words(Origin::Kind kind);

// Cells first to last, each with these members set by one record. A
// record's spans how in cell order; two of them may overlap when the
// record set different members over different ranges.
struct CellSpan {
  int64_t first = 0;
  int64_t last = 0;
  CellMembers members;
};

// The members of one row set by one record.
struct RowPart {
  int row = 0;
  RowMembers members;
};

class Provenance {
 public:
  Provenance() {
    for (auto& r : rows_) r.fill(kNobody);
  }

  // True when nothing was recorded (a compile that did not ask for it).
  bool empty() const { return records_.empty() && cells_.empty(); }

  // The records in the order they were read: the line source's, then the
  // train source's, each by line. Every key field read is a record, also
  // one that set nothing (a header, an unrecognised key).
  int32_t record_count() const { return static_cast<int32_t>(records_.size()); }
  const Record& record(int32_t i) const { return records_.at(static_cast<size_t>(i)).where; }
  // The line of the record's key field as written (Windows-1252).
  std::string_view record_text(int32_t i) const;
  // The records whose key field stands on `line` of `source`, in order.
  std::vector<int32_t> records_on_line(Source source, int line) const;

  // Who set member `m` of cell `k` or of row `r`; none outside the grid or
  // the table.
  Origin cell(int64_t k, CellMember m) const;
  Origin row(int r, RowMember m) const;

  // What record `i` set, in cell order and in row order.
  std::span<const CellSpan> cells_of(int32_t i) const;
  std::span<const RowPart> rows_of(int32_t i) const;

 private:
  friend class ProvenanceRecorder;

  // Who set a member, packed: a record's index, or one of these.
  static constexpr int32_t kNobody = -1, kStartingValue = -2, kRouteName = -3, kTrainName = -4, kMark = -5,
                           kScenarioCode = -6;
  static Origin unpack(int32_t who);

  struct Entry {
    Record where;
    int32_t text = 0;  // index into texts_: records on one line share it
  };
  std::vector<Entry> records_;
  std::vector<std::string> texts_;
  std::vector<std::array<int32_t, kCellMemberCount>> cells_;
  std::array<std::array<int32_t, kRowMemberCount>, Stazioni::rows> rows_{};
  // The reverse map: each record's spans and rows, records one after the
  // other; record i's run from the i-th to the (i + 1)-th offset.
  std::vector<CellSpan> spans_;
  std::vector<uint32_t> span_offsets_;
  std::vector<RowPart> parts_;
  std::vector<uint32_t> part_offsets_;
};

}  // namespace compactor::session
