// How the plan's coordinates get their memory: the system's own memory
// calls, kept below the model.
#pragma once

#include <cstddef>

namespace compactor {

// Memory for the plan's coordinates. An array of 2 MiB or more is mapped on
// its own, aligned to 2 MiB and offered huge pages: filled front to back it
// then costs one page fault per 2 MiB instead of one per 4 KiB, and its last
// part, short of a whole huge page, stays in small pages, taken in one call.
// A smaller array of 64 KiB or more is mapped in small pages taken in one
// call. Smaller ones come from the heap. (On Windows, an array of 64 KiB or
// more is one allocation of whole pages of its own.)
void* map_coordinates(std::size_t bytes);
void free_coordinates(void* p, std::size_t bytes) noexcept;

}  // namespace compactor
