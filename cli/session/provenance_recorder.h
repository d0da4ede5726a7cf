// Fills a Provenance while a compile runs: the provenance sink the session
// hands the loader and the finishing pass.
#pragma once

#include <utility>
#include <vector>

#include "cli/session/provenance.h"
#include "loader/provenance_sink.h"
#include "model/model.h"

namespace compactor::session {

class ProvenanceRecorder final : public ProvenanceSink {
 public:
  int32_t record_begins(const SourcePlace& where, std::string_view line) override;
  void cells_set(int64_t first, int64_t last, CellMembers members) override;
  void row_set(int row, RowMembers members) override;
  void profile_filled(int64_t first, int64_t last, CellMember member, int32_t giver) override;
  void rows_reordered(const std::array<int, 3>& from) override;
  void drop_placed(int64_t cell, CellMembers members, int64_t cause) override;

  // What the compile does besides its records.
  struct Stamps {
    bool marks = false;  // row 85 campo7 and cell 1 dato1 were stamped
    bool codes = false;  // row 85 orario and cell 1 dato2 were stamped
  };
  // Credits the names and the stamps, fits the cells to the grid of `m` and
  // builds the reverse map; the recorder is spent.
  Provenance finish(const Model& m, Stamps stamps);

 private:
  void set_cells(int64_t first, int64_t last, CellMembers members, int32_t who);
  // Cells 0 to size - 1 have their entries, and no more.
  void fit_cells(int64_t size);
  void build_reverse_map();
  // Items by the record they belong to, in their order within each
  // record: record i's from grouped[offsets[i]] to grouped[offsets[i + 1]].
  template <typename T>
  void group(const std::vector<std::pair<int32_t, T>>& items, std::vector<T>& grouped,
             std::vector<uint32_t>& offsets) const;

  Provenance p_;
  int32_t current_ = Provenance::kNobody;
};

}  // namespace compactor::session
