// scenario diff: two compiled scenarios compared member by member.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "compiler/compiled_reader.h"
#include "platform/files.h"

namespace compactor::cli {

// Every difference counted, the first few kept in words.
class Differenze {
 public:
  explicit Differenze(size_t massimo) : massimo_(massimo) {}
  // `testo` makes the words, only when they are kept.
  template <typename F>
  void nota(F&& testo) {
    ++totale_;
    if (prime_.size() < massimo_) prime_.push_back(testo());
  }
  int64_t totale() const { return totale_; }
  const std::vector<std::string>& prime() const { return prime_; }

 private:
  size_t massimo_;
  int64_t totale_ = 0;
  std::vector<std::string> prime_;
};

// Compares scenario `b` (files `fb`) with scenario `a` (files `fa`): which
// files exist, then the scenario rows, the grid cells and the plan entries.
void confronta(const FileScenario& fa, const ScenarioCompilato& a, const FileScenario& fb,
               const ScenarioCompilato& b, Differenze& d);

struct OpzioniDiff {
  std::string a, b;      // the two directories
  std::string percorso;  // --route (UTF-8), empty for any
  std::string treno;     // --train
  int64_t massimo = 20;  // --max
};

// Prints the differences between the files read through `files`; returns 0
// identical, 1 different, 2 usage error, 4 a file or directory that cannot
// be read, 6 a bad compiled file.
int diff(const OpzioniDiff& o, Files& files, std::ostream& out, std::ostream& err);

}  // namespace compactor::cli
