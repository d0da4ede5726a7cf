// scenario lsp: the language server for editors, on standard input and
// output.
#include <iostream>

#include "cli/command.h"
#include "cli/lsp/serve.h"
#include "platform/files.h"

namespace compactor::cli {

Command command_lsp(CommandLine& app) {
  auto* cmd = app.add_subcommand("lsp", "Serve the Language Server Protocol on standard input and output, for editors");
  cmd->footer(
      "An editor starts this itself: it checks the line source and the train source as they are typed\n"
      "(with their partner named by the loader's rules: R_linea.txt with R_T-.txt in the same folder,\n"
      "or by a scenario.json there), and offers hover, an outline, folding and key word completion.\n"
      "The README tells how to set up VS Code, Neovim, Helix and Emacs.\n"
      "Example (as an editor's server command):\n"
      "  scenario lsp\n"
      "Exit status: 0 after the client's shutdown and exit, 1 when the input ends first.");
  return {cmd, [] {
            // Buffered input lets the server see that more edits have already
            // arrived before it compiles.
            std::ios::sync_with_stdio(false);
            return lsp::serve(std::cin, std::cout, std::cerr, real_files());
          }};
}

}  // namespace compactor::cli
