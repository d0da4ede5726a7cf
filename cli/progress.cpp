#include "cli/progress.h"

#include <unistd.h>

#include <string>

#include "platform/console.h"

namespace compactor::cli {

Progress::Progress(bool quieto, int fd) : fd_(fd), attivo_(!quieto && is_terminal(fd)) {}

namespace {

// Progress is a courtesy: a failed write is not worth stopping for.
void scrivi(int fd, const std::string& testo) {
  [[maybe_unused]] const auto scritti = ::write(fd, testo.data(), testo.size());
}

}  // namespace

void Progress::passo(std::string_view testo) const {
  if (attivo_) scrivi(fd_, "scenario render: " + std::string(testo) + "\n");
}

void Progress::fase(std::string_view nome) const {
  if (!attivo_) return;
  scrivi(fd_, "\r\033[Kscenario: " + std::string(nome) + "...");
  stage_open_ = true;
}

void Progress::fine_fasi() const {
  if (!stage_open_) return;
  scrivi(fd_, "\r\033[K");
  stage_open_ = false;
}

}  // namespace compactor::cli
