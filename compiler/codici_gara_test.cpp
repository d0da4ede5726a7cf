#include "compiler/codici_gara.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace compactor {
namespace {

Model with_names(const std::string& treno, const std::string& percorso) {
  Model m;
  m.stazioni.at(86).nome = treno;
  m.stazioni.at(85).nome = percorso;
  return m;
}

struct Codes {
  int16_t og;
  int32_t st;
};

Codes codes(const std::string& treno, const std::string& percorso) {
  Model m = with_names(treno, percorso);
  const int32_t st = codice_gara_st(m);
  return {codice_gara_og(m), st};
}

// Filler codes: r 114, t 116, v 118, z 122, s 115, p 112, h 104, f 102,
// d 100, b 98, m 109, l 108, q 113, each letter twice.
// Its first 24 characters sum to 2 x 1318 = 2636 (plain) and to
// 32098 weighted by positions 1 to 24; the 25th is q.
TEST(CodiciGara, CodesOfKnownNames) {
  struct Case {
    const char* nome;
    std::string treno, percorso;
    int16_t og;
    int32_t st;
  };
  const std::vector<Case> cases = {
      // 2636 + 113; 32098 + 25 x 113.
      {"empty names: the filler alone", "", "", 2749, 34923},
      // 97 + 98 + 99 + 2420 (first 22 filler characters);
      // 97 + 2 x 98 + 3 x 99 + 34282 (the same 22 at positions 4 to 25).
      {"abc", "a", "bc", 2714, 34872},
      // The train name comes first: x (120) at position 1, y (121) at 2.
      {"train x, route y", "x", "y", 2769, 34924},
      {"train y, route x", "y", "x", 2769, 34923},
      // 0xC0 lowers to 0xE0 = 224, then the first 24 filler characters:
      // 224 + 2636; 224 + 32098 + 2636, each filler character standing one
      // place further on.
      {"a non-ASCII capital", "\xC0", "", 2860, 34958},
      // The widest codes: 25 x 255 and 255 x 325; bytes count unsigned.
      {"all 0xFF", std::string(13, '\xFF'), std::string(12, '\xFF'), 6375, 82875},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nome);
    const Codes r = codes(c.treno, c.percorso);
    EXPECT_EQ(r.og, c.og);
    EXPECT_EQ(r.st, c.st);
    // The same codes from the names alone, as the reader checks them.
    EXPECT_EQ(plain_code(c.treno, c.percorso), c.og);
    EXPECT_EQ(weighted_code(c.treno, c.percorso), c.st);
  }
}

TEST(CodiciGara, WhichNameChangesChangeTheCodes) {
  const std::string twenty_five = "abcdefghijklmnopqrstuvwxy";
  struct Case {
    const char* nome;
    std::string train_a, route_a, train_b, route_b;
    bool og_equal, st_equal;
  };
  const std::vector<Case> cases = {
      {"letter case", "Treno Espresso", "LINEA nord", "treno espresso", "linea NORD", true, true},
      {"accented capitals", "\xC0\xC9\x8A", "", "\xE0\xE9\x9A", "", true, true},
      {"after the 25th character", twenty_five + "Z", "linea", twenty_five + "k", "altra", true, true},
      {"at the 25th character", "abcdefghijklmnopqrstuvwx", "y", "abcdefghijklmnopqrstuvwx", "z", false, false},
      {"where the names are joined", "ab", "c", "a", "bc", true, true},
      {"names exchanged", "treno", "linea", "linea", "treno", true, false},
      {"a blank counts", "a b", "", "ab", "", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nome);
    const Codes a = codes(c.train_a, c.route_a);
    const Codes b = codes(c.train_b, c.route_b);
    EXPECT_EQ(a.og == b.og, c.og_equal);
    EXPECT_EQ(a.st == b.st, c.st_equal);
  }
}

TEST(CodiciGara, LeaveTheCodeTextInRigaAndChangeNothingElse) {
  Model m = with_names("Treno", "LINEA");
  m.griglia.resize(10);
  const auto stations_before = m.stazioni.all();
  const auto grid_before = m.griglia.celle();
  codice_gara_og(m);
  EXPECT_EQ(m.riga, "trenolinearrttvvzzsspphhffddbbmmllqq");
  m.riga.clear();
  codice_gara_st(m);
  EXPECT_EQ(m.riga, "trenolinearrttvvzzsspphhffddbbmmllqq");
  EXPECT_EQ(m.stazioni.all(), stations_before);
  EXPECT_EQ(m.griglia.celle(), grid_before);
}

}  // namespace
}  // namespace compactor
