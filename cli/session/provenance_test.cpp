#include "cli/session/provenance.h"

#include <gtest/gtest.h>

#include <charconv>
#include <optional>

#include "cli/session/compile_session.h"
#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "testing/session_fixture.h"

namespace compactor::session {
namespace {

CompileResult compile_sources(const std::string& linea, const std::string& treno, const std::string& percorso = "R",
                      const std::string& nome_treno = "T") {
  return testing::compile_in_session(linea, treno, true, percorso, nome_treno);
}

// The 1-based line of `text` that holds `piece`; 0 when none does.
int line_of(const std::string& text, const std::string& piece) {
  const size_t p = text.find(piece);
  if (p == std::string::npos) return 0;
  int riga = 1;
  for (size_t i = 0; i < p; ++i) riga += text[i] == '\n';
  return riga;
}

// Where an origin points, as "line:12", "train:7", or the kind's name.
std::string where(const CompileResult& r, const Origin& o) {
  if (o.kind == Origin::Kind::none) return "nobody";
  if (o.kind != Origin::Kind::record) return origin_name(o.kind);
  const Record& rec = r.provenance.record(o.record);
  return std::string(rec.source == Source::line ? "line:" : "train:") + std::to_string(rec.line);
}

// Every member that is not as a fresh model has it was set by someone.
void each_has_who_set_it(const CompileResult& r) {
  const Model& m = r.model;
  for (int64_t k = 0; k < m.griglia.size(); ++k)
    for (int i = 0; i < kCellMemberCount; ++i) {
      const auto member = static_cast<CellMember>(i);
      if (member_value(m.griglia.at(k), member) == 0) continue;
      ASSERT_NE(r.provenance.cell(k, member).kind, Origin::Kind::none) << "cell " << k << " " << member_name(member);
    }
  for (int riga = 0; riga < Stazioni::rows; ++riga)
    for (int i = 0; i < kRowMemberCount; ++i) {
      const auto member = static_cast<RowMember>(i);
      const stazione& s = m.stazioni.at(riga);
      if (member_value(s, member) == 0 && (member != RowMember::nome || s.nome.empty())) continue;
      ASSERT_NE(r.provenance.row(riga, member).kind, Origin::Kind::none) << "row " << riga << " " << member_name(member);
    }
}

// A route with one record of every kind, each set where the next can find
// it. Line numbers are looked up by text.
const std::string kLine =
    "[generale]\r\n"
    "lunghezza percorso,    20000\r\n"
    "progressiva chilometrica uno,    5000,    1000,    0\r\n"
    "progressiva chilometrica due,    12000,    -12000,    0\r\n"
    "sfondo uno,    1\r\n"
    "ripetizione segnali 9 codici,    1000,    18000\r\n"
    "[curve]\r\n"
    "curvad4,  2000,  800\r\n"
    "[pendenze]\r\n"
    "pendenza,  1000,   8\r\n"
    "pendenza,  4000,   -5\r\n"
    "[montagne]\r\n"
    "montagna,   3000,  4500,  12\r\n"
    "[cartelli]\r\n"
    "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0\r\n"
    "[indicazioni]\r\n"
    "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\n"
    "[fine]\r\n";

// A station (stop in cell 103), a slowdown at 9000 (board 157, pre-warning
// 153-156, start 181, end 201) with a signal before its board (cell 151,
// whose drop cells 150 and 149 are taken by two drop records) and one after
// its end (206), a drop record far away (280).
const std::string kTrain =
    "[generale]\r\n"
    "numero vetture,    5\r\n"
    "percentuale massa frenata,    110\r\n"
    "sabbia,    100\r\n"
    "orologio,    8              0            0 \r\n"
    "[aderenze]\r\n"
    "aderenza,       0,    95\r\n"
    "aderenza,  10000,    87\r\n"
    "[vel_limite]\r\n"
    "velocita,   0,    30\r\n"
    "velocita,    6000,    120\r\n"
    "[stazioni]\r\n"
    "stazione,    5000, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,    0,   0, 0, 0, Beta\r\n"
    "[rallentamenti]\r\n"
    "rallentamento,  9000,  60,  1000,  1,  1,  0\r\n"
    "[segnali]\r\n"
    "segnale,    7500,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n"
    "segnale,   10250,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n"
    "[codici]\r\n"
    "abbattimento,    7500,   270\r\n"
    "abbattimento,    7450,   270\r\n"
    "abbattimento,   14000,   270\r\n"
    "[fine]\r\n";

std::string in_line(const std::string& piece) { return "line:" + std::to_string(line_of(kLine, piece)); }
std::string in_train(const std::string& piece) { return "train:" + std::to_string(line_of(kTrain, piece)); }

TEST(Provenance, EachKindOfRecordIsCreditedWithWhatItSet) {
  const CompileResult r = compile_sources(kLine, kTrain);
  ASSERT_EQ(r.outcome, Outcome::clean) << r.error()->message;
  each_has_who_set_it(r);

  const std::string segnale = in_train("segnale,    7500"), rallentamento = in_train("rallentamento"),
                    stazione = in_train("stazione"), montagna = in_line("montagna");
  const struct {
    const char* what;
    int64_t cella;
    CellMember member;
    std::string who;
  } celle[] = {
      {"level track before the first gradient", 10, CellMember::pendenza, "starting value"},
      {"a gradient's cells get the one before", 50, CellMember::pendenza, in_line("pendenza,  1000")},
      {"the last gradient runs to the end", 500, CellMember::pendenza, in_line("pendenza,  4000")},
      {"tunnel", 70, CellMember::montagna, montagna},
      {"tunnel marker", 63, CellMember::tipo, montagna},
      {"signboard over a tunnel cell", 60, CellMember::tipo, in_line("cartello_indicatore")},
      {"signboard's row", 60, CellMember::dato1, in_line("cartello_indicatore")},
      {"the tunnel under the signboard", 60, CellMember::montagna, montagna},
      {"speed indicator board", 147, CellMember::dato3, in_line("indicatori_vmax")},
      {"a signal's approach code on the board", 147, CellMember::preavviso, segnale},
      {"speed before the next speed record", 100, CellMember::velocita, in_train("velocita,   0")},
      {"the last speed runs to the end", 300, CellMember::velocita, in_train("velocita,    6000")},
      {"adhesion", 150, CellMember::aderenza, in_train("aderenza,       0")},
      {"the last adhesion", 250, CellMember::aderenza, in_train("aderenza,  10000")},
      {"signal", 151, CellMember::tipo, segnale},
      {"a signal's dato3 of 0 is its own", 151, CellMember::dato3, segnale},
      {"a signal's tempo", 151, CellMember::tempo, segnale},
      {"approach code", 145, CellMember::preavviso, segnale},
      {"station stop", 103, CellMember::dato1, stazione},
      {"station approach code", 100, CellMember::preavviso, stazione},
      {"warning board", 157, CellMember::dato1, rallentamento},
      {"pre-warning", 154, CellMember::tipo, rallentamento},
      {"start", 181, CellMember::dato3, rallentamento},
      {"end", 201, CellMember::tipo, rallentamento},
      {"drop before the start", 170, CellMember::tipo, rallentamento},
      {"drop inside", 189, CellMember::dato1, rallentamento},
      {"drop after the end", 205, CellMember::tipo, rallentamento},
      {"a drop lowered for the board", 150, CellMember::dato1, rallentamento},
      {"... stays the drop record's", 150, CellMember::tipo, in_train("abbattimento,    7500")},
      {"drop record", 280, CellMember::dato1, in_train("abbattimento,   14000")},
      {"mark", 1, CellMember::dato1, "mark"},
      {"code", 1, CellMember::dato2, "scenario code"},
      {"nothing set", 400, CellMember::tipo, "nobody"},
  };
  for (const auto& c : celle) EXPECT_EQ(where(r, r.provenance.cell(c.cella, c.member)), c.who) << c.what;

  const struct {
    const char* what;
    int riga;
    RowMember member;
    std::string who;
  } lines[] = {
      {"route length", 84, RowMember::fine, in_line("lunghezza")},
      {"braked mass", 84, RowMember::inizio, in_train("massa frenata")},
      {"cars", 84, RowMember::posizione, in_train("vetture")},
      {"the larger reference goes first", 81, RowMember::inizio, in_line("chilometrica due")},
      {"the other after it", 82, RowMember::fine, in_line("chilometrica uno")},
      {"the third row is cleared", 83, RowMember::inizio, "nobody"},
      {"background", 85, RowMember::inizio, in_line("sfondo")},
      {"route name", 85, RowMember::nome, "route name"},
      {"mark", 85, RowMember::campo7, "mark"},
      {"weighted code", 85, RowMember::orario, "scenario code"},
      {"signal repetition", 86, RowMember::posizione, in_line("ripetizione")},
      {"sand", 86, RowMember::campo7, in_train("sabbia")},
      {"clock", 86, RowMember::campo11, in_train("orologio")},
      {"train name", 86, RowMember::nome, "train name"},
      {"station", 1, RowMember::orario, stazione},
      {"station's zone", 1, RowMember::inizio, stazione},
      {"a station's campo5 of 0", 1, RowMember::campo5, stazione},
      {"signboard text", 80, RowMember::nome, in_line("cartello_indicatore")},
  };
  for (const auto& c : lines) EXPECT_EQ(where(r, r.provenance.row(c.riga, c.member)), c.who) << c.what;
}

// The reverse: from a line of a source to what it made.
TEST(Provenance, EachRecordKnowsTheCellsAndRowsItSet) {
  const CompileResult r = compile_sources(kLine, kTrain);
  const auto segnale = r.provenance.records_on_line(Source::train, line_of(kTrain, "segnale,    7500"));
  ASSERT_EQ(segnale.size(), 1u);
  const CellMembers approach(CellMember::preavviso);
  const CellMembers own(CellMember::tipo, CellMember::dato1, CellMember::dato2, CellMember::dato3, CellMember::dato4,
                            CellMember::tempo);
  const auto celle = r.provenance.cells_of(segnale[0]);
  ASSERT_EQ(celle.size(), 5u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(celle[i].first, 143 + 2 * static_cast<int64_t>(i));
    EXPECT_EQ(celle[i].last, celle[i].first);
    EXPECT_EQ(celle[i].members, approach);
  }
  EXPECT_EQ(celle[4].first, 151);
  EXPECT_EQ(celle[4].members, own);
  EXPECT_TRUE(r.provenance.rows_of(segnale[0]).empty());

  const auto stazione = r.provenance.records_on_line(Source::train, line_of(kTrain, "stazione"));
  ASSERT_EQ(stazione.size(), 1u);
  const auto lines = r.provenance.rows_of(stazione[0]);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].row, 1);
  EXPECT_EQ(lines[0].members, RowMembers::all());

  // A profile record: one run of cells, up to the next record.
  const auto pendenza = r.provenance.records_on_line(Source::line, line_of(kLine, "pendenza,  1000"));
  ASSERT_EQ(pendenza.size(), 1u);
  const auto stretch = r.provenance.cells_of(pendenza[0]);
  ASSERT_EQ(stretch.size(), 1u);
  EXPECT_EQ(stretch[0].first, 20);
  EXPECT_EQ(stretch[0].last, 79);
  EXPECT_EQ(std::string(r.provenance.record_text(pendenza[0])), "pendenza,  1000,   8");

  // Headers are records that set nothing; a line without a key field has none.
  const auto header = r.provenance.records_on_line(Source::train, line_of(kTrain, "[segnali]"));
  ASSERT_EQ(header.size(), 1u);
  EXPECT_TRUE(r.provenance.cells_of(header[0]).empty());
  EXPECT_TRUE(r.provenance.records_on_line(Source::train, 999).empty());
}

// The carried scenario, whole.
class ProvenanceCarried : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    linea_ = new std::string(joined_lines(line_lines()));
    treno_ = new std::string(joined_lines(train_lines()));
    r_ = new CompileResult(compile_sources(*linea_, *treno_, "Orvena_Lusco", "REG 4105"));
  }
  static void TearDownTestSuite() {
    delete r_;
    delete linea_;
    delete treno_;
  }
  static std::string* linea_;
  static std::string* treno_;
  static CompileResult* r_;
};
std::string* ProvenanceCarried::linea_ = nullptr;
std::string* ProvenanceCarried::treno_ = nullptr;
CompileResult* ProvenanceCarried::r_ = nullptr;

TEST_F(ProvenanceCarried, EveryMemberThatIsSetHasItsOrigin) {
  ASSERT_EQ(r_->outcome, Outcome::clean);
  each_has_who_set_it(*r_);
}

TEST_F(ProvenanceCarried, TheSignalAt29850SetItsCellAndItsApproachCodes) {
  const std::string segnale = "train:" + std::to_string(line_of(*treno_, "segnale,   29850"));
  ASSERT_NE(segnale, "train:0");
  for (const CellMember m : {CellMember::tipo, CellMember::dato1, CellMember::dato2, CellMember::dato3, CellMember::dato4})
    EXPECT_EQ(where(*r_, r_->provenance.cell(598, m)), segnale) << member_name(m);
  EXPECT_EQ(r_->model.griglia.at(598).dato3, 0) << "set by the signal all the same";
  for (const int64_t k : {596, 594, 592, 590})
    EXPECT_EQ(where(*r_, r_->provenance.cell(k, CellMember::preavviso)), segnale) << "cell " << k;
}

// The chainage and the value of "pendenza,  CHAINAGE,   VALUE" (a decimal
// comma ends the value, as it does for the loader).
std::pair<int, int> gradient_numbers(const std::string& text) {
  int numbers[2] = {0, 0};
  size_t p = text.find(',');
  for (int& n : numbers) {
    p = text.find_first_not_of(" ,", p);
    p = static_cast<size_t>(std::from_chars(text.data() + p, text.data() + text.size(), n).ptr - text.data());
  }
  return {numbers[0], numbers[1]};
}

// Each cell's gradient comes from the last gradient record at or before
// the cell, whose value it holds.
TEST_F(ProvenanceCarried, EachCellsGradientComesFromTheRecordThatGaveIt) {
  const Griglia& g = r_->model.griglia;
  int64_t checked = 0;
  for (int64_t k = 0; k < g.size(); ++k) {
    const Origin o = r_->provenance.cell(k, CellMember::pendenza);
    if (g.at(k).pendenza == 0) continue;  // the last cells of the route
    ASSERT_EQ(o.kind, Origin::Kind::record) << "cell " << k;
    const std::string text(r_->provenance.record_text(o.record));
    ASSERT_EQ(text.rfind("pendenza,", 0), 0u) << text;
    const auto [chainage, valore] = gradient_numbers(text);
    EXPECT_EQ(g.at(k).pendenza, static_cast<uint8_t>(valore + 100)) << "cell " << k << ": " << text;
    EXPECT_LE(std::nearbyint(chainage / 50.0), static_cast<double>(k)) << "cell " << k << ": " << text;
    // ... and no later gradient record has begun by this cell.
    const auto after = r_->provenance.records_on_line(Source::line, r_->provenance.record(o.record).line + 1);
    if (!after.empty() && r_->provenance.record_text(after[0]).starts_with("pendenza,")) {
      const std::string next(r_->provenance.record_text(after[0]));
      EXPECT_GT(std::nearbyint(gradient_numbers(next).first / 50.0), static_cast<double>(k))
          << "cell " << k << ": " << next;
    }
    ++checked;
  }
  EXPECT_GT(checked, 6000);
}

TEST_F(ProvenanceCarried, EachStationRowComesFromItsStationLine) {
  int stazioni = 0;
  for (int riga = 1; riga <= 80; ++riga) {
    const stazione& s = r_->model.stazioni.at(riga);
    if (s.posizione == 0 && s.tipo == 0) continue;
    ++stazioni;
    const Origin o = r_->provenance.row(riga, RowMember::nome);
    ASSERT_EQ(o.kind, Origin::Kind::record) << "row " << riga;
    const std::string text(r_->provenance.record_text(o.record));
    EXPECT_EQ(text.rfind("stazione,", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with(s.nome)) << text;
    for (int m = 0; m < kRowMemberCount; ++m) EXPECT_EQ(r_->provenance.row(riga, static_cast<RowMember>(m)), o);
  }
  EXPECT_GT(stazioni, 10);
}

}  // namespace
}  // namespace compactor::session
