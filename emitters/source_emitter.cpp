#include "emitters/source_emitter.h"

#include <stdexcept>

#include "platform/cp1252.h"

namespace compactor {

std::string testo_file(const TabellaRighe& righe) {
  std::string bytes;
  for (size_t i = 0; i < righe.size(); ++i) {
    // Only the exact marker ends the table: case and blanks count.
    if (righe[i] == marcatore_fine) return bytes;
    const auto linea = utf8_to_cp1252(righe[i]);
    if (!linea) throw std::logic_error("carried line " + std::to_string(i) + " is not Windows-1252 text");
    bytes += *linea;
    bytes += "\r\n";
  }
  throw std::logic_error("carried text without its end marker");
}

void scrivi_testo(const TabellaRighe& righe, const std::string& path, Files& files) {
  write_whole(files, path, testo_file(righe));
}

}  // namespace compactor
