#include "cli/scenario_tool.h"

#include <cstring>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "cli/checked_output.h"
#include "cli/command.h"
#include "cli/report.h"
#include "cli/version.h"
#include "model/errors.h"
#include "model/exit_status.h"

namespace compactor::cli {
namespace {

int run_command(int argc, char** argv) {
  CommandLine app{std::string(kToolNameAndVersion) + ": compile and inspect scenarios for the train-driving simulator",
                  "scenario"};
  app.set_version_flag("--version", kToolNameAndVersion);
  app.require_subcommand();
  app.footer("Run 'scenario COMMAND --help' for the options and an example of each command.");

  const std::vector<Command> commands = {
      command_compile(app),
      command_check(app),
      command_export(app),
      command_dump(app),
      command_diff(app),
      command_render(app),
      command_view(app),
      command_lsp(app),
  };

  // No command at all: what there is to choose from, as --help shows it.
  if (argc <= 1) {
    std::cerr << app.help();
    return exit_status::usage;
  }
  if (const std::optional<int> status = app.parse(argc, argv)) return *status;
  for (const Command& c : commands)
    if (c.sub->parsed()) return c.action();
  return exit_status::usage;
}

}  // namespace

int guarded(const std::function<int()>& command, std::ostream& err) {
  try {
    return command();
  } catch (const UsageError& e) {
    tell(err, e.what());
    return exit_status::usage;
  } catch (const PlatformError& e) {
    tell(err, fmt::format("{}: {}", e.path(), e.reason()));
  } catch (const std::bad_alloc&) {
    tell(err, "out of memory");
  } catch (const std::exception& e) {
    tell(err, e.what());
  } catch (...) {
    tell(err, "an unknown failure");
  }
  return exit_status::platform;
}

int run(int argc, char** argv) {
  // What goes to standard output counts only once it is there: a full disk
  // or a closed file would otherwise pass for success.
  CheckedOutput checked(stdout);
  std::streambuf* const plain = std::cout.rdbuf(&checked);
  const int status = guarded([&] { return run_command(argc, argv); }, std::cerr);
  checked.flush();
  std::cout.rdbuf(plain);
  if (checked.error() != 0) {
    tell(std::cerr, fmt::format("cannot write to standard output: {}", std::strerror(checked.error())));
    return exit_status::platform;
  }
  return status;
}

}  // namespace compactor::cli
