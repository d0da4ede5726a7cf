// How large a source may be. The carried line source is 50 KB and a route of
// a million metres a few hundred; a source of 64 MiB is something else (a
// device, a log being appended to, a wrong file) and would only grow the
// run's memory until the system stops it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace compactor {

inline constexpr uint64_t kSourceLimit = uint64_t{64} << 20;

// The whole source at `path`, a regular file of at most kSourceLimit bytes;
// throws PlatformError naming the file and the limit otherwise.
inline std::string read_source_bytes(Files& files, const std::string& path) {
  std::string bytes = files.read_at_most(path, kSourceLimit + 1);
  if (bytes.size() > kSourceLimit)
    throw PlatformError(path, "cannot read: larger than 64 MiB, the limit for a source");
  return bytes;
}

}  // namespace compactor
