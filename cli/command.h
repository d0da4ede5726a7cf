// One command of the scenario tool: its subcommand and what it does once
// its command line is parsed.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <stdexcept>

namespace compactor::cli {

// What a command does: returns the exit status. A command line that cannot
// work may be thrown as UsageError (exit status 2) and a failing file
// operation as PlatformError (4); the tool's entry tells either in one line,
// and any other exception that escapes too (4), never an abort.
struct Comando {
  CLI::App* sub;
  std::function<int()> azione;
};

// A command line that cannot work, in words.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Each command adds its subcommand to the app; options live in the action.
Comando comando_compile(CLI::App& app);
Comando comando_export(CLI::App& app);
Comando comando_check(CLI::App& app);
Comando comando_dump(CLI::App& app);
Comando comando_diff(CLI::App& app);
Comando comando_render(CLI::App& app);

}  // namespace compactor::cli
