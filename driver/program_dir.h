#pragma once

#include <string>

namespace compactor {

// The directory that holds the running program, without a trailing
// separator, found from the executable itself (not the current directory).
// Throws PlatformError when the platform cannot tell.
std::string program_folder();

}  // namespace compactor
