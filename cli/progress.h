// Progress for work a person waits for: shown on standard error when it is
// a terminal, never into a pipe or a file, never with --quiet. A stage line
// left open is finished when the progress ends, so that a message told after
// it (an exception on its way to the tool's entry) starts a line of its own.
#pragma once

#include <string_view>

namespace compactor::cli {

class Progress {
 public:
  // `fd` is where the lines go (standard error by default).
  explicit Progress(bool quiet, int fd = 2);
  ~Progress() { end_of_stages(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  bool active() const { return active_; }
  // One line "scenario render: <testo>".
  void step(std::string_view text) const;
  // A stage of the compile step, "scenario: <nome>...", in place of the
  // one before on the same line; end_of_stages() clears that line, once.
  void stage(std::string_view nome) const;
  void end_of_stages() const;

 private:
  int fd_;
  bool active_;
  mutable bool stage_open_ = false;  // a stage line waits to be cleared
};

}  // namespace compactor::cli
