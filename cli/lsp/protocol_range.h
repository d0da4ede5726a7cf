// A protocol Range on one line: [from, to) in UTF-16 units.
#pragma once

#include <cstddef>

#include <nlohmann/json.hpp>

namespace lsp {

inline nlohmann::json line_range(int line, std::size_t from, std::size_t to) {
  return {{"start", {{"line", line}, {"character", from}}}, {"end", {{"line", line}, {"character", to}}}};
}

}  // namespace lsp
