// The plan of the route: one point (x, y) per metre, 0 to metri_totali.
//
// Points are only ever computed front to back, so which tag an entry has
// follows from its index: the seed points 0 and 1 are 16-bit integers,
// computed points are doubles, everything after the last computed point is
// empty. Only the doubles are held, 16 bytes a metre.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "model/errors.h"
#include "platform/memory/coordinate_memory.h"
#include "model/variant.h"

namespace compactor {

template <typename T>
struct CoordinateMemory {
  using value_type = T;
  CoordinateMemory() = default;
  template <typename U>
  CoordinateMemory(const CoordinateMemory<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(map_coordinates(n * sizeof(T))); }
  void deallocate(T* p, size_t n) noexcept { free_coordinates(p, n * sizeof(T)); }
  // A resize leaves the new coordinates unset instead of zeroing them: the
  // plan's step writes every one right after.
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  template <typename U>
  bool operator==(const CoordinateMemory<U>&) const {
    return true;
  }
};

// A run of points, each continuing the last step up to (not including)
// `up_to`, with k not 0 each step also turning by about k radians.
struct Stretch {
  int64_t up_to;
  double k;
};

// The last two points of a walk, which the next point continues from.
struct LastTwo {
  double x2, x1, y2, y1;
};

// The points da to a - 1 of a run of curvature k, from the two before them,
// given in `from`; point(i, x, y) is told each, and the last two are
// returned. They ride along in local variables, in registers where the
// caller leaves room for them: the same operations in the same order as
// reading them back from the plan, without the wait on each store.
template <typename Place>
inline LastTwo walk_stretch(LastTwo from, int64_t da, int64_t a, double k, Place&& point) {
  double x2 = from.x2, x1 = from.x1, y2 = from.y2, y1 = from.y1;
  // k in a register of its own: the stores cannot be taken to change it.
  const double kk = k;
  if (kk == 0.0) {
    for (int64_t i = da; i < a; ++i) {
      const double d0 = x1 - x2;
      const double d1 = y1 - y2;
      x2 = x1;
      y2 = y1;
      x1 = x1 + d0;
      y1 = y1 + d1;
      point(i, x1, y1);
    }
  } else {
    for (int64_t i = da; i < a; ++i) {
      const double d0 = x1 - x2;
      const double d1 = y1 - y2;
      x2 = x1;
      y2 = y1;
      x1 = x1 + (d0 + kk * d1);
      y1 = y1 + (d1 - kk * d0);
      point(i, x1, y1);
    }
  }
  return {x2, x1, y2, y1};
}

class Planimetria {
 public:
  bool sized() const { return total_metres_ >= 0; }
  int32_t metri_totali() const { return total_metres_; }
  // Number of entries of each coordinate: metri_totali + 1.
  int64_t points() const { return sized() ? int64_t{total_metres_} + 1 : 0; }

  // Re-dimensions to 0..metri_totali and clears every entry.
  void resize(int32_t metri_totali);
  // Drops the plan (not dimensioned).
  void release();

  // Points 0 = (0, 0) and 1 = (0, 1), as 16-bit integers.
  void seed();
  bool seeded() const { return seeded_; }

  // Index of the next point to compute (2 after the seed).
  int64_t next() const { return next_; }
  // Computes the next point; a load failure when the plan is full.
  void add(double x, double y);

  // Computes the points next() to up_to: step(x, y, da, a) fills
  // points da to a - 1 of the two coordinates from the points before
  // them (da is at least 2). When up_to lies past the end of the plan, the
  // points that fit are computed and then it is a load failure.
  template <typename StepFn>
  void extend(int64_t up_to, StepFn&& step);

  // The same with the standard step of curvature k (walk_stretch), whose
  // points are only computed when first read: the writer computes them
  // itself as it lays out their entries, so that they are never held twice.
  void extend_stretch(int64_t up_to, double k);
  // The runs recorded and not yet computed, in order; the points before the
  // first of them are held (stored() of each coordinate).
  const std::vector<Stretch>& pending_stretches() const { return pending_; }
  int64_t stored() const { return static_cast<int64_t>(x_.size()); }
  const double* x_stored() const { return x_.data(); }
  const double* y_stored() const { return y_.data(); }

  // Coordinates of a seeded or computed point m (m < next()).
  double x(int64_t m) const;
  double y(int64_t m) const;

  // Entry (m, c), c = 0 for x and 1 for y, as the file stores it.
  Variant entry(int64_t m, int c) const;

  // The seeded and computed coordinates in metre order, next() of each,
  // for the writer, which reads them all in one pass.
  const double* all_x() const {
    complete_();
    return x_.data();
  }
  const double* all_y() const {
    complete_();
    return y_.data();
  }

 private:
  // Computes the runs still waiting.
  void complete_() const {
    if (!pending_.empty()) compute_pending();
  }
  void compute_pending() const;
  // Room for every point of the plan in each coordinate.
  void reserve() const;

  int32_t total_metres_ = -1;
  bool seeded_ = false;
  int64_t next_ = 0;
  // Computed on first reading: what is read is the same either way.
  mutable std::vector<double, CoordinateMemory<double>> x_, y_;
  mutable std::vector<Stretch> pending_;
};

template <typename StepFn>
void Planimetria::extend(int64_t up_to, StepFn&& step) {
  if (up_to < next_) return;
  if (!seeded_) throw LoadFailure("plan point outside the plan");
  complete_();
  const int64_t last = std::min(up_to, points() - 1);
  if (last >= next_) {
    reserve();
    x_.resize(static_cast<size_t>(last) + 1);
    y_.resize(static_cast<size_t>(last) + 1);
    step(x_.data(), y_.data(), next_, last + 1);
    next_ = last + 1;
  }
  if (up_to > last) throw LoadFailure("plan point outside the plan");
}

}  // namespace compactor
