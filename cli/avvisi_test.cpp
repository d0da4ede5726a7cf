#include "cli/avvisi.h"

#include <gtest/gtest.h>

namespace compactor::cli {
namespace {

Luogo treno(int riga, int colonna) { return {Diagnostica::treno, riga, colonna}; }

TEST(Warnings, SurplusFieldsOnOneLineAreToldOnceWithTheirCount) {
  // A hostile line of a million surplus fields must not make a million
  // warnings, each carrying a copy of the line.
  const std::string riga = "velocita,   0,    30,  40,  41,  42";
  RaccoltaAvvisi r("", "[generale]\r\n" + riga + "\r\n[fine]\r\n");
  r.record(TipoRecord::velocita, 0, treno(2, 12));
  r.campo_ignorato(treno(2, 23), "40");
  r.campo_ignorato(treno(2, 28), "41");
  r.campo_ignorato(treno(2, 33), "42");
  const auto a = r.avvisi();
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].dove.colonna, 23);
  EXPECT_EQ(a[0].messaggio, "surplus field \"40\" and 2 more after the record on this line are skipped");
  EXPECT_EQ(a[0].testo_riga, riga);
}

TEST(Warnings, ADecimalCommaIsToldAndSurplusAfterItOnce) {
  const std::string riga = "pendenza,  1250,   -4,5, 7, 8";
  RaccoltaAvvisi r("[generale]\r\n" + riga + "\r\n", "");
  const Luogo dove{Diagnostica::linea, 2, 0};
  r.record(TipoRecord::pendenza, 1250, dove);
  r.campo_ignorato({Diagnostica::linea, 2, 22}, "5");
  r.campo_ignorato({Diagnostica::linea, 2, 25}, "7");
  r.campo_ignorato({Diagnostica::linea, 2, 28}, "8");
  const auto a = r.avvisi();
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].messaggio, "a decimal comma splits \"-4,5\": the value reads as -4 and \"5\" is skipped");
  EXPECT_EQ(a[1].messaggio, "surplus field \"7\" and 1 more after the record on this line are skipped");
}

TEST(Warnings, EachCarriesItsOwnLineInALongSource) {
  std::string fonte = "[generale]\r\n";
  for (int i = 2; i <= 100'000; ++i) fonte += "stazione_" + std::to_string(i) + "\r\n";
  RaccoltaAvvisi r("", fonte);
  for (int riga : {100'000, 2, 50'000}) r.campo_ignorato(treno(riga, 0), "stazione_" + std::to_string(riga));
  const auto a = r.avvisi();
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0].testo_riga, "stazione_2");
  EXPECT_EQ(a[1].testo_riga, "stazione_50000");
  EXPECT_EQ(a[2].testo_riga, "stazione_100000");
}

}  // namespace
}  // namespace compactor::cli
