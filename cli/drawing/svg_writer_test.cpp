#include "cli/drawing/svg_writer.h"

#include <gtest/gtest.h>

#include "cli/drawing/svg_labels.h"
#include "cli/drawing/svg_style.h"
#include "cli/drawing/svg_test_xml.h"

namespace compactor::cli {
namespace {

TEST(SvgWriter, NumbersHaveTwoDecimalsAndNoNegativeZero) {
  EXPECT_EQ(num(12.5), "12.50");
  EXPECT_EQ(num(-0.001), "0.00");
  EXPECT_EQ(num(-3.25), "-3.25");
  EXPECT_EQ(num(1e6 / 3), "333333.33");
}

TEST(SvgWriter, TextsAreEscapedAndControlCharactersDropped) {
  EXPECT_EQ(xml_escape("Gamma & <Delta> \"x\" 'y'"), "Gamma &amp; &lt;Delta&gt; &quot;x&quot; &apos;y&apos;");
  EXPECT_EQ(xml_escape("a\x01"
                       "b\tc\n"),
            "a b c ");
  EXPECT_EQ(xml_escape("Citt\xC3\xA0"), "Citt\xC3\xA0") << "UTF-8 passes unchanged";
}

TEST(SvgWriter, BuildsAWellFormedDocumentThatReadsBackAsWritten) {
  Svg svg(100, 50);
  svg.open("g", {{"id", "a&b"}});
  svg.vuoto("circle", {{"class", "station timed"}, {"cx", num(1)}, {"cy", num(2)}, {"r", num(3)}});
  svg.text("text", {{"x", "1.00"}}, "Gamma & <Delta>");
  // Left open on purpose: fine() closes it.
  const std::string doc = svg.fine();

  const testing::Element root = testing::read_xml(doc);
  EXPECT_EQ(root.nome, "svg");
  EXPECT_EQ(root.attr("viewBox"), "0 0 100.00 50.00");
  const auto* g = testing::with_id(root, "a&b");
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->children.size(), 2u);
  EXPECT_TRUE(g->children[0].has_class("timed"));
  EXPECT_EQ(g->children[1].text, "Gamma & <Delta>");
}

TEST(SvgWriter, TheTestReaderRefusesBrokenXml) {
  for (const char* broken : {"<svg><g></svg>", "<svg a=\"1\" a=\"2\"/>", "<svg>&nope;</svg>", "<svg>a & b</svg>",
                            "<svg x=1/>", "<svg/><svg/>", "<svg>"})
    EXPECT_THROW(testing::read_xml(broken), std::runtime_error) << broken;
}

TEST(SvgStyle, RoundStepsAndReadableNumbers) {
  EXPECT_EQ(style::round_step(13), 20);
  EXPECT_EQ(style::round_step(20), 20);
  EXPECT_EQ(style::round_step(0.3), 0.5);
  EXPECT_EQ(style::round_step(4100), 5000);
  EXPECT_EQ(style::readable_metres(500), "500 m");
  EXPECT_EQ(style::readable_metres(20000), "20 km");
  EXPECT_EQ(style::readable_metres(2500), "2.5 km");
  EXPECT_EQ(style::readable_reading(34150), "34.150");
  EXPECT_EQ(style::readable_reading(0), "0.000");
  EXPECT_EQ(style::readable_reading(-1250), "-1.250");
}

TEST(SvgLabels, ALabelTakesTheNextCandidateWhenTheFirstIsHeld) {
  Labels e;
  const auto a = e.laid(100, 100, {{1, 0, 10}, {-1, 0, 10}}, "Alfa", 10, true);
  ASSERT_TRUE(a);
  EXPECT_STREQ(a->still, "start");
  EXPECT_DOUBLE_EQ(a->x, 110);
  const auto b = e.laid(100, 100, {{1, 0, 10}, {-1, 0, 10}}, "Beta", 10, true);
  ASSERT_TRUE(b);
  EXPECT_STREQ(b->still, "end");
  EXPECT_DOUBLE_EQ(b->x, 90);
  EXPECT_FALSE(e.laid(100, 100, {{1, 0, 10}}, "Gamma", 10, false)) << "no free place and not forced";
  const auto d = e.laid(100, 100, {{1, 0, 10}}, "Delta", 10, true);
  ASSERT_TRUE(d) << "forced labels always get their first place";
  EXPECT_DOUBLE_EQ(d->x, 110);
  EXPECT_TRUE(e.laid(100, 300, {{1, 0, 10}}, "Epsilon", 10, false)) << "far away is free";
}

}  // namespace
}  // namespace compactor::cli
