// scenario export: the carried scenario's five texts, for authors to start from.
#include <filesystem>
#include <iostream>
#include <memory>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/paths.h"
#include "emitters/emitters.h"
#include "model/exit_status.h"
#include "platform/files.h"
#include "platform/fs_path.h"

namespace compactor::cli {

Command command_export(CommandLine& app) {
  struct Options {
    std::string folder;
    bool force = false;
  };
  auto opz = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("export", "Write the carried scenario's five texts into a directory");
  cmd->add_option("DIR", opz->folder, "directory to write into (created when missing)")->required();
  cmd->add_flag("--force", opz->force, "replace texts of the same names that are already there (an author's edits)");
  cmd->footer(
      "Writes Orvena_Lusco_linea.txt (line source), Orvena_Lusco_REG 4105-.txt (train source) and the\n"
      "timetable card, slowdown order form and notes, exactly as the program writes them.\n"
      "Example:\n"
      "  scenario export carried\n"
      "Texts already in DIR are left as they are, and nothing is written, unless --force.\n"
      "  scenario compile carried/Orvena_Lusco_linea.txt \"carried/Orvena_Lusco_REG 4105-.txt\" \\\n"
      "      --route Orvena_Lusco --train \"REG 4105\" --out compiled");
  return {cmd, [opz] {
            const std::string& folder = opz->folder;
            if (const std::string why = make_directory(folder); !why.empty())
              throw UsageError(fmt::format("cannot use \"{}\" as a directory: {}", folder, why));
            const std::string dir = without_trailing_slashes(folder);
            const FileNames names = file_names(dir, "Orvena_Lusco", "REG 4105");
            Files& files = real_files();
            // Exported texts are where authors start editing: never replaced unasked.
            if (!opz->force) {
              for (const auto* f : {&names.line_txt, &names.train_txt, &names.note, &names.rallentamenti, &names.scheda})
                if (std::filesystem::symlink_status(fs_path(*f)).type() != std::filesystem::file_type::not_found)
                  throw UsageError(fmt::format("{} is already there; nothing was written (--force replaces it)",
                                               shown_path(*f)));
            }
            dati_linea(names, files);
            dati_treno(names, files);
            dati_note(names, files);
            dati_rallentamenti(names, files);
            dati_scheda(names, files);
            for (const auto* f : {&names.line_txt, &names.train_txt, &names.note, &names.rallentamenti, &names.scheda})
              std::cout << shown_path(*f) << "\n";
            return exit_status::clean;
          }};
}

}  // namespace compactor::cli
