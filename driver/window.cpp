#include "driver/window.h"

#include <cstdlib>

#if COMPACTOR_HAVE_FLTK
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/x.H>
#endif

namespace compactor {

bool display_disponibile() {
#if COMPACTOR_HAVE_FLTK
  const char* d = std::getenv("DISPLAY");
  return d != nullptr && *d != '\0';
#else
  return false;
#endif
}

#if COMPACTOR_HAVE_FLTK

namespace {
// 24 points at 15 twips a pixel.
constexpr int kFontPixels = 32;

// The toolkit ends the process when it cannot reach the display; open the
// connection ourselves so that an unreachable display only means no window.
bool open_display() {
  static const bool ok = [] {
    if (!display_disponibile()) return false;
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return false;
    fl_open_display(d);
    return true;
  }();
  return ok;
}
}  // namespace

struct Finestra::Impl {
  Fl_Window window{280, 179, "Form1"};
  Fl_Box* label = nullptr;
};

Finestra::Finestra() {
  // No toolkit start-up at all without a display.
  if (!open_display()) return;
  impl_ = std::make_unique<Impl>();
  impl_->label = new Fl_Box(64, 64, 177, 53, "Attendere");
  impl_->label->labelfont(FL_HELVETICA_BOLD);
  impl_->label->labelsize(kFontPixels);
  impl_->label->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP);
  impl_->window.end();
  impl_->window.show();
  // Paint once now; the window is not serviced after this.
  Fl::flush();
  for (int i = 0; i < 10 && !impl_->window.visible(); ++i) Fl::wait(0.05);
  impl_->window.redraw();
  Fl::flush();
  Fl::check();
}

Finestra::~Finestra() {
  if (impl_) {
    impl_->window.hide();
    Fl::flush();
  }
}

bool Finestra::visibile() const { return impl_ && impl_->window.visible(); }

bool Finestra::mostra_messaggio(const std::string& testo) {
  if (!open_display()) return false;
  // No caption of its own: the box carries the application's title.
  fl_message_title_default("compactor");
  fl_close = "OK";
  fl_message("%s", testo.c_str());
  return true;
}

#else

struct Finestra::Impl {};
Finestra::Finestra() = default;
Finestra::~Finestra() = default;
bool Finestra::visibile() const { return false; }
bool Finestra::mostra_messaggio(const std::string&) { return false; }

#endif

}  // namespace compactor
