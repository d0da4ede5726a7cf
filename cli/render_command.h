// scenario render: the route plan and the gradient profile of a scenario as
// one SVG picture, from its compiled files or from its two sources.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/progress.h"
#include "platform/files.h"

namespace compactor::cli {

struct RenderOptions {
  std::vector<std::string> inputs;  // a directory, or the compiled files themselves
  std::string line_source;         // --line
  std::string train_source;         // --train-source
  std::string percorso;               // --route (UTF-8)
  std::string treno;                  // --train (UTF-8)
  std::string output;                 // -o; "-" is standard output
  bool quiet = false;
};

// Loads, draws and writes the picture; messages go to `err`, the picture to
// its file (or to `out` for "-"). Returns the exit status: 0 drawn, 1 a
// scenario error in the sources (still drawn from what loaded), 2 usage,
// 4 a file that cannot be read or written, 6 a bad compiled file.
int render(const RenderOptions& o, Files& files, std::ostream& out, std::ostream& err, const Progress& progress);

}  // namespace compactor::cli
