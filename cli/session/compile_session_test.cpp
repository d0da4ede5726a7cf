#include "cli/session/compile_session.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "compiler/memorizza_percorso.h"
#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "testing/session_fixture.h"
#include "platform/memory_files.h"

namespace compactor::session {
namespace {

const std::string kLine =
    "[generale]\r\nlunghezza percorso,    10000\r\n[curve]\r\ncurvas1,  1350,  150\r\n"
    "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\n[fine]\r\n";
const std::string kTrain =
    "[generale]\r\nvelocita,   0,    30\r\nsegnale,   3950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n"
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  12,11,50, Orvena\r\n[fine]\r\n";

using testing::compile_in_session;

using testing::replaced;

TEST(CompileSession, TellsTheOutcomeAndTheDiagnosticsOfEachKindOfEnd) {
  const struct {
    const char* nome;
    std::string linea, treno;
    Outcome outcome;
    bool writable_;
    size_t avvisi;
    int errore;  // 0: none
    Source where;
    int riga, column, field_end_;
    std::string text;
    std::string message;
    int32_t posizione;
    bool with_position;
  } cases[] = {
      {"clean", kLine, kTrain, Outcome::clean, true, 0, 0, Source::none, 0, 0, 0, "", "", 0, false},
      {"a warning", replaced(kLine, "[curve]", "[curve]\r\npendnza,  600,  1"), kTrain, Outcome::clean, true, 1, 0,
       Source::none, 0, 0, 0, "", "", 0, false},
      {"a record's error", kLine, replaced(kTrain, "3950", "2950"), Outcome::scenario_error, true, 0, 16,
       Source::train, 3, 11, 15, "segnale,   2950,   2, 4, 1,  0, 0,    2,  2,1,0, 0",
       "a signal's cell is already taken", 2950, true},
      {"the error stop", replaced(kLine, "2950", "0"), kTrain, Outcome::error_stop, false, 0, 1250, Source::none, 0,
       0, 0, "", "a reserved place (row 85 campo7 or cell 1 dato1) is already taken", 0, false},
      {"no route length, no grid", "[generale]\r\n[curve]\r\npendenza,  600,   -11\r\n[fine]\r\n", kTrain,
       Outcome::scenario_error, false, 0, 25, Source::line, 2, 0, 7, "[curve]", "", 0, false},
      {"an error of the finishing pass",
       "[generale]\r\nlunghezza percorso,    30000\r\n[curve]\r\n[fine]\r\n",
       "[generale]\r\nvelocita,   0,    100\r\nrallentamento,  20650,  60,  1000,  1,  1,  0\r\n"
       "abbattimento,  20350,  270\r\nabbattimento,  20400,  270\r\nabbattimento,  20450,  270\r\n[fine]\r\n",
       Outcome::scenario_error, true, 0, 12, Source::none, 0, 0, 0, "", "no free cell for a code drop before a slowdown start",
       414 * 50, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nome);
    const CompileResult r = compile_in_session(c.linea, c.treno);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.writable(), c.writable_);
    EXPECT_EQ(r.warning_count(), c.avvisi);
    const Diagnostic* e = r.error();
    ASSERT_EQ(e != nullptr, c.errore != 0);
    for (size_t i = 0; i < c.avvisi; ++i) EXPECT_EQ(r.diagnostics[i].severity, Severity::warning);
    if (!e) continue;
    EXPECT_EQ(e->number, c.errore);
    EXPECT_EQ(e->source, c.where);
    EXPECT_EQ(e->line, c.riga);
    EXPECT_EQ(e->column, c.column);
    EXPECT_EQ(e->column_end, c.field_end_);
    EXPECT_EQ(e->line_text, c.text);
    if (!c.message.empty()) {
      EXPECT_EQ(e->message, c.message);
    }
    EXPECT_EQ(e->position, c.posizione);
    EXPECT_EQ(e->has_position, c.with_position);
    EXPECT_EQ(r.model.numero_errore, c.errore == 1250 ? 0 : c.errore);
  }
}

TEST(CompileSession, AWarningIsPlacedOnItsFieldWithItsLine) {
  const CompileResult r = compile_in_session(replaced(kLine, "[curve]", "[curve]\r\npendenza,  1250,   -4,5"), kTrain);
  ASSERT_EQ(r.diagnostics.size(), 1u);
  const Diagnostic& d = r.diagnostics[0];
  EXPECT_EQ(d.severity, Severity::warning);
  EXPECT_EQ(d.number, 0);
  EXPECT_EQ(d.source, Source::line);
  EXPECT_EQ(r.source_name(d.source), "line.txt");
  EXPECT_EQ(d.line, 4);
  EXPECT_EQ(d.column, 22);
  EXPECT_EQ(d.column_end, 23);
  EXPECT_EQ(d.line_text, "pendenza,  1250,   -4,5");
  EXPECT_EQ(d.message, "a decimal comma splits \"-4,5\": the value reads as -4 and \"5\" is skipped");
}

TEST(CompileSession, ARecordPastTheRoutesEndIsTold) {
  // The route is 10000 m; the grid runs 7000 m further and takes records
  // there without an error.
  const struct {
    const char* signal_at;
    bool told;
  } cases[] = {{"9950", false}, {"10000", false}, {"10050", true}, {"15000", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signal_at);
    const CompileResult r = compile_in_session(kLine, replaced(kTrain, "3950", c.signal_at));
    ASSERT_EQ(r.error(), nullptr);
    ASSERT_EQ(r.warning_count(), c.told ? 1u : 0u);
    if (!c.told) continue;
    const Diagnostic& d = r.diagnostics[0];
    EXPECT_EQ(d.source, Source::train);
    EXPECT_EQ(d.line, 3);
    EXPECT_EQ(d.column, 11);
    EXPECT_EQ(d.message, fmt::format("signal at {} m is past the route's end at 10000 m: the grid's 7000 m beyond the "
                                     "end take it without an error; is the chainage or the route length (lunghezza "
                                     "percorso) wrong?",
                                     c.signal_at));
  }
}

TEST(CompileSession, ASlowdownTheLoaderStoresOtherwiseThanWrittenIsTold) {
  const struct {
    const char* slowdown;
    int column;      // -1: no warning
    const char* words;
  } cases[] = {
      {"rallentamento,  5000,  60,  1000,  1,  1,  0", -1, ""},
      {"rallentamento,  5000,  34000,  1000,  1,  1,  0", 23, "the speed 34000 does not fit 16 bits and is stored as -31536"},
      {"rallentamento,  5000,  60,  10,  1,  1,  0", 28,
       "its end at 5010 m falls in the start's cell, so no end mark is stored and the codes after the start run on "
       "to the route's end; a length of at least 50 m puts the end in the next cell"},
      {"rallentamento,  5000,  60,  50,  1,  1,  0", -1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slowdown);
    const CompileResult r = compile_in_session(kLine, replaced(kTrain, "[fine]", std::string(c.slowdown) + "\r\n[fine]"));
    ASSERT_EQ(r.error(), nullptr);
    ASSERT_EQ(r.warning_count(), c.column < 0 ? 0u : 1u);
    if (c.column < 0) continue;
    const Diagnostic& d = r.diagnostics[0];
    EXPECT_EQ(d.line, 5);
    EXPECT_EQ(d.column, c.column);
    EXPECT_NE(d.message.find(c.words), std::string::npos) << d.message;
  }
}

TEST(CompileSession, FieldSpans) {
  const struct {
    const char* riga;
    int column, fine;
  } cases[] = {{"segnale,   2950,   2", 11, 15}, {"pendenza,  1250,   -4,5", 22, 23}, {"velocita,   0,    30  ", 18, 20},
              {"cartello_indicatore,  2950,   \"(A, B)\" x", 30, 38}, {"a,\"open", 2, 7}, {"x,", 2, 2}, {"", 0, 0},
              {"abc", 7, 3}, {"a,,b", 2, 3}};
  for (const auto& c : cases) EXPECT_EQ(field_end(c.riga, c.column), c.fine) << c.riga << " @" << c.column;
}

// The session writes the bytes the program writes from the same sources,
// and only when asked.
TEST(CompileSession, WritesTheProgramsBytesAndNothingUnasked) {
  const std::string linea = joined_lines(line_lines()), treno = joined_lines(train_lines());
  const testing::ProgramOutput program = testing::program_output(linea, treno, "Orvena_Lusco", "REG 4105");
  ASSERT_TRUE(program.written);

  const CompileResult result = compile_in_session(linea, treno, true, "Orvena_Lusco", "REG 4105");
  EXPECT_EQ(result.outcome, Outcome::clean);
  EXPECT_EQ(result.warning_count(), 3u);
  MemoryFiles written;
  const auto written_names = write_compiled(result, "/out", written);
  const FileNames output = file_names("/out", "Orvena_Lusco", "REG 4105");
  EXPECT_EQ(written_names, (std::vector<std::string>{output.planimetria, output.scenario, output.griglia}));
  EXPECT_TRUE(written.read(output.planimetria) == program.plan);
  EXPECT_TRUE(written.read(output.scenario) == program.scenario);
  EXPECT_TRUE(written.read(output.griglia) == program.grid);

  // An error stop writes nothing, even when asked.
  const CompileResult fermata = compile_in_session(replaced(kLine, "2950", "0"), kTrain);
  MemoryFiles vuoto;
  EXPECT_TRUE(write_compiled(fermata, "/out", vuoto).empty());
  EXPECT_FALSE(vuoto.exists(file_names("/out", "R", "T").griglia));
}

// Each compile is a function of its request: an edit in between leaves no
// trace in the next compile of the first sources.
TEST(CompileSession, CompilingAgainAfterAnEditIsIndependent) {
  const CompileResult first = compile_in_session(kLine, kTrain, true);
  const CompileResult modified = compile_in_session(replaced(kLine, "2950", "3950"), kTrain, true);
  const CompileResult again = compile_in_session(kLine, kTrain, true);
  EXPECT_EQ(modified.error()->number, 16);
  EXPECT_EQ(first.error(), nullptr);
  EXPECT_EQ(again.error(), nullptr);
  EXPECT_EQ(again.model.griglia.celle(), first.model.griglia.celle());
  EXPECT_EQ(again.model.stazioni.all(), first.model.stazioni.all());
  EXPECT_EQ(again.provenance.record_count(), first.provenance.record_count());
  for (int64_t k = 0; k < first.model.griglia.size(); ++k)
    for (int m = 0; m < kCellMemberCount; ++m)
      ASSERT_EQ(again.provenance.cell(k, static_cast<CellMember>(m)), first.provenance.cell(k, static_cast<CellMember>(m)));
}

}  // namespace
}  // namespace compactor::session
