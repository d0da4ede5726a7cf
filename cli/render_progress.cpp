#include "cli/render_progress.h"

#include <unistd.h>

#include <string>

namespace compactor::cli {

Avanzamento::Avanzamento(bool quieto, int fd) : fd_(fd), attivo_(!quieto && ::isatty(fd) == 1) {}

void Avanzamento::passo(std::string_view testo) const {
  if (!attivo_) return;
  const std::string riga = "scenario render: " + std::string(testo) + "\n";
  // Progress is a courtesy: a failed write is not worth stopping for.
  [[maybe_unused]] const auto scritti = ::write(fd_, riga.data(), riga.size());
}

}  // namespace compactor::cli
