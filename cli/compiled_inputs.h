// The compiled files a command is given: a directory with the route and
// the train that name the scenario in it, or the files themselves in any
// order (the plan file may be left out).
#pragma once

#include <string>
#include <vector>

#include "compiler/compiled_reader.h"
#include "platform/files.h"

namespace compactor::cli {

// Reads and checks the scenario, grid and (when there) plan file that
// `inputs` name; the names are UTF-8. Throws UsageError for inputs that do
// not name one scenario, PlatformError for a file that cannot be read, and
// lets a bad compiled file escape as the reader throws it.
CompiledScenario read_compiled_inputs(const std::vector<std::string>& inputs, const std::string& route,
                                       const std::string& train, Files& files);

}  // namespace compactor::cli
