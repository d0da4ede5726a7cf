// The tool's version. It is the project's version, set once in
// CMakeLists.txt (project(... VERSION ...)) and handed to the code as
// COMPACTOR_VERSION: --version, --help and the JSON of a compile all show it.
#pragma once

namespace compactor::cli {

inline constexpr const char* kToolVersion = COMPACTOR_VERSION;
// "scenario 0.1.0", as --version prints it.
inline constexpr const char* kToolNameAndVersion = "scenario " COMPACTOR_VERSION;

}  // namespace compactor::cli
