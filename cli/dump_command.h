// scenario dump: one compiled file, or what two sources compile to, decoded
// for people or for programs.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/dump_tables.h"
#include "cli/source_options.h"
#include "platform/files.h"

namespace compactor::cli {

struct DumpOptions {
  std::string file;   // a compiled file; empty with the sources
  SourceOptions sources;  // --line, --train-source, --route, --train
  bool json = false;
  std::string celle;  // --cells range, empty when not given
  std::string lines;  // --rows range
  std::string points;  // --points range
  bool why = false;   // --why: the record that set each member (sources only)
};

// Prints the file, or the grid and the rows the sources compile to, read
// through `files`; returns the exit status: 0, 1 a scenario error in the
// sources (still shown from what loaded), 2 usage, 4 a file that cannot be
// read, 6 a bad compiled file.
int dump(const DumpOptions& o, Files& files, std::ostream& out, std::ostream& err);

}  // namespace compactor::cli
