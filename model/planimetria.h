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
#include "model/variant.h"

namespace compactor {

// Memory for the plan's coordinates. An array of 2 MiB or more is mapped on
// its own, aligned to 2 MiB and offered huge pages: filled front to back it
// then costs one page fault per 2 MiB instead of one per 4 KiB, and its last
// part, short of a whole huge page, stays in small pages, taken in one call.
// A smaller array of 64 KiB or more is mapped in small pages taken in one
// call. Smaller ones come from the heap.
void* mappa_coordinate(size_t bytes);
void libera_coordinate(void* p, size_t bytes) noexcept;

template <typename T>
struct MemoriaCoordinate {
  using value_type = T;
  MemoriaCoordinate() = default;
  template <typename U>
  MemoriaCoordinate(const MemoriaCoordinate<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(mappa_coordinate(n * sizeof(T))); }
  void deallocate(T* p, size_t n) noexcept { libera_coordinate(p, n * sizeof(T)); }
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
  bool operator==(const MemoriaCoordinate<U>&) const {
    return true;
  }
};

class Planimetria {
 public:
  bool dimensionata() const { return metri_totali_ >= 0; }
  int32_t metri_totali() const { return metri_totali_; }
  // Number of entries of each coordinate: metri_totali + 1.
  int64_t punti() const { return dimensionata() ? int64_t{metri_totali_} + 1 : 0; }

  // Re-dimensions to 0..metri_totali and clears every entry.
  void dimensiona(int32_t metri_totali);
  // Drops the plan (not dimensioned).
  void libera();

  // Points 0 = (0, 0) and 1 = (0, 1), as 16-bit integers.
  void semina();
  bool seminata() const { return seminata_; }

  // Index of the next point to compute (2 after the seed).
  int64_t prossimo() const { return prossimo_; }
  // Computes the next point; a load failure when the plan is full.
  void aggiungi(double x, double y);

  // Computes the points prossimo() to fino: passo(x, y, da, a) fills
  // points da to a - 1 of the two coordinates from the points before
  // them (da is at least 2). When fino lies past the end of the plan, the
  // points that fit are computed and then it is a load failure.
  template <typename Passo>
  void prolunga(int64_t fino, Passo&& passo);

  // Coordinates of a seeded or computed point m (m < prossimo()).
  double x(int64_t m) const;
  double y(int64_t m) const;

  // Entry (m, c), c = 0 for x and 1 for y, as the file stores it.
  Variant voce(int64_t m, int c) const;

  // The seeded and computed coordinates in metre order, prossimo() of each,
  // for the writer, which reads them all in one pass.
  const double* tutti_x() const { return x_.data(); }
  const double* tutti_y() const { return y_.data(); }

 private:
  int32_t metri_totali_ = -1;
  bool seminata_ = false;
  int64_t prossimo_ = 0;
  std::vector<double, MemoriaCoordinate<double>> x_, y_;
};

template <typename Passo>
void Planimetria::prolunga(int64_t fino, Passo&& passo) {
  if (fino < prossimo_) return;
  if (!seminata_) throw LoadFailure("plan point outside the plan");
  const int64_t ultimo = std::min(fino, punti() - 1);
  if (ultimo >= prossimo_) {
    x_.resize(static_cast<size_t>(ultimo) + 1);
    y_.resize(static_cast<size_t>(ultimo) + 1);
    passo(x_.data(), y_.data(), prossimo_, ultimo + 1);
    prossimo_ = ultimo + 1;
  }
  if (fino > ultimo) throw LoadFailure("plan point outside the plan");
}

}  // namespace compactor
