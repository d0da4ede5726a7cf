#include "compiler/reserved_places.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace compactor {
namespace {

// Train "a" and route "bc" give the plain code 2714 and the weighted code
// 34872 (worked out from the character codes in codici_gara_test.cpp).
constexpr int16_t og_abc = 2714;
constexpr int32_t st_abc = 34872;

Model scenario(bool with_grid) {
  Model m;
  m.stazioni.at(86).nome = "a";
  m.stazioni.at(85).nome = "bc";
  if (with_grid) m.griglia.resize(150);
  return m;
}

// The number of the error stop, or "" when there is none.
std::string stop_di(Model& m) {
  try {
    stamp_reserved_places(m);
  } catch (const ErrorStop& e) {
    return e.numero();
  }
  return "";
}

TEST(StampReserved, StampsTheMarksAndTheCodesAndNothingElse) {
  Model m = scenario(true);
  m.stazioni.at(85).inizio = 3;
  m.griglia.at(1).tipo = tipo_cella::cartello;
  m.griglia.at(1).dato3 = 9;
  m.griglia.at(1).pendenza = 100;

  Model expected = m;
  expected.stazioni.at(85).campo7 = 610;
  expected.stazioni.at(85).orario = st_abc;
  expected.griglia.at(1).dato1 = 5121;
  expected.griglia.at(1).dato2 = og_abc;

  ASSERT_EQ(stop_di(m), "");
  EXPECT_EQ(m.stazioni.all(), expected.stazioni.all());
  EXPECT_EQ(m.griglia.celle(), expected.griglia.celle());
}

TEST(StampReserved, ATakenPlaceStopsAndNothingIsStampedFromThere) {
  struct Case {
    const char* nome;
    int16_t campo7, dato1;
    int32_t orario;
    int16_t dato2;
    const char* numero;
  };
  const std::vector<Case> cases = {
      {"row 85 campo7", 1, 0, 0, 0, "1250"},
      {"cell 1 dato1", 0, -1, 0, 0, "1250"},
      {"both marks and the codes taken: the marks are checked first", 5, 5, 5, 5, "1250"},
      {"row 85 orario", 0, 0, 7, 0, "1251"},
      {"cell 1 dato2", 0, 0, 0, 300, "1251"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nome);
    Model m = scenario(true);
    m.stazioni.at(85).campo7 = c.campo7;
    m.griglia.at(1).dato1 = c.dato1;
    m.stazioni.at(85).orario = c.orario;
    m.griglia.at(1).dato2 = c.dato2;
    m.riga = "untouched";

    EXPECT_EQ(stop_di(m), c.numero);
    const bool stamped_marks = std::string(c.numero) == "1251";
    EXPECT_EQ(m.stazioni.at(85).campo7, stamped_marks ? 610 : c.campo7);
    EXPECT_EQ(m.griglia.at(1).dato1, stamped_marks ? 5121 : c.dato1);
    EXPECT_EQ(m.stazioni.at(85).orario, c.orario);
    EXPECT_EQ(m.griglia.at(1).dato2, c.dato2);
    EXPECT_EQ(m.riga, "untouched");  // no code was worked out
  }
}

TEST(StampReserved, WithoutAGridOnlyRow85IsCheckedAndStamped) {
  Model m = scenario(false);
  ASSERT_EQ(stop_di(m), "");
  EXPECT_EQ(m.stazioni.at(85).campo7, 610);
  EXPECT_EQ(m.stazioni.at(85).orario, st_abc);
  EXPECT_FALSE(m.griglia.sized());

  Model mark_it = scenario(false);
  mark_it.stazioni.at(85).campo7 = 1;
  EXPECT_EQ(stop_di(mark_it), "1250");

  Model codice = scenario(false);
  codice.stazioni.at(85).orario = 1;
  EXPECT_EQ(stop_di(codice), "1251");
  EXPECT_EQ(codice.stazioni.at(85).campo7, 610);
}

}  // namespace
}  // namespace compactor
