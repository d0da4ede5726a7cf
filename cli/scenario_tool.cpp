#include "cli/scenario_tool.h"

#include <vector>

#include "cli/command.h"

namespace compactor::cli {

int run(int argc, char** argv) {
  CLI::App app{"scenario: compile and inspect scenarios for the train-driving simulator", "scenario"};
  app.set_version_flag("--version", COMPACTOR_VERSION);
  app.require_subcommand(1);
  app.footer("Run 'scenario COMMAND --help' for the options and an example of each command.");

  const std::vector<Comando> comandi = {
      comando_compile(app),
      comando_check(app),
      comando_export(app),
      comando_dump(app),
      comando_diff(app),
      comando_render(app),
  };

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  for (const Comando& c : comandi)
    if (c.sub->parsed()) return c.azione();
  return 2;
}

}  // namespace compactor::cli
