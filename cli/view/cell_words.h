// What a grid cell holds, in words for the page's inspector: its feature's
// values by their meaning, then the track under it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace compactor::view {

struct MemberWords {
  std::string member;  // "dato1", or "" for a line about several members
  std::string words;   // "aspect pair 1: 42 (s1 × 10 + d1)"
};

std::vector<MemberWords> cell_words(const cella& c, const Stazioni& s);

}  // namespace compactor::view
