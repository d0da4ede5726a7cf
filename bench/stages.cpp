#include "bench/stages.h"

#include "compiler/compiled_files.h"
#include "platform/files.h"

namespace compactor::bench {
namespace {

template <typename Scrivi>
void scrivi_file(const std::string& path, Scrivi scrivi) {
  auto out = real_files().create(path);
  scrivi(*out);
  out->commit();
}

}  // namespace

void scrivi_file_planimetria(const Modello& m, const std::string& path) {
  scrivi_file(path, [&](OutputFile& out) { scrivi_planimetria(m.planimetria, out); });
}

void scrivi_file_stazioni(const Modello& m, const std::string& path) {
  scrivi_file(path, [&](OutputFile& out) { scrivi_stazioni(m.stazioni, out); });
}

void scrivi_file_griglia(const Modello& m, const std::string& path) {
  scrivi_file(path, [&](OutputFile& out) { scrivi_griglia(m.griglia, out); });
}

}  // namespace compactor::bench
