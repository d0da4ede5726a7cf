// scenario check: compile in memory and tell every error and warning,
// writing nothing.
#include <iostream>
#include <memory>

#include "cli/progress.h"
#include "cli/command.h"
#include "cli/report.h"
#include "cli/session/further_errors.h"
#include "cli/source_options.h"
#include "model/exit_status.h"

namespace compactor::cli {
namespace {

struct CheckOptions {
  SourceOptions sources{.line = {}, .train = {}, .route = "check", .train_name = "check"};
  bool json = false;
  bool quiet = false;
};

int check_command(const CheckOptions& o, Files& files) {
  const Progress progress(o.quiet);
  return compile_and_report({.json = o.json, .quiet = o.quiet}, progress, [&](CompileReport& report) {
    const session::CompileRequest request = compile_request(o.sources, files);
    const session::CompileResult& result = report.result.emplace(compile_with_progress(request, progress));
    // The next errors, each found with the ones before it set aside.
    if (result.error()) report.further_errors = session::further_errors(request, result);
    report.status = result.error()               ? exit_status::scenario_error
                    : result.warning_count() > 0 ? exit_status::warnings_only
                                                 : exit_status::clean;
  });
}

}  // namespace

Command command_check(CommandLine& app) {
  auto opz = std::make_shared<CheckOptions>();
  auto* cmd = app.add_subcommand("check", "Check a line source and a train source: errors and warnings, nothing kept");
  cmd->add_option("LINE_SOURCE", opz->sources.line, "the line source (route)")->required()->check(existing_file);
  cmd->add_option("TRAIN_SOURCE", opz->sources.train, "the train source")->required()->check(existing_file);
  cmd->add_option("--route", opz->sources.route, "route name (default: check)");
  cmd->add_option("--train", opz->sources.train_name, "train name (default: check)");
  cmd->add_flag("--json", opz->json, "print the outcome as one JSON object on standard output");
  cmd->add_flag("--quiet", opz->quiet,
                "print nothing unless something went wrong: no progress, warnings or count; an error or a "
                "failure is still told, and the exit status still says 5 for warnings");
  cmd->footer(
      "Besides the errors of a compile, warns of what the loader accepts silently: unrecognised key\n"
      "fields (a misspelt key word, with the nearest key word; a capitalised \"Progressiva\"), a decimal\n"
      "comma that split a number, a decimal point, surplus fields on a line, records out of chainage order,\n"
      "chainages that are not multiples of 50, a speed indicator board or signboard replacing a tunnel\n"
      "marker, a curve's direction letter other than s or d, timetable times out of range or going back,\n"
      "a line that looks like a comment but holds a key word, a record past the route's end (inside the\n"
      "7000 m the grid adds), a slowdown speed that wraps to 16 bits, a slowdown whose end falls in its\n"
      "start's cell, a train source without a station, a file saved as UTF-8. Of each kind the first 50 are told, then their count.\n"
      "After the first error, the next ones (up to 20 in all): each found by compiling again with the\n"
      "records of the errors before it left out, and marked so.\n"
      "Example:\n"
      "  scenario check route.txt train.txt\n"
      "Exit status: 0 clean, 1 errors, 5 warnings only, 2 usage error, 4 a file could not be read.");
  return {cmd, [opz] { return check_command(*opz, real_files()); }};
}

}  // namespace compactor::cli
