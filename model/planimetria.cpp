#include "model/planimetria.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "model/errors.h"

namespace compactor {
namespace {

constexpr size_t kLargePage = size_t{2} << 20;
constexpr size_t kPage = 4096;
// Smaller arrays how from the heap.
constexpr size_t kMapped = size_t{64} << 10;

// The size mapped for an array. A last huge page that the array mostly
// fills is taken whole: its unused part, at most a sixteenth of the array,
// costs less than a fault for each small page (a 1,000 km plan); otherwise
// the rest stays in small pages (the carried plan).
size_t map_size(size_t bytes) {
  const size_t size = (bytes + kPage - 1) / kPage * kPage;
  if (bytes < kLargePage) return size;
  const size_t whole_ = (size + kLargePage - 1) / kLargePage * kLargePage;
  return whole_ - size <= size / 16 ? whole_ : size;
}

// Small pages the plan is about to fill, all in one call rather than one
// fault each (a fault costs about 11 us on a virtual machine).
void populate(void* p, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  ::madvise(p, bytes, MADV_POPULATE_WRITE);  // only advice: without it, a fault each
#else
  (void)p;
  (void)bytes;
#endif
}

}  // namespace

void* map_coordinates(size_t bytes) {
  if (bytes < kMapped) return ::operator new(bytes);
  // An array of huge pages starts on a 2 MiB boundary: map what it needs
  // and enough more to reach one, then give back what lies before the
  // boundary and after the array.
  const size_t size = map_size(bytes);
  const size_t alignment = bytes < kLargePage ? kPage : kLargePage;
  const size_t margin = alignment - kPage;
  void* m = ::mmap(nullptr, size + margin, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) throw std::bad_alloc();
  const auto inizio = reinterpret_cast<uintptr_t>(m);
  const uintptr_t aligned = (inizio + alignment - 1) / alignment * alignment;
  if (aligned > inizio) ::munmap(m, aligned - inizio);
  const size_t after = margin - (aligned - inizio);
  if (after > 0) ::munmap(reinterpret_cast<void*>(aligned + size), after);
  void* p = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  if (alignment == kLargePage) ::madvise(p, size, MADV_HUGEPAGE);  // only advice: without it, small pages
#endif
  // The small pages after the last huge one (all of a smaller array); the
  // plan fills them in every complete run.
  if (const size_t tail = size % kLargePage; tail != 0) populate(static_cast<char*>(p) + size - tail, tail);
  return p;
}

void free_coordinates(void* p, size_t bytes) noexcept {
  if (bytes < kMapped) {
    ::operator delete(p);
    return;
  }
  ::munmap(p, map_size(bytes));
}

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
  double x2 = x[da - 2], x1 = x[da - 1], y2 = y[da - 2], y1 = y[da - 1];
  for (const Stretch& t : pending_) {
    walk_stretch(x2, x1, y2, y1, da, t.up_to, t.k, [x, y](int64_t i, double xi, double yi) {
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
