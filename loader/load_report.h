// Where a recorded error came from, for people: the source, the line and the
// field. The model keeps only the number and the position; this is extra.
#pragma once

#include <string>

namespace compactor {

struct LoadReport {
  enum Source { no_source, linea, treno };
  Source source = no_source;
  int line = 0;  // 1-based line of the field at fault, 0 when unknown
  int column = 0;  // 0-based byte offset of that field in its line
  std::string line_text;  // the line as written (Windows-1252)
  std::string reason;     // for a load failure: what failed
  // For a load failure inside a record: where the record began, its key
  // field and its line (the failing field may stand lines later).
  int record_line = 0;
  int record_column = 0;
  std::string record_key_field;
  std::string record_text;
};

}  // namespace compactor
