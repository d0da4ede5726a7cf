// How a command that reads compiled files (dump, diff, render) ends when one
// is bad or cannot be read: one line on standard error that names the file,
// and the status of the tool's table.
#pragma once

#include <fmt/format.h>

#include <ostream>

#include "cli/report.h"
#include "compiler/compiled_reader.h"
#include "model/errors.h"
#include "model/exit_status.h"

namespace compactor::cli {

// Runs `body` (which returns an exit status); a bad compiled file ends it
// with status 6, a file or folder that cannot be read with status 4.
template <typename Body>
int reporting_read_failures(std::ostream& err, Body&& body) {
  try {
    return body();
  } catch (const BadCompiledFile& e) {
    tell(err, e.what());
    return exit_status::bad_compiled_file;
  } catch (const PlatformError& e) {
    tell(err, fmt::format("{}: {}", e.path(), e.reason()));
    return exit_status::platform;
  }
}

}  // namespace compactor::cli
