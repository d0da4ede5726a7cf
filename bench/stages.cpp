#include "bench/stages.h"

#include "compiler/compiled_files.h"
#include "platform/files.h"

namespace compactor::bench {

void scrivi_file_planimetria(const Modello& m, const std::string& path) {
  write_whole(real_files(), path, bytes_planimetria(m.planimetria));
}

void scrivi_file_stazioni(const Modello& m, const std::string& path) {
  write_whole(real_files(), path, bytes_stazioni(m.stazioni));
}

void scrivi_file_griglia(const Modello& m, const std::string& path) {
  write_whole(real_files(), path, bytes_griglia(m.griglia));
}

}  // namespace compactor::bench
