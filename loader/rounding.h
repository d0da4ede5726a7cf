// Whole numbers from the loader's arithmetic.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "model/errors.h"
#include "model/model.h"

namespace compactor {

// A float expression to a whole number, halves to even (the default
// rounding mode), as every division by 50 is converted. The whole
// expression is rounded once: round(x / 50 - 1) is not round(x / 50) - 1.
inline int64_t round_half_even(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

// A value that must fit 16 bits signed, else the load fails.
inline int16_t in_integer(int64_t v) {
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
    throw LoadFailure("value " + std::to_string(v) + " does not fit 16 bits");
  return static_cast<int16_t>(v);
}

// A value that must fit 32 bits signed, else the load fails.
inline int32_t in_long(int64_t v) {
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    throw LoadFailure("value " + std::to_string(v) + " does not fit 32 bits");
  return static_cast<int32_t>(v);
}

// Members that keep the low bits of what is stored into them.
inline int16_t basso16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }
inline uint8_t basso8(int64_t v) { return static_cast<uint8_t>(v & 0xFF); }

// Writes the cells from the fill pointer `pointer` up to the cell before
// `up_to`, advancing the pointer. The first cell is written even when the
// pointer already stands at or past `up_to`: a record behind the pointer
// still writes one cell.
template <class Write>
void fill(Griglia& griglia, int64_t& pointer, int64_t up_to, Write write) {
  do {
    write(griglia.at(pointer++));
  } while (pointer < up_to);
}

// A record lies beyond the grid when celle_totali < (chainage + margin) / 50.
inline bool past_grid(int64_t chainage, int64_t margin, int32_t celle_totali) {
  return static_cast<double>(celle_totali) < static_cast<double>(chainage + margin) / 50.0;
}

}  // namespace compactor
