// Memory for the plan's coordinates on a POSIX system: mapped on its own.
#include "platform/memory/coordinate_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace compactor {
namespace {

constexpr size_t kPaginaGrande = size_t{2} << 20;
constexpr size_t kPagina = 4096;
// Smaller arrays come from the heap.
constexpr size_t kMappata = size_t{64} << 10;

// The size mapped for an array. A last huge page that the array mostly
// fills is taken whole: its unused part, at most a sixteenth of the array,
// costs less than a fault for each small page (a 1,000 km plan); otherwise
// the rest stays in small pages (the carried plan).
size_t dimensione_mappa(size_t bytes) {
  const size_t dimensione = (bytes + kPagina - 1) / kPagina * kPagina;
  if (bytes < kPaginaGrande) return dimensione;
  const size_t intera = (dimensione + kPaginaGrande - 1) / kPaginaGrande * kPaginaGrande;
  return intera - dimensione <= dimensione / 16 ? intera : dimensione;
}

// Small pages the plan is about to fill, all in one call rather than one
// fault each (a fault costs about 11 us on a virtual machine).
void popola(void* p, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  ::madvise(p, bytes, MADV_POPULATE_WRITE);  // only advice: without it, a fault each
#else
  (void)p;
  (void)bytes;
#endif
}

}  // namespace

void* mappa_coordinate(size_t bytes) {
  if (bytes < kMappata) return ::operator new(bytes);
  // An array of huge pages starts on a 2 MiB boundary: map what it needs
  // and enough more to reach one, then give back what lies before the
  // boundary and after the array.
  const size_t dimensione = dimensione_mappa(bytes);
  const size_t allineamento = bytes < kPaginaGrande ? kPagina : kPaginaGrande;
  const size_t margine = allineamento - kPagina;
  void* m = ::mmap(nullptr, dimensione + margine, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) throw std::bad_alloc();
  const auto inizio = reinterpret_cast<uintptr_t>(m);
  const uintptr_t allineato = (inizio + allineamento - 1) / allineamento * allineamento;
  if (allineato > inizio) ::munmap(m, allineato - inizio);
  const size_t dopo = margine - (allineato - inizio);
  if (dopo > 0) ::munmap(reinterpret_cast<void*>(allineato + dimensione), dopo);
  void* p = reinterpret_cast<void*>(allineato);
#ifdef MADV_HUGEPAGE
  if (allineamento == kPaginaGrande) ::madvise(p, dimensione, MADV_HUGEPAGE);  // only advice: without it, small pages
#endif
  // The small pages after the last huge one (all of a smaller array); the
  // plan fills them in every complete run.
  if (const size_t coda = dimensione % kPaginaGrande; coda != 0) popola(static_cast<char*>(p) + dimensione - coda, coda);
  return p;
}

void libera_coordinate(void* p, size_t bytes) noexcept {
  if (bytes < kMappata) {
    ::operator delete(p);
    return;
  }
  ::munmap(p, dimensione_mappa(bytes));
}

}  // namespace compactor
