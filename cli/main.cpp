// The author tool.
#include <string>
#include <vector>

#include "cli/scenario_tool.h"
#include "platform/console.h"
#include "platform/signal_cleanup.h"

int main(int argc, char** argv) {
  compactor::install_signal_cleanup();
  compactor::binary_standard_streams();
  std::vector<std::string> args = compactor::program_arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& a : args) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  return compactor::cli::run(static_cast<int>(args.size()), pointers.data());
}
