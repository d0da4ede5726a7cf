// dump --why: under each member of a cell or a row, the record of the
// sources that set it (file:line: text), from a compile's provenance.
#pragma once

#include <cstdint>
#include <iosfwd>

#include <nlohmann/json_fwd.hpp>

#include "cli/session/compile_session.h"

namespace compactor::cli {

class Why {
 public:
  // `result` must have been compiled with provenance, and outlive this.
  explicit Why(const session::CompileResult& result) : result_(result) {}

  // Indented lines under a cell's or a row's line of a table: the members
  // each origin set, then the origin. Members nobody set are left out.
  void cell_text(int64_t k, std::ostream& out) const;
  void row_text(int r, std::ostream& out) const;

  // {"dato1": {"file": ..., "line": ..., "column": ..., "record": ...}, ...};
  // an origin other than a record is {"origin": "route name", "words": ...}.
  nlohmann::json cell_json(int64_t k) const;
  nlohmann::json row_json(int r) const;

 private:
  const session::CompileResult& result_;
};

}  // namespace compactor::cli
