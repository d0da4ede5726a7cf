// The bytes of one entry of the plan file: a 2-byte tag and its value,
// little-endian.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "model/variant.h"

namespace compactor {

inline char* metti16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
  return p + 2;
}

inline char* metti64(char* p, uint64_t v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, 8);
  } else {
    for (int s = 0; s < 64; s += 8) p[s / 8] = static_cast<char>((v >> s) & 0xFF);
  }
  return p + 8;
}

inline char* put_integer(char* p, double v) {
  p = metti16(p, Variant::intero);
  return metti16(p, static_cast<uint16_t>(static_cast<int16_t>(v)));
}

inline char* put_double(char* p, double v) {
  p = metti16(p, Variant::doppio);
  return metti64(p, std::bit_cast<uint64_t>(v));
}

}  // namespace compactor
