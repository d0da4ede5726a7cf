#include "model/variante.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace compactor {
namespace {

// The result is a value of its own: a reference could outlive a temporary
// argument.
static_assert(std::is_same_v<decltype(minimo(Variante{}, Variante{})), Variante>);

TEST(Minimo, TheSmallerAsANumberAndTheFirstOnATie) {
  struct Caso {
    const char* nome;
    Variante x, y;
    bool primo;  // the result is x, else y
  };
  const Variante vuoto{};
  const std::vector<Caso> casi = {
      {"180 and 270", Variante::intero16(180), Variante::intero16(270), true},
      {"180 and 120", Variante::intero16(180), Variante::intero16(120), false},
      {"180 and 180", Variante::intero16(180), Variante::intero16(180), true},
      {"negative second", Variante::intero16(180), Variante::intero16(-32768), false},
      {"integer and a smaller double", Variante::intero16(180), Variante::doppio64(179.5), false},
      {"integer and a larger double", Variante::intero16(180), Variante::doppio64(180.5), true},
      {"tie of integer and double: the integer, first", Variante::intero16(180), Variante::doppio64(180.0), true},
      {"tie of double and integer: the double, first", Variante::doppio64(180.0), Variante::intero16(180), true},
      {"empty counts as 0, tie with 0: the empty, first", vuoto, Variante::intero16(0), true},
      {"empty against a negative", vuoto, Variante::intero16(-1), false},
      {"empty against a positive", vuoto, Variante::doppio64(0.25), true},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const Variante atteso = c.primo ? c.x : c.y;
    const Variante r = minimo(c.x, c.y);
    EXPECT_EQ(r.tag, atteso.tag);
    EXPECT_EQ(r.i, atteso.i);
    EXPECT_EQ(r.d, atteso.d);
  }
}

}  // namespace
}  // namespace compactor
