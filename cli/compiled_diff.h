// Two compiled scenarios compared member by member: what differs, counted
// by file, with the first few differences in words.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "compiler/compiled_reader.h"

namespace compactor::cli {

// The three files of a compiled scenario, in the order they are compared.
enum class DiffedFile { scenario, grid, plan };

// Every difference counted, by file; the first few lines kept in words.
class Differences {
 public:
  explicit Differences(size_t most) : most_(most) {}
  // One difference in `file`; `text` makes its words, only when they are
  // kept.
  template <typename F>
  void note(DiffedFile file, F&& text) {
    note(file, 1, std::forward<F>(text));
  }
  // One line that stands for `count` differences (a run of plan entries).
  template <typename F>
  void note(DiffedFile file, int64_t count, F&& text) {
    total_ += count;
    by_file_[static_cast<size_t>(file)] += count;
    if (prime_.size() < most_) {
      prime_.push_back(text());
      shown_ += count;
    }
  }
  int64_t total() const { return total_; }
  int64_t in_file(DiffedFile file) const { return by_file_[static_cast<size_t>(file)]; }
  // Differences that no kept line stands for.
  int64_t not_shown() const { return total_ - shown_; }
  const std::vector<std::string>& prime() const { return prime_; }

 private:
  size_t most_;
  int64_t total_ = 0;
  int64_t shown_ = 0;
  std::array<int64_t, 3> by_file_{};
  std::vector<std::string> prime_;
};

// Compares scenario `b` (files `fb`) with scenario `a` (files `fa`): which
// files exist, then the scenario rows, the grid cells and the plan entries.
// A difference is a member of a row or of a cell, or an entry of the plan
// (a metre whose x or y differs). Consecutive differing plan entries are one
// line, their run, unless `entry_by_entry`.
void compare_scenarios(const FileScenario& fa, const CompiledScenario& a, const FileScenario& fb,
               const CompiledScenario& b, Differences& d, bool entry_by_entry = false);

}  // namespace compactor::cli
