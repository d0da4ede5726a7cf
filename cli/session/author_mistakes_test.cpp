// The mistakes authors make, each as one edit of a small scenario: what the
// session tells (where, and in which words), and that telling it changes
// nothing the program would write from the same sources.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "platform/memory_files.h"
#include "testing/session_fixture.h"

namespace compactor::session {
namespace {

const std::string kLine =
    "[generale]\r\n"
    "lunghezza percorso,    10000\r\n"
    "[curve]\r\n"
    "pendenza,  600,   -11\r\n"
    "curvas1,  1350,  150\r\n"
    "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\n"
    "[fine]\r\n";
const std::string kTrain =
    "[generale]\r\n"
    "velocita,   0,    30\r\n"
    "aderenza,  0,  95\r\n"
    "segnale,   3950,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n"
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  12,11,50, Orvena\r\n"
    "stazione,    6000,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  12,20,00, Lusco\r\n"
    "[fine]\r\n";

TEST(AuthorMistakes, EachIsToldAtItsFieldInWordsThatSayWhatHappened) {
  const struct {
    const char* what;
    Source source;
    std::string from, to;  // the edit of that source
    Severity severity;
    int number;  // errors only
    int line, column;
    const char* words;  // in the message or the note
  } cases[] = {
      {"a decimal point", Source::train, "velocita,   0,    30", "velocita,   0,    30.5", Severity::warning, 0, 2, 18,
       "a decimal point in \"30.5\": numbers are whole, and the value reads as 30"},
      {"a decimal comma", Source::line, "pendenza,  600,   -11", "pendenza,  600,   -4,5", Severity::warning, 0, 4, 21,
       "a decimal comma splits \"-4,5\""},
      {"a gradient that wraps", Source::line, "pendenza,  600,   -11", "pendenza,  600,   200", Severity::warning, 0, 4,
       18, "gradient at 600 m: the gradient 200 is outside -100 to 155: gradient + 100 does not fit a byte and is "
           "stored as 44"},
      {"an adhesion that wraps", Source::train, "aderenza,  0,  95", "aderenza,  0,  300", Severity::warning, 0, 3, 15,
       "adhesion at 0 m: the adhesion 300 does not fit 8 bits and is stored as 44"},
      {"a slowdown speed that wraps", Source::train, "[fine]", "rallentamento,  5000,  34000,  1000,  1,  1,  0\r\n[fine]",
       Severity::warning, 0, 7, 23, "slowdown at 5000 m: the speed 34000 does not fit 16 bits and is stored as -31536"},
      {"a slowdown inside one cell", Source::train, "[fine]", "rallentamento,  5000,  60,  10,  1,  1,  0\r\n[fine]",
       Severity::warning, 0, 7, 28, "its end at 5010 m falls in the start's cell"},
      {"a speed limit a cell keeps otherwise", Source::train, "velocita,   0,    30", "velocita,   0,    63",
       Severity::warning, 0, 2, 18, "a cell holds the speed in steps of 5 km/h, so 63 km/h is stored as 65 km/h"},
      {"a speed limit far too high", Source::train, "velocita,   0,    30", "velocita,   0,    1200", Severity::warning,
       0, 2, 18, "1200 km/h is above 350 km/h, faster than any line; is a digit too many?"},
      {"a speed limit above what a cell holds", Source::train, "velocita,   0,    30", "velocita,   0,    1300",
       Severity::error, 25, 2, 18, "speed 1300 km/h does not fit a cell"},
      {"a curve direction the plan does not know", Source::line, "curvas1", "curvax5", Severity::warning, 0, 5, 0,
       "\"curva\" is followed by s (left) or d (right); this one turns right"},
      {"a comment that holds a key word", Source::line, "pendenza,  600,   -11", "# pendenza raised,  600,   -11",
       Severity::warning, 0, 4, 0, "looks like a comment but holds a key word"},
      {"a misspelt key word", Source::line, "pendenza,  600,   -11", "pendnza,  600,   -11", Severity::warning, 0, 4, 0,
       "did you mean \"pendenza\"?"},
      {"a record past the route's end", Source::train, "3950", "10050", Severity::warning, 0, 4, 11,
       "signal at 10050 m is past the route's end at 10000 m"},
      {"a gradient out of order", Source::line, "curvas1", "pendenza,  300,   -2\r\ncurvas1", Severity::warning, 0, 5,
       11, "gradient at 300 m is out of chainage order: the one before is at 600 m"},
      {"a timetable going backwards", Source::train, "12,20,00", "12,05,00", Severity::warning, 0, 6, 62,
       "its time 12:05:00 is before 12:11:50, the time of the station before it at 0 m"},
      {"minute 75", Source::train, "12,20,00", "12,75,00", Severity::warning, 0, 6, 62,
       "the time 12, 75, 0 is out of range"},
      {"a source saved as UTF-8", Source::train, "Lusco", "Pievè", Severity::warning, 0, 6, 76,
       "the file looks like UTF-8"},
      {"a curve class the plan does not know", Source::line, "curvas1", "curvad9", Severity::error, 103, 5, 0,
       "holds no class digit 1 to 6"},
      {"semicolons for commas", Source::train, "segnale,   3950,   2, 4, 1,  0, 0,    2,  2,1,0, 0",
       "segnale;   3950;   2; 4; 1;  0; 0;    2;  2;1;0; 0", Severity::error, 25, 4, 0,
       "a record's fields are separated by commas, and this line has \";\""},
      {"a field missing", Source::train, "2,1,0, 0\r\n", "2,1,0\r\n", Severity::error, 25, 4, 0,
       "the \"segnale\" record of this line could not be read to its end: its line holds 10 of its 11 fields, and "
       "the next one, the time value, was looked for on the line after"},
      {"a taken cell", Source::train, "3950", "2950", Severity::error, 16, 4, 11,
       "cell 60 (from 2950 m) holds a signboard; the next free cell is 61 (from 3000 m, 50 m further on)"},
      {"a station out of order", Source::train, "stazione,    6000", "stazione,       0", Severity::error, 22, 6, 16,
       "stations come in chainage order: the one before is at 0 m"},
      {"a station too close", Source::train, "stazione,    6000", "stazione,     700", Severity::error, 22, 6, 14,
       "the zone of the station before (at 0 m) ends at 500 m and this one's starts at 200 m; a zone starts at least "
       "350 m after the one before ends, so at 850 m or later"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string line = c.source == Source::line ? testing::replaced(kLine, c.from, c.to) : kLine;
    const std::string train = c.source == Source::train ? testing::replaced(kTrain, c.from, c.to) : kTrain;
    const CompileResult r = testing::compile_in_session(line, train);
    const Diagnostic* told = nullptr;
    for (const Diagnostic& d : r.diagnostics)
      if (d.severity == c.severity && (d.message + " / " + d.note).find(c.words) != std::string::npos) told = &d;
    ASSERT_NE(told, nullptr) << [&] {
      std::string all;
      for (const Diagnostic& d : r.diagnostics) all += fmt::format("\n  {}:{}: {} / {}", d.line, d.column, d.message, d.note);
      return all;
    }();
    EXPECT_EQ(told->number, c.number);
    EXPECT_EQ(told->source, c.source);
    EXPECT_EQ(told->line, c.line);
    EXPECT_EQ(told->column, c.column);

    // Telling changes nothing the program writes from the same sources.
    const testing::ProgramOutput program = testing::program_output(line, train);
    MemoryFiles written;
    const auto names = write_compiled(r, "/s", written);
    ASSERT_EQ(!names.empty(), program.written);
    if (!program.written) continue;
    const FileNames out = file_names("/s", "R", "T");
    EXPECT_TRUE(written.read(out.planimetria) == program.plan);
    EXPECT_TRUE(written.read(out.scenario) == program.scenario);
    EXPECT_TRUE(written.read(out.griglia) == program.grid);
  }
}

}  // namespace
}  // namespace compactor::session
