// The two sources and the names a command compiles, as its command line
// gives them, made into a request for the compile session.
#pragma once

#include <string>

#include "cli/session/compile_session.h"
#include "platform/files.h"

namespace compactor::cli {

struct SourceOptions {
  std::string line;        // path of the line source
  std::string train;       // path of the train source
  std::string route;       // route name (UTF-8)
  std::string train_name;  // train name (UTF-8)
};

// Checks the names (UsageError when a file name cannot carry one) and reads
// both sources through `files` (PlatformError when one cannot be read).
session::CompileRequest compile_request(const SourceOptions& o, Files& files);

}  // namespace compactor::cli
