#pragma once

namespace compactor::cli {

// Runs the scenario tool with its command line; returns the exit status.
int run(int argc, char** argv);

}  // namespace compactor::cli
