#include "compiler/plan_points.h"

#include <algorithm>
#include <bit>

#include "compiler/compiled_format.h"
#include "compiler/plan_entries.h"

namespace compactor {
namespace {

using compiled_format::double_entry_bytes;

// Both normal and finite, of one sign and one binade (the same exponent):
// their difference is exact, and a multiple of the binade's spacing.
bool one_binade(double a, double b) {
  const uint64_t ea = std::bit_cast<uint64_t>(a) >> 52, eb = std::bit_cast<uint64_t>(b) >> 52;
  return ea == eb && (ea & 0x7FF) != 0 && (ea & 0x7FF) != 0x7FF;
}

// Whether n straight steps of one coordinate, from c2 and c1 (d = c1 - c2),
// each add exactly d. When c2, c1 and c1 + n d lie in one binade, d is
// exact and a multiple of the binade's spacing, every point between lies in
// the binade too, so each step's difference is d again and each sum is
// exact: point j after c1 is c1 + j d, reached by adding d j times. (Were
// n d not exact, c1 + n d would lie outside the binade, and so would its
// rounding.) A coordinate that does not move stays as it is, once: c1 +
// 0 turns a negative zero positive, so c2 must be c1 to the bit.
bool steps_exactly(double c2, double c1, int64_t n, double d) {
  if (d == 0.0) return std::bit_cast<uint64_t>(c1) == std::bit_cast<uint64_t>(c2);
  return one_binade(c2, c1) && one_binade(c1, c1 + static_cast<double>(n) * d);
}

// A straight run whose points are each the one before plus (dx, dy),
// exactly: the last point laid out and where the next entries go.
struct Straight {
  int64_t left = 0;  // points not laid out yet
  double x = 0, dx = 0, y = 0, dy = 0;
  char* p = nullptr;
  char* q = nullptr;
};

// The next `count` points of a straight run.
inline void lay_out_steps(Straight& s, int64_t count) {
  double x = s.x, y = s.y;
  char* p = s.p;
  char* q = s.q;
  for (int64_t j = 0; j < count; ++j) {
    x += s.dx;
    y += s.dy;
    p = put_double(p, x);
    q = put_double(q, y);
  }
  s = {s.left - count, x, s.dx, y, s.dy, p, q};
}

// A curve's points, with the straight run before it laid out a few points
// beside each: the stores of the straight points take the time each curve
// point waits for the one before (about a third less for the carried
// route's plan).
[[gnu::noinline]] LastTwo lay_out_curve_beside(LastTwo last, int64_t n, double k, char* p, char* q,
                                               Straight s) {
  const int64_t each = (s.left + n - 1) / n;
  last = walk_stretch(last, 0, n, k, [&p, &q, &s, each](int64_t, double xi, double yi) {
    p = put_double(p, xi);
    q = put_double(q, yi);
    lay_out_steps(s, std::min(each, s.left));
  });
  lay_out_steps(s, s.left);
  return last;
}

}  // namespace

// A function of its own, kept out of the writers: inside them the last two
// points were spilled to the stack and read back on every point, a wait as
// long as the point's own arithmetic.
[[gnu::noinline]] LastTwo lay_out_points(LastTwo last, int64_t da, int64_t a, double k, char* p, char* q,
                                         double* ys) {
  if (q != nullptr)
    return walk_stretch(last, da, a, k, [&p, &q](int64_t, double xi, double yi) {
      p = put_double(p, xi);
      q = put_double(q, yi);
    });
  return walk_stretch(last, da, a, k, [&p, ys](int64_t i, double xi, double yi) {
    p = put_double(p, xi);
    ys[i] = yi;
  });
}

LastTwo lay_out_runs(LastTwo last, std::span<const Stretch> runs, int64_t first, int64_t m, int64_t to,
                     char* x_entries, char* y_entries) {
  Straight before;  // a straight run waiting for the curve after it
  int64_t from = first;
  for (const Stretch& t : runs) {
    const int64_t a = std::max(from, m), b = std::min(t.up_to, to);
    from = t.up_to;
    if (a < b) {
      const int64_t n = b - a;
      char* const p = x_entries + static_cast<size_t>(a - m) * double_entry_bytes;
      char* const q = y_entries + static_cast<size_t>(a - m) * double_entry_bytes;
      if (t.k != 0.0 && before.left > 0) {
        last = lay_out_curve_beside(last, n, t.k, p, q, before);
        before.left = 0;
      } else if (t.k != 0.0) {
        last = lay_out_points(last, a, b, t.k, p, q, nullptr);
      } else {
        lay_out_steps(before, before.left);
        const double dx = last.x1 - last.x2, dy = last.y1 - last.y2;
        if (steps_exactly(last.x2, last.x1, n, dx) && steps_exactly(last.y2, last.y1, n, dy)) {
          // Its end is known now; its points wait for the curve after it.
          before = {n, last.x1, dx, last.y1, dy, p, q};
          const double steps = static_cast<double>(n);
          last = {n == 1 ? last.x1 : last.x1 + (steps - 1) * dx, last.x1 + steps * dx,
                  n == 1 ? last.y1 : last.y1 + (steps - 1) * dy, last.y1 + steps * dy};
        } else {
          last = lay_out_points(last, a, b, 0.0, p, q, nullptr);
        }
      }
    }
    if (t.up_to >= to) break;
  }
  lay_out_steps(before, before.left);
  return last;
}

}  // namespace compactor
