#include "cli/lsp/formatting.h"

#include <gtest/gtest.h>

#include "cli/session/compile_session.h"
#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "platform/memory_files.h"
#include "testing/test_support.h"

namespace lsp {
namespace {

using compactor::SourceLanguage;

TEST(Formatting, NumbersStandAsTheCarriedTextsSetThemAndNothingElseMoves) {
  const std::string before =
      "[generale]\r\n"
      "lunghezza percorso, 10000\r\n"
      "[curve]\r\n"
      "pendenza,600,-11\r\n"
      "  curvas1 ,1350,150\r\n"
      "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\n"
      "; a note, 1, 2\n"
      "[fine]";
  const std::string after =
      "[generale]\r\n"
      "lunghezza percorso,    10000\r\n"
      "[curve]\r\n"
      "pendenza,  600,   -11\r\n"
      "curvas1,  1350,  150\r\n"
      "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\n"
      "; a note, 1, 2\n"
      "[fine]";
  EXPECT_EQ(formatted(before, SourceLanguage::line), after);
  EXPECT_EQ(formatted(after, SourceLanguage::line), after);
  // Right-aligned columns widen for a wider number, and every line with them.
  EXPECT_EQ(formatted("segnale, 3950, 2\r\nsegnale, 1003950, 2\r\n", SourceLanguage::train),
            "segnale,    3950,   2\r\nsegnale, 1003950,   2\r\n");
}

// The lines of a carried text that formatting changes.
int changed_lines(const std::string& text, SourceLanguage language) {
  const std::string f = formatted(text, language);
  int changed = 0;
  size_t a = 0, b = 0;
  while (a < text.size() && b < f.size()) {
    const size_t ea = text.find('\n', a), eb = f.find('\n', b);
    changed += text.substr(a, ea - a) != f.substr(b, eb - b);
    if (ea == std::string::npos || eb == std::string::npos) break;
    a = ea + 1;
    b = eb + 1;
  }
  return changed;
}

TEST(Formatting, TheCarriedTextsAreAlreadyFormatted) {
  EXPECT_EQ(changed_lines(compactor::joined_lines(compactor::line_lines()), SourceLanguage::line), 0);
  // One speed limit is written "velocità" with its own spacing.
  EXPECT_LE(changed_lines(compactor::joined_lines(compactor::train_lines()), SourceLanguage::train), 1);
}

// What two sources compile to, as the compiled files' bytes.
std::string compiled(const std::string& line, const std::string& train) {
  compactor::session::CompileRequest r;
  r.line = {"l", line};
  r.train = {"t", train};
  r.route = "R";
  r.train_name = "T";
  const auto result = compactor::session::compile(std::move(r));
  compactor::MemoryFiles out;
  std::string all;
  for (const auto& path : compactor::session::write_compiled(result, "/o", out)) all += out.read(path) + "|";
  return all + std::to_string(result.diagnostics.size());
}

TEST(Formatting, TheFormattedSourcesCompileToTheSameBytes) {
  const struct {
    const char* what;
    std::string line, train;
  } cases[] = {
      {"the carried scenario", compactor::joined_lines(compactor::line_lines()),
       compactor::joined_lines(compactor::train_lines())},
      {"the example scenario", compactor::testing::file_text(std::string(COMPACTOR_SOURCE_DIR) + "/docs/example/Valdora_Pianetto_linea.txt"),
       compactor::testing::file_text(std::string(COMPACTOR_SOURCE_DIR) + "/docs/example/Valdora_Pianetto_REG 2201-.txt")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string line = formatted(c.line, SourceLanguage::line), train = formatted(c.train, SourceLanguage::train);
    EXPECT_EQ(compiled(line, train), compiled(c.line, c.train));
    EXPECT_EQ(formatted(line, SourceLanguage::line), line);
    EXPECT_EQ(formatted(train, SourceLanguage::train), train);
  }
}

}  // namespace
}  // namespace lsp
