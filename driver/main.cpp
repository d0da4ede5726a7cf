// The program: one run, no input. Writes the carried texts next to itself,
// compiles the scenario and leaves the compiled files there.
#include <iostream>

#include "driver/form1.h"
#include "driver/program_dir.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/signal_cleanup.h"

int main() {
  using namespace compactor;
  install_signal_cleanup();
  std::string folder;
  try {
    folder = program_folder();
  } catch (const PlatformError& e) {
    std::cerr << "compactor: " << e.path() << ": " << e.reason() << "\n";
    return exit_status::platform;
  }
  // Two runs in one folder would write the same files at once: the second
  // waits for the first to finish.
  try {
    const FolderLock lock(folder);
    return Form_Load(folder, real_files(), std::cerr);
  } catch (const PlatformError& e) {
    std::cerr << "compactor: " << e.path() << ": " << e.reason() << "\n";
    return exit_status::platform;
  }
}
