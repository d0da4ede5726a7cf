// One command of the scenario tool: its subcommand and what it does once
// its command line is parsed.
#pragma once

#include <functional>
#include <stdexcept>

#include "cli/command_line.h"

namespace compactor::cli {

// What a command does: returns the exit status. A command line that cannot
// work may be thrown as UsageError (exit status 2) and a failing file
// operation as PlatformError (4); the tool's entry tells either in one line,
// and any other exception that escapes too (4), never an abort.
struct Command {
  Subcommand* sub;
  std::function<int()> action;
};

// A command line that cannot work, in words.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Each command adds its subcommand to the app; options live in the action.
Command command_compile(CommandLine& app);
Command command_export(CommandLine& app);
Command command_check(CommandLine& app);
Command command_dump(CommandLine& app);
Command command_diff(CommandLine& app);
Command command_render(CommandLine& app);
Command command_view(CommandLine& app);
Command command_lsp(CommandLine& app);

}  // namespace compactor::cli
