// Runs a program of the build in a directory and captures what it says.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace compactor::testing {

struct Esito {
  int stato = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// Runs `argv` with `cwd` as working directory and `env` added to the
// environment (NAME=VALUE strings).
Esito esegui(const std::vector<std::string>& argv, const std::string& cwd = ".",
             const std::vector<std::string>& env = {});

// Starts `argv` as esegui() does, with what it says thrown away, and
// returns at once with its pid.
pid_t avvia(const std::vector<std::string>& argv, const std::string& cwd = ".",
            const std::vector<std::string>& env = {});

// Waits for a program started by avvia(): its exit status, or 128 + signal.
int attendi(pid_t pid);

}  // namespace compactor::testing
