// Memory for the plan's coordinates on Windows: a large array is an
// allocation of pages of its own, given back whole when freed, so that a
// long plan does not leave the heap fragmented.
#include "platform/memory/coordinate_memory.h"

#include <windows.h>

#include <new>

namespace compactor {
namespace {

// Smaller arrays come from the heap.
constexpr std::size_t kMapped = std::size_t{64} << 10;

}  // namespace

void* map_coordinates(std::size_t bytes) {
  if (bytes < kMapped) return ::operator new(bytes);
  void* p = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void free_coordinates(void* p, std::size_t bytes) noexcept {
  if (bytes < kMapped) {
    ::operator delete(p);
    return;
  }
  ::VirtualFree(p, 0, MEM_RELEASE);
}

}  // namespace compactor
