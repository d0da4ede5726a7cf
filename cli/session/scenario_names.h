// Route and train names as the compiled files' names carry them.
#pragma once

#include <optional>
#include <string>

namespace compactor::session {

// A route or train name given in UTF-8 (a command line, an editor) as
// Windows-1252, fit to be part of a file name; nullopt, with the problem in
// words in `problem`, when it is not. `what` is "route" or "train".
std::optional<std::string> scenario_name(const std::string& utf8, const char* what, std::string& problem);

}  // namespace compactor::session
