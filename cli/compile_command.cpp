// scenario compile: two sources compiled in memory, then the three compiled
// files written.
#include <fmt/format.h>

#include <iostream>
#include <memory>

#include "cli/progress.h"
#include "cli/command.h"
#include "cli/paths.h"
#include "cli/report.h"
#include "cli/source_options.h"
#include "model/exit_status.h"
#include "platform/folder_lock.h"

namespace compactor::cli {
namespace {

struct CompileOptions {
  SourceOptions sources;
  std::string out;  // where the compiled files go
  bool no_plan = false;
  bool json = false;
  bool quiet = false;
};

int compile_command(const CompileOptions& o, Files& files) {
  const Progress progress(o.quiet);
  return compile_and_report({.json = o.json, .quiet = o.quiet}, progress, [&](CompileReport& report) {
    session::CompileRequest request = compile_request(o.sources, files);
    if (const std::string why = make_directory(o.out); !why.empty())
      throw UsageError(fmt::format("cannot use \"{}\" as output directory: {}", o.out, why));
    const std::string folder = absolute_directory(o.out);
    request.plan = !o.no_plan;
    const session::CompileResult& result = report.result.emplace(compile_with_progress(std::move(request), progress));
    if (result.writable()) {
      progress.stage("writing");
      // Another compile into the same folder finishes its set first.
      const FolderLock lock(folder);
      report.written = session::write_compiled(result, folder, files);
    }
    report.status = result.outcome == session::Outcome::clean            ? exit_status::clean
                    : result.outcome == session::Outcome::scenario_error ? exit_status::scenario_error
                                                                         : exit_status::error_stop;
  });
}

}  // namespace

Command command_compile(CommandLine& app) {
  auto opz = std::make_shared<CompileOptions>();
  auto* cmd = app.add_subcommand("compile", "Compile a line source and a train source into the three compiled files");
  cmd->add_option("LINE_SOURCE", opz->sources.line, "the line source (route)")->required()->check(existing_file);
  cmd->add_option("TRAIN_SOURCE", opz->sources.train, "the train source")->required()->check(existing_file);
  cmd->add_option("--route", opz->sources.route, "route name: first part of every file name")->required();
  cmd->add_option("--train", opz->sources.train_name, "train name: second part of the scenario's file names")->required();
  cmd->add_option("--out", opz->out, "directory for the compiled files (created when missing)")->required();
  cmd->add_flag("--no-plan", opz->no_plan, "do not build or write the plan file (R_linea.dat)");
  cmd->add_flag("--json", opz->json, "print the outcome as one JSON object on standard output");
  cmd->add_flag("--quiet", opz->quiet,
                "print nothing unless something went wrong: no progress, warnings, count or files written; a "
                "recorded error, the error stop or a failure is still told");
  cmd->footer(
      "Example:\n"
      "  scenario compile route.txt train.txt --route Orvena_Lusco --train \"REG 4105\" --out compiled\n"
      "Problems are told as FILE:LINE:COLUMN: error N: ... with the line and a caret under the field.\n"
      "Exit status: 0 clean, 1 a scenario error was recorded (the compiled files are still written\n"
      "from what was loaded, unless loading stopped before the route length was read), 2 usage error,\n"
      "3 the error stop (a reserved place is taken; nothing is written), 4 a file could not be read or\n"
      "written.");
  return {cmd, [opz] { return compile_command(*opz, real_files()); }};
}

}  // namespace compactor::cli
