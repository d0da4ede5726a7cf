#include "sources/key_word_hint.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

TEST(KeyWordHint, AMisspeltKeyWordIsMetByTheNearestOfItsLanguage) {
  const struct {
    SourceLanguage language;
    const char* field;
    const char* hint;  // "" for none
  } cases[] = {
      {SourceLanguage::line, "pendnza", "pendenza"},
      {SourceLanguage::line, "  Pendenzza ", "pendenza"},
      {SourceLanguage::line, "lunghezza percoso", "lunghezza percorso"},
      {SourceLanguage::line, "montanga", "montagna"},  // two letters swapped
      {SourceLanguage::train, "velocta", "velocita"},
      {SourceLanguage::train, "segnal", "segnale"},
      {SourceLanguage::train, "stazine", "stazione"},
      {SourceLanguage::train, "pendnza", ""},  // a line source's word, not the train's
      {SourceLanguage::line, "xyz", ""},
      {SourceLanguage::line, "pendenza", ""},  // not misspelt: matched as written elsewhere
      {SourceLanguage::train, "- a comment", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(nearest_key_word(c.language, c.field), c.hint) << c.field;
}

}  // namespace
}  // namespace compactor
