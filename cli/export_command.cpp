// scenario export: the carried scenario's five texts, for authors to start from.
#include <filesystem>
#include <iostream>
#include <memory>
#include <string_view>

#include <fmt/format.h>

#include "cli/command.h"
#include "emitters/emitters.h"
#include "platform/cp1252.h"
#include "platform/files.h"

namespace compactor::cli {

Comando comando_export(CLI::App& app) {
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
            std::error_code ec;
            std::filesystem::create_directories(*cartella, ec);
            if (!std::filesystem::is_directory(*cartella)) {
              std::cerr << fmt::format("scenario: cannot use \"{}\" as a directory\n", *cartella);
              return 2;
            }
            std::string dir = *cartella;
            while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
            const NomiFile nomi = nomi_file(dir, "Orvena_Lusco", "REG 4105");
            try {
              dati_linea(nomi, real_files());
              dati_treno(nomi, real_files());
              dati_note(nomi, real_files());
              dati_rallentamenti(nomi, real_files());
              dati_scheda(nomi, real_files());
            } catch (const PlatformError& e) {
              std::cerr << fmt::format("scenario: {}: {}\n", e.path(), e.reason());
              return 4;
            }
            // The directory is the author's own text and is printed as given;
            // only the file names are Windows-1252.
            for (const auto* f : {&nomi.linea_txt, &nomi.treno_txt, &nomi.note, &nomi.rallentamenti, &nomi.scheda})
              std::cout << dir << cp1252_to_utf8(std::string_view(*f).substr(dir.size())) << "\n";
            return 0;
          }};
}

}  // namespace compactor::cli
