#include "model/planimetria.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "model/errors.h"

namespace compactor {
namespace {

constexpr size_t kPaginaGrande = size_t{2} << 20;
constexpr size_t kPagina = 4096;

size_t a_pagine(size_t bytes) { return (bytes + kPagina - 1) / kPagina * kPagina; }

}  // namespace

void* mappa_coordinate(size_t bytes) {
  if (bytes < kPaginaGrande) return ::operator new(bytes);
  // Map a huge page more than needed and give back what lies before the
  // first 2 MiB boundary and after the array.
  const size_t dimensione = a_pagine(bytes);
  void* m = ::mmap(nullptr, dimensione + kPaginaGrande, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) throw std::bad_alloc();
  const auto inizio = reinterpret_cast<uintptr_t>(m);
  const uintptr_t allineato = (inizio + kPaginaGrande - 1) / kPaginaGrande * kPaginaGrande;
  if (allineato > inizio) ::munmap(m, allineato - inizio);
  const size_t dopo = kPaginaGrande - (allineato - inizio);
  if (dopo > 0) ::munmap(reinterpret_cast<void*>(allineato + dimensione), dopo);
  void* p = reinterpret_cast<void*>(allineato);
#ifdef MADV_HUGEPAGE
  ::madvise(p, dimensione, MADV_HUGEPAGE);  // only advice: without it, small pages
#endif
  return p;
}

void libera_coordinate(void* p, size_t bytes) noexcept {
  if (bytes < kPaginaGrande) {
    ::operator delete(p);
    return;
  }
  ::munmap(p, a_pagine(bytes));
}

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
  decltype(x_)().swap(x_);
  decltype(x_)().swap(y_);
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
