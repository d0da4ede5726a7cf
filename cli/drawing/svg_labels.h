// Places text labels next to points so that they do not cover each other:
// each label tries its candidate places in order and takes the first one
// that no earlier label holds.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace compactor::cli {

struct Label {
  double x = 0, y = 0;           // where the text's anchor goes (baseline)
  const char* still = "start";  // text-anchor
};

// A place to try: the label `distance` px from the point along (dx, dy).
struct Candidate {
  double dx = 0, dy = 0, distance = 0;
};

class Labels {
 public:
  // The first free candidate; when all are taken, the first one if
  // `anyway`, else nothing. The place taken is then held.
  std::optional<Label> laid(double x, double y, const std::vector<Candidate>& candidates, std::string_view utf8,
                                double body, bool anyway);

 private:
  struct Box {
    double x0, y0, x1, y1;
  };
  static Box footprint(const Label& e, std::string_view utf8, double body);
  bool free_(const Box& r) const;

  std::vector<Box> taken_;
};

}  // namespace compactor::cli
