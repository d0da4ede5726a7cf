#include "model/planimetria.h"

#include <cstdint>
#include <new>

#include "model/errors.h"

namespace compactor {

void Planimetria::dimensiona(int32_t metri_totali) {
  if (metri_totali < 0) throw LoadFailure("plan of negative length");
  metri_totali_ = metri_totali;
  seminata_ = false;
  prossimo_ = 0;
  in_attesa_.clear();
  x_.clear();
  y_.clear();
  // The room for the points is taken when they are first held: a plan
  // that is only written never holds more than its seed.
}

void Planimetria::riserva() const {
  x_.reserve(static_cast<size_t>(punti()));
  y_.reserve(static_cast<size_t>(punti()));
}

void Planimetria::libera() {
  metri_totali_ = -1;
  seminata_ = false;
  prossimo_ = 0;
  in_attesa_.clear();
  decltype(x_)().swap(x_);
  decltype(x_)().swap(y_);
}

void Planimetria::semina() {
  if (punti() < 2) throw LoadFailure("plan too short for its seed");
  in_attesa_.clear();
  x_.assign({0.0, 0.0});
  y_.assign({0.0, 1.0});
  seminata_ = true;
  prossimo_ = 2;
}

void Planimetria::prolunga_tratto(int64_t fino, double k) {
  if (fino < prossimo_) return;
  if (!seminata_) throw LoadFailure("plan point outside the plan");
  const int64_t ultimo = std::min(fino, punti() - 1);
  if (ultimo >= prossimo_) {
    if (!in_attesa_.empty() && in_attesa_.back().k == k)
      in_attesa_.back().fino = ultimo + 1;
    else
      in_attesa_.push_back({ultimo + 1, k});
    prossimo_ = ultimo + 1;
  }
  if (fino > ultimo) throw LoadFailure("plan point outside the plan");
}

void Planimetria::calcola_in_attesa() const {
  int64_t da = static_cast<int64_t>(x_.size());  // at least the seed's 2
  riserva();
  x_.resize(static_cast<size_t>(prossimo_));
  y_.resize(static_cast<size_t>(prossimo_));
  double* const x = x_.data();
  double* const y = y_.data();
  double x2 = x[da - 2], x1 = x[da - 1], y2 = y[da - 2], y1 = y[da - 1];
  for (const Tratto& t : in_attesa_) {
    percorri_tratto(x2, x1, y2, y1, da, t.fino, t.k, [x, y](int64_t i, double xi, double yi) {
      x[i] = xi;
      y[i] = yi;
    });
    da = t.fino;
  }
  in_attesa_.clear();
}

void Planimetria::aggiungi(double x, double y) {
  completa();
  if (!seminata_ || prossimo_ >= punti()) throw LoadFailure("plan point outside the plan");
  if (x_.size() == x_.capacity()) riserva();
  x_.push_back(x);
  y_.push_back(y);
  ++prossimo_;
}

double Planimetria::x(int64_t m) const {
  if (m < 0 || m >= prossimo_) throw LoadFailure("plan point not computed");
  completa();
  return x_[static_cast<size_t>(m)];
}

double Planimetria::y(int64_t m) const {
  if (m < 0 || m >= prossimo_) throw LoadFailure("plan point not computed");
  completa();
  return y_[static_cast<size_t>(m)];
}

Variant Planimetria::voce(int64_t m, int c) const {
  if (m < 0 || m >= punti() || c < 0 || c > 1) throw LoadFailure("plan entry outside the plan");
  if (m >= prossimo_) return {};
  completa();
  const double v = c == 0 ? x_[static_cast<size_t>(m)] : y_[static_cast<size_t>(m)];
  if (m < 2) return Variant::intero16(static_cast<int16_t>(v));
  return Variant::doppio64(v);
}

}  // namespace compactor
