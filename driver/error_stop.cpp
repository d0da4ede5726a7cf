#include "driver/error_stop.h"

#include <cstdlib>
#include <iostream>

#include "driver/window.h"
#include "model/exit_status.h"

namespace compactor {

std::string error_message(const std::string& a) { return " Errore n. " + a; }

void errore(const std::string& a) {
  const std::string text = error_message(a);
  if (!Window::show_message(text)) std::cerr << text << "\n";
  std::exit(exit_status::error_stop);
}

}  // namespace compactor
