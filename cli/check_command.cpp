// scenario check: compile into a scratch directory and tell every error and
// warning, keeping nothing.
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/command.h"
#include "cli/cartella_temporanea.h"
#include "cli/compile_command.h"
#include "cli/avanzamento.h"

namespace compactor::cli {

Comando comando_check(CLI::App& app) {
  struct Opzioni {
    OpzioniCompilazione o;
    bool json = false;
    bool quiet = false;
  };
  auto opz = std::make_shared<Opzioni>();
  opz->o.percorso = "check";
  opz->o.treno = "check";
  auto* cmd = app.add_subcommand("check", "Check a line source and a train source: errors and warnings, nothing kept");
  cmd->add_option("LINE_SOURCE", opz->o.sorgente_linea, "the line source (route)")->required()->check(CLI::ExistingFile);
  cmd->add_option("TRAIN_SOURCE", opz->o.sorgente_treno, "the train source")->required()->check(CLI::ExistingFile);
  cmd->add_option("--route", opz->o.percorso, "route name (default: check)");
  cmd->add_option("--train", opz->o.treno, "train name (default: check)");
  cmd->add_flag("--json", opz->json, "print the outcome as one JSON object on standard output");
  cmd->add_flag("--quiet", opz->quiet, "no progress on the terminal");
  cmd->footer(
      "Besides the errors of a compile, warns of what the loader accepts silently: unrecognised key\n"
      "fields (a misspelt key word, a capitalised \"Progressiva\"), a decimal comma that split a number,\n"
      "surplus fields on a line, records out of chainage order, chainages that are not multiples of 50,\n"
      "a speed indicator board or signboard replacing a tunnel marker.\n"
      "Example:\n"
      "  scenario check route.txt train.txt\n"
      "Exit status: 0 clean, 1 errors, 5 warnings only, 2 usage error, 4 a file could not be read.");
  return {cmd, [opz] {
            CartellaTemporanea scratch("scenario-check");
            if (scratch.path().empty()) {
              std::cerr << "scenario: cannot create a scratch directory\n";
              return stato::piattaforma;
            }
            OpzioniCompilazione o = opz->o;
            o.cartella = scratch.path();
            const Avanzamento progresso(opz->quiet);
            o.avanzamento = &progresso;
            Compilazione c = compila(o, real_files());
            c.scritti.clear();  // nothing is kept
            if (c.stato == stato::fermata) c.stato = stato::errore;
            if (c.stato == stato::pulito && !c.avvisi.empty()) c.stato = stato::solo_avvisi;
            stampa(c, opz->json, std::cout, std::cerr);
            return c.stato;
          }};
}

}  // namespace compactor::cli
