// A tagged value as the plan file stores it: empty, 16-bit integer or double.
#pragma once

#include <cstdint>

namespace compactor {

struct Variant {
  // Tags as they stand on file.
  enum Tag : uint16_t { vuoto = 0, intero = 2, doppio = 5 };

  Tag tag = vuoto;
  int16_t i = 0;
  double d = 0.0;

  static Variant intero16(int16_t v) { return {intero, v, 0.0}; }
  static Variant doppio64(double v) { return {doppio, 0, v}; }

  // The numeric value; an empty value counts as 0.
  double numero() const {
    switch (tag) {
      case intero: return i;
      case doppio: return d;
      default: return 0.0;
    }
  }
};

// The smaller of two tagged values, compared as numbers; on a tie the first.
// A copy, never a reference to an argument that may be a temporary.
inline Variant minimo(const Variant& x, const Variant& y) {
  return x.numero() > y.numero() ? y : x;
}

}  // namespace compactor
