#include "sources/key_words.h"

#include <gtest/gtest.h>

#include <string>

namespace compactor {
namespace {

// The names of the rules a field matched, in test order, blank-separated:
// readable both in the tables and in a failure message.
std::string names(const GeneralKeys& c) {
  std::string s;
  auto add = [&](bool b, const char* n) { if (b) s += s.empty() ? n : std::string(" ") + n; };
  add(c.lunghezza_percorso, "lunghezza_percorso");
  add(c.progressiva_tre, "progressiva_tre");
  add(c.progressiva_due, "progressiva_due");
  add(c.progressiva_uno, "progressiva_uno");
  add(c.sfondo_uno, "sfondo_uno");
  add(c.sfondo_due, "sfondo_due");
  add(c.sfondo_tre, "sfondo_tre");
  add(c.signal_repetition, "ripetizione_segnali");
  return s;
}

std::string names(const LineKeys& c) {
  std::string s;
  auto add = [&](bool b, const char* n) { if (b) s += s.empty() ? n : std::string(" ") + n; };
  add(c.pendenza, "pendenza");
  add(c.curva, "curva");
  add(c.montagna, "montagna");
  add(c.indicatori_v, "indicatori_v");
  add(c.cartello_indicatore, "cartello_indicatore");
  return s;
}

std::string names(const TrainKeys& c) {
  std::string s;
  auto add = [&](bool b, const char* n) { if (b) s += s.empty() ? n : std::string(" ") + n; };
  add(c.massa_frenata, "massa_frenata");
  add(c.vetture, "vetture");
  add(c.velocita, "velocita");
  add(c.aderenza, "aderenza");
  add(c.clock, "orologio");
  add(c.sabbia, "sabbia");
  add(c.segnale, "segnale");
  add(c.rallentamento, "rallentamento");
  add(c.abbattimento, "abbattimento");
  add(c.stazione, "stazione");
  return s;
}

struct Case {
  std::string campo;
  std::string expected_;
};

TEST(Substring, ExactAndCaseIgnored) {
  struct LineCase {
    std::string campo, word;
    bool exact, without_capitals;
  };
  const LineCase lines[] = {
      {"numero vetture", "vetture", true, true},
      {"NUMERO VETTURE", "vetture", false, true},
      {"xx[Generale]yy", "[generale]", false, true},
      {"VELOCIT\xC0", "velocit\xE0", false, true},  // accented capital
      {"velocit\xE0", "velocita", false, false},    // an accent is not its base_ letter
      {"vettur", "vetture", false, false},
      {"", "", true, true},
  };
  for (const LineCase& r : lines) {
    EXPECT_EQ(contains(r.campo, r.word), r.exact) << r.campo << " / " << r.word;
    EXPECT_EQ(contains_ignoring_case(r.campo, r.word), r.without_capitals)
        << r.campo << " / " << r.word;
  }
}

TEST(DashField, OnlyTheHyphenCounts) {
  EXPECT_TRUE(has_dash("-"));
  EXPECT_TRUE(has_dash("--- commento ---"));
  EXPECT_TRUE(has_dash("Km 28+000-"));
  EXPECT_FALSE(has_dash("pendenza"));
  EXPECT_FALSE(has_dash(""));
  EXPECT_FALSE(has_dash("\x96\x97"));  // en and em dash are other characters
}

TEST(GeneralSection, KeyWordsWithTheirCaseRules) {
  const Case cases[] = {
      {"lunghezza percorso", "lunghezza_percorso"},
      {"LUNGHEZZA PERCORSO", "lunghezza_percorso"},
      {"percorso della lunghezza", "lunghezza_percorso"},
      {"lunghezza", ""},
      {"progressiva chilometrica uno", "progressiva_uno"},
      {"progressiva chilometrica due", "progressiva_due"},
      {"progressiva chilometrica tre", "progressiva_tre"},
      {"Progressiva chilometrica uno", ""},  // capital P: not recognised
      {"progressiva chilometrica UNO", ""},
      {"sfondo uno", "sfondo_uno"},
      {"Sfondo uno", ""},
      {"sfondo tre due", "sfondo_due sfondo_tre"},
      {"progressiva sfondo uno", "progressiva_uno sfondo_uno"},
      {"ripetizione segnali 9 codici", "ripetizione_segnali"},
      {"Ripetizione segnali 4 codici", ""},
      {"[curve]", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(names(chiavi_generali(c.campo)), c.expected_) << c.campo;
}

TEST(GeneralSection, SignalRepetitionCodes) {
  EXPECT_EQ(repeat_codes("ripetizione segnali 9 codici"), 9);
  EXPECT_EQ(repeat_codes("ripetizione segnali 4 codici"), 4);
  EXPECT_EQ(repeat_codes("ripetizione segnali 9 o 4"), 4);  // "4" is tested first
  EXPECT_EQ(repeat_codes("ripetizione segnali 49"), 4);
  EXPECT_EQ(repeat_codes("ripetizione segnali"), 0);
}

TEST(GeneralSection, OpeningAndClosingFields) {
  EXPECT_TRUE(opens_general("[generale]"));
  EXPECT_TRUE(opens_general("[GENERALE]"));
  EXPECT_TRUE(opens_general("vedi [Generale] sotto"));
  EXPECT_FALSE(opens_general("generale"));
  EXPECT_FALSE(opens_general("[ generale]"));

  const std::pair<const char*, bool> closings[] = {
      {"[curve]", true},  {"  \t[curve]", true}, {"]x[", true},  {"a-[b]", true},
      {"-[curve]", false}, {"  -[x]", false},    {"[curve", false}, {"curve]", false},
      {"", false},
  };
  for (const auto& [campo, closes] : closings)
    EXPECT_EQ(closes_general_section(campo), closes) << '"' << campo << '"';
}

TEST(LineRecords, KeyWordsIgnoreCase) {
  const Case cases[] = {
      {"pendenza", "pendenza"},
      {"PENDENZA", "pendenza"},
      {"curvas1", "curva"},
      {"CURVAS2", "curva"},
      {"montagna", "montagna"},
      {"indicatori_vmax", "indicatori_v"},
      {"indicatori vmax", ""},  // the underscore is part of the word
      {"cartello_indicatore", "cartello_indicatore"},
      {"Indicatore del CARTELLO", "cartello_indicatore"},
      {"cartello", ""},
      {"pendenza curva", "pendenza curva"},
      {"[curve]", ""},
      {"[pendenze]", ""},
      {"[montagne]", ""},
      {"[cartelli]", ""},
      {"[indicazioni]", ""},
      {"[fine]", ""},
      {"5", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(names(chiavi_linea(c.campo)), c.expected_) << c.campo;
}

TEST(LineRecords, CurveClassAndDirection) {
  struct LineCase {
    const char* campo;
    int class_;
    bool s;
  };
  const LineCase lines[] = {
      {"curvas1", 1, true},  {"CURVAS2", 2, true}, {"curvad3", 3, false},
      {"curvad6", 6, false}, {"curva62", 2, false},  // digits tested 1 to 6, not by position
      {"curva21", 1, false}, {"curvad", 0, false},  {"curvad7", 0, false},
      {"curva0 9", 0, false},
  };
  for (const LineCase& r : lines) {
    EXPECT_EQ(curve_class(r.campo), r.class_) << r.campo;
    EXPECT_EQ(curva_s(r.campo), r.s) << r.campo;
  }
}

TEST(TrainRecords, KeyWordsIgnoreCase) {
  const Case cases[] = {
      {"percentuale massa frenata", "massa_frenata"},
      {"FRENATA, MASSA", "massa_frenata"},
      {"massa", ""},
      {"numero vetture", "vetture"},
      {"velocita", "velocita"},
      {"VELOCITA", "velocita"},
      {"velocit\xE0", "velocita"},
      {"VELOCIT\xC0", "velocita"},
      {"aderenza", "aderenza"},
      {"orologio", "orologio"},
      {"sabbia", "sabbia"},
      {"segnale", "segnale"},
      {"rallentamento", "rallentamento"},
      {"abbattimento", "abbattimento"},
      {"stazione", "stazione"},
      {"segnale della stazione", "segnale stazione"},
      {"[segnali]", ""},
      {"[stazioni]", ""},
      {"[rallentamenti]", ""},
      {"[aderenze]", ""},
      {"[vel_limite]", ""},
      {"[codici]", ""},
      {"[fine]", ""},
      {"[generale]", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(names(chiavi_treno(c.campo)), c.expected_) << c.campo;
}

}  // namespace
}  // namespace compactor
