#include "cli/progress.h"

#include <unistd.h>

#include <string>

#include "platform/console.h"

namespace compactor::cli {

Progress::Progress(bool quiet, int fd) : fd_(fd), active_(!quiet && is_terminal(fd)) {}

namespace {

// Progress is a courtesy: a failed write is not worth stopping for.
void put_text(int fd, const std::string& text) {
  [[maybe_unused]] const auto written = ::write(fd, text.data(), text.size());
}

}  // namespace

void Progress::step(std::string_view text) const {
  if (active_) put_text(fd_, "scenario render: " + std::string(text) + "\n");
}

void Progress::stage(std::string_view nome) const {
  if (!active_) return;
  put_text(fd_, "\r\033[Kscenario: " + std::string(nome) + "...");
  stage_open_ = true;
}

void Progress::end_of_stages() const {
  if (!stage_open_) return;
  put_text(fd_, "\r\033[K");
  stage_open_ = false;
}

}  // namespace compactor::cli
