// The reference of the two source languages (docs/source_languages.md)
// against the program: its field tables are the ones generated from the
// code's description, and every example line in it loads as it says.
//
// COMPACTOR_WRITE_REFERENCE=1 build/default/unit_tests --gtest_filter='SourceReference*'
// writes the generated tables into the reference instead of comparing them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/session/author_warnings.h"
#include "cli/dump_command.h"
#include "loader/memorizza_dati.h"
#include "platform/cp1252.h"
#include "sources/record_markdown.h"
#include "testing/source_fixture.h"

namespace compactor {
namespace {

const std::string kReference = std::string(COMPACTOR_SOURCE_DIR) + "/docs/source_languages.md";

std::string trim(std::string_view s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string_view::npos) return "";
  const size_t b = s.find_last_not_of(" \t");
  return std::string(s.substr(a, b - a + 1));
}

// Pieces between separators, each trimmed; a separator inside double quotes
// is text.
std::vector<std::string> split(std::string_view s, char separator) {
  std::vector<std::string> out;
  std::string piece;
  bool quoted = false;
  for (char c : s) {
    if (c == '"') quoted = !quoted;
    if (c == separator && !quoted) {
      out.push_back(trim(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  out.push_back(trim(piece));
  return out;
}

std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

// An example as the reference shows it: the kind of its block, its lines and
// what it loads as.
struct Example {
  std::string kind;  // line-general, line, train, line-file, train-file
  std::vector<std::string> lines;
  std::string loads_as;
  std::string where;  // for messages
};

constexpr const char* kRouteLength = "lunghezza percorso,    60000";

// The two sources an example is loaded in: the example inside a frame of a
// 60 km route and an empty train, or a whole file as it stands.
std::pair<std::string, std::string> sources_of(const Example& e) {
  const std::string empty_train = crlf({"[generale]", "[fine]"});
  const std::string plain_line = crlf({"[generale]", kRouteLength, "[curve]", "[fine]"});
  if (e.kind == "line-file") return {crlf(e.lines), empty_train};
  if (e.kind == "train-file") return {plain_line, crlf(e.lines)};
  if (e.kind == "train") {
    std::vector<std::string> t = {"[generale]"};
    t.insert(t.end(), e.lines.begin(), e.lines.end());
    t.push_back("[fine]");
    return {plain_line, crlf(t)};
  }
  std::vector<std::string> l = {"[generale]"};
  if (e.kind == "line") l.push_back(kRouteLength), l.push_back("[curve]");
  l.insert(l.end(), e.lines.begin(), e.lines.end());
  if (e.kind == "line-general") {
    bool has_length = false;
    for (const auto& x : e.lines) has_length = has_length || x.find("lunghezza") != std::string::npos;
    if (!has_length) l.push_back(kRouteLength);
    l.push_back("[curve]");
  }
  l.push_back("[fine]");
  return {crlf(l), empty_train};
}

struct Loaded {
  std::unique_ptr<testing::SourcesInMemory> sources;
  std::vector<session::AuthorWarning> warnings;
  Model& m() { return sources->m; }
};

Loaded load(const Example& e) {
  const auto [line, train] = sources_of(e);
  Loaded out{std::make_unique<testing::SourcesInMemory>(line, train), {}};
  Model& m = out.m();
  m.con_planimetria = 1;
  m.stazioni.clean();
  session::WarningCollector warnings;
  memorizza_dati(m, out.sources->names, out.sources->files, &warnings);
  out.warnings = warnings.warnings();
  return out;
}

// "dato1 42" against the members of a cell or a row.
template <class Row>
void check_member(const Row& row, const std::string& probe, const std::string& what) {
  const size_t blank = probe.find(' ');
  ASSERT_NE(blank, std::string::npos) << what << ": probe \"" << probe << "\"";
  const std::string member = probe.substr(0, blank);
  const std::string value = trim(probe.substr(blank + 1));
  if constexpr (std::is_same_v<Row, stazione>) {
    if (member == "nome") {
      ASSERT_TRUE(value.size() >= 2 && value.front() == '"' && value.back() == '"') << what << ": " << probe;
      EXPECT_EQ(cp1252_to_utf8(row.nome), value.substr(1, value.size() - 2)) << what;
      return;
    }
  }
  for (const cli::Member& x : cli::members(row))
    if (member == x.nome) {
      EXPECT_EQ(std::to_string(x.valore), value) << what << " " << member;
      return;
    }
  ADD_FAILURE() << what << ": no member \"" << member << "\"";
}

// Checks what an example loads as: "error 9; warning decimal comma; cell 598:
// tipo 1, dato1 42; row 1: nome \"X\"; point 2750: x 12.5, y 2700". Without an
// error probe the load must record none; without a warning probe it must
// raise no warning.
void check_loads_as(const Example& e) {
  SCOPED_TRACE(e.where);
  Loaded loaded = load(e);
  Model& m = loaded.m();
  int error = 0;
  bool warning_probed = false;
  for (const std::string& probe : split(e.loads_as, ';')) {
    if (probe.empty()) continue;
    if (probe.rfind("error ", 0) == 0) {
      error = std::stoi(probe.substr(6));
      continue;
    }
    if (probe.rfind("warning ", 0) == 0) {
      warning_probed = true;
      const std::string words = probe.substr(8);
      bool found = false;
      for (const auto& w : loaded.warnings) found = found || w.message.find(words) != std::string::npos;
      EXPECT_TRUE(found) << "no warning with \"" << words << "\"";
      continue;
    }
    const size_t colon = probe.find(':');
    ASSERT_NE(colon, std::string::npos) << "probe \"" << probe << "\"";
    const std::vector<std::string> head = split(probe.substr(0, colon), ' ');
    ASSERT_EQ(head.size(), 2u) << "probe \"" << probe << "\"";
    const int64_t at = std::stoll(head[1]);
    for (const std::string& member : split(probe.substr(colon + 1), ',')) {
      if (head[0] == "cell") {
        check_member(m.griglia.at(at), member, probe);
      } else if (head[0] == "row") {
        check_member(m.stazioni.at(static_cast<int>(at)), member, probe);
      } else if (head[0] == "point") {
        const std::vector<std::string> xy = split(member, ' ');
        ASSERT_EQ(xy.size(), 2u) << probe;
        const double got = xy[0] == "x" ? m.planimetria.x(at) : m.planimetria.y(at);
        EXPECT_NEAR(got, std::stod(xy[1]), 0.005) << probe;
      } else {
        ADD_FAILURE() << "probe \"" << probe << "\"";
      }
    }
  }
  EXPECT_EQ(m.numero_errore, error);
  if (!warning_probed)
    for (const auto& w : loaded.warnings) ADD_FAILURE() << "warning: " << w.message;
}

TEST(SourceReference, EveryRecordsExampleLoadsAsItsDescriptionSays) {
  for (SourceLanguage language : {SourceLanguage::line, SourceLanguage::train})
    for (const RecordInfo& r : records(language)) {
      ASSERT_FALSE(r.example_stores.empty()) << r.key;
      check_loads_as({std::string(example_block(language, r.part)), {std::string(r.example)},
                      std::string(r.example_stores), std::string(r.key)});
    }
}

std::string read_reference() {
  std::ifstream in(kReference, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The generated parts of the reference: a marker line, the text, the end line.
constexpr const char* kEnd = "<!-- end of generated text -->\n";
struct Generated {
  const char* marker;
  SourceLanguage language;
  SourcePart part;
};
constexpr Generated kGenerated[] = {
    {"<!-- generated from sources/record_fields.cpp: line source, general section -->\n", SourceLanguage::line,
     SourcePart::general},
    {"<!-- generated from sources/record_fields.cpp: line source, record part -->\n", SourceLanguage::line,
     SourcePart::records},
    {"<!-- generated from sources/record_fields.cpp: train source -->\n", SourceLanguage::train,
     SourcePart::records},
};

TEST(SourceReference, FieldTablesAreTheOnesGeneratedFromTheCode) {
  std::string text = read_reference();
  ASSERT_FALSE(text.empty()) << kReference;
  const bool write = std::getenv("COMPACTOR_WRITE_REFERENCE") != nullptr;
  for (const Generated& g : kGenerated) {
    SCOPED_TRACE(g.marker);
    const size_t start = text.find(g.marker);
    ASSERT_NE(start, std::string::npos) << "the reference lacks the marker";
    const size_t from = start + std::string_view(g.marker).size();
    const size_t end = text.find(kEnd, from);
    ASSERT_NE(end, std::string::npos);
    const std::string wanted = "\n" + records_markdown(g.language, g.part) + "\n";
    if (write) {
      text.replace(from, end - from, wanted);
    } else {
      EXPECT_EQ(text.substr(from, end - from), wanted)
          << "the reference is out of date: run this test with COMPACTOR_WRITE_REFERENCE=1";
    }
  }
  if (write) std::ofstream(kReference, std::ios::binary) << text;
}

std::vector<Example> examples_of(const std::string& text) {
  std::vector<Example> out;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  const std::vector<std::string> kinds = {"line-general", "line", "train", "line-file", "train-file"};
  Example* open = nullptr;
  bool awaiting = false;
  while (std::getline(in, line)) {
    ++number;
    if (open) {
      if (line == "```") {
        open = nullptr;
        awaiting = true;
      } else {
        open->lines.push_back(line);
      }
      continue;
    }
    if (line.rfind("```", 0) == 0) {
      const std::string kind = line.substr(3);
      if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) continue;
      out.push_back({kind, {}, "", "docs/source_languages.md:" + std::to_string(number)});
      open = &out.back();
      continue;
    }
    if (awaiting && !trim(line).empty()) {
      awaiting = false;
      const std::string prefix = "Loads as: ";
      if (line.rfind(prefix, 0) != 0) continue;  // told below: an example without its outcome
      std::string probes;
      for (size_t a = line.find('`'); a != std::string::npos; a = line.find('`', line.find('`', a + 1) + 1)) {
        const size_t b = line.find('`', a + 1);
        if (b == std::string::npos) break;
        probes += line.substr(a + 1, b - a - 1) + ";";
      }
      out.back().loads_as = probes;
    }
  }
  return out;
}

TEST(SourceReference, EveryExampleInTheReferenceLoadsAsItSays) {
  const std::vector<Example> examples = examples_of(read_reference());
  EXPECT_GE(examples.size(), 23u + 10u) << "the records' examples and the traps";
  for (const Example& e : examples) {
    EXPECT_FALSE(e.loads_as.empty()) << e.where << ": an example without \"Loads as:\"";
    check_loads_as(e);
  }
}

}  // namespace
}  // namespace compactor
