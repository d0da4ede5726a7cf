// "1 warning", "3 warnings": a count and its noun.
#pragma once

#include <cstddef>
#include <string>

#include <fmt/format.h>

namespace compactor::cli {

inline std::string plural(size_t n, const char* word) { return fmt::format("{} {}{}", n, word, n == 1 ? "" : "s"); }

}  // namespace compactor::cli
