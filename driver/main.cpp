// The program: one run, no input. Writes the carried texts next to itself,
// compiles the scenario and leaves the compiled files there.
#include <iostream>

#include "driver/form1.h"
#include "driver/program_dir.h"
#include "platform/files.h"

int main() {
  using namespace compactor;
  std::string cartella;
  try {
    cartella = cartella_programma();
  } catch (const PlatformError& e) {
    std::cerr << "compactor: " << e.path() << ": " << e.reason() << "\n";
    return exit_status::platform;
  }
  return Form_Load(cartella, real_files(), std::cerr);
}
