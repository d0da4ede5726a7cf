// Memory for the plan's coordinates on a POSIX system: mapped on its own.
#include "platform/memory/coordinate_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

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

}  // namespace compactor
