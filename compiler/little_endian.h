// Explicit little-endian serialisation, member by member.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace compactor::le {

inline void u8(std::string& out, uint8_t v) { out += static_cast<char>(v); }

inline void i16(std::string& out, int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  out += static_cast<char>(u & 0xFF);
  out += static_cast<char>(u >> 8);
}

inline void i32(std::string& out, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  for (int s = 0; s < 32; s += 8) out += static_cast<char>((u >> s) & 0xFF);
}

inline void f64(std::string& out, double v) {
  const auto u = std::bit_cast<uint64_t>(v);
  for (int s = 0; s < 64; s += 8) out += static_cast<char>((u >> s) & 0xFF);
}

}  // namespace compactor::le
