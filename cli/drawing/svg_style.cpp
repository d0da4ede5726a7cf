#include "cli/drawing/svg_style.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdlib>

namespace compactor::cli::style {

double round_step(double raw) {
  if (!(raw > 0) || !std::isfinite(raw)) return 1;
  const double ten = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double f : {1.0, 2.0, 5.0, 10.0})
    if (f * ten >= raw * (1 - 1e-9)) return f * ten;
  return 10 * ten;
}

std::string readable_metres(double metres) {
  if (std::fabs(metres) < 1000) return fmt::format("{} m", static_cast<long long>(std::nearbyint(metres)));
  const double km = metres / 1000;
  if (std::fabs(km - std::nearbyint(km)) < 1e-9)
    return fmt::format("{} km", static_cast<long long>(std::nearbyint(km)));
  return fmt::format("{:.1f} km", km);
}

std::string readable_reading(long long metres) {
  const char* sign = metres < 0 ? "-" : "";
  const long long a = std::llabs(metres);
  return fmt::format("{}{}.{:03}", sign, a / 1000, a % 1000);
}

}  // namespace compactor::cli::style
