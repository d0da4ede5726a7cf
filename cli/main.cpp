// The author tool.
#include "cli/scenario_tool.h"
#include "platform/signal_cleanup.h"

int main(int argc, char** argv) {
  compactor::install_signal_cleanup();
  return compactor::cli::run(argc, argv);
}
