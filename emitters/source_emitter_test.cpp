#include "emitters/source_emitter.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "emitters/emitters.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

TabellaRighe tabella(std::initializer_list<std::string_view> righe) {
  TabellaRighe t{};
  size_t i = 0;
  for (auto r : righe) t[i++] = r;
  return t;
}

TEST(SourceEmitter, WritesEachLineWithCrLfUpToTheExactMarker) {
  struct Case {
    TabellaRighe righe;
    std::string file;
  } cases[] = {
      {tabella({"", "", "a", marcatore_fine, "never"}), "\r\n\r\na\r\n"},
      {tabella({"Riferimento fine del file", marcatore_fine}), "Riferimento fine del file\r\n"},
      {tabella({" riferimento fine del file", "riferimento fine del file ", marcatore_fine}),
       " riferimento fine del file\r\nriferimento fine del file \r\n"},
      {tabella({"trailing  ", "velocit\xC3\xA0 \xC3\xA8\xC3\xB2\xC3\xB9", marcatore_fine}),
       "trailing  \r\nvelocit\xE0 \xE8\xF2\xF9\r\n"},
      {tabella({marcatore_fine}), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(testo_file(c.righe), c.file);
}

TEST(SourceEmitter, ATableWithoutItsMarkerIsAProgrammingError) {
  TabellaRighe piena;
  piena.fill("riga");
  EXPECT_THROW(testo_file(piena), std::logic_error);
  TabellaRighe ultimo = piena;
  ultimo[1000] = marcatore_fine;  // the last slot still closes the table
  EXPECT_EQ(testo_file(ultimo).size(), 1000u * 6);
  EXPECT_THROW(testo_file(tabella({"\xE2\x82", marcatore_fine})), std::logic_error) << "broken UTF-8";
  EXPECT_THROW(testo_file(tabella({"\xE4\xB8\x80", marcatore_fine})), std::logic_error) << "not in the code page";
}

TEST(SourceEmitter, ReplacesAnOlderLongerFileWhole) {
  testing::TempDir dir;
  const std::string path = dir / "f.txt";
  testing::put_file(path, std::string(5000, 'z'));
  scrivi_testo(tabella({"one", marcatore_fine}), path, real_files());
  EXPECT_EQ(testing::file_text(path), "one\r\n");
  EXPECT_EQ(testing::folder_names(dir.path()), std::vector<std::string>{"f.txt"}) << "no temporary file left";
}

TEST(Emitters, WriteTheFiveTextsUnderTheScenarioNames) {
  testing::TempDir dir;
  const FileNames nomi = file_names(dir.path(), "Orvena_Lusco", "REG 4105");
  dati_linea(nomi, real_files());
  dati_treno(nomi, real_files());
  dati_note(nomi, real_files());
  dati_rallentamenti(nomi, real_files());
  dati_scheda(nomi, real_files());
  EXPECT_EQ(testing::folder_names(dir.path()),
            (std::vector<std::string>{"Orvena_Lusco_REG 4105-.txt", "Orvena_Lusco_REG 4105_note.txt",
                                      "Orvena_Lusco_REG 4105_rallentamenti.txt",
                                      "Orvena_Lusco_REG 4105_scheda_treno.txt", "Orvena_Lusco_linea.txt"}));
  EXPECT_EQ(testing::file_text(nomi.linea_txt), testo_file(righe_linea()));
  EXPECT_EQ(testing::file_text(nomi.scheda), testo_file(righe_scheda()));
}

}  // namespace
}  // namespace compactor
