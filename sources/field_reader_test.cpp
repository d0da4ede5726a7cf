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

// Marks where fine_file() turned true in a script's output.
const std::string kFine = "<eof>";

// Runs a script of reads: T text, L 32-bit, I 16-bit, B 8-bit. Numbers come
// back as decimal text; kFine follows the read after which the source is
// exhausted.
std::vector<std::string> esegui(FieldReader& r, const std::string& letture) {
  std::vector<std::string> out;
  for (char l : letture) {
    switch (l) {
      case 'T': out.push_back(r.leggi_testo()); break;
      case 'L': out.push_back(std::to_string(r.leggi_long())); break;
      case 'I': out.push_back(std::to_string(r.leggi_integer())); break;
      case 'B': out.push_back(std::to_string(r.leggi_byte())); break;
      default: ADD_FAILURE() << "unknown read " << l;
    }
    if (r.fine_file()) out.push_back(kFine);
  }
  return out;
}

struct Copione {
  const char* nome;
  std::string sorgente;
  std::string letture;
  std::vector<std::string> attesi;
};

void PrintTo(const Copione& c, std::ostream* os) { *os << c.nome; }

class CampiLetti : public testing::TestWithParam<Copione> {};

TEST_P(CampiLetti, ReadsTheExpectedFields) {
  const Copione& c = GetParam();
  FieldReader r(c.sorgente);
  EXPECT_EQ(esegui(r, c.letture), c.attesi);
}

// Numbers: where they end, what the delimiter swallows, how they round.
INSTANTIATE_TEST_SUITE_P(
    Numbers, CampiLetti,
    testing::Values(
        Copione{"decimal_comma_splits_a_number", "pendenza,  1250,   -4,5\r\n[fine]\r\n", "TLLTT",
                {"pendenza", "1250", "-4", "5", "[fine]", kFine}},
        Copione{"clock_separated_by_blanks_takes_its_line_end",
                "orologio,    12              11            50 \r\n[fine]\r\n", "TIIIT",
                {"orologio", "12", "11", "50", "[fine]", kFine}},
        Copione{"clock_separated_by_commas", "orologio,12,11,50\r\n[fine]\r\n", "TIIIT",
                {"orologio", "12", "11", "50", "[fine]", kFine}},
        Copione{"empty_fields_read_zero",
                "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0\r\n", "TLLLLLLLLL",
                {"indicatori_vmax", "1000", "90", "95", "100", "0", "0", "0", "0", "0", kFine}},
        Copione{"record_over_two_lines", "velocita,   17450\r\n   150\r\n", "TLL",
                {"velocita", "17450", "150", kFine}},
        Copione{"surplus_number_becomes_the_next_key_field",
                "velocita, 100, 150, 200\r\nsabbia, 5\r\n", "TLLTTI",
                {"velocita", "100", "150", "200", "sabbia", "5", kFine}},
        Copione{"blank_then_only_one_comma_is_one_delimiter", "5   ,,6", "LLL",
                {"5", "0", "6", kFine}},
        Copione{"blank_then_only_one_line_end_is_one_delimiter", "5 \r\n\r\n6", "LLL",
                {"5", "0", "6", kFine}},
        Copione{"blank_ends_a_number_before_a_text", "12 abc,\r\n", "LTT",
                {"12", "abc", "", kFine}},
        Copione{"signs_and_tabs", "+7\t-3\t\r\n-0", "LLL", {"7", "-3", "0", kFine}},
        Copione{"whole_numbers_read_as_their_decimal_forms",
                "007,-0012,1234567890,0000000000042,12.0,-12.0,1.2e1,-120e-1", "LLLLLLLL",
                {"7", "-12", "1234567890", "42", "12", "-12", "12", "-12", kFine}},
        Copione{"halves_round_to_even",
                "0.5,1.5,2.5,-2.5,3.5,2.4999,1e3,1.5e0,.5,7.,25E-1,0.05,-0.5", "LLLLLLLLLLLLL",
                {"0", "2", "2", "-2", "4", "2", "1000", "2", "0", "7", "2", "0", "0", kFine}},
        Copione{"line_ends_of_three_kinds", "1\n2\r3\r\n4\n\r5", "LLLLLL",
                {"1", "2", "3", "4", "0", "5", kFine}},
        Copione{"last_number_without_line_end", "segnale, 5", "TL", {"segnale", "5", kFine}},
        Copione{"signal_on_the_last_line_is_read_whole",
                "segnale,   29850,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n", "TLLLLLLLLLLL",
                {"segnale", "29850", "2", "4", "1", "0", "0", "2", "2", "1", "0", "0", kFine}}),
    [](const auto& info) { return std::string(info.param.nome); });

// Texts: blanks, quotes and the bytes they keep.
INSTANTIATE_TEST_SUITE_P(
    Texts, CampiLetti,
    testing::Values(
        Copione{"signboard_text_keeps_inner_blanks",
                "cartello_indicatore,  27950,   (  Cippo  )(Km 28+000)\r\n", "TLT",
                {"cartello_indicatore", "27950", "(  Cippo  )(Km 28+000)", kFine}},
        Copione{"trailing_blanks_dropped", "  abc def \t ,x", "TT", {"abc def", "x", kFine}},
        Copione{"station_name_follows_the_time",
                "stazione,  332750, 12,  600,  1, 1, 0,  1,1,0,  2,1,1,    0,  16,30, 0, "
                "Lusco Centrale\r\n[fine]\r\n",
                "TLBLBBBIIBIIIBLLLTT",
                {"stazione", "332750", "12", "600", "1", "1", "0", "1", "1", "0", "2", "1", "1",
                 "0", "16", "30", "0", "Lusco Centrale", "[fine]", kFine}},
        Copione{"quoted_text_keeps_commas_and_drops_the_rest", "\"a, b\"  junk, next\r\n", "TT",
                {"a, b", "next", kFine}},
        Copione{"quoted_text_runs_over_a_line_end", "\"l1\r\nl2\"\r\nz", "TT",
                {"l1\r\nl2", "z", kFine}},
        Copione{"unclosed_quote_runs_to_the_end", "\"abc,def\r\n", "T", {"abc,def\r\n", kFine}},
        Copione{"quote_inside_a_field_is_kept", "a\"b,c", "TT", {"a\"b", "c", kFine}},
        Copione{"empty_texts", ",,x", "TTT", {"", "", "x", kFine}},
        Copione{"windows_1252_bytes_kept", "velocit\xE0,  0,  30\r\n", "TLL",
                {"velocit\xE0", "0", "30", kFine}},
        Copione{"nul_kept_in_a_text", "a\0b,c"s, "TT", {"a\0b"s, "c", kFine}}),
    [](const auto& info) { return std::string(info.param.nome); });

// The end-of-file test as the loaders use it after each key field.
INSTANTIATE_TEST_SUITE_P(
    EndOfFile, CampiLetti,
    testing::Values(
        Copione{"end_marker_with_line_end_exhausts_the_source", "[curve]\r\n[fine]\r\n", "TT",
                {"[curve]", "[fine]", kFine}},
        Copione{"lone_key_field_at_the_end", "velocita,   0,    30\r\nvelocita", "TLLT",
                {"velocita", "0", "30", "velocita", kFine}},
        Copione{"empty_line_after_the_end_marker_is_one_more_field", "[fine]\r\n\r\n", "TT",
                {"[fine]", "", kFine}},
        Copione{"trailing_blanks_after_a_number", "7   ", "L", {"7", kFine}}),
    [](const auto& info) { return std::string(info.param.nome); });

// Every read that must fail: the reads before the last one succeed.
struct Guasto {
  const char* nome;
  std::string sorgente;
  std::string letture;
};

void PrintTo(const Guasto& g, std::ostream* os) { *os << g.nome; }

class LetturaFallita : public testing::TestWithParam<Guasto> {};

TEST_P(LetturaFallita, LastReadIsALoadFailure) {
  const Guasto& g = GetParam();
  FieldReader r(g.sorgente);
  ASSERT_NO_THROW(esegui(r, g.letture.substr(0, g.letture.size() - 1)));
  EXPECT_THROW(esegui(r, g.letture.substr(g.letture.size() - 1)), LoadFailure);
}

// The failure names the field's line and column as an editor counts them.
TEST(LetturaFallitaDove, NamesLineAndColumnFromOne) {
  FieldReader r("velocita, 100\r\n  abc, 7\r\n");
  ASSERT_NO_THROW(esegui(r, "TL"));
  try {
    r.leggi_long();
    FAIL() << "\"abc\" read as a number";
  } catch (const LoadFailure& e) {
    EXPECT_EQ(std::string(e.what()).rfind("line 2, column 3: ", 0), 0u) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    PastTheEnd, LetturaFallita,
    testing::Values(Guasto{"empty_source_text", "", "T"}, Guasto{"empty_source_number", "", "L"},
                    Guasto{"record_runs_past_the_end", "velocita, 100\r\n", "TLL"},
                    Guasto{"byte_past_the_end", "1\r\n", "BB"},
                    Guasto{"text_after_the_end_marker", "[fine]\r\n", "TT"}),
    [](const auto& info) { return std::string(info.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    NoNumber, LetturaFallita,
    testing::Values(Guasto{"word", "abc", "L"}, Guasto{"digits_then_letters", "12abc", "L"},
                    Guasto{"exponent_without_digits", "1e,", "L"},
                    Guasto{"two_signs", "--5", "L"}, Guasto{"sign_alone", "+", "L"},
                    Guasto{"point_alone", ".", "L"}, Guasto{"two_points", "1.2.3", "L"},
                    Guasto{"hexadecimal", "0x10", "L"}, Guasto{"infinity", "inf", "L"},
                    Guasto{"not_a_number", "nan", "L"}, Guasto{"quoted_number", "\"12\"", "L"},
                    Guasto{"nul_after_digits", "1\0"s, "L"},
                    Guasto{"sign_after_digits", "5-", "L"}),
    [](const auto& info) { return std::string(info.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    TooWide, LetturaFallita,
    testing::Values(Guasto{"long_above", "2147483648", "L"},
                    Guasto{"long_below", "-2147483649", "L"},
                    Guasto{"long_half_rounds_out", "2147483647.5", "L"},
                    Guasto{"long_exponent", "1e10", "L"},
                    Guasto{"long_many_digits", "99999999999999999999", "L"},
                    Guasto{"long_huge_exponent", "1e999999999999999999999", "L"},
                    Guasto{"integer_above", "32768", "I"}, Guasto{"integer_below", "-32769", "I"},
                    Guasto{"byte_above", "256", "B"}, Guasto{"byte_negative", "-1", "B"},
                    Guasto{"byte_half_rounds_out", "255.5", "B"}),
    [](const auto& info) { return std::string(info.param.nome); });

// The limits of each width, read exactly.
INSTANTIATE_TEST_SUITE_P(
    WidthLimits, CampiLetti,
    testing::Values(
        Copione{"long_limits", "2147483647,-2147483648,2147483646.5,-2147483648.5", "LLLL",
                {"2147483647", "-2147483648", "2147483646", "-2147483648", kFine}},
        Copione{"integer_limits", "32767,-32768,-32768.5", "III",
                {"32767", "-32768", "-32768", kFine}},
        Copione{"byte_limits", "255,0,254.5,-0.4", "BBBB", {"255", "0", "254", "0", kFine}},
        Copione{"leading_zeros_and_scaled_forms",
                "0000000000000000000000042,4200000000000e-11,0.000000000000000000001e21,"
                "1e-999999999999,0e999999999",
                "LLLLL", {"42", "42", "1", "0", "0", kFine}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(FailedRead, ConsumesNothing) {
  FieldReader r("abc, 1\r\n");
  EXPECT_THROW(r.leggi_long(), LoadFailure);
  EXPECT_EQ(r.leggi_testo(), "abc");
  EXPECT_EQ(r.leggi_byte(), 1);
  EXPECT_TRUE(r.fine_file());
}

TEST(FieldPosition, LineAndColumnOfEachField) {
  FieldReader r("[generale]\r\n  lunghezza percorso,    334000\nsfondo uno,\t1\rX");
  EXPECT_EQ(r.riga_campo(), 0);

  struct Atteso {
    char lettura;
    int riga;
    int colonna;
  };
  const Atteso attesi[] = {{'T', 1, 0}, {'T', 2, 2}, {'L', 2, 25},
                           {'T', 3, 0}, {'L', 3, 12}, {'T', 4, 0}};
  for (const Atteso& a : attesi) {
    esegui(r, std::string(1, a.lettura));
    EXPECT_EQ(r.riga_campo(), a.riga);
    EXPECT_EQ(r.colonna_campo(), a.colonna) << "line " << a.riga;
  }
  EXPECT_EQ(r.testo_riga(1), "[generale]");
  EXPECT_EQ(r.testo_riga(2), "  lunghezza percorso,    334000");
  EXPECT_EQ(r.testo_riga(3), "sfondo uno,\t1");
  EXPECT_EQ(r.testo_riga(4), "X");
  EXPECT_EQ(r.testo_riga(0), "");
  EXPECT_EQ(r.testo_riga(5), "");
}

TEST(FieldPosition, QuotedLineEndsStillCountAsLines) {
  FieldReader r("\"a\nb\",c\nd");
  r.leggi_testo();
  r.leggi_testo();
  EXPECT_EQ(r.riga_campo(), 2);
  EXPECT_EQ(r.colonna_campo(), 3);
  r.leggi_testo();
  EXPECT_EQ(r.riga_campo(), 3);
}

TEST(FieldPosition, AFailureNamesTheFieldThatFailed) {
  FieldReader r("a\r\n 12abc");
  r.leggi_testo();
  try {
    r.leggi_long();
    FAIL() << "12abc read as a number";
  } catch (const LoadFailure& e) {
    EXPECT_EQ(r.riga_campo(), 2);
    EXPECT_EQ(r.colonna_campo(), 1);
    EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
  }
}

// A record cut short by the end of the source is told on its own last line,
// just after its text, whatever line end closes the source.
TEST(FieldPosition, AReadPastTheEndPointsAfterTheLastLine) {
  for (const char* fonte : {"x\r\npendenza,  1200\r\n", "x\npendenza,  1200\n", "x\rpendenza,  1200", "x\r\npendenza,  1200"}) {
    FieldReader r(fonte);
    r.leggi_testo();
    r.leggi_testo();
    r.leggi_long();
    EXPECT_THROW(r.leggi_long(), LoadFailure) << fonte;
    EXPECT_EQ(r.riga_campo(), 2) << fonte;
    EXPECT_EQ(r.colonna_campo(), 15) << fonte;
  }
}

// Untrusted bytes: every read either succeeds and moves on or fails with
// LoadFailure, and the stream always comes to its end.
TEST(Robustness, BinaryGarbageComesToAnEnd) {
  const std::string interessanti = ",\r\n \t\"-.eE+0123456789\0abc"s;
  for (unsigned seme = 1; seme <= 20; ++seme) {
    std::mt19937 gen(seme);
    std::string bytes(20000, '\0');
    for (char& b : bytes)
      b = gen() % 2 ? interessanti[gen() % interessanti.size()] : static_cast<char>(gen() & 0xFF);
    FieldReader r(bytes);
    size_t letture = 0;
    while (!r.fine_file()) {
      ASSERT_LE(++letture, bytes.size()) << "seed " << seme;
      try {
        switch (letture % 4) {
          case 0: r.leggi_testo(); break;
          case 1: r.leggi_byte(); break;
          case 2: r.leggi_integer(); break;
          default: r.leggi_long(); break;
        }
      } catch (const LoadFailure&) {
        r.leggi_testo();  // a text read always moves on
      }
      ASSERT_GE(r.riga_campo(), 1);
      ASSERT_LE(static_cast<size_t>(r.colonna_campo()), r.testo_riga(r.riga_campo()).size());
    }
    EXPECT_THROW(r.leggi_testo(), LoadFailure);
  }
}

// Lines of several megabytes; a reader that rescans would not finish.
TEST(Robustness, LongLinesReadInLinearTime) {
  constexpr size_t kCampi = 2'000'000;
  std::string numeri;
  for (size_t i = 0; i < kCampi; ++i) numeri += "1,";
  numeri += "\r\n";
  FieldReader r(numeri);
  uint64_t somma = 0;
  for (size_t i = 0; i < kCampi; ++i) somma += r.leggi_byte();
  EXPECT_EQ(somma, kCampi);
  EXPECT_EQ(r.riga_campo(), 1);
  EXPECT_EQ(r.colonna_campo(), static_cast<int>(2 * kCampi - 2));
  EXPECT_EQ(r.leggi_long(), 0);  // the empty field between the last comma and the line end
  EXPECT_TRUE(r.fine_file());

  const size_t n = 8u << 20;
  FieldReader testo(std::string(n, 'a') + "   ,x");
  EXPECT_EQ(testo.leggi_testo().size(), n);
  EXPECT_EQ(testo.leggi_testo(), "x");

  const size_t z = 4u << 20;
  const std::string zeri(z, '0');
  FieldReader lunghi(zeri + "42," + "0." + zeri + "5e" + std::to_string(z + 1) + "," + "0." +
                      zeri + "25e" + std::to_string(z + 1) + "," + std::string(z, '9') + "," +
                      std::string(z, 'x'));
  EXPECT_EQ(lunghi.leggi_long(), 42);
  EXPECT_EQ(lunghi.leggi_long(), 5);
  EXPECT_EQ(lunghi.leggi_long(), 2);  // 2.5 to even
  EXPECT_THROW(lunghi.leggi_long(), LoadFailure);
  lunghi.leggi_testo();
  EXPECT_THROW(lunghi.leggi_long(), LoadFailure);
}

TEST(Robustness, LineNumbersOfAMillionLines) {
  std::string righe;
  for (int i = 0; i < 1'000'000; ++i) righe += i % 2 ? "7\n" : "7\r\n";
  FieldReader r(righe);
  int64_t somma = 0;
  while (!r.fine_file()) somma += r.leggi_long();
  EXPECT_EQ(somma, 7'000'000);
  EXPECT_EQ(r.riga_campo(), 1'000'000);
  EXPECT_EQ(r.testo_riga(1'000'000), "7");
}

}  // namespace
}  // namespace compactor
