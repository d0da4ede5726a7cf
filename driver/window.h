// The one window of the run: "Form1" with the label "Attendere", shown and
// painted once at the start and not serviced afterwards. Without a display
// (or without the window module beside the program) there is no window and
// nothing else changes.
#pragma once

#include <string>

namespace compactor {

class Finestra {
 public:
  // Shows and paints the window when a display is there.
  Finestra();
  ~Finestra();
  Finestra(const Finestra&) = delete;
  Finestra& operator=(const Finestra&) = delete;

  bool visibile() const;

  // The error stop's box: " Errore n. " and the number, one OK button, modal.
  // Returns after the user presses OK; false when there is no display.
  static bool mostra_messaggio(const std::string& testo);

 private:
  void* finestra_ = nullptr;  // the module's window
};

// True when DISPLAY is set, so that a window may be shown.
bool display_disponibile();

}  // namespace compactor
