// scenario export: the carried scenario's five texts, for authors to start from.
#include <iostream>
#include <memory>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/percorsi.h"
#include "emitters/emitters.h"
#include "model/exit_status.h"
#include "platform/files.h"

namespace compactor::cli {

Comando comando_export(CommandLine& app) {
  auto cartella = std::make_shared<std::string>();
  auto* cmd = app.add_subcommand("export", "Write the carried scenario's five texts into a directory");
  cmd->add_option("DIR", *cartella, "directory to write into (created when missing)")->required();
  cmd->footer(
      "Writes Orvena_Lusco_linea.txt (line source), Orvena_Lusco_REG 4105-.txt (train source) and the\n"
      "timetable card, slowdown order form and notes, exactly as the program writes them.\n"
      "Example:\n"
      "  scenario export carried\n"
      "  scenario compile carried/Orvena_Lusco_linea.txt \"carried/Orvena_Lusco_REG 4105-.txt\" \\\n"
      "      --route Orvena_Lusco --train \"REG 4105\" --out compiled");
  return {cmd, [cartella] {
            if (const std::string why = make_directory(*cartella); !why.empty())
              throw UsageError(fmt::format("cannot use \"{}\" as a directory: {}", *cartella, why));
            const std::string dir = senza_barre_finali(*cartella);
            const NomiFile nomi = nomi_file(dir, "Orvena_Lusco", "REG 4105");
            Files& files = real_files();
            dati_linea(nomi, files);
            dati_treno(nomi, files);
            dati_note(nomi, files);
            dati_rallentamenti(nomi, files);
            dati_scheda(nomi, files);
            for (const auto* f : {&nomi.linea_txt, &nomi.treno_txt, &nomi.note, &nomi.rallentamenti, &nomi.scheda})
              std::cout << mostra_percorso(*f) << "\n";
            return exit_status::clean;
          }};
}

}  // namespace compactor::cli
