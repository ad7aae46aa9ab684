// The family's COLOR=, W= and L= on QQ, probability, P-P and CDF template graphs: the
// panel carries them as dynamics and the drawn SVG (read back through the structural
// SVG reader) shows the fitted line in that colour, width and dash; without them the
// line keeps the plot's own look.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "graph_run.h"
#include "support/svg_reader.h"

namespace {

using kes_test::svg_element;

// Whether a width is w px as the writer's hundredths tell.
bool width_is(const svg_element& e, double w) { return std::fabs(e.num("stroke-width") - w) < 0.005; }

// The elements of the kind (line or polyline) whose stroke is colour.
std::vector<svg_element> stroked(const std::string& doc, const std::string& tag, const std::string& colour) {
  std::vector<svg_element> out;
  for (svg_element& e : kes_test::svg_elements(doc))
    if (e.name == tag && e.get("stroke") == colour) out.push_back(std::move(e));
  return out;
}

struct family_case {
  const char* statement;
  const char* tag;
};

const family_case kCases[] = {
    {"qqplot x / normal(mu=est sigma=est color=red w=4 l=2);", "line"},
    {"probplot x / normal(mu=est sigma=est color=red w=4 l=2);", "line"},
    {"ppplot x / normal(color=red w=4 l=2);", "line"},
    {"cdfplot x / normal(color=red w=4 l=2);", "polyline"},
};

TEST(FamilyLineTemplate, ColourWidthAndDashReachTheDrawnLine) {
  for (const family_case& c : kCases) {
    SCOPED_TRACE(c.statement);
    const kes_test::graph_run r = kes_test::run_graphs(c.statement);
    ASSERT_EQ(r.status, 0) << r.log;
    const auto panels = r.panels();
    ASSERT_EQ(panels.size(), 1u) << r.log;
    EXPECT_EQ(panels[0]->dynamic("_LINECOLOR"), "\"RED\" (text)");
    ASSERT_EQ(r.svg.size(), 1u);
    const std::string& doc = r.svg.begin()->second;
    // The line in the cell and its sample in the legend.
    const auto lines = stroked(doc, c.tag, "#FF0000");
    ASSERT_GE(lines.size(), 1u) << doc;
    for (const svg_element& l : lines) {
      EXPECT_TRUE(width_is(l, 4)) << l.get("stroke-width");
      EXPECT_EQ(l.attrs.count("stroke-dasharray"), 1u);
    }
  }
}

// The stroke of the first element of the kind drawn w px wide ("" when none is).
std::string stroke_of_width(const std::string& doc, const std::string& tag, double w) {
  for (const svg_element& e : kes_test::svg_elements(doc))
    if (e.name == tag && width_is(e, w) && e.attrs.count("stroke")) return e.get("stroke");
  return "";
}

// A colour word that names no colour, a name or a hex form of another length (an alpha
// byte after red), leaves the line its own colour, as without COLOR= (W= and L= still
// apply), never the foreground nor the colour its first six digits would make; the
// note names the word where it stands.
TEST(FamilyLineTemplate, AnUnknownColourLeavesTheLineItsOwnColour) {
  for (const char* colour : {"reddish", "'#FF000080'"}) {
    for (const family_case& c : kCases) {
      std::string statement = c.statement;
      std::string plain = c.statement;
      statement.replace(statement.find("color=red"), 9, std::string("color=") + colour);
      plain.replace(plain.find("color=red"), 9, "");
      SCOPED_TRACE(statement);
      const kes_test::graph_run r = kes_test::run_graphs(statement);
      const kes_test::graph_run own = kes_test::run_graphs(plain);
      ASSERT_EQ(r.status, 0) << r.log;
      ASSERT_EQ(r.svg.size(), 1u) << r.log;
      ASSERT_EQ(own.svg.size(), 1u) << own.log;
      const std::string drawn = stroke_of_width(r.svg.begin()->second, c.tag, 4);
      EXPECT_EQ(drawn, stroke_of_width(own.svg.begin()->second, c.tag, 4));
      EXPECT_NE(drawn, "");
      EXPECT_NE(drawn, "#1F1F1F");
      EXPECT_TRUE(stroked(r.svg.begin()->second, c.tag, "#FF0000").empty());
      EXPECT_NE(r.log.find("the colour name '" + std::string(colour[0] == '\'' ? "#FF000080" : colour) +
                           "' is not known (a colour is a CSS colour name or #RRGGBB); the default colour is used"),
                std::string::npos)
          << r.log;
    }
  }
}

TEST(FamilyLineTemplate, WithoutOptionsNoDynamicsAndNoRed) {
  for (const char* s : {"qqplot x / normal(mu=est sigma=est);", "cdfplot x / normal;"}) {
    SCOPED_TRACE(s);
    const kes_test::graph_run r = kes_test::run_graphs(s);
    ASSERT_EQ(r.status, 0) << r.log;
    const auto panels = r.panels();
    ASSERT_EQ(panels.size(), 1u);
    for (const char* d : {"_LINECOLOR", "_LINETHICKNESS", "_LINEPATTERN"}) EXPECT_EQ(panels[0]->dynamic(d), "") << d;
    ASSERT_EQ(r.svg.size(), 1u);
    EXPECT_TRUE(stroked(r.svg.begin()->second, "line", "#FF0000").empty());
  }
}

}  // namespace
