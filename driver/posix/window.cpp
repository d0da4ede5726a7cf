#include "driver/window.h"

#include <dlfcn.h>

#include <cstdlib>
#include <iostream>

#include "driver/program_dir.h"
#include "driver/window_module.h"
#include "model/errors.h"

namespace compactor {

bool display_available() {
  const char* d = std::getenv("DISPLAY");
  return d != nullptr && *d != '\0';
}

namespace {

struct Module {
  OpenWindowFn* open = nullptr;
  WindowVisibleFn* visible = nullptr;
  CloseWindowFn* close = nullptr;
  ShowMessageFn* message = nullptr;
};

template <typename Fn>
Fn* symbol(void* handle, const char* nome) {
  return reinterpret_cast<Fn*>(dlsym(handle, nome));
}

// The window module, loaded once and only when a display is there. A
// module that is missing or incomplete means no window, said once on
// standard error; the run goes on.
const Module* module() {
  static const Module* const loaded = []() -> const Module* {
    if (!display_available()) return nullptr;
    std::string percorso;
    try {
      percorso = program_folder() + "/" + kWindowModule;
    } catch (const PlatformError&) {
      return nullptr;
    }
    void* handle = dlopen(percorso.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      std::cerr << "compactor: no window: " << dlerror() << "\n";
      return nullptr;
    }
    static Module m;
    m.open = symbol<OpenWindowFn>(handle, "compactor_open_window");
    m.visible = symbol<WindowVisibleFn>(handle, "compactor_window_visible");
    m.close = symbol<CloseWindowFn>(handle, "compactor_close_window");
    m.message = symbol<ShowMessageFn>(handle, "compactor_show_message");
    if (!m.open || !m.visible || !m.close || !m.message) {
      std::cerr << "compactor: no window: " << percorso << " lacks an entry point\n";
      return nullptr;
    }
    return &m;
  }();
  return loaded;
}

}  // namespace

Window::Window() {
  if (const Module* m = module()) window_ = m->open();
}

Window::~Window() {
  if (window_ != nullptr) module()->close(window_);
}

bool Window::visible() const { return window_ != nullptr && module()->visible(window_) != 0; }

bool Window::show_message(const std::string& text) {
  const Module* m = module();
  return m != nullptr && m->message(text.c_str()) != 0;
}

}  // namespace compactor
