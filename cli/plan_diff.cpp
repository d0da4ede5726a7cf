#include "cli/plan_diff.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>
#include <vector>

#include <fmt/format.h>

#include "cli/dump_tables.h"

namespace compactor::cli {
namespace {

bool same(const Variant& a, const Variant& b) {
  return a.tag == b.tag && a.i == b.i && std::bit_cast<uint64_t>(a.d) == std::bit_cast<uint64_t>(b.d);
}

bool empty(const Variant& v) { return v.tag == Variant::vuoto; }

std::string entry_text(const Planimetria& a, const Planimetria& b, int64_t m) {
  std::vector<std::string> parts;
  for (int c = 0; c < 2; ++c) {
    const Variant va = a.entry(m, c), vb = b.entry(m, c);
    if (!same(va, vb)) parts.push_back(fmt::format("{} {} -> {}", c == 0 ? 'x' : 'y', variant_text(va), variant_text(vb)));
  }
  return fmt::format("plan metre {}: {}", m, fmt::join(parts, ", "));
}

// Consecutive differing entries, first to last, and how they differ.
struct Run {
  int64_t first = 0, last = 0;
  bool numbers = false;  // some coordinate has a number on both sides
  double largest[2] = {0.0, 0.0};  // largest |b - a| of x and of y; NaN sticks
  int64_t set_to_empty = 0, empty_to_set = 0;

  void add(int64_t m, const Variant (&va)[2], const Variant (&vb)[2]) {
    last = m;
    bool emptied = false, filled = false;
    for (int c = 0; c < 2; ++c) {
      if (!empty(va[c]) && !empty(vb[c])) {
        numbers = true;
        const double delta = std::abs(vb[c].numero() - va[c].numero());
        if (std::isnan(delta) || delta > largest[c]) largest[c] = delta;
      } else {
        emptied = emptied || !empty(va[c]);
        filled = filled || !empty(vb[c]);
      }
    }
    set_to_empty += emptied;
    empty_to_set += filled;
  }
  int64_t entries() const { return last - first + 1; }

  std::string text() const {
    std::string t = fmt::format("plan metres {}-{}: {} entries differ", first, last, entries());
    if (numbers) t += fmt::format(", largest |dx| {} m, |dy| {} m", metres_text(largest[0]), metres_text(largest[1]));
    if (set_to_empty > 0) t += fmt::format(", {} set -> empty", set_to_empty);
    if (empty_to_set > 0) t += fmt::format(", {} empty -> set", empty_to_set);
    return t;
  }
};

}  // namespace

std::string metres_text(double metres) {
  if (metres == 0) return "0";
  if (metres < 0.05) return fmt::format("{:.2g}", metres);
  return fmt::format("{:.1f}", metres);
}

void compare_plans(const Planimetria& a, const Planimetria& b, bool entry_by_entry, Differences& d) {
  constexpr DiffedFile plan = DiffedFile::plan;
  if (a.points() != b.points())
    d.note(plan, [&] { return fmt::format("plan: {} -> {} entries a coordinate", a.points(), b.points()); });
  std::optional<Run> run;
  const auto close_run = [&] {
    if (!run) return;
    if (run->entries() == 1)
      d.note(plan, [&] { return entry_text(a, b, run->first); });
    else
      d.note(plan, run->entries(), [&] { return run->text(); });
    run.reset();
  };
  const int64_t common = std::min(a.points(), b.points());
  for (int64_t m = 0; m < common; ++m) {
    const Variant va[2] = {a.entry(m, 0), a.entry(m, 1)};
    const Variant vb[2] = {b.entry(m, 0), b.entry(m, 1)};
    if (same(va[0], vb[0]) && same(va[1], vb[1])) {
      close_run();
    } else if (entry_by_entry) {
      d.note(plan, [&] { return entry_text(a, b, m); });
    } else {
      if (!run) run = Run{.first = m};
      run->add(m, va, vb);
    }
  }
  close_run();
}

}  // namespace compactor::cli
