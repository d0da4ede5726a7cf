// Runs a program of the build in a directory and captures what it says.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace compactor::testing {

struct RunResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// Runs `argv` with `cwd` as working directory and `env` added to the
// environment (NAME=VALUE strings).
RunResult run_program(const std::vector<std::string>& argv, const std::string& cwd = ".",
             const std::vector<std::string>& env = {});

// Starts `argv` as run_program() does, with what it says thrown away, and
// returns at once with its pid.
pid_t start_program(const std::vector<std::string>& argv, const std::string& cwd = ".",
            const std::vector<std::string>& env = {});

// Waits for a program started by start_program(): its exit status, or 128 + signal.
int wait_program(pid_t pid);

}  // namespace compactor::testing
