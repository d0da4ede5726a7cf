// The one window of the run: "Form1" with the label "Attendere", shown and
// painted once at the start and not serviced afterwards. Without a display
// (or without the window module beside the program) there is no window and
// nothing else changes.
#pragma once

#include <string>

namespace compactor {

class Window {
 public:
  // Shows and paints the window when a display is there.
  Window();
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  bool visible() const;

  // The error stop's box: " Errore n. " and the number, one OK button, modal.
  // Returns after the user presses OK; false when there is no display.
  static bool show_message(const std::string& text);

 private:
  void* window_ = nullptr;  // the module's window
};

// True when DISPLAY is set, so that a window may be shown.
bool display_available();

}  // namespace compactor
