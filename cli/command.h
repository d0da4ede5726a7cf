// One command of the scenario tool: its subcommand and what it does once
// its command line is parsed.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace compactor::cli {

struct Comando {
  CLI::App* sub;
  std::function<int()> azione;  // returns the exit status
};

// Each command adds its subcommand to the app; options live in the action.
Comando comando_compile(CLI::App& app);
Comando comando_export(CLI::App& app);
Comando comando_check(CLI::App& app);
Comando comando_dump(CLI::App& app);
Comando comando_diff(CLI::App& app);
Comando comando_render(CLI::App& app);

}  // namespace compactor::cli
