// The run: the whole control flow of the program.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/files.h"

namespace compactor {

// Exit statuses of a run.
namespace stato_uscita {
inline constexpr int pulito = 0;
inline constexpr int errore_scenario = 1;
inline constexpr int fermata = 3;
inline constexpr int piattaforma = 4;
}  // namespace stato_uscita

// Fixes the names of the build, shows the window, writes the five carried
// texts into `cartella`, compiles the scenario and returns the exit status.
// Recorded scenario errors and platform failures are reported on `err`;
// the error stop does not return.
int Form_Load(const std::string& cartella, Files& files, std::ostream& err);

}  // namespace compactor
