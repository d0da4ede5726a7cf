#include "model/planimetria.h"

#include <cstdint>
#include <new>

#include "model/errors.h"

namespace compactor {

void Planimetria::resize(int32_t metri_totali) {
  if (metri_totali < 0) throw LoadFailure("plan of negative length");
  total_metres_ = metri_totali;
  seeded_ = false;
  next_ = 0;
  pending_.clear();
  x_.clear();
  y_.clear();
  // The room for the points is taken when they are first held: a plan
  // that is only written never holds more than its seed.
}

void Planimetria::reserve() const {
  x_.reserve(static_cast<size_t>(points()));
  y_.reserve(static_cast<size_t>(points()));
}

void Planimetria::release() {
  total_metres_ = -1;
  seeded_ = false;
  next_ = 0;
  pending_.clear();
  decltype(x_)().swap(x_);
  decltype(x_)().swap(y_);
}

void Planimetria::seed() {
  if (points() < 2) throw LoadFailure("plan too short for its seed");
  pending_.clear();
  x_.assign({0.0, 0.0});
  y_.assign({0.0, 1.0});
  seeded_ = true;
  next_ = 2;
}

void Planimetria::extend_stretch(int64_t up_to, double k) {
  if (up_to < next_) return;
  if (!seeded_) throw LoadFailure("plan point outside the plan");
  const int64_t last = std::min(up_to, points() - 1);
  if (last >= next_) {
    if (!pending_.empty() && pending_.back().k == k)
      pending_.back().up_to = last + 1;
    else
      pending_.push_back({last + 1, k});
    next_ = last + 1;
  }
  if (up_to > last) throw LoadFailure("plan point outside the plan");
}

void Planimetria::compute_pending() const {
  int64_t da = static_cast<int64_t>(x_.size());  // at least the seed's 2
  reserve();
  x_.resize(static_cast<size_t>(next_));
  y_.resize(static_cast<size_t>(next_));
  double* const x = x_.data();
  double* const y = y_.data();
  LastTwo last{x[da - 2], x[da - 1], y[da - 2], y[da - 1]};
  for (const Stretch& t : pending_) {
    last = walk_stretch(last, da, t.up_to, t.k, [x, y](int64_t i, double xi, double yi) {
      x[i] = xi;
      y[i] = yi;
    });
    da = t.up_to;
  }
  pending_.clear();
}

void Planimetria::add(double x, double y) {
  complete_();
  if (!seeded_ || next_ >= points()) throw LoadFailure("plan point outside the plan");
  if (x_.size() == x_.capacity()) reserve();
  x_.push_back(x);
  y_.push_back(y);
  ++next_;
}

double Planimetria::x(int64_t m) const {
  if (m < 0 || m >= next_) throw LoadFailure("plan point not computed");
  complete_();
  return x_[static_cast<size_t>(m)];
}

double Planimetria::y(int64_t m) const {
  if (m < 0 || m >= next_) throw LoadFailure("plan point not computed");
  complete_();
  return y_[static_cast<size_t>(m)];
}

Variant Planimetria::entry(int64_t m, int c) const {
  if (m < 0 || m >= points() || c < 0 || c > 1) throw LoadFailure("plan entry outside the plan");
  if (m >= next_) return {};
  complete_();
  const double v = c == 0 ? x_[static_cast<size_t>(m)] : y_[static_cast<size_t>(m)];
  if (m < 2) return Variant::intero16(static_cast<int16_t>(v));
  return Variant::doppio64(v);
}

}  // namespace compactor
