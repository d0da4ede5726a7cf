// scenario diff: two compiled scenarios compared member by member.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "cli/compiled_diff.h"
#include "platform/files.h"

namespace compactor::cli {

struct DiffOptions {
  std::string a, b;      // the two directories
  std::string percorso;  // --route (UTF-8), empty for any
  std::string treno;     // --train
  int64_t most = 20;  // --max
  bool all = false;      // --all: the plan entry by entry
};

// Prints the differences between the files read through `files`; returns 0
// identical, 1 different, 2 usage error, 4 a file or directory that cannot
// be read, 6 a bad compiled file.
int diff(const DiffOptions& o, Files& files, std::ostream& out, std::ostream& err);

}  // namespace compactor::cli
