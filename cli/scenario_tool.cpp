#include "cli/scenario_tool.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/compile_command.h"
#include "platform/files.h"

namespace compactor::cli {

int run(int argc, char** argv) {
  CLI::App app{"scenario: compile and inspect scenarios for the train-driving simulator", "scenario"};
  app.set_version_flag("--version", COMPACTOR_VERSION);
  app.require_subcommand(1);

  OpzioniCompilazione compile;
  bool compile_json = false;
  auto* cmd = app.add_subcommand("compile", "Compile a line source and a train source into the three compiled files");
  cmd->add_option("LINE_SOURCE", compile.sorgente_linea, "the line source (route)")->required()->check(CLI::ExistingFile);
  cmd->add_option("TRAIN_SOURCE", compile.sorgente_treno, "the train source")->required()->check(CLI::ExistingFile);
  cmd->add_option("--route", compile.percorso, "route name: first part of every file name")->required();
  cmd->add_option("--train", compile.treno, "train name: second part of the scenario's file names")->required();
  cmd->add_option("--out", compile.cartella, "directory for the compiled files (created when missing)")->required();
  cmd->add_flag("--no-plan", compile.senza_planimetria, "do not build or write the plan file (R_linea.dat)");
  cmd->add_flag("--json", compile_json, "print the outcome as one JSON object");
  cmd->footer(
      "Example:\n"
      "  scenario compile route.txt train.txt --route Orvena_Lusco --train \"REG 4105\" --out build\n"
      "Exit status: 0 clean, 1 a scenario error was recorded, 2 usage error,\n"
      "3 the error stop (reserved place taken), 4 a file could not be read or written.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : 2;
  }

  if (cmd->parsed()) {
    const Compilazione c = compila(compile, real_files());
    stampa(c, compile_json, std::cout, std::cerr);
    return c.stato;
  }
  return 2;
}

}  // namespace compactor::cli
