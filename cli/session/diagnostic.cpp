#include "cli/session/diagnostic.h"

#include <algorithm>

namespace compactor::session {

int field_end(std::string_view line, int column) {
  const size_t size = line.size();
  const size_t start = std::min(static_cast<size_t>(std::max(column, 0)), size);
  if (start == size) return static_cast<int>(size);
  size_t end = start;
  if (line[start] == '"') {
    const size_t closing = line.find('"', start + 1);
    end = closing == std::string_view::npos ? size : closing + 1;
  } else {
    end = std::min(line.find(',', start), size);
    while (end > start + 1 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
  }
  return static_cast<int>(std::max(end, start + 1));
}

}  // namespace compactor::session
