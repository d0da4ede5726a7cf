// The plans of two compiled scenarios compared: a route that moved is told
// as runs of differing entries, where and how far, not point by point.
#pragma once

#include <string>

#include "cli/compiled_diff.h"
#include "model/planimetria.h"

namespace compactor::cli {

// Notes in `d` how plan `b` differs from plan `a`: a different number of
// entries, then each run of consecutive differing entries as one line
//   plan metres 1501-341000: 339500 entries differ, largest |dx| 12.4 m, |dy| 3.1 m
// (a run of one entry, and every entry with `entry_by_entry`, as the entry
// itself: "plan metre 1501: x 3.25 -> 3.5, y 2 -> 2.1"). An entry is a metre;
// it differs when its x or its y does, bit for bit or in its tag.
void compare_plans(const Planimetria& a, const Planimetria& b, bool entry_by_entry, Differences& d);

// A distance for people, in metres without the unit: to 0.1 m, and below
// 0.05 m to two significant digits so that a difference never reads as 0.
std::string metres_text(double metres);

}  // namespace compactor::cli
