#include "compiler/compiled_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "testing/test_support.h"

namespace compactor {
namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

TEST(GridFile, CellsAreFifteenLittleEndianBytesInMemberOrder) {
  Griglia g;
  g.resize(2);
  cella& c = g.at(1);
  c.tipo = 1;
  c.dato1 = 5121;
  c.dato2 = -2;
  c.dato3 = 0x1234;
  c.dato4 = 8;
  c.tempo = 101;
  c.preavviso = 84;
  c.montagna = 2;
  c.velocita = 19;
  c.pendenza = 89;
  c.aderenza = 255;

  const std::string file = grid_bytes(g);
  ASSERT_EQ(file.size(), 3u * 15);
  EXPECT_EQ(file.substr(0, 15), std::string(15, '\0'));
  EXPECT_EQ(file.substr(15, 15),
            bytes({1, 0x01, 0x14, 0xFE, 0xFF, 0x34, 0x12, 8, 0, 101, 84, 2, 19, 89, 255}));
  EXPECT_EQ(file.substr(30), std::string(15, '\0'));
}

TEST(ScenarioFile, RowsAreThirtyFourBytesPlusTheName) {
  Stazioni s;
  stazione& r = s.at(1);
  r.tipo = 8;
  r.inizio = -500;
  r.fine = 500;
  r.posizione = 0x01020304;
  r.campo4 = 1;
  r.nome = "Stazione ABC";  // 12 characters
  r.campo7 = 4;
  r.campo8 = 1;
  r.campo10 = 2;
  r.campo11 = 1;
  r.campo12 = -1;
  r.campo9 = 9;
  r.campo13 = 99;
  r.campo6 = 6;
  r.campo5 = 5;
  r.orario = 43910;
  s.at(85).nome = "\xE0";  // one Windows-1252 byte

  const std::string file = station_bytes(s);
  ASSERT_EQ(file.size(), 87u * 34 + 12 + 1);
  EXPECT_EQ(file.substr(0, 34), std::string(34, '\0')) << "a clear row is 34 zero bytes";
  const std::string row1 = file.substr(34, 46);
  EXPECT_EQ(row1.substr(0, 16), bytes({8, 0x0C, 0xFE, 0xFF, 0xFF, 0xF4, 0x01, 0, 0, 4, 3, 2, 1, 1, 12, 0}));
  EXPECT_EQ(row1.substr(16, 12), "Stazione ABC");
  EXPECT_EQ(row1.substr(28),
            bytes({4, 0, 1, 0, 2, 0, 1, 0, 0xFF, 0xFF, 9, 99, 6, 5, 0x86, 0xAB, 0, 0}));
  // Row 85 starts after 85 rows, one of them 12 bytes longer.
  EXPECT_EQ(file.substr(85 * 34 + 12 + 14, 3), bytes({1, 0, 0xE0}));
}

TEST(PlanFile, TagsFollowTheSeedTheComputedPointsAndTheEmptyTail) {
  Planimetria p;
  p.resize(4);  // entries 0..4 per coordinate
  p.seed();
  p.add(0.5, 2.0);

  const std::string x = bytes({2, 0, 0, 0,                                  // int 0
                               2, 0, 0, 0,                                  // int 0
                               5, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F,          // 0.5
                               0, 0, 0, 0});                                // empty, empty
  const std::string y = bytes({2, 0, 0, 0,                                  // int 0
                               2, 0, 1, 0,                                  // int 1
                               5, 0, 0, 0, 0, 0, 0, 0, 0, 0x40,             // 2.0
                               0, 0, 0, 0});
  EXPECT_EQ(plan_bytes(p), x + y);
}

TEST(PlanFile, AnUnseededPlanIsAllEmptyAndAComplete341000MetrePlanHasTheKnownSize) {
  Planimetria p;
  p.resize(3);
  EXPECT_EQ(plan_bytes(p), std::string(16, '\0'));

  // Computed up to metri_totali - 2: each coordinate takes 10 * metri_totali - 18 bytes.
  p.resize(341000);
  p.seed();
  for (int64_t m = 2; m <= 341000 - 2; ++m) p.add(0.0, static_cast<double>(m));
  EXPECT_EQ(plan_bytes(p).size(), 6819964u);
}

// The plan's bytes as a file written front to back only lays them out: all
// x entries, then all y entries.
std::string front_to_back_bytes(const Planimetria& p) {
  struct Kept : OutputFile {
    void write(std::string_view bytes) override { bytes_.append(bytes); }
    void commit() override {}
    std::string bytes_;
  } out;
  write_plan(p, out);
  return std::move(out.bytes_);
}

// The loader's runs are computed by the writer as it lays out their
// entries; the bytes must be those of the same plan computed first, with any
// part already held, blocks of the writer crossed and runs merged.
TEST(PlanFile, APlanComputedWhileWrittenHasTheBytesOfThePlanComputedFirst) {
  struct Case {
    const char* nome;
    int32_t metres;
    std::vector<std::pair<int64_t, double>> stretches;
    int read_after;  // runs after which a point is read (held from then on); -1 never
  };
  const std::vector<Case> cases = {
      {"straight_to_the_end", 1000, {{998, 0.0}}, -1},
      {"curves_and_straights_with_an_empty_tail", 1000, {{100, 0.0}, {250, 0.002}, {260, 0.002}, {700, -0.001}}, -1},
      {"a_part_held_before_the_rest", 1000, {{100, 0.0}, {250, 0.002}, {900, 0.0}}, 1},
      {"all_held", 1000, {{500, 0.003}}, 0},
      {"across_many_blocks", 200'000, {{50'000, 0.0}, {120'000, 0.0004}, {199'998, 0.0}}, -1},
      // The held part ending just past a block of either layout (26,214
      // and 52,428 entries), the empty tail across one.
      {"half_a_block_held", 200'000, {{26'220, 0.0}, {26'221, 0.0}, {120'000, -0.0002}}, 0},
      {"a_block_held", 200'000, {{52'430, 0.0}, {52'431, 0.0}, {60'000, -0.0002}}, 0},
  };
  for (const Case& c : cases) {
    Planimetria written_;
    written_.resize(c.metres);
    written_.seed();
    for (size_t i = 0; i < c.stretches.size(); ++i) {
      written_.extend_stretch(c.stretches[i].first, c.stretches[i].second);
      if (static_cast<int>(i) == c.read_after) (void)written_.x(2);
    }
    Planimetria computed_ = written_;
    (void)computed_.x(2);  // every point computed and held
    ASSERT_TRUE(computed_.pending_stretches().empty()) << c.nome;
    const std::string expected = front_to_back_bytes(computed_);
    EXPECT_EQ(front_to_back_bytes(written_), expected) << c.nome;
    // The two coordinates laid out in step, each to its place.
    EXPECT_EQ(plan_bytes(written_), expected) << c.nome;
    EXPECT_EQ(plan_bytes(computed_), expected) << c.nome;
    // Writing computes nothing into the plan itself.
    EXPECT_EQ(written_.pending_stretches().empty(), c.read_after == static_cast<int>(c.stretches.size()) - 1) << c.nome;
    EXPECT_EQ(written_.x(c.stretches.back().first), computed_.x(c.stretches.back().first)) << c.nome;
  }
}

// Takes note of the space asked for ahead and of the bytes written, front
// to back or at offsets.
struct Counter : OutputFile {
  explicit Counter(bool at = false) : at_(at) {}
  void write(std::string_view bytes) override { written += bytes.size(); }
  bool writes_at() const override { return at_; }
  void write_at(uint64_t offset, std::string_view bytes) override {
    written += bytes.size();
    end = std::max(end, offset + bytes.size());
  }
  void reserve(uint64_t bytes) override { reserved = bytes; }
  void commit() override {}
  bool at_;
  uint64_t written = 0, end = 0, reserved = 0;
};

TEST(CompiledFiles, ThePlanAndTheGridAskAheadForExactlyTheSpaceTheyWrite) {
  // Unseeded, seeded only, partly and fully computed plans.
  for (int64_t computed : {-1, 0, 1, 500, 998}) {
    Planimetria p;
    p.resize(1000);
    if (computed >= 0) p.seed();
    for (int64_t m = 2; m < 2 + computed; ++m) p.add(1.5, static_cast<double>(m));
    Counter c;
    write_plan(p, c);
    EXPECT_EQ(c.reserved, c.written) << computed << " points computed";
    Counter at(true);
    write_plan(p, at);
    EXPECT_EQ(at.reserved, at.written) << computed << " points computed, at offsets";
    EXPECT_EQ(at.end, at.written) << computed << " points computed, at offsets";
  }
  Griglia g;
  g.resize(6680);
  Counter c;
  write_grid(g, c);
  EXPECT_EQ(c.reserved, c.written);
}

TEST(PlanFile, EachWriteAtAnOffsetButTheLastOfEachHalfEndsOnAnAlignedRunOfPages) {
  // Pages cut in two cost the system more: the x half from 0 and the y half
  // from the middle (not on a page) each reach a 128 KiB boundary with every
  // write but their last, and together they cover the file once.
  struct Writes : OutputFile {
    void write(std::string_view) override { ADD_FAILURE() << "written front to back"; }
    bool writes_at() const override { return true; }
    void write_at(uint64_t offset, std::string_view bytes) override { at.emplace_back(offset, bytes.size()); }
    void commit() override {}
    std::vector<std::pair<uint64_t, size_t>> at;
  } out;
  Planimetria p;
  p.resize(400'000);
  p.seed();
  p.extend_stretch(220'000, 0.0004);
  write_plan(p, out);
  const uint64_t half = plan_bytes(p).size() / 2;
  ASSERT_NE(half % 4096, 0u);
  for (const uint64_t start : {uint64_t{0}, half}) {
    std::vector<std::pair<uint64_t, size_t>> stream;
    for (const auto& w : out.at)
      if ((w.first >= half) == (start == half)) stream.push_back(w);
    ASSERT_GT(stream.size(), 3u);
    uint64_t next = start;
    for (size_t i = 0; i < stream.size(); ++i) {
      EXPECT_EQ(stream[i].first, next) << "write " << i << " of the half from " << start;
      next += stream[i].second;
      if (i + 1 < stream.size()) {
        EXPECT_EQ(next % (128 << 10), 0u) << "write " << i << " of the half from " << start;
      }
    }
    EXPECT_EQ(next, start + half);
  }
}

TEST(CompiledFiles, WritesThePlanOnlyWhenSwitchedOnAndReplacesLongerFiles) {
  testing::TempDir dir;
  Model m;
  m.griglia.resize(1);
  m.planimetria.resize(2);
  const FileNames names = file_names(dir.path(), "R", "T 1");

  testing::put_file(names.griglia, std::string(1000, 'x'));
  testing::put_file(names.planimetria, "old plan");
  m.con_planimetria = 0;
  auto written = write_compiled_files(m, names, real_files());
  EXPECT_EQ(written, (std::vector<std::string>{dir / "R_T 1.sim", dir / "R_T 1.dat"}));
  EXPECT_EQ(testing::file_text(names.planimetria), "old plan") << "without the plan its file is left alone";
  EXPECT_EQ(testing::file_text(names.griglia), std::string(30, '\0')) << "no tail of the longer old file";

  m.con_planimetria = 1;
  written = write_compiled_files(m, names, real_files());
  EXPECT_EQ(written.front(), dir / "R_linea.dat");
  EXPECT_EQ(testing::file_text(names.planimetria), std::string(12, '\0'));
  EXPECT_EQ(testing::folder_names(dir.path()), (std::vector<std::string>{"R_T 1.dat", "R_T 1.sim", "R_linea.dat"}));
}

}  // namespace
}  // namespace compactor
