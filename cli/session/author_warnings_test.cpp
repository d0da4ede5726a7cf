#include "cli/session/author_warnings.h"

#include <gtest/gtest.h>

#include "loader/memorizza_dati.h"
#include "testing/source_fixture.h"

namespace compactor::session {
namespace {

SourcePlace treno(int riga, int column) { return {LoadReport::treno, riga, column}; }

TEST(Warnings, SurplusFieldsOnOneLineAreToldOnceWithTheirCount) {
  // A hostile line of a million surplus fields must not make a million
  // warnings, each carrying a copy of the line.
  const std::string riga = "velocita,   0,    30,  40,  41,  42";
  WarningCollector r;
  r.record(RecordKind::velocita, 0, treno(2, 12), riga);
  r.skipped_field(treno(2, 23), riga, "40");
  r.skipped_field(treno(2, 28), riga, "41");
  r.skipped_field(treno(2, 33), riga, "42");
  const auto a = r.warnings();
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].where.column, 23);
  EXPECT_EQ(a[0].message, "surplus field \"40\" and 2 more after the record on this line are skipped");
  EXPECT_EQ(a[0].line_text, riga);
}

TEST(Warnings, ADecimalCommaIsToldAndSurplusAfterItOnce) {
  const std::string riga = "pendenza,  1250,   -4,5, 7, 8";
  WarningCollector r;
  const SourcePlace where{LoadReport::linea, 2, 0};
  r.record(RecordKind::pendenza, 1250, where, riga);
  r.skipped_field({LoadReport::linea, 2, 22}, riga, "5");
  r.skipped_field({LoadReport::linea, 2, 25}, riga, "7");
  r.skipped_field({LoadReport::linea, 2, 28}, riga, "8");
  const auto a = r.warnings();
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].message, "a decimal comma splits \"-4,5\": the value reads as -4 and \"5\" is skipped");
  EXPECT_EQ(a[1].message, "surplus field \"7\" and 1 more after the record on this line are skipped");
}

TEST(Warnings, OfEachKindTheFirstFiftyAreToldAndTheRestCounted) {
  // A hostile source of a million misspelt lines made a million warnings,
  // each with a copy of its line; the count is what an author needs.
  WarningCollector r;
  const int kLines = 1000;
  for (int k = 1; k <= kLines; ++k) {
    r.skipped_field(treno(2 * k, 0), "velocitaa,  0,  30", "velocitaa");
    // and on the next line a surplus field, a kind of its own
    r.record(RecordKind::aderenza, k * 50, treno(2 * k + 1, 0), "aderenza,  50,  95,  7");
    r.skipped_field(treno(2 * k + 1, 20), "aderenza,  50,  95,  7", "7");
  }
  const auto a = r.warnings();
  ASSERT_EQ(a.size(), 2u * (WarningCollector::kMostOfAKind + 1));
  int counts = 0;
  for (const auto& w : a) {
    if (w.message.find("more warnings of") == std::string::npos) continue;
    ++counts;
    EXPECT_GE(w.where.line, 2 * (WarningCollector::kMostOfAKind + 1)) << "where the first untold one stands";
    EXPECT_LE(w.where.line, 2 * (WarningCollector::kMostOfAKind + 1) + 1);
    EXPECT_TRUE(w.message == "950 more warnings of unrecognised key fields, from this line on, are not shown (the "
                               "first 50 are)" ||
                w.message == "950 more warnings of surplus fields, from this line on, are not shown (the first 50 "
                               "are)")
        << w.message;
  }
  EXPECT_EQ(counts, 2);
}

TEST(Warnings, EachCarriesItsOwnLineInALongSource) {
  // The loader hands each warning the line it stands on.
  std::string linea = "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\n";
  for (int i = 4; i <= 100'000; ++i) linea += "curva_" + std::to_string(i) + ",  50\r\n";
  testing::SourcesInMemory s(linea, "[generale]\r\nvelocita,   0,    30\r\n[fine]\r\n");
  WarningCollector r;
  memorizza_dati(s.m, s.names, s.files, &r);
  const auto a = r.warnings();
  // The first fifty, then one that counts the rest, at the first of them.
  ASSERT_EQ(a.size(), 51u);
  for (size_t k = 0; k < a.size(); ++k) {
    const int riga = a[k].where.line;
    EXPECT_EQ(riga, static_cast<int>(k) + 4);
    EXPECT_EQ(a[k].line_text, "curva_" + std::to_string(riga) + ",  50") << riga;
  }
  EXPECT_EQ(a[49].message.rfind("unrecognised key field", 0), 0u) << a[49].message;
  EXPECT_EQ(a[50].message,
            "99947 more warnings of unrecognised key fields, from this line on, are not shown (the first 50 are)");
}

}  // namespace
}  // namespace compactor::session
