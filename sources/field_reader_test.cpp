#include "sources/field_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "model/errors.h"

namespace compactor {
namespace {

using namespace std::string_literals;

// Marks where end_of_file() turned true in a script's output.
const std::string kFine = "<eof>";

// Runs a script of reads: T text, L 32-bit, I 16-bit, B 8-bit. Numbers how
// back as decimal text; kFine follows the read after which the source is
// exhausted.
std::vector<std::string> run_(FieldReader& r, const std::string& reads) {
  std::vector<std::string> out;
  for (char l : reads) {
    switch (l) {
      case 'T': out.push_back(r.read_text()); break;
      case 'L': out.push_back(std::to_string(r.read_long())); break;
      case 'I': out.push_back(std::to_string(r.read_integer())); break;
      case 'B': out.push_back(std::to_string(r.read_byte())); break;
      default: ADD_FAILURE() << "unknown read " << l;
    }
    if (r.end_of_file()) out.push_back(kFine);
  }
  return out;
}

struct Script {
  const char* nome;
  std::string source;
  std::string reads;
  std::vector<std::string> expected_;
};

void PrintTo(const Script& c, std::ostream* os) { *os << c.nome; }

class FieldsRead : public testing::TestWithParam<Script> {};

TEST_P(FieldsRead, ReadsTheExpectedFields) {
  const Script& c = GetParam();
  FieldReader r(c.source);
  EXPECT_EQ(run_(r, c.reads), c.expected_);
}

// Numbers: where they end, what the delimiter swallows, how they round.
INSTANTIATE_TEST_SUITE_P(
    Numbers, FieldsRead,
    testing::Values(
        Script{"decimal_comma_splits_a_number", "pendenza,  1250,   -4,5\r\n[fine]\r\n", "TLLTT",
                {"pendenza", "1250", "-4", "5", "[fine]", kFine}},
        Script{"clock_separated_by_blanks_takes_its_line_end",
                "orologio,    12              11            50 \r\n[fine]\r\n", "TIIIT",
                {"orologio", "12", "11", "50", "[fine]", kFine}},
        Script{"clock_separated_by_commas", "orologio,12,11,50\r\n[fine]\r\n", "TIIIT",
                {"orologio", "12", "11", "50", "[fine]", kFine}},
        Script{"empty_fields_read_zero",
                "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0\r\n", "TLLLLLLLLL",
                {"indicatori_vmax", "1000", "90", "95", "100", "0", "0", "0", "0", "0", kFine}},
        Script{"record_over_two_lines", "velocita,   17450\r\n   150\r\n", "TLL",
                {"velocita", "17450", "150", kFine}},
        Script{"surplus_number_becomes_the_next_key_field",
                "velocita, 100, 150, 200\r\nsabbia, 5\r\n", "TLLTTI",
                {"velocita", "100", "150", "200", "sabbia", "5", kFine}},
        Script{"blank_then_only_one_comma_is_one_delimiter", "5   ,,6", "LLL",
                {"5", "0", "6", kFine}},
        Script{"blank_then_only_one_line_end_is_one_delimiter", "5 \r\n\r\n6", "LLL",
                {"5", "0", "6", kFine}},
        Script{"blank_ends_a_number_before_a_text", "12 abc,\r\n", "LTT",
                {"12", "abc", "", kFine}},
        Script{"signs_and_tabs", "+7\t-3\t\r\n-0", "LLL", {"7", "-3", "0", kFine}},
        Script{"whole_numbers_read_as_their_decimal_forms",
                "007,-0012,1234567890,0000000000042,12.0,-12.0,1.2e1,-120e-1", "LLLLLLLL",
                {"7", "-12", "1234567890", "42", "12", "-12", "12", "-12", kFine}},
        Script{"halves_round_to_even",
                "0.5,1.5,2.5,-2.5,3.5,2.4999,1e3,1.5e0,.5,7.,25E-1,0.05,-0.5", "LLLLLLLLLLLLL",
                {"0", "2", "2", "-2", "4", "2", "1000", "2", "0", "7", "2", "0", "0", kFine}},
        Script{"line_ends_of_three_kinds", "1\n2\r3\r\n4\n\r5", "LLLLLL",
                {"1", "2", "3", "4", "0", "5", kFine}},
        Script{"last_number_without_line_end", "segnale, 5", "TL", {"segnale", "5", kFine}},
        Script{"signal_on_the_last_line_is_read_whole",
                "segnale,   29850,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n", "TLLLLLLLLLLL",
                {"segnale", "29850", "2", "4", "1", "0", "0", "2", "2", "1", "0", "0", kFine}}),
    [](const auto& info) { return std::string(info.param.nome); });

// Texts: blanks, quotes and the bytes they keep.
INSTANTIATE_TEST_SUITE_P(
    Texts, FieldsRead,
    testing::Values(
        Script{"signboard_text_keeps_inner_blanks",
                "cartello_indicatore,  27950,   (  Cippo  )(Km 28+000)\r\n", "TLT",
                {"cartello_indicatore", "27950", "(  Cippo  )(Km 28+000)", kFine}},
        Script{"trailing_blanks_dropped", "  abc def \t ,x", "TT", {"abc def", "x", kFine}},
        Script{"station_name_follows_the_time",
                "stazione,  332750, 12,  600,  1, 1, 0,  1,1,0,  2,1,1,    0,  16,30, 0, "
                "Lusco Centrale\r\n[fine]\r\n",
                "TLBLBBBIIBIIIBLLLTT",
                {"stazione", "332750", "12", "600", "1", "1", "0", "1", "1", "0", "2", "1", "1",
                 "0", "16", "30", "0", "Lusco Centrale", "[fine]", kFine}},
        Script{"quoted_text_keeps_commas_and_drops_the_rest", "\"a, b\"  junk, next\r\n", "TT",
                {"a, b", "next", kFine}},
        Script{"quoted_text_runs_over_a_line_end", "\"l1\r\nl2\"\r\nz", "TT",
                {"l1\r\nl2", "z", kFine}},
        Script{"unclosed_quote_runs_to_the_end", "\"abc,def\r\n", "T", {"abc,def\r\n", kFine}},
        Script{"quote_inside_a_field_is_kept", "a\"b,c", "TT", {"a\"b", "c", kFine}},
        Script{"empty_texts", ",,x", "TTT", {"", "", "x", kFine}},
        Script{"windows_1252_bytes_kept", "velocit\xE0,  0,  30\r\n", "TLL",
                {"velocit\xE0", "0", "30", kFine}},
        Script{"nul_kept_in_a_text", "a\0b,c"s, "TT", {"a\0b"s, "c", kFine}}),
    [](const auto& info) { return std::string(info.param.nome); });

// The end-of-file test as the loaders use it after each key field.
INSTANTIATE_TEST_SUITE_P(
    EndOfFile, FieldsRead,
    testing::Values(
        Script{"end_marker_with_line_end_exhausts_the_source", "[curve]\r\n[fine]\r\n", "TT",
                {"[curve]", "[fine]", kFine}},
        Script{"lone_key_field_at_the_end", "velocita,   0,    30\r\nvelocita", "TLLT",
                {"velocita", "0", "30", "velocita", kFine}},
        Script{"empty_line_after_the_end_marker_is_one_more_field", "[fine]\r\n\r\n", "TT",
                {"[fine]", "", kFine}},
        Script{"trailing_blanks_after_a_number", "7   ", "L", {"7", kFine}}),
    [](const auto& info) { return std::string(info.param.nome); });

// Every read that must fail: the reads before the last one succeed.
struct Fault {
  const char* nome;
  std::string source;
  std::string reads;
};

void PrintTo(const Fault& g, std::ostream* os) { *os << g.nome; }

class ReadFailure : public testing::TestWithParam<Fault> {};

TEST_P(ReadFailure, LastReadIsALoadFailure) {
  const Fault& g = GetParam();
  FieldReader r(g.source);
  ASSERT_NO_THROW(run_(r, g.reads.substr(0, g.reads.size() - 1)));
  EXPECT_THROW(run_(r, g.reads.substr(g.reads.size() - 1)), LoadFailure);
}

// The failure names the field's line and column as an editor counts them.
TEST(ReadFailureWhere, NamesLineAndColumnFromOne) {
  FieldReader r("velocita, 100\r\n  abc, 7\r\n");
  ASSERT_NO_THROW(run_(r, "TL"));
  try {
    r.read_long();
    FAIL() << "\"abc\" read as a number";
  } catch (const LoadFailure& e) {
    EXPECT_EQ(std::string(e.what()).rfind("line 2, column 3: ", 0), 0u) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    PastTheEnd, ReadFailure,
    testing::Values(Fault{"empty_source_text", "", "T"}, Fault{"empty_source_number", "", "L"},
                    Fault{"record_runs_past_the_end", "velocita, 100\r\n", "TLL"},
                    Fault{"byte_past_the_end", "1\r\n", "BB"},
                    Fault{"text_after_the_end_marker", "[fine]\r\n", "TT"}),
    [](const auto& info) { return std::string(info.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    NoNumber, ReadFailure,
    testing::Values(Fault{"word", "abc", "L"}, Fault{"digits_then_letters", "12abc", "L"},
                    Fault{"exponent_without_digits", "1e,", "L"},
                    Fault{"two_signs", "--5", "L"}, Fault{"sign_alone", "+", "L"},
                    Fault{"point_alone", ".", "L"}, Fault{"two_points", "1.2.3", "L"},
                    Fault{"hexadecimal", "0x10", "L"}, Fault{"infinity", "inf", "L"},
                    Fault{"not_a_number", "nan", "L"}, Fault{"quoted_number", "\"12\"", "L"},
                    Fault{"nul_after_digits", "1\0"s, "L"},
                    Fault{"sign_after_digits", "5-", "L"}),
    [](const auto& info) { return std::string(info.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    TooWide, ReadFailure,
    testing::Values(Fault{"long_above", "2147483648", "L"},
                    Fault{"long_below", "-2147483649", "L"},
                    Fault{"long_half_rounds_out", "2147483647.5", "L"},
                    Fault{"long_exponent", "1e10", "L"},
                    Fault{"long_many_digits", "99999999999999999999", "L"},
                    Fault{"long_huge_exponent", "1e999999999999999999999", "L"},
                    Fault{"integer_above", "32768", "I"}, Fault{"integer_below", "-32769", "I"},
                    Fault{"byte_above", "256", "B"}, Fault{"byte_negative", "-1", "B"},
                    Fault{"byte_half_rounds_out", "255.5", "B"}),
    [](const auto& info) { return std::string(info.param.nome); });

// The limits of each width, read exactly.
INSTANTIATE_TEST_SUITE_P(
    WidthLimits, FieldsRead,
    testing::Values(
        Script{"long_limits", "2147483647,-2147483648,2147483646.5,-2147483648.5", "LLLL",
                {"2147483647", "-2147483648", "2147483646", "-2147483648", kFine}},
        Script{"integer_limits", "32767,-32768,-32768.5", "III",
                {"32767", "-32768", "-32768", kFine}},
        Script{"byte_limits", "255,0,254.5,-0.4", "BBBB", {"255", "0", "254", "0", kFine}},
        Script{"leading_zeros_and_scaled_forms",
                "0000000000000000000000042,4200000000000e-11,0.000000000000000000001e21,"
                "1e-999999999999,0e999999999",
                "LLLLL", {"42", "42", "1", "0", "0", kFine}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(FailedRead, ConsumesNothing) {
  FieldReader r("abc, 1\r\n");
  EXPECT_THROW(r.read_long(), LoadFailure);
  EXPECT_EQ(r.read_text(), "abc");
  EXPECT_EQ(r.read_byte(), 1);
  EXPECT_TRUE(r.end_of_file());
}

TEST(FieldPosition, LineAndColumnOfEachField) {
  FieldReader r("[generale]\r\n  lunghezza percorso,    334000\nsfondo uno,\t1\rX");
  EXPECT_EQ(r.field_line(), 0);

  struct Expected {
    char reading;
    int riga;
    int column;
  };
  const Expected expected_[] = {{'T', 1, 0}, {'T', 2, 2}, {'L', 2, 25},
                           {'T', 3, 0}, {'L', 3, 12}, {'T', 4, 0}};
  for (const Expected& a : expected_) {
    run_(r, std::string(1, a.reading));
    EXPECT_EQ(r.field_line(), a.riga);
    EXPECT_EQ(r.field_column(), a.column) << "line " << a.riga;
  }
  EXPECT_EQ(r.line_text(1), "[generale]");
  EXPECT_EQ(r.line_text(2), "  lunghezza percorso,    334000");
  EXPECT_EQ(r.line_text(3), "sfondo uno,\t1");
  EXPECT_EQ(r.line_text(4), "X");
  EXPECT_EQ(r.line_text(0), "");
  EXPECT_EQ(r.line_text(5), "");
}

TEST(FieldPosition, QuotedLineEndsStillCountAsLines) {
  FieldReader r("\"a\nb\",c\nd");
  r.read_text();
  r.read_text();
  EXPECT_EQ(r.field_line(), 2);
  EXPECT_EQ(r.field_column(), 3);
  r.read_text();
  EXPECT_EQ(r.field_line(), 3);
}

TEST(FieldPosition, AFailureNamesTheFieldThatFailed) {
  FieldReader r("a\r\n 12abc");
  r.read_text();
  try {
    r.read_long();
    FAIL() << "12abc read as a number";
  } catch (const LoadFailure& e) {
    EXPECT_EQ(r.field_line(), 2);
    EXPECT_EQ(r.field_column(), 1);
    EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
  }
}

// A record cut short by the end of the source is told on its own last line,
// just after its text, whatever line end closes the source.
TEST(FieldPosition, AReadPastTheEndPointsAfterTheLastLine) {
  for (const char* source_ : {"x\r\npendenza,  1200\r\n", "x\npendenza,  1200\n", "x\rpendenza,  1200", "x\r\npendenza,  1200"}) {
    FieldReader r(source_);
    r.read_text();
    r.read_text();
    r.read_long();
    EXPECT_THROW(r.read_long(), LoadFailure) << source_;
    EXPECT_EQ(r.field_line(), 2) << source_;
    EXPECT_EQ(r.field_column(), 15) << source_;
  }
}

// Untrusted bytes: every read either succeeds and moves on or fails with
// LoadFailure, and the stream always comes to its end.
TEST(Robustness, BinaryGarbageComesToAnEnd) {
  const std::string interesting = ",\r\n \t\"-.eE+0123456789\0abc"s;
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 gen(seed);
    std::string bytes(20000, '\0');
    for (char& b : bytes)
      b = gen() % 2 ? interesting[gen() % interesting.size()] : static_cast<char>(gen() & 0xFF);
    FieldReader r(bytes);
    size_t reads = 0;
    while (!r.end_of_file()) {
      ASSERT_LE(++reads, bytes.size()) << "seed " << seed;
      try {
        switch (reads % 4) {
          case 0: r.read_text(); break;
          case 1: r.read_byte(); break;
          case 2: r.read_integer(); break;
          default: r.read_long(); break;
        }
      } catch (const LoadFailure&) {
        r.read_text();  // a text read always moves on
      }
      ASSERT_GE(r.field_line(), 1);
      ASSERT_LE(static_cast<size_t>(r.field_column()), r.line_text(r.field_line()).size());
    }
    EXPECT_THROW(r.read_text(), LoadFailure);
  }
}

// Lines of several megabytes; a reader that rescans would not finish.
TEST(Robustness, LongLinesReadInLinearTime) {
  constexpr size_t kFields = 2'000'000;
  std::string numbers;
  for (size_t i = 0; i < kFields; ++i) numbers += "1,";
  numbers += "\r\n";
  FieldReader r(numbers);
  uint64_t sum = 0;
  for (size_t i = 0; i < kFields; ++i) sum += r.read_byte();
  EXPECT_EQ(sum, kFields);
  EXPECT_EQ(r.field_line(), 1);
  EXPECT_EQ(r.field_column(), static_cast<int>(2 * kFields - 2));
  EXPECT_EQ(r.read_long(), 0);  // the empty field between the last comma and the line end
  EXPECT_TRUE(r.end_of_file());

  const size_t n = 8u << 20;
  FieldReader text(std::string(n, 'a') + "   ,x");
  EXPECT_EQ(text.read_text().size(), n);
  EXPECT_EQ(text.read_text(), "x");

  const size_t z = 4u << 20;
  const std::string zeros(z, '0');
  FieldReader long_ones(zeros + "42," + "0." + zeros + "5e" + std::to_string(z + 1) + "," + "0." +
                      zeros + "25e" + std::to_string(z + 1) + "," + std::string(z, '9') + "," +
                      std::string(z, 'x'));
  EXPECT_EQ(long_ones.read_long(), 42);
  EXPECT_EQ(long_ones.read_long(), 5);
  EXPECT_EQ(long_ones.read_long(), 2);  // 2.5 to even
  EXPECT_THROW(long_ones.read_long(), LoadFailure);
  long_ones.read_text();
  EXPECT_THROW(long_ones.read_long(), LoadFailure);
}

TEST(Robustness, LineNumbersOfAMillionLines) {
  std::string lines;
  for (int i = 0; i < 1'000'000; ++i) lines += i % 2 ? "7\n" : "7\r\n";
  FieldReader r(lines);
  int64_t sum = 0;
  while (!r.end_of_file()) sum += r.read_long();
  EXPECT_EQ(sum, 7'000'000);
  EXPECT_EQ(r.field_line(), 1'000'000);
  EXPECT_EQ(r.line_text(1'000'000), "7");
}

}  // namespace
}  // namespace compactor
