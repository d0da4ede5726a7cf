#pragma once

#include <functional>
#include <iosfwd>

namespace compactor::cli {

// Runs the scenario tool with its command line; returns the exit status.
int run(int argc, char** argv);

// Runs `command` and returns its exit status. Whatever escapes it is told
// on `err` as one line "scenario: ..." and ends as exit status 2 for a
// UsageError, 4 for anything else (a failing file operation, no memory
// left, an exception nobody foresaw): never an abort.
int guarded(const std::function<int()>& command, std::ostream& err);

}  // namespace compactor::cli
