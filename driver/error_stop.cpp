#include "driver/error_stop.h"

#include <cstdlib>
#include <iostream>

#include "driver/window.h"
#include "model/exit_status.h"

namespace compactor {

std::string messaggio_errore(const std::string& a) { return " Errore n. " + a; }

void errore(const std::string& a) {
  const std::string testo = messaggio_errore(a);
  if (!Finestra::mostra_messaggio(testo)) std::cerr << testo << "\n";
  std::exit(exit_status::error_stop);
}

}  // namespace compactor
