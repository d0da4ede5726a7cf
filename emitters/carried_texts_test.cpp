// Checks the five carried texts of the scenario as data: their shape, the
// properties of their rows, that the two sources load without a recorded
// error, and that the line, the train and the timetable card tell the same
// story.
#include "emitters/carried_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace compactor {
namespace {

using Lines = std::vector<std::string>;

Lines lines_of(const LineTable& t) {
  Lines out;
  for (auto r : t) {
    if (r == end_marker) return out;
    out.emplace_back(r);
  }
  ADD_FAILURE() << "table without its end marker";
  return out;
}

size_t table_end(const LineTable& t) {
  return static_cast<size_t>(std::find(t.begin(), t.end(), end_marker) - t.begin());
}

std::string trim(std::string_view s) {
  size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return "";
  size_t b = s.find_last_not_of(' ');
  return std::string(s.substr(a, b - a + 1));
}

std::vector<std::string> fields(const std::string& riga) {
  std::vector<std::string> out;
  size_t start = 0;
  while (true) {
    size_t c = riga.find(',', start);
    out.push_back(riga.substr(start, c == std::string::npos ? std::string::npos : c - start));
    if (c == std::string::npos) return out;
    start = c + 1;
  }
}

long numero(const std::string& campo) {
  std::string t = trim(campo);
  return t.empty() ? 0 : std::stol(t);
}

// Characters, not bytes: UTF-8 continuation bytes do not count.
size_t characters(std::string_view s) {
  return static_cast<size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool starts(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// Records of one kind between two line numbers (1-based, inclusive).
std::vector<std::vector<std::string>> record(const Lines& r, size_t da, size_t a) {
  std::vector<std::vector<std::string>> out;
  for (size_t i = da; i <= a; ++i) out.push_back(fields(r[i - 1]));
  return out;
}

// ---------------------------------------------------------------------------
// Kilometre readings from the chainage references of the line source.

struct Reference {
  long inizio, valore, flag;
};

std::vector<Reference> references(const Lines& linea) {
  std::vector<Reference> out;
  for (const auto& r : linea)
    if (starts(r, "progressiva chilometrica")) {
      auto f = fields(r);
      out.push_back({numero(f[1]), numero(f[2]), numero(f[3])});
    }
  std::sort(out.begin(), out.end(), [](auto& a, auto& b) { return a.inizio < b.inizio; });
  return out;
}

// Reading in metres at chainage c; `after` picks the new numbering where c is
// exactly the point where the numbering changes.
long reading(const std::vector<Reference>& rif, long c, bool after = true) {
  long v = c;
  for (const auto& x : rif)
    if (c > x.inizio || (after && c == x.inizio)) v = x.flag ? x.valore - c : c + x.valore;
  return v;
}

std::string km(long metres) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%ld.%03ld", metres / 1000, metres % 1000);
  return buf;
}

// ---------------------------------------------------------------------------

TEST(CarriedTexts, EachTextHasItsLinesAndOnlyItsCharacters) {
  struct Case {
    const char* nome;
    const LineTable& (*table)();
    size_t lines;
    std::string extra;  // the only UTF-8 letters allowed beyond printable ASCII
  } cases[] = {
      {"line source", line_lines, 537, ""},
      {"train source", train_lines, 358, "\xC3\xA0"},
      {"notes", note_lines, 31, "\xC3\xA0\xC3\xA8\xC3\xB2\xC3\xB9"},
      {"slowdown form", slowdown_lines, 46, ""},
      {"timetable card", card_lines, 199, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nome);
    const auto& t = c.table();
    EXPECT_EQ(table_end(t), c.lines) << "the end marker closes the table right after the last line";
    for (size_t i = 0; i < std::min(c.lines, t.size()); ++i) {
      std::string_view r = t[i];
      for (size_t k = 0; k < r.size(); ++k) {
        unsigned char b = static_cast<unsigned char>(r[k]);
        if (b >= 0x20 && b < 0x7F) continue;
        bool allowed = false;
        for (size_t e = 0; e + 1 < c.extra.size(); e += 2)
          if (r.substr(k, 2) == c.extra.substr(e, 2)) allowed = true;
        ASSERT_TRUE(allowed) << "line " << i + 1 << " byte " << k << ": " << r;
        ++k;
      }
    }
  }
  // The train source uses its one accented letter only in two speed rows.
  int accented_ = 0;
  for (const auto& r : lines_of(train_lines()))
    if (r.find('\xC3') != std::string::npos) {
      EXPECT_TRUE(starts(r, "velocit\xC3\xA0,")) << r;
      ++accented_;
    }
  EXPECT_EQ(accented_, 2);
}

// ---------------------------------------------------------------------------
// Line source.

TEST(LineSource, SectionsGeneralRecordsAndLiteralForms) {
  const Lines r = lines_of(line_lines());
  ASSERT_EQ(r.size(), 537u);
  const std::map<size_t, std::string> headers = {{1, "[generale]"},   {10, "[curve]"},     {184, "[pendenze]"},
                                                      {436, "[montagne]"}, {452, "[cartelli]"}, {517, "[indicazioni]"},
                                                      {537, "[fine]"}};
  for (const auto& [n, text] : headers) EXPECT_EQ(r[n - 1], text) << "line " << n;
  const char* general_[] = {
      "lunghezza percorso,    334000",
      "progressiva chilometrica uno,    31100,    3050,    0",
      "progressiva chilometrica due,    284500,    -284500,    0",
      "progressiva chilometrica tre,    315950,    412050,    1",
      "sfondo uno,    1",
      "sfondo due,    0",
      "sfondo tre,    0",
      "ripetizione segnali 9 codici,    8000,    330700",
  };
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(r[i + 1], general_[i]);

  struct Section {
    size_t da, a;
    const char* shape;
  } sections[] = {
      {11, 183, R"(curva[sd][1-6],  [1-9]\d*,  [1-9]\d*)"},
      {185, 435, R"(pendenza,  (0|[1-9]\d*),   (0|-?[1-9]\d*)(,5)?)"},
      {437, 451, R"(montagna,   [1-9]\d*,  [1-9]\d*,  1?2)"},
      {453, 516,
       R"(indicatori_vmax,  [1-9]\d*(,  \d{2,3}){3},  [0-2](,  \d{2,3}){3},  [0-2]|)"
       R"(indicatori_vmax,  [1-9]\d*(,  \d{2,3}){3},  [0-2],  ,  ,  ,  0)"},
      {518, 536, R"(cartello_indicatore,  [1-9]\d*,   \([^(),]*\)(\([^(),]*\))?)"},
  };
  for (const auto& s : sections) {
    std::regex shape(s.shape);
    for (size_t i = s.da; i <= s.a; ++i)
      EXPECT_TRUE(std::regex_match(r[i - 1], shape)) << "line " << i << ": " << r[i - 1];
  }
  const char* quoted[] = {
      "curvas1,  1350,  150",
      "curvad5,  2250,  500",
      "curvad6,  77700,  250",
      "curvas2,  332050,  400",
      "pendenza,  0,   0",
      "pendenza,  600,   -11",
      "pendenza,  1250,   -4,5",
      "pendenza,  317750,   0",
      "montagna,   8750,  11150,  12",
      "montagna,   292600,  292850,  2",
      "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0",
      "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0",
      "indicatori_vmax,  26350,  130,  140,  145,  2,  130,  140,  145,  2",
      "cartello_indicatore,  27950,   (  Cippo  )(Km 28+000)",
  };
  for (const char* c : quoted) EXPECT_NE(std::find(r.begin(), r.end(), c), r.end()) << c;
  EXPECT_EQ(r[10], "curvas1,  1350,  150") << "first curve";
  EXPECT_EQ(r[182], "curvas2,  332050,  400") << "last curve";
  EXPECT_EQ(r[184], "pendenza,  0,   0") << "first gradient";
  EXPECT_EQ(r[434], "pendenza,  317750,   0") << "last gradient";
  EXPECT_EQ(r[452], "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0") << "first board";
}

TEST(LineSource, RowsDescribeAPlausibleRoute) {
  const Lines r = lines_of(line_lines());
  ASSERT_EQ(r.size(), 537u);
  // Every chainage a multiple of 50, strictly ascending within a section.
  for (auto [da, a] : {std::pair{11, 183}, {185, 435}, {437, 451}, {453, 516}, {518, 536}}) {
    long prec = -1;
    for (const auto& f : record(r, da, a)) {
      long c = numero(f[1]);
      EXPECT_EQ(c % 50, 0) << f[0] << " " << c;
      EXPECT_GT(c, prec) << f[0] << " " << c;
      prec = c;
    }
  }

  // Curves: 96 s of classes 1-5, 77 d of classes 1-6, 50 to 1900 m long, none
  // reaching into the next.
  std::map<char, std::set<int>> classes;
  std::map<char, int> directions_;
  long fine_prec = 0, short_ = 1000000000L, long_one = 0;
  for (const auto& f : record(r, 11, 183)) {
    char toward = f[0][5];
    classes[toward].insert(f[0][6] - '0');
    ++directions_[toward];
    long s = numero(f[1]), l = numero(f[2]);
    EXPECT_GE(s, fine_prec) << "curve at " << s << " overlaps the one before";
    fine_prec = s + l;
    short_ = std::min(short_, l);
    long_one = std::max(long_one, l);
  }
  EXPECT_EQ(directions_['s'], 96);
  EXPECT_EQ(directions_['d'], 77);
  EXPECT_EQ(classes['s'], (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(classes['d'], (std::set<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(short_, 50);
  EXPECT_EQ(long_one, 1900);

  // Gradients: -11 to 11 per mille, 0 on 92 rows, one row with a decimal comma.
  int zeros = 0, decimals = 0, minimo = 0, most = 0;
  for (size_t i = 185; i <= 435; ++i) {
    auto f = fields(r[i - 1]);
    decimals += f.size() == 4;
    long g = numero(f[2]);
    zeros += g == 0 && f.size() == 3;
    minimo = std::min<int>(minimo, g);
    most = std::max<int>(most, g);
  }
  EXPECT_EQ(zeros, 92);
  EXPECT_EQ(decimals, 1);
  EXPECT_EQ(minimo, -11);
  EXPECT_EQ(most, 11);

  // Tunnels: 9 marked ones between 8750 and 27000, then 6 plain ones between
  // 292600 and 304100; 100 to 4300 m long, at least 200 m apart.
  long short_one = 1000000000L, long_ = 0, fine_montagna = -1000000000L;
  std::vector<long> kinds;
  for (const auto& f : record(r, 437, 451)) {
    long a = numero(f[1]), b = numero(f[2]);
    kinds.push_back(numero(f[3]));
    EXPECT_GE(a - fine_montagna, 200) << "tunnel at " << a;
    short_one = std::min(short_one, b - a);
    long_ = std::max(long_, b - a);
    fine_montagna = b;
    if (kinds.back() == 12) {
      EXPECT_TRUE(a >= 8750 && b <= 27000) << a;
    } else {
      EXPECT_TRUE(a >= 292600 && b <= 304100) << a;
    }
  }
  EXPECT_EQ(kinds, (std::vector<long>{12, 12, 12, 12, 12, 12, 12, 12, 12, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(short_one, 100);
  EXPECT_EQ(long_, 4300);
  EXPECT_EQ(numero(fields(r[436])[1]), 8750);
  EXPECT_EQ(numero(fields(r[444])[2]), 27000);
  EXPECT_EQ(numero(fields(r[450])[2]), 304100);

  // Speed indicator boards: 46 with both sets, 18 with the d speeds empty;
  // a striped board announces the next plain one with the same s speeds.
  struct Table {
    long c;
    std::vector<std::string> f;
  };
  std::vector<Table> tab;
  for (const auto& f : record(r, 453, 516)) tab.push_back({numero(f[1]), f});
  int full_ = 0, empty_ = 0;
  long slowest = 1000, fastest = 0;
  for (size_t i = 0; i < tab.size(); ++i) {
    const auto& f = tab[i].f;
    bool d_empty = trim(f[6]).empty();
    (d_empty ? empty_ : full_)++;
    if (d_empty) {
      EXPECT_TRUE(trim(f[7]).empty() && trim(f[8]).empty() && numero(f[9]) == 0) << tab[i].c;
    }
    for (int k : {2, 3, 4, 6, 7, 8}) {
      if (trim(f[k]).empty()) continue;
      long v = numero(f[k]);
      EXPECT_TRUE(v % 5 == 0 && v >= 75 && v <= 170) << tab[i].c << ": " << v;
      slowest = std::min(slowest, v);
      fastest = std::max(fastest, v);
    }
    long strisce = numero(f[5]);
    if (strisce == 0) continue;
    auto after = std::find_if(tab.begin() + i + 1, tab.end(), [](auto& t) { return numero(t.f[5]) == 0; });
    ASSERT_NE(after, tab.end()) << tab[i].c;
    long distance = after->c - tab[i].c;
    if (strisce == 2) {
      EXPECT_TRUE(distance >= 600 && distance <= 700) << tab[i].c;
    } else {
      EXPECT_TRUE(distance >= 200 && distance <= 350) << tab[i].c;
    }
    for (int k : {2, 3, 4}) EXPECT_EQ(numero(f[k]), numero(after->f[k])) << tab[i].c;
  }
  EXPECT_EQ(full_, 46);
  EXPECT_EQ(empty_, 18);
  // The boards' speeds span the whole range, both ends reached.
  EXPECT_EQ(slowest, 75);
  EXPECT_EQ(fastest, 170);

  // Signboards: 13 kilometre posts whose number is the reading where the
  // board's cell begins, and six others.
  const auto rif = references(r);
  std::regex cippo(R"(\( *Cippo *\)\(Km (\d+)\+(\d{3})\))");
  std::multiset<std::string> others;
  int cippi = 0;
  for (const auto& f : record(r, 518, 536)) {
    std::string text = trim(f[2]);
    std::smatch m;
    if (std::regex_match(text, m, cippo)) {
      ++cippi;
      EXPECT_EQ(std::stol(m[1]) * 1000 + std::stol(m[2]), reading(rif, numero(f[1]) + 50)) << text;
    } else {
      others.insert(text);
    }
  }
  EXPECT_EQ(cippi, 13);
  for (const char* t : {"(Dev.I.)", "(Dev.)(U.  )", "(Dev.)(I.  )", "(Zona)(Cod )"})
    EXPECT_EQ(others.count(t), t[1] == 'Z' ? 2u : 1u) << t;
  EXPECT_EQ(std::count_if(others.begin(), others.end(), [](auto& t) { return starts(t, "(Bivio)"); }), 1)
      << "the junction";
}

// ---------------------------------------------------------------------------
// Train source.

// Fixed column widths after the key word; -1 for a field after one blank.
const std::map<std::string, std::vector<int>> kWidths = {
    {"aderenza", {8, 6}},
    {"velocita", {8, 6}},
    {"stazione", {8, 3, 5, 3, 2, 2, 3, 1, 1, 3, 1, 1, 5, 4, 2, 2, -1}},
    {"segnale", {8, 4, 2, 2, 3, 2, 5, 3, 1, 1, -1}},
    {"abbattimento", {8, 6}},
};

TEST(TrainSource, SectionsGeneralRecordsAndColumns) {
  const Lines r = lines_of(train_lines());
  ASSERT_EQ(r.size(), 358u);
  const std::map<size_t, std::string> headers = {{1, "[generale]"},  {6, "[aderenze]"},       {11, "[vel_limite]"},
                                                      {52, "[stazioni]"}, {98, "[rallentamenti]"}, {99, "[segnali]"},
                                                      {279, "[codici]"},  {358, "[fine]"}};
  for (const auto& [n, text] : headers) EXPECT_EQ(r[n - 1], text) << "line " << n;
  EXPECT_EQ(r[1], "numero vetture,    7");
  EXPECT_EQ(r[2], "percentuale massa frenata,    120");
  EXPECT_EQ(r[3], "sabbia,    200");
  EXPECT_EQ(r[4], "orologio,    12              11            50 ");

  struct Section {
    size_t da, a;
    std::string key;
  } sections[] = {{7, 10, "aderenza"},
                 {12, 51, "velocita"},
                 {53, 97, "stazione"},
                 {100, 278, "segnale"},
                 {280, 357, "abbattimento"}};
  const std::regex intero(" *-?\\d+");
  for (const auto& s : sections) {
    for (size_t i = s.da; i <= s.a; ++i) {
      std::string riga = r[i - 1];
      if (starts(riga, "velocit\xC3\xA0,")) riga = "velocita," + riga.substr(10);
      if (riga == "velocita,   0,    30") continue;  // the one row with a narrow chainage
      auto f = fields(riga);
      const auto& w = kWidths.at(s.key);
      ASSERT_EQ(f[0], s.key) << "line " << i;
      ASSERT_EQ(f.size(), w.size() + 1) << "line " << i << ": " << riga;
      for (size_t k = 0; k < w.size(); ++k) {
        const std::string& x = f[k + 1];
        if (w[k] < 0) {
          EXPECT_TRUE(x.size() > 1 && x[0] == ' ' && x[1] != ' ') << "line " << i << ": " << riga;
          continue;
        }
        EXPECT_EQ(x.size(), static_cast<size_t>(w[k])) << "line " << i << " field " << k + 1 << ": " << riga;
        EXPECT_TRUE(std::regex_match(x, intero)) << "line " << i << ": " << riga;
      }
    }
  }
  const char* quoted[] = {
      "velocita,   0,    30",
      "velocita,    1000,    95",
      "velocita,    8200,    80",
      "velocita,   12050,    90",
      "velocita,   17450,   150",
      "velocit\xC3\xA0,  284500,   140",
      "velocit\xC3\xA0,  286850,   145",
      "aderenza,  265300,    87",
      "abbattimento,    7050,   270",
      "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   29850,   2, 4, 1,  0, 0,    2,  2,1,0, 0",
      "segnale,   76150,   2, 3, 1,  1, 0,    2,  2,1,1, 250",
  };
  for (const char* c : quoted) EXPECT_NE(std::find(r.begin(), r.end(), c), r.end()) << c;
  EXPECT_TRUE(starts(r[52], "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  12,11,50, "));
  EXPECT_TRUE(starts(r[53], "stazione,    3100, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, "));
  EXPECT_TRUE(starts(r[96], "stazione,  332750, 12,  600,  1, 1, 0,  1,1,0,  2,1,1,    0,  16,30, 0, "));
}

TEST(TrainSource, RowsDescribeAPlausibleRun) {
  const Lines r = lines_of(train_lines());
  ASSERT_EQ(r.size(), 358u);
  for (auto [da, a] : {std::pair{7, 10}, {12, 51}, {53, 97}, {100, 278}, {280, 357}}) {
    long prec = -1;
    for (const auto& f : record(r, da, a)) {
      long c = numero(f[1]);
      EXPECT_EQ(c % 50, 0) << f[0] << " " << c;
      EXPECT_GT(c, prec) << f[0] << " " << c;
      prec = c;
    }
  }
  std::vector<std::pair<long, long>> aderenze;
  for (const auto& f : record(r, 7, 10)) aderenze.push_back({numero(f[1]), numero(f[2])});
  EXPECT_EQ(aderenze, (std::vector<std::pair<long, long>>{{0, 95}, {265300, 87}, {312450, 93}, {325950, 96}}));

  auto velocita = record(r, 12, 51);
  EXPECT_EQ(numero(velocita.front()[1]), 0);
  EXPECT_EQ(numero(velocita.front()[2]), 30);
  EXPECT_EQ(numero(velocita.back()[1]), 330750);
  EXPECT_EQ(numero(velocita.back()[2]), 120);
  for (const auto& f : velocita) {
    long v = numero(f[2]);
    EXPECT_TRUE(v % 5 == 0 && v >= 30 && v <= 160) << v;
  }

  // Stations: the counts of each type, zone lengths, the ranges of the stored
  // fields, and 23 timed stops from the start of the clock to 16:30:00.
  std::map<long, int> kinds;
  std::vector<std::set<long>> values(14);
  int with_timetable = 0;
  for (const auto& f : record(r, 53, 97)) {
    ++kinds[numero(f[2])];
    long l = numero(f[3]);
    EXPECT_TRUE(l >= 200 && l <= 600 && l % 100 == 0) << f[1];
    for (int k = 4; k <= 13; ++k) values[k].insert(numero(f[k]));
    with_timetable += numero(f[14]) + numero(f[15]) + numero(f[16]) > 0;
    EXPECT_FALSE(trim(f[17]).empty());
  }
  EXPECT_EQ(kinds, (std::map<long, int>{{2, 2}, {4, 1}, {8, 1}, {12, 9}, {21, 1}, {22, 20}, {27, 2}, {28, 9}}));
  const std::map<int, std::set<long>> allowed_ = {
      {4, {0, 1}}, {5, {0, 1}},        {6, {0, 1}},  {7, {0, 1, 4}}, {8, {0, 1}},
      {9, {0}},    {10, {0, 2, 4, 5}}, {11, {0, 1}}, {12, {0, 1}},   {13, {0, 1, 60, 99}}};
  for (const auto& [k, ins] : allowed_)
    EXPECT_TRUE(std::includes(ins.begin(), ins.end(), values[k].begin(), values[k].end())) << "campo" << k;
  EXPECT_EQ(with_timetable, 23);

  // Signals: value ranges, the most frequent shape, the two time values.
  std::map<std::string, int> shapes;
  std::set<long> signal_positions;
  const std::vector<std::pair<long, long>> ranges = {{2, 2}, {2, 5}, {0, 6}, {0, 1}, {0, 1},
                                                         {0, 2}, {0, 3}, {0, 1}, {0, 1}};
  for (size_t i = 100; i <= 278; ++i) {
    auto f = fields(r[i - 1]);
    long c = numero(f[1]);
    signal_positions.insert(c);
    for (size_t k = 0; k < ranges.size(); ++k) {
      long v = numero(f[k + 2]);
      EXPECT_TRUE(v >= ranges[k].first && v <= ranges[k].second) << "signal at " << c << " field " << k + 2;
    }
    long tempo = numero(f[11]);
    if (c == 76150) {
      EXPECT_EQ(tempo, 250);
    } else if (c == 314550) {
      EXPECT_EQ(tempo, 199);
    } else {
      EXPECT_EQ(tempo, 0) << c;
    }
    ++shapes[r[i - 1].substr(r[i - 1].find(',', 9) + 1)];
  }
  EXPECT_EQ(*signal_positions.begin(), 1050);
  EXPECT_EQ(*signal_positions.rbegin(), 331100);
  auto frequent = std::max_element(shapes.begin(), shapes.end(), [](auto& a, auto& b) { return a.second < b.second; });
  EXPECT_EQ(frequent->first, "   2, 4, 0,  0, 0,    2,  1,0,0, 0");
  EXPECT_EQ(frequent->second, 91);

  // Code drops: 78 rows of 270 from 7050 to 327450, 52 of them at a signal.
  auto codes = record(r, 280, 357);
  int at_signals = 0;
  for (const auto& f : codes) {
    EXPECT_EQ(numero(f[2]), 270);
    at_signals += signal_positions.count(numero(f[1])) > 0;
  }
  EXPECT_EQ(numero(codes.front()[1]), 7050);
  EXPECT_EQ(numero(codes.back()[1]), 327450);
  EXPECT_EQ(at_signals, 52);
}

// ---------------------------------------------------------------------------
// Loading: the cells that the records of the two sources claim in the 50 m
// grid, in the order in which the loader reads them.

long round_half_even(double x) { return std::lrint(x); }  // halves to even

TEST(CarriedScenario, LoadsWithoutAnyRecordedError) {
  const Lines linea = lines_of(line_lines());
  const Lines treno = lines_of(train_lines());
  long lunghezza = 0;
  std::vector<std::string> errors;
  auto errore = [&](const std::string& what, long c) { errors.push_back(what + " at " + std::to_string(c)); };

  for (const auto& r : linea) {
    auto f = fields(r);
    if (starts(r, "lunghezza percorso")) lunghezza = numero(f[1]);
    if (starts(r, "ripetizione segnali")) {
      if (numero(f[1]) % 50 || numero(f[2]) % 50) errore("signal repetition", numero(f[1]));
      if (f[0].find('4') == std::string::npos && f[0].find('9') == std::string::npos) errore("codes", 0);
    }
  }
  ASSERT_GT(lunghezza, 0);
  ASSERT_LE(lunghezza, 1000000);
  const long celle = round_half_even((lunghezza + 7000) / 50.0);
  std::vector<int> tipo(static_cast<size_t>(celle) + 1, 0);
  auto free_cell = [&](long j) { return j >= 0 && j <= celle && (tipo[j] == 0 || tipo[j] == 11); };
  auto in_grid = [&](long c, long margin) { return (c + margin) / 50.0 <= celle; };
  long cartelli = 0;

  for (const auto& r : linea) {
    auto f = fields(r);
    if (f.size() < 2 || r[0] == '[') continue;
    long c = numero(f[1]);
    bool of_line = starts(r, "curva") || starts(r, "pendenza") || starts(r, "montagna") || starts(r, "indicatori_v") ||
                    starts(r, "cartello");
    if (of_line && !in_grid(c, 100)) errore("beyond the grid", c);
    if (starts(r, "montagna") && numero(f[3]) > 10) {
      long a = round_half_even(c / 50.0), b = round_half_even(numero(f[2]) / 50.0) - 1;
      for (long j = a, n = 1; j <= b; ++j, ++n)
        if (n % 4 == 0 && tipo[j] == 0) tipo[j] = 11;
    } else if (starts(r, "indicatori_v") || starts(r, "cartello")) {
      long j = round_half_even(c / 50.0 + 1);
      if (!free_cell(j)) errore(f[0] + " on a taken cell", c);
      tipo[j] = starts(r, "cartello") ? 14 : 6;
      cartelli += starts(r, "cartello");
    }
  }
  for (const auto& r : linea)
    if (starts(r, "progressiva")) {
      auto f = fields(r);
      long fine = numero(f[2]) + (numero(f[3]) == 1 ? 100 : 0);
      if (numero(f[1]) % 50 || fine % 50) errore("chainage reference", numero(f[1]));
    }

  long riga = 1, fine_prec = 0;
  const long limit = 80 - cartelli;
  for (const auto& r : treno) {
    auto f = fields(r);
    if (f.size() < 2 || r[0] == '[') continue;
    long c = numero(f[1]);
    if (starts(r, "velocit") || starts(r, "aderenza") || starts(r, "segnale") || starts(r, "abbattimento"))
      if (!in_grid(c, 100)) errore("beyond the grid", c);
    if (starts(r, "velocit") && round_half_even(numero(f[2]) / 5.0) > 255) errore("speed", c);
    if (starts(r, "stazione")) {
      if (!in_grid(c, 800)) errore("station beyond the grid", c);
      if (c % 50) errore("station chainage", c);
      long t = numero(f[2]), l = numero(f[3]);
      if (l % 100) errore("zone length", c);
      long inizio, fine;
      if (t == 5 || t == 6) {
        inizio = c - l, fine = c + 150;
      } else if (t == 7 || t == 8) {
        inizio = c - l, fine = c + l;
      } else {
        inizio = c - l / 2, fine = c + l / 2 + (numero(f[6]) ? 50 : 0);
      }
      if (t < 25) {
        long j = round_half_even(fine / 50.0) - 1;
        if (j <= 1) errore("stop mark", c);
        // The stop mark would silently replace a board or signboard.
        if (!free_cell(j)) errore("stop mark over a trackside feature", c);
        tipo[j] = 10;
      }
      if (riga > 1 && inizio - 350 < fine_prec) errore("station spacing", c);
      fine_prec = fine;
      if (++riga >= limit) errore("too many stations", c);
    } else if (starts(r, "segnale")) {
      long j = round_half_even(c / 50.0 + 1);
      if (!free_cell(j)) errore("signal on a taken cell", c);
      tipo[j] = 1;
    } else if (starts(r, "abbattimento")) {
      long j = round_half_even(c / 50.0);
      if (!free_cell(j)) errore("code drop on a taken cell", c);
      tipo[j] = 12;
    }
  }
  EXPECT_TRUE(errors.empty()) << errors.size() << " faults, first: " << errors.front();
  EXPECT_EQ(tipo[1], 0) << "cell 1 stays free for the finishing step";
}

// ---------------------------------------------------------------------------
// Timetable card.

constexpr int kBars[] = {1, 7, 13, 24, 30, 59, 76, 82};

struct BodyLine {
  size_t linea;
  std::string lim, marc, km, rs, nome, orario, rec;
  bool bar = false;
  bool empty_one() const {
    return lim.empty() && marc.empty() && km.empty() && rs.empty() && nome.empty() && orario.empty() && rec.empty();
  }
};

std::string campo(const std::string& riga, int k) { return riga.substr(kBars[k] + 1, kBars[k + 1] - kBars[k] - 1); }

BodyLine read_body(size_t n, std::string riga, bool closing) {
  if (closing) std::replace(riga.begin() + 2, riga.end() - 1, '_', ' ');
  BodyLine out;
  out.linea = n;
  out.lim = trim(campo(riga, 0));
  out.marc = trim(campo(riga, 1));
  std::string k = campo(riga, 2);
  out.bar = k.back() == '/';
  out.km = trim(k.substr(0, 9));
  out.rs = trim(campo(riga, 3));
  out.nome = trim(campo(riga, 4));
  out.orario = campo(riga, 5);
  if (trim(out.orario).empty()) out.orario.clear();
  out.rec = trim(campo(riga, 6));
  return out;
}

std::vector<BodyLine> card_body(const Lines& s) {
  std::vector<BodyLine> out;
  for (auto [da, a, closing] : {std::tuple{17, 47, 0}, {68, 99, 99}, {118, 148, 0}, {167, 198, 198}})
    for (int i = da; i <= a; ++i) out.push_back(read_body(i, s[i - 1], i == closing));
  return out;
}

// Times of day on a row, as "hh.mm".
std::vector<std::string> orari(const BodyLine& r) {
  std::vector<std::string> out;
  static const std::regex now(R"(\d\d\.\d\d)");
  for (auto it = std::sregex_iterator(r.orario.begin(), r.orario.end(), now); it != std::sregex_iterator(); ++it) {
    out.push_back(it->str());
    if (r.orario.find(it->str() + ".") != std::string::npos) break;  // hh.mm.ss
  }
  return out;
}

TEST(TimetableCard, FourPagesOfTheSameBuild) {
  const Lines s = lines_of(card_lines());
  ASSERT_EQ(s.size(), 199u);
  for (size_t n : {1, 2, 12, 49, 50, 52, 53, 63, 100, 101, 103, 113, 150, 152, 162, 199})
    EXPECT_EQ(s[n - 1], "") << "line " << n;
  EXPECT_EQ(s[50], std::string(81, '.'));
  EXPECT_EQ(s[101], std::string(72, '.'));
  EXPECT_EQ(s[150], std::string(72, '.'));
  const std::string rule = " |_____|_____|__________|_____|____________________________|________________|_____|";
  EXPECT_EQ(s[47], rule);
  EXPECT_EQ(s[148], rule);

  const size_t pages[] = {3, 54, 104, 153};
  std::string origin_, destination;
  for (int p = 0; p < 4; ++p) {
    SCOPED_TRACE("page " + std::to_string(p + 1));
    const size_t t = pages[p] - 1;
    EXPECT_EQ(s[t], "  " + std::string(19, '_') + std::string(47, ' ') + std::string(14, '_'));
    EXPECT_EQ(s[t + 1], " |" + std::string(19, ' ') + "|" + std::string(20, ' ') + "SCHEDA " + std::to_string(p + 1) +
                            "/4" + std::string(15, ' ') + "|" + std::string(14, ' ') + "|");
    EXPECT_TRUE(starts(s[t + 2], " |   TRENO n. 4105   |" + std::string(19, ' ') + "da: "));
    EXPECT_TRUE(starts(s[t + 3], " |___________________|" + std::string(20, ' ') + "a: "));
    EXPECT_EQ(s[t + 2].substr(66), p == 3 ? " |    V160 C    |" : " |    V160 B    |");
    EXPECT_EQ(s[t + 3].substr(66), " |     120%     |");
    EXPECT_EQ(s[t + 4], std::string(67, ' ') + "|______________|");
    EXPECT_EQ(s[t + 5], "  ___________________                ___________________");
    EXPECT_EQ(s[t + 6], " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ");
    EXPECT_EQ(s[t + 7], " |        Reg        |              |      350T         |");
    EXPECT_EQ(s[t + 8], " |___________________|              |___________________|");
    EXPECT_EQ(s[t + 10], "  " + std::string(80, '_'));
    EXPECT_EQ(s[t + 11], " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |");
    EXPECT_EQ(s[t + 12], " | Lim.|Marc.|          |  Rs |                            |                |     |");
    EXPECT_EQ(s[t + 13], rule);
    std::string da = trim(s[t + 2].substr(45, 22)), a = trim(s[t + 3].substr(45, 22));
    if (p == 0) {
      origin_ = da, destination = a;
    } else {
      EXPECT_EQ(da, origin_);
      EXPECT_LT(a.size(), destination.size()) << "later pages abbreviate the destination";
      EXPECT_EQ(a.substr(0, 3), destination.substr(0, 3));
    }
  }

  // Body rows: 83 characters, bars in their columns, fields in their forms.
  const std::regex velocita(R"( *\d{2,3} |     )"), reading_f(R"( *\d{1,3}\.\d{3}[ /]|          )"),
      rs(R"( *\d{2,3} | ___ |     )"),
      orario(
          R"( \d\d\.\d\d   \d\d\.\d\d  |     \d\d\.\d\d      |     \d\d\.\d\d\.\d\d   |         \d\d\.\d\d  | {16})"),
      rec(R"( (0\.5 |1\.5 |1   |2   )| {5})");
  for (auto [da, a] : {std::pair{17, 47}, {68, 98}, {118, 148}, {167, 197}}) {
    for (int i = da; i <= a; ++i) {
      const std::string& r = s[i - 1];
      ASSERT_EQ(r.size(), 83u) << "line " << i;
      for (int b : kBars) EXPECT_EQ(r[b], '|') << "line " << i << " column " << b;
      if (r == rule) continue;
      EXPECT_TRUE(std::regex_match(campo(r, 0), velocita)) << "line " << i;
      EXPECT_TRUE(std::regex_match(campo(r, 1), velocita)) << "line " << i;
      EXPECT_TRUE(std::regex_match(campo(r, 2), reading_f)) << "line " << i;
      EXPECT_TRUE(std::regex_match(campo(r, 3), rs)) << "line " << i;
      if (!trim(campo(r, 4)).empty()) {
        EXPECT_NE(campo(r, 4)[0], ' ') << "line " << i << ": names start at the field's first column";
      }
      EXPECT_TRUE(std::regex_match(campo(r, 5), orario)) << "line " << i;
      EXPECT_TRUE(std::regex_match(campo(r, 6), rec)) << "line " << i;
    }
  }
  // The closing rows of pages 2 and 4 carry data, drawn with underscores.
  for (size_t n : {99, 198}) {
    const std::string& r = s[n - 1];
    ASSERT_EQ(r.size(), 83u);
    EXPECT_EQ(r.find(' ', 1), std::string::npos) << "line " << n;
    for (int b : kBars) EXPECT_EQ(r[b], '|') << "line " << n;
  }
  const auto variant =
      std::find_if(s.begin(), s.end(), [](auto& x) { return starts(x, " | 160 | 150 |   31.100/|"); });
  ASSERT_NE(variant, s.end());
  EXPECT_EQ(variant[1], " |     |     |   34.150 |     |                            |                |     |");
  EXPECT_TRUE(starts(s[98], " |_____|_150_|__156.000_|_____|"));
  EXPECT_EQ(s[98].substr(59), "|_14.12___14.13__|_0.5_|");

  // Row kinds: stations with times, named items, spacers, reading changes.
  const auto body = card_body(s);
  ASSERT_EQ(body.size(), 126u);
  std::map<std::string, int> kinds;
  for (size_t i = 0; i < body.size(); ++i) {
    const auto& r = body[i];
    if (r.empty_one()) {
      ++kinds["spacer"];
    } else if (!r.orario.empty()) {
      ++kinds["station"];
    } else if (!r.nome.empty()) {
      std::string entry = r.nome.substr(0, r.nome.find_first_of(" ."));
      for (const char* k : {"Cippo Km", "C.C. Km", "Dev.I.", "Dev.U.", "Segn.Prot.", "Segn.Avv.", "Ponte "})
        if (starts(r.nome, k)) entry = k;
      ++kinds[entry];
    } else {
      ASSERT_GT(i, 0u);
      EXPECT_TRUE(body[i - 1].bar) << "line " << r.linea << ": a lone reading follows a changing one";
      EXPECT_TRUE(r.lim.empty() && r.marc.empty() && r.rs.empty() && r.rec.empty()) << "line " << r.linea;
      ++kinds["reading"];
    }
  }
  EXPECT_EQ(kinds, (std::map<std::string, int>{{"station", 46},
                                              {"Cippo Km", 23},
                                              {"C.C. Km", 4},
                                              {"Dev.I.", 3},
                                              {"Dev.U.", 2},
                                              {"Segn.Prot.", 2},
                                              {"Segn.Avv.", 1},
                                              {"Ponte ", 2},
                                              {"spacer", 39},
                                              {"reading", 4}}));
  EXPECT_EQ(std::count(s.begin(), s.end(),
                       " |     |     |          |     |                            |                |     |"),
            39);
}

TEST(TimetableCard, AgreesWithTheLineAndTheTrain) {
  const Lines linea = lines_of(line_lines());
  const Lines treno = lines_of(train_lines());
  const Lines s = lines_of(card_lines());
  ASSERT_EQ(s.size(), 199u);
  const auto rif = references(linea);
  const auto body = card_body(s);
  ASSERT_EQ(body.size(), 126u);

  // Readings shown on a row: the one in its field, and the new one on the
  // next row where the numbering changes.
  auto reads = [&](size_t i) {
    std::set<std::string> out{body[i].km};
    if (body[i].bar && i + 1 < body.size()) out.insert(body[i + 1].km);
    return out;
  };
  auto on_reading = [&](size_t i, long c) {
    auto l = reads(i);
    return l.count(km(reading(rif, c, false))) || l.count(km(reading(rif, c, true)));
  };

  // The readings named on the card where the numbering changes.
  std::vector<std::pair<std::string, std::string>> changes;
  for (size_t i = 0; i + 1 < body.size(); ++i)
    if (body[i].bar) changes.push_back({body[i].km, body[i + 1].km});
  ASSERT_EQ(changes.size(), 4u);
  for (size_t k = 1; k < 4; ++k) {
    EXPECT_EQ(changes[k].first, km(reading(rif, rif[k - 1].inizio, false)));
    EXPECT_EQ(changes[k].second, km(reading(rif, rif[k - 1].inizio, true)));
  }
  EXPECT_EQ(changes[0].second, "0.000") << "the route starts at reading 0";
  EXPECT_EQ(changes[1], (std::pair<std::string, std::string>{"31.100", "34.150"}));
  EXPECT_EQ(changes[2].first, "287.550");
  EXPECT_EQ(changes[3], (std::pair<std::string, std::string>{"31.450", "96.100"}));

  // Every station of the train, in order, on a row with times at the reading
  // of its chainage; the timed ones with their own time.
  std::vector<size_t> station_lines;
  for (size_t i = 0; i < body.size(); ++i)
    if (!body[i].orario.empty()) station_lines.push_back(i);
  size_t k = 0;
  for (size_t n = 53; n <= 97; ++n) {
    auto f = fields(treno[n - 1]);
    const long c = numero(f[1]);
    const std::string nome = trim(f[17]);
    while (k < station_lines.size() && body[station_lines[k]].nome != nome) ++k;
    ASSERT_LT(k, station_lines.size()) << nome << " missing from the card, or out of order";
    const size_t i = station_lines[k];
    EXPECT_TRUE(on_reading(i, c)) << nome << " at " << c << " shows " << body[i].km;
    if (numero(f[14]) + numero(f[15]) > 0) {
      char hm[8];
      std::snprintf(hm, sizeof hm, "%02ld.%02ld", numero(f[14]), numero(f[15]));
      auto o = orari(body[i]);
      EXPECT_NE(std::find(o.begin(), o.end(), hm), o.end()) << nome << " " << hm;
      EXPECT_EQ(o.size(), n == 53 || n == 97 ? 1u : 2u) << nome << ": stops show arrival and departure";
    } else {
      EXPECT_EQ(orari(body[i]).size(), 1u) << nome << ": a passing time";
    }
  }
  EXPECT_EQ(trim(s[4].substr(45, 22)), trim(fields(treno[52])[17])) << "origin in the title";
  EXPECT_EQ(trim(s[5].substr(45, 22)), trim(fields(treno[96])[17])) << "destination in the title";
  EXPECT_EQ(body.back().nome, trim(fields(treno[96])[17]));

  // Times never go back along the card.
  std::string before = "00.00";
  for (const auto& r : body)
    for (const auto& o : orari(r)) {
      EXPECT_LE(before, o) << "line " << r.linea;
      before = o;
    }

  // The speed limits of the card are the speed limit records of the train.
  std::vector<std::pair<long, std::string>> train_limits;
  for (size_t n = 12; n <= 51; ++n) {
    auto f = fields(treno[n - 1]);
    train_limits.push_back({numero(f[1]), trim(f[2])});
  }
  std::vector<size_t> limit_lines;
  for (size_t i = 0; i < body.size(); ++i)
    if (!body[i].lim.empty()) limit_lines.push_back(i);
  ASSERT_EQ(limit_lines.size(), train_limits.size());
  for (size_t j = 0; j < limit_lines.size(); ++j) {
    EXPECT_EQ(body[limit_lines[j]].lim, train_limits[j].second) << "line " << body[limit_lines[j]].linea;
    EXPECT_TRUE(on_reading(limit_lines[j], train_limits[j].first))
        << "speed record at " << train_limits[j].first << " vs card " << body[limit_lines[j]].km;
  }
  // The set speed never exceeds the limit in force.
  long lim = 0;
  for (const auto& r : body) {
    if (!r.lim.empty()) lim = std::stol(r.lim);
    if (!r.marc.empty()) {
      EXPECT_LE(std::stol(r.marc), lim) << "line " << r.linea;
    }
  }

  // The kilometre posts and the junction of the line source are on the card.
  for (size_t n = 518; n <= 536; ++n) {
    auto f = fields(linea[n - 1]);
    const std::string text = trim(f[2]);
    const long c = numero(f[1]) + 50;
    std::string expected;
    if (text.find("Cippo") != std::string::npos) expected = "Cippo Km " + km(reading(rif, c));
    if (starts(text, "(Bivio)")) expected = "Bivio";
    if (expected.empty()) continue;
    bool found_one = false;
    for (size_t i = 0; i < body.size(); ++i) found_one |= starts(body[i].nome, expected) && on_reading(i, c);
    EXPECT_TRUE(found_one) << text;
  }
  // Every "Cippo Km" and "C.C. Km" row names its own reading.
  for (const auto& r : body)
    if (starts(r.nome, "Cippo Km ") || starts(r.nome, "C.C. Km ")) {
      EXPECT_EQ(r.nome.substr(r.nome.find("Km ") + 3), r.km);
    }
}

// ---------------------------------------------------------------------------

TEST(SlowdownForm, IsTheBlankOrderForm) {
  const Lines r = lines_of(slowdown_lines());
  ASSERT_EQ(r.size(), 46u);
  const std::string empty_one = " |   |                            |            |          |         |            |";
  const std::string closed = " |___|____________________________|____________|__________|_________|____________|";
  Lines awaited = {
      "",
      std::string(31, ' ') + "Modulo M. 3",
      std::string(27, ' ') + "ORDINE DI RALLENTAMENTO",
      " " + std::string(80, '_'),
      "  Linea  xxxxxx xxxxxxx",
      "",
      "  Si ordina al macchinista del treno xxxxx di effettuare i seguenti rallentamenti",
      "  " + std::string(79, '_'),
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      closed,
  };
  for (int i = 0; i < 26; ++i) awaited.push_back(empty_one);
  for (const std::string& x : {closed, std::string(), std::string(14, ' ') + "Prescrizioni specifiche",
                               std::string(" A - Da rispettare con tutto il treno (per i treni viaggiatori)"),
                               std::string(" B - Interessa anche la stazione di......."),
                               std::string(" D - Rallentamneto N. ... e N. ...  sono contigui"),
                               std::string(" C - Da rispettare dalle ore ....  alle ore ..... di tutti"),
                               std::string("     i giorni esclusi i seguenti:.........")})
    awaited.push_back(x);
  EXPECT_EQ(r, awaited);
  for (size_t i = 9; i <= 39; ++i) {
    ASSERT_EQ(r[i - 1].size(), 82u) << "line " << i;
    for (int b : {1, 5, 34, 47, 58, 68, 81}) EXPECT_EQ(r[i - 1][b], '|') << "line " << i;
  }
}

TEST(Notes, AreOnePieceOfItalianProse) {
  const Lines r = lines_of(note_lines());
  ASSERT_EQ(r.size(), 31u);
  size_t total = 0, least = 1000, most_ = 0;
  int typical = 0, begin_ = 0, end_ = 0;
  for (const auto& x : r) {
    const size_t n = characters(x);
    total += n;
    least = std::min(least, n);
    most_ = std::max(most_, n);
    typical += n >= 90 && n <= 99;
    begin_ += x.front() == ' ';
    end_ += x.back() == ' ';
    EXPECT_FALSE(x.empty());
  }
  EXPECT_EQ(total, 3266u);
  EXPECT_EQ(least, 11u);
  EXPECT_EQ(most_, 385u);
  EXPECT_GT(typical, 15) << "most lines are 90 to 99 characters long";
  EXPECT_EQ(begin_, 8);
  EXPECT_EQ(end_, 7);
  EXPECT_NE(r.back().find("@example."), std::string::npos) << "the contact line ends the notes";
  EXPECT_NE(r[0].find("4105"), std::string::npos) << "the notes present the train";
}

}  // namespace
}  // namespace compactor
