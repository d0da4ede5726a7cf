// Line and train sources of a made-up route of any length, with records as
// dense as a busy line has them, so that cost per kilometre can be read off.
#pragma once

#include <cstdint>
#include <string>

namespace compactor::bench {

struct Sources {
  std::string linea;  // the line source, CR LF lines
  std::string treno;  // the train source
};

// A route of `lunghezza` metres (at most 1,000,000). Every kilometre has a
// curve, two gradients and a signal; speed limits, code drops, speed
// indicator boards, stations, tunnels, signboards and slowdowns follow at
// wider spacings, the table-bound ones capped at what their tables hold.
Sources generated_sources(int32_t lunghezza);

}  // namespace compactor::bench
