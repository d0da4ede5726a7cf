// The run: the whole control flow of the program.
#pragma once

#include <iosfwd>
#include <string>

#include "model/exit_status.h"
#include "platform/files.h"

namespace compactor {

// Fixes the names of the build, shows the window, writes the five carried
// texts into `folder`, compiles the scenario and returns the exit status.
// Recorded scenario errors and platform failures are reported on `err`;
// the error stop does not return.
int Form_Load(const std::string& folder, Files& files, std::ostream& err);

}  // namespace compactor
