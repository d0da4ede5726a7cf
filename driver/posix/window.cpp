#include "driver/window.h"

#include <dlfcn.h>

#include <cstdlib>
#include <iostream>

#include "driver/program_dir.h"
#include "driver/window_module.h"
#include "model/errors.h"

namespace compactor {

bool display_disponibile() {
  const char* d = std::getenv("DISPLAY");
  return d != nullptr && *d != '\0';
}

namespace {

struct Modulo {
  ApriFinestraFn* apri = nullptr;
  FinestraVisibileFn* visibile = nullptr;
  ChiudiFinestraFn* chiudi = nullptr;
  MostraMessaggioFn* messaggio = nullptr;
};

template <typename Fn>
Fn* simbolo(void* handle, const char* nome) {
  return reinterpret_cast<Fn*>(dlsym(handle, nome));
}

// The window module, loaded once and only when a display is there. A
// module that is missing or incomplete means no window, said once on
// standard error; the run goes on.
const Modulo* modulo() {
  static const Modulo* const caricato = []() -> const Modulo* {
    if (!display_disponibile()) return nullptr;
    std::string percorso;
    try {
      percorso = cartella_programma() + "/" + kModuloFinestra;
    } catch (const PlatformError&) {
      return nullptr;
    }
    void* handle = dlopen(percorso.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      std::cerr << "compactor: no window: " << dlerror() << "\n";
      return nullptr;
    }
    static Modulo m;
    m.apri = simbolo<ApriFinestraFn>(handle, "compactor_apri_finestra");
    m.visibile = simbolo<FinestraVisibileFn>(handle, "compactor_finestra_visibile");
    m.chiudi = simbolo<ChiudiFinestraFn>(handle, "compactor_chiudi_finestra");
    m.messaggio = simbolo<MostraMessaggioFn>(handle, "compactor_mostra_messaggio");
    if (!m.apri || !m.visibile || !m.chiudi || !m.messaggio) {
      std::cerr << "compactor: no window: " << percorso << " lacks an entry point\n";
      return nullptr;
    }
    return &m;
  }();
  return caricato;
}

}  // namespace

Finestra::Finestra() {
  if (const Modulo* m = modulo()) finestra_ = m->apri();
}

Finestra::~Finestra() {
  if (finestra_ != nullptr) modulo()->chiudi(finestra_);
}

bool Finestra::visibile() const { return finestra_ != nullptr && modulo()->visibile(finestra_) != 0; }

bool Finestra::mostra_messaggio(const std::string& testo) {
  const Modulo* m = modulo();
  return m != nullptr && m->messaggio(testo.c_str()) != 0;
}

}  // namespace compactor
