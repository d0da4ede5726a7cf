#include "cli/scenario_tool.h"

#include <CLI/CLI.hpp>

namespace compactor::cli {

int run(int argc, char** argv) {
  CLI::App app{"scenario: compile and inspect simulator scenarios", "scenario"};
  app.set_version_flag("--version", COMPACTOR_VERSION);
  app.require_subcommand(1);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  return 0;
}

}  // namespace compactor::cli
