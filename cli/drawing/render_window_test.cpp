// The picture of a stretch of route, as the live page asks for it when it
// zooms in: the same drawing, on the window's chainages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "cli/drawing/render_svg.h"
#include "cli/drawing/svg_test_xml.h"
#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "testing/session_fixture.h"

namespace compactor::cli {
namespace {

using compactor::testing::Element;

class RenderWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    result_ = new session::CompileResult(
        compactor::testing::compile_in_session(joined_lines(line_lines()), joined_lines(train_lines())));
  }
  static void TearDownTestSuite() { delete result_; }

  static std::string draw(ChainageWindow w) {
    const Model& m = result_->model;
    return draw_scenario_window(m.stazioni, m.griglia, m.planimetria, "", w);
  }

  static session::CompileResult* result_;
};

session::CompileResult* RenderWindow::result_ = nullptr;

TEST_F(RenderWindow, AWholeWindowIsTheWholePicture) {
  const Model& m = result_->model;
  EXPECT_EQ(draw({}), draw_scenario(m.stazioni, m.griglia, m.planimetria));
}

TEST_F(RenderWindow, TheProfileSpansTheWindowAndCutsTheRest) {
  const Element svg = compactor::testing::read_xml(draw({29000, 31000}));
  const Element* profile = compactor::testing::with_id(svg, "profile");
  ASSERT_NE(profile, nullptr);
  EXPECT_EQ(profile->attr("data-from"), "29000");
  const double x0 = std::stod(profile->attr("data-x0")), ppm = std::stod(profile->attr("data-px-per-m"));
  // 2000 m over the bands' width, and ticks of a few hundred metres inside.
  EXPECT_NEAR(ppm * 2000, 1060, 1);
  const Element* axis = compactor::testing::with_id(*profile, "chainage-axis");
  ASSERT_NE(axis, nullptr);
  int labels = 0;
  for (const Element& e : axis->children)
    if (e.nome == "text" && e.text.find('.') != std::string::npos) {
      const double x = std::stod(e.attr("x"));
      EXPECT_GE(x, x0 - 0.01);
      EXPECT_LE(x, x0 + 2000 * ppm + 0.01);
      ++labels;
    }
  EXPECT_GE(labels, 5);
  EXPECT_NE(compactor::testing::with_id(svg, "profile-window"), nullptr);
  EXPECT_NE(compactor::testing::with_id(svg, "plan-window"), nullptr);
}

TEST_F(RenderWindow, ThePlanFitsTheWindowsPoints) {
  const Element whole = compactor::testing::read_xml(draw({0, 334000}));
  const Element part = compactor::testing::read_xml(draw({29000, 31000}));
  const double whole_scale = std::stod(compactor::testing::with_id(whole, "plan")->attr("data-scale"));
  const double part_scale = std::stod(compactor::testing::with_id(part, "plan")->attr("data-scale"));
  EXPECT_GT(part_scale, 20 * whole_scale);
  // What lies far outside the window is left out, not drawn and cut: the
  // stations near 30 km, not all 45.
  const auto stations = [](const Element& svg) {
    return compactor::testing::with_class(*compactor::testing::with_id(svg, "plan-stations"), "station").size();
  };
  EXPECT_EQ(stations(whole), 45u);
  EXPECT_GE(stations(part), 1u);
  EXPECT_LE(stations(part), 4u);
  // The zero point tells where the plan's origin lands, for the page.
  EXPECT_FALSE(compactor::testing::with_id(part, "plan")->attr("data-zero").empty());
}

TEST_F(RenderWindow, LongLinesAreDrawnToTheScreensResolution) {
  // The whole route in a window: the same lines with far fewer points (the
  // page reads and paints each), where `render` keeps one every 50 m.
  const Element whole = compactor::testing::read_xml(draw({}));
  const Element window = compactor::testing::read_xml(draw({0, 334000}));
  const auto points = [](const Element& svg, const char* class_) {
    const auto found = compactor::testing::with_class(svg, class_);
    if (found.empty()) return size_t{0};
    const std::string& p = found.front()->attr("points");
    return static_cast<size_t>(std::count(p.begin(), p.end(), ','));
  };
  for (const char* line : {"height-line", "route"}) {
    EXPECT_GT(points(whole, line), 6000u) << line;
    EXPECT_LT(points(window, line), points(whole, line) / 4) << line;
    EXPECT_GT(points(window, line), 10u) << line;
  }
}

}  // namespace
}  // namespace compactor::cli
