// The five texts the program carries, as line tables of 1001 slots: the
// lines (UTF-8) in slots 0..n-1, the end marker in slot n.
#pragma once

#include <array>
#include <string_view>

namespace compactor {

inline constexpr std::string_view end_marker = "riferimento fine del file";

using LineTable = std::array<std::string_view, 1001>;

const LineTable& line_lines();
const LineTable& train_lines();
const LineTable& note_lines();
const LineTable& slowdown_lines();
const LineTable& card_lines();

}  // namespace compactor
