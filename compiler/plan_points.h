// The plan's points computed as their entries are laid out: the writer of
// the plan file holds no coordinate, it walks the loader's runs.
#pragma once

#include <cstdint>
#include <span>

#include "model/planimetria.h"

namespace compactor {

// Points da to a - 1 of one run of curvature k, from `last`: each x entry
// laid out at p and each y entry at q, or each y kept in ys[i] when q is
// null. Returns the last two points.
LastTwo lay_out_points(LastTwo last, int64_t da, int64_t a, double k, char* p, char* q, double* ys);

// Points m to `to` - 1 of the runs `runs`, which follow one another from
// point `first`, from `last`: the x entry of point i at
// x_entries + 10 (i - m), its y entry likewise at y_entries. The bytes of
// lay_out_points run by run; a straight run before a curve is laid out in
// the shadow of the curve's points, each of which waits on the one before.
// Returns the last two points.
LastTwo lay_out_runs(LastTwo last, std::span<const Stretch> runs, int64_t first, int64_t m, int64_t to,
                     char* x_entries, char* y_entries);

}  // namespace compactor
