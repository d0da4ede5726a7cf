// The toolkit's side of the window: built as a module that the program
// loads only when a display is there.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/x.H>

#include <type_traits>

#include "driver/window_module.h"

namespace {

// 24 points at 15 twips a pixel.
constexpr int kFontPixels = 32;

// The toolkit ends the process when it cannot reach the display; open the
// connection ourselves so that an unreachable display only means no window.
bool open_display() {
  static const bool ok = [] {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return false;
    fl_open_display(d);
    return true;
  }();
  return ok;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void* compactor_open_window() {
  if (!open_display()) return nullptr;
  auto* window = new Fl_Window(280, 179, "Form1");
  auto* label = new Fl_Box(64, 64, 177, 53, "Attendere");
  label->labelfont(FL_HELVETICA_BOLD);
  label->labelsize(kFontPixels);
  label->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP);
  window->end();
  window->show();
  // visible() is true as soon as show() has asked for the window; the
  // display may not have mapped it yet, and whatever is drawn before its
  // first expose is lost. Wait for that expose, paint, and let the display
  // finish the drawing before the run goes on: the window is not serviced
  // after this.
  window->wait_for_expose();
  Fl::flush();
  XSync(fl_display, False);
  return window;
}

__attribute__((visibility("default"))) int compactor_window_visible(void* window) {
  return window != nullptr && static_cast<Fl_Window*>(window)->visible();
}

__attribute__((visibility("default"))) void compactor_close_window(void* handle) {
  if (handle == nullptr) return;
  auto* window = static_cast<Fl_Window*>(handle);
  window->hide();
  Fl::flush();
  delete window;
}

__attribute__((visibility("default"))) int compactor_show_message(const char* text) {
  if (!open_display()) return 0;
  // No caption of its own: the box carries the application's title.
  fl_message_title_default("compactor");
  fl_close = "OK";
  // No icon: only the text and the one button.
  fl_message_icon()->hide();
  fl_message("%s", text);
  return 1;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(compactor_open_window), OpenWindowFn>);
static_assert(std::is_same_v<decltype(compactor_window_visible), WindowVisibleFn>);
static_assert(std::is_same_v<decltype(compactor_close_window), CloseWindowFn>);
static_assert(std::is_same_v<decltype(compactor_show_message), ShowMessageFn>);
