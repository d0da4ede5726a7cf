#include "model/planimetria.h"

#include "model/errors.h"

namespace compactor {

void Planimetria::dimensiona(int32_t metri_totali) {
  if (metri_totali < 0) throw LoadFailure("plan of negative length");
  metri_totali_ = metri_totali;
  seminata_ = false;
  prossimo_ = 0;
  x_.clear();
  y_.clear();
  x_.reserve(static_cast<size_t>(metri_totali) + 1);
  y_.reserve(static_cast<size_t>(metri_totali) + 1);
}

void Planimetria::libera() {
  metri_totali_ = -1;
  seminata_ = false;
  prossimo_ = 0;
  std::vector<double>().swap(x_);
  std::vector<double>().swap(y_);
}

void Planimetria::semina() {
  if (punti() < 2) throw LoadFailure("plan too short for its seed");
  x_.assign({0.0, 0.0});
  y_.assign({0.0, 1.0});
  seminata_ = true;
  prossimo_ = 2;
}

void Planimetria::aggiungi(double x, double y) {
  if (!seminata_ || prossimo_ >= punti()) throw LoadFailure("plan point outside the plan");
  x_.push_back(x);
  y_.push_back(y);
  ++prossimo_;
}

double Planimetria::x(int64_t m) const {
  if (m < 0 || m >= prossimo_) throw LoadFailure("plan point not computed");
  return x_[static_cast<size_t>(m)];
}

double Planimetria::y(int64_t m) const {
  if (m < 0 || m >= prossimo_) throw LoadFailure("plan point not computed");
  return y_[static_cast<size_t>(m)];
}

Variante Planimetria::voce(int64_t m, int c) const {
  if (m < 0 || m >= punti() || c < 0 || c > 1) throw LoadFailure("plan entry outside the plan");
  if (m >= prossimo_) return {};
  const double v = c == 0 ? x_[static_cast<size_t>(m)] : y_[static_cast<size_t>(m)];
  if (m < 2) return Variante::intero16(static_cast<int16_t>(v));
  return Variante::doppio64(v);
}

}  // namespace compactor
