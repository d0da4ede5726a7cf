#include "model/variant.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace compactor {
namespace {

// The result is a value of its own: a reference could outlive a temporary
// argument.
static_assert(std::is_same_v<decltype(minimo(Variant{}, Variant{})), Variant>);

TEST(Least, TheSmallerAsANumberAndTheFirstOnATie) {
  struct Case {
    const char* nome;
    Variant x, y;
    bool first;  // the result is x, else y
  };
  const Variant vuoto{};
  const std::vector<Case> cases = {
      {"180 and 270", Variant::intero16(180), Variant::intero16(270), true},
      {"180 and 120", Variant::intero16(180), Variant::intero16(120), false},
      {"180 and 180", Variant::intero16(180), Variant::intero16(180), true},
      {"negative second", Variant::intero16(180), Variant::intero16(-32768), false},
      {"integer and a smaller double", Variant::intero16(180), Variant::doppio64(179.5), false},
      {"integer and a larger double", Variant::intero16(180), Variant::doppio64(180.5), true},
      {"tie of integer and double: the integer, first", Variant::intero16(180), Variant::doppio64(180.0), true},
      {"tie of double and integer: the double, first", Variant::doppio64(180.0), Variant::intero16(180), true},
      {"empty counts as 0, tie with 0: the empty, first", vuoto, Variant::intero16(0), true},
      {"empty against a negative", vuoto, Variant::intero16(-1), false},
      {"empty against a positive", vuoto, Variant::doppio64(0.25), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nome);
    const Variant expected = c.first ? c.x : c.y;
    const Variant r = minimo(c.x, c.y);
    EXPECT_EQ(r.tag, expected.tag);
    EXPECT_EQ(r.i, expected.i);
    EXPECT_EQ(r.d, expected.d);
  }
}

}  // namespace
}  // namespace compactor
