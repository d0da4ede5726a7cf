// Progress for work a person waits for: shown on standard error when it is
// a terminal, never into a pipe or a file, never with --quiet.
#pragma once

#include <string_view>

namespace compactor::cli {

class Avanzamento {
 public:
  // `fd` is where the lines go (standard error by default).
  explicit Avanzamento(bool quieto, int fd = 2);
  bool attivo() const { return attivo_; }
  // One line "scenario render: <testo>".
  void passo(std::string_view testo) const;
  // A stage of the compile step, "scenario: <nome>...", in place of the
  // one before on the same line; fine_fasi() clears that line.
  void fase(std::string_view nome) const;
  void fine_fasi() const;

 private:
  int fd_;
  bool attivo_;
};

}  // namespace compactor::cli
