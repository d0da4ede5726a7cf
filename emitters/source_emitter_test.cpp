#include "emitters/source_emitter.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "emitters/emitters.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

LineTable table(std::initializer_list<std::string_view> lines) {
  LineTable t{};
  size_t i = 0;
  for (auto r : lines) t[i++] = r;
  return t;
}

TEST(SourceEmitter, WritesEachLineWithCrLfUpToTheExactMarker) {
  struct Case {
    LineTable lines;
    std::string file;
  } cases[] = {
      {table({"", "", "a", end_marker, "never"}), "\r\n\r\na\r\n"},
      {table({"Riferimento fine del file", end_marker}), "Riferimento fine del file\r\n"},
      {table({" riferimento fine del file", "riferimento fine del file ", end_marker}),
       " riferimento fine del file\r\nriferimento fine del file \r\n"},
      {table({"trailing  ", "velocit\xC3\xA0 \xC3\xA8\xC3\xB2\xC3\xB9", end_marker}),
       "trailing  \r\nvelocit\xE0 \xE8\xF2\xF9\r\n"},
      {table({end_marker}), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(joined_lines(c.lines), c.file);
}

TEST(SourceEmitter, ATableWithoutItsMarkerIsAProgrammingError) {
  LineTable full;
  full.fill("riga");
  EXPECT_THROW(joined_lines(full), std::logic_error);
  LineTable last = full;
  last[1000] = end_marker;  // the last slot still closes the table
  EXPECT_EQ(joined_lines(last).size(), 1000u * 6);
  EXPECT_THROW(joined_lines(table({"\xE2\x82", end_marker})), std::logic_error) << "broken UTF-8";
  EXPECT_THROW(joined_lines(table({"\xE4\xB8\x80", end_marker})), std::logic_error) << "not in the code page";
}

TEST(SourceEmitter, ReplacesAnOlderLongerFileWhole) {
  testing::TempDir dir;
  const std::string path = dir / "f.txt";
  testing::put_file(path, std::string(5000, 'z'));
  write_text(table({"one", end_marker}), path, real_files());
  EXPECT_EQ(testing::file_text(path), "one\r\n");
  EXPECT_EQ(testing::folder_names(dir.path()), std::vector<std::string>{"f.txt"}) << "no temporary file left";
}

TEST(Emitters, WriteTheFiveTextsUnderTheScenarioNames) {
  testing::TempDir dir;
  const FileNames names = file_names(dir.path(), "Orvena_Lusco", "REG 4105");
  dati_linea(names, real_files());
  dati_treno(names, real_files());
  dati_note(names, real_files());
  dati_rallentamenti(names, real_files());
  dati_scheda(names, real_files());
  EXPECT_EQ(testing::folder_names(dir.path()),
            (std::vector<std::string>{"Orvena_Lusco_REG 4105-.txt", "Orvena_Lusco_REG 4105_note.txt",
                                      "Orvena_Lusco_REG 4105_rallentamenti.txt",
                                      "Orvena_Lusco_REG 4105_scheda_treno.txt", "Orvena_Lusco_linea.txt"}));
  EXPECT_EQ(testing::file_text(names.line_txt), joined_lines(line_lines()));
  EXPECT_EQ(testing::file_text(names.scheda), joined_lines(card_lines()));
}

}  // namespace
}  // namespace compactor
