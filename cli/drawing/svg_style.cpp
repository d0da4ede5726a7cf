#include "cli/drawing/svg_style.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdlib>

namespace compactor::cli::stile {

double passo_tondo(double grezzo) {
  if (!(grezzo > 0) || !std::isfinite(grezzo)) return 1;
  const double dieci = std::pow(10.0, std::floor(std::log10(grezzo)));
  for (const double f : {1.0, 2.0, 5.0, 10.0})
    if (f * dieci >= grezzo * (1 - 1e-9)) return f * dieci;
  return 10 * dieci;
}

std::string metri_leggibili(double metri) {
  if (std::fabs(metri) < 1000) return fmt::format("{} m", static_cast<long long>(std::nearbyint(metri)));
  const double km = metri / 1000;
  if (std::fabs(km - std::nearbyint(km)) < 1e-9)
    return fmt::format("{} km", static_cast<long long>(std::nearbyint(km)));
  return fmt::format("{:.1f} km", km);
}

std::string lettura_leggibile(long long metri) {
  const char* segno = metri < 0 ? "-" : "";
  const long long a = std::llabs(metri);
  return fmt::format("{}{}.{:03}", segno, a / 1000, a % 1000);
}

}  // namespace compactor::cli::stile
