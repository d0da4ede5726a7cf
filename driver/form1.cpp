#include "driver/form1.h"

#include <chrono>
#include <cstdlib>
#include <new>
#include <ostream>
#include <thread>
#include <vector>

#include "compiler/memorizza_percorso.h"
#include "driver/error_stop.h"
#include "driver/window.h"
#include "emitters/emitters.h"
#include "model/model.h"
#include "platform/signal_cleanup.h"

namespace compactor {
namespace {

// The one scenario this build carries.
constexpr const char* kRouteName = "Orvena_Lusco";
constexpr const char* kTrainName = "REG 4105";

// Lets the window test look at the painted window while the run holds.
void test_wait() {
  if (const char* ms = std::getenv("COMPACTOR_TEST_HOLD_WINDOW_MS"))
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
}

}  // namespace

int Form_Load(const std::string& folder, Files& files, std::ostream& err) {
  Model m;
  m.nome_percorso = kRouteName;
  m.nome_treno = kTrainName;
  const FileNames names = file_names(folder, m.nome_percorso, m.nome_treno);

  Window window;
  if (window.visible()) test_wait();

  // The two sources are working copies that the load deletes; a run that
  // fails before or during the load deletes the ones it wrote itself.
  std::vector<const std::string*> written;
  auto remove_written = [&] {
    for (const std::string* path : written) {
      try {
        if (files.exists(*path)) files.remove(*path);
      } catch (const PlatformError&) {
        // The failure being reported is the one that stopped the run.
      }
    }
  };
  // An interrupted run deletes them too.
  const RemovedOnSignal line_on_signal(names.line_txt), train_on_signal(names.train_txt);
  try {
    dati_linea(names, files);
    written.push_back(&names.line_txt);
    dati_treno(names, files);
    written.push_back(&names.train_txt);
    dati_note(names, files);
    dati_rallentamenti(names, files);
    dati_scheda(names, files);
    int32_t j = 1;
    memorizza_percorso(m, j, names, files);
  } catch (const ErrorStop& stop) {
    errore(stop.numero());
  } catch (const PlatformError& e) {
    remove_written();
    err << "compactor: " << e.path() << ": " << e.reason() << "\n";
    return exit_status::platform;
  } catch (const std::bad_alloc&) {
    remove_written();
    err << "compactor: out of memory\n";
    return exit_status::platform;
  }

  if (m.numero_errore != 0) {
    err << "compactor: scenario error " << m.numero_errore << " at " << m.posizione_errore << " m\n";
    return exit_status::scenario_error;
  }
  return exit_status::clean;
}

}  // namespace compactor
