// Groups, lines and square cells of QQ, probability, P-P and CDF graphs, read back from
// the SVG files of whole runs: OVERLAY draws every level of the last CLASS variable in
// one cell with a legend that names each; device graphs and histograms say that they
// do not; a comparative legend never shows one cell's parameters for all; reference
// lines come after the points; SQUARE makes square plot areas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_marks.h"
#include "support/svg_reader.h"

namespace {

using kes_test::svg_element;

// Three groups g of 40, 50 and 60 distinct values, far enough apart on every plot
// that no two markers of a group fall within a quarter pixel; s splits each group
// in two (20/20, 25/25, 30/30).
const std::map<std::string, int> kGroupSize = {{"a", 40}, {"b", 50}, {"c", 60}};
std::string groups_csv() {
  std::string csv = "g,s,x\n";
  const struct {
    const char* g;
    int n;
    double base, step;
  } groups[] = {{"a", 40, 10, 0.5}, {"b", 50, 15, 0.4}, {"c", 60, 20, 0.3}};
  for (const auto& grp : groups)
    for (int i = 0; i < grp.n; ++i)
      csv += std::string(grp.g) + "," + (i % 2 == 0 ? "A" : "B") + "," + std::to_string(grp.base + i * grp.step) + "\n";
  return csv;
}

kes_test::graph_run run(const std::string& statements, const std::vector<std::string>& options = {}) {
  return kes_test::run_program(groups_csv(), "proc kestravine data=d noprint; var x; " + statements + " run;\n",
                               options);
}

std::vector<svg_element> only_graph(const kes_test::graph_run& r) {
  EXPECT_EQ(r.svg.size(), 1u) << r.log;
  return r.svg.empty() ? std::vector<svg_element>{} : kes_test::svg_elements(r.svg.begin()->second);
}

// Texts below y.
std::set<std::string> texts_below(const std::vector<svg_element>& els, double y) {
  std::set<std::string> out;
  for (const svg_element& e : els)
    if (e.name == "text" && e.num("y") > y) out.insert(e.text);
  return out;
}

TEST(GroupGraph, OverlayDrawsEveryGroupsPointsInOneCellAndNamesEveryLevel) {
  struct row {
    const char* statements;
    int cells;  // frames drawn
  };
  const row rows[] = {
      {"class g; qqplot x / normal(mu=est sigma=est) overlay;", 1},
      {"class g; probplot x / normal(mu=est sigma=est) overlay;", 1},
      {"class g; ppplot x / normal(mu=est sigma=est) overlay;", 1},
      {"class g; qqplot x / normal(mu=est sigma=est) overlay rotate;", 1},
      // Two CLASS variables: a cell per level of s, the groups of g inside each.
      {"class s g; qqplot x / normal(mu=est sigma=est) overlay;", 2},
      {"class s g; probplot x / normal(mu=est sigma=est) overlay ncols=2 nrows=1;", 2},
      {"class s g; ppplot x / normal(mu=est sigma=est) overlay;", 2},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.statements);
    const kes_test::graph_run run_ = run(r.statements);
    ASSERT_EQ(run_.status, 0) << run_.log;
    const auto els = only_graph(run_);
    const std::string& doc = run_.svg.begin()->second;
    const double top = kes_test::legend_top(els, "g");
    ASSERT_TRUE(std::isfinite(top)) << "no legend titled by the group label";
    // The levels of g are named in the legend, never in a strip.
    const std::set<std::string> legend = texts_below(els, top);
    for (const auto& [level, n] : kGroupSize) {
      EXPECT_TRUE(legend.count(level)) << level;
      EXPECT_EQ(kes_test::occurrences(doc, "g = " + level), 0);
    }
    int frames = 0;
    for (const svg_element& e : els)
      if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") ++frames;
    EXPECT_EQ(frames, r.cells);
    // Markers per kind: those of the plot, and the legend's one per level.
    std::map<std::string, int> plot, swatch;
    const std::vector<kes_test::svg_use> uses = kes_test::svg_uses(doc);
    for (const kes_test::svg_use& u : uses) ++(u.y < top ? plot : swatch)[u.id];
    ASSERT_EQ(plot.size(), 3u);
    // Each level's swatch marker (left of its text, on its row) is the kind of its points.
    for (const svg_element& e : els) {
      if (e.name != "text" || e.num("y") <= top || !kGroupSize.count(e.text)) continue;
      const kes_test::svg_use* best = nullptr;
      for (const kes_test::svg_use& u : uses)
        if (u.y > top && std::fabs(u.y - e.num("y")) < 8 && u.x < e.num("x") && (best == nullptr || u.x > best->x))
          best = &u;
      ASSERT_NE(best, nullptr) << e.text;
      EXPECT_EQ(swatch[best->id], 1) << e.text;
      EXPECT_EQ(plot[best->id], kGroupSize.at(e.text)) << e.text;
    }
  }
}

TEST(GroupGraph, OverlaidCdfDrawsAStepLineOfEveryGroupInItsOwnColour) {
  for (const char* statements : {"class g; cdfplot x / normal overlay;", "class s g; cdfplot x / overlay;"}) {
    SCOPED_TRACE(statements);
    const kes_test::graph_run r = run(statements);
    ASSERT_EQ(r.status, 0) << r.log;
    const auto els = only_graph(r);
    // With a fitted family the legend's title is the family; without one the group label.
    const double g = kes_test::legend_top(els, "g");
    const double t = std::isfinite(g) ? g : kes_test::legend_top(els, "Normal");
    ASSERT_TRUE(std::isfinite(t));
    const std::set<std::string> legend = texts_below(els, t);
    // The rises of each colour's step lines: one per distinct value of its group.
    std::map<std::string, int> rises;
    for (const svg_element& e : els) {
      if (e.name != "polyline" || e.get("stroke-width") != "1.5") continue;
      const std::vector<kes_test::svg_xy> line = kes_test::svg_points(e.get("points"));
      for (std::size_t i = 1; i < line.size(); ++i)
        if (line[i].x == line[i - 1].x && line[i].y < line[i - 1].y) ++rises[e.get("stroke")];
    }
    std::multiset<int> got, want;
    for (const auto& [colour, n] : rises) got.insert(n);
    for (const auto& [level, n] : kGroupSize) {
      want.insert(n);
      EXPECT_TRUE(legend.count(level)) << level;
    }
    EXPECT_EQ(got, want);
  }
}

// A legend's line swatch stands for a line the plot draws: an overlaid CDF draws a step
// line for every group, an overlaid P-P plot only points (its diagonal is no group's).
TEST(GroupGraph, AnOverlayLegendShowsALineSwatchOnlyWhereGroupsHaveLines) {
  struct row {
    const char* statements;
    int swatches;  // horizontal line swatches in the legend
  };
  const row rows[] = {
      {"class g; ppplot x / normal overlay;", 0},
      {"class g; cdfplot x / overlay;", 3},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.statements);
    const kes_test::graph_run run_ = run(r.statements);
    ASSERT_EQ(run_.status, 0) << run_.log;
    const auto els = only_graph(run_);
    const double top = kes_test::legend_top(els, "g");
    ASSERT_TRUE(std::isfinite(top));
    int swatches = 0;
    for (const svg_element& e : els)
      if (e.name == "line" && e.num("y1") > top && e.num("y1") == e.num("y2") &&
          std::fabs(e.num("x2") - e.num("x1") - 24) < 0.01)
        ++swatches;
    EXPECT_EQ(swatches, r.swatches);
    EXPECT_EQ(texts_below(els, top).size(), kGroupSize.size());
  }
}

TEST(GroupGraph, DeviceGraphsAndHistogramsDrawTheCellsAndSaySoOnce) {
  // Device graphs: the plain comparative graph, one file, and one note.
  const kes_test::graph_run dev =
      run("class g; qqplot x / normal overlay; ppplot x / overlay;", {"--graphics", "device"});
  EXPECT_EQ(dev.status, 0) << dev.log;
  EXPECT_EQ(dev.svg.size(), 2u) << dev.log;
  EXPECT_EQ(kes_test::occurrences(dev.log, "OVERLAY is drawn on template graphs only"), 1) << dev.log;
  for (const auto& [name, doc] : dev.svg) EXPECT_EQ(kes_test::occurrences(doc, "<use"), 150) << name;
  // Template graphs draw it: no note.
  const kes_test::graph_run tmpl = run("class g; qqplot x / normal overlay;");
  EXPECT_EQ(kes_test::occurrences(tmpl.log, "OVERLAY"), 0) << tmpl.log;
  // HISTOGRAM: its cells side by side, and a note once in either renderer.
  for (const char* kind : {"template", "device"}) {
    const kes_test::graph_run h = run("class g; histogram x / overlay; histogram x / overlay;", {"--graphics", kind});
    EXPECT_EQ(h.status, 0) << h.log;
    EXPECT_EQ(kes_test::occurrences(h.log, "HISTOGRAM does not use OVERLAY"), 1) << kind << h.log;
  }
}

TEST(GroupGraph, AComparativeLineLabelNeverShowsOneCellsParametersForAll) {
  struct row {
    const char* statements;
    const char* label;  // the line's legend entry
  };
  const row rows[] = {
      // Each cell fits its own line: the entry says so and shows no cell's numbers.
      {"class g; qqplot x / normal(mu=est sigma=est);", "Fitted per cell"},
      {"class g; probplot x / normal(mu=est sigma=est);", "Fitted per cell"},
      {"class s g; qqplot x / normal(mu=est sigma=5);", "Fitted per cell"},
      // Given parameters draw one line in every cell: its numbers are every cell's.
      {"class g; qqplot x / normal(mu=15 sigma=5);", "Normal Line (Mu=15, Sigma=5)"},
      // Without CLASS the one cell's own numbers: x = 10 + 0.5 i, i = 0..39, has mean
      // 19.75 and standard deviation 0.5 sqrt(40 x 41 / 12) = 5.845226 (by hand).
      {"qqplot x / normal(mu=est sigma=est);", "Normal Line (Mu=19.75, Sigma=5.845226)"},
  };
  std::string one_group = "x\n";
  for (int i = 0; i < 40; ++i) one_group += std::to_string(10 + 0.5 * i) + "\n";
  for (const row& r : rows) {
    SCOPED_TRACE(r.statements);
    const std::string program = std::string("proc kestravine data=d noprint; var x; ") + r.statements + " run;\n";
    const kes_test::graph_run run_ =
        std::string(r.statements).find("class") == 0 ? run(r.statements) : kes_test::run_program(one_group, program);
    ASSERT_EQ(run_.status, 0) << run_.log;
    const auto els = only_graph(run_);
    const double top = kes_test::legend_top(els, "Normal Line");
    ASSERT_TRUE(std::isfinite(top));
    const std::set<std::string> legend = texts_below(els, top);
    EXPECT_TRUE(legend.count(r.label)) << *legend.begin();
    for (const std::string& t : legend) EXPECT_TRUE(t == r.label || t.find('=') == std::string::npos) << t;
  }
}

TEST(GroupGraph, ReferenceLinesAreDrawnOverThePoints) {
  for (const char* statements :
       {"qqplot x / normal(mu=est sigma=est);", "probplot x / normal(mu=est sigma=est);", "ppplot x / normal;",
        "qqplot x / normal(mu=est sigma=est) rotate;", "class g; qqplot x / normal(mu=est sigma=est) overlay;",
        "class g; ppplot x / normal overlay;"}) {
    SCOPED_TRACE(statements);
    const kes_test::graph_run r = run(statements);
    ASSERT_EQ(r.status, 0) << r.log;
    const auto els = only_graph(r);
    // The plot area: the one frame.
    double fx = NAN, fy = NAN, fw = NAN, fh = NAN;
    for (const svg_element& e : els)
      if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A")
        fx = e.num("x"), fy = e.num("y"), fw = e.num("width"), fh = e.num("height");
    ASSERT_TRUE(std::isfinite(fx));
    std::size_t last_marker = 0, first_line = els.size(), lines = 0;
    for (std::size_t i = 0; i < els.size(); ++i) {
      const svg_element& e = els[i];
      if (e.name == "use" && e.num("y") < fy + fh + 3) last_marker = i;
      // A line 1.5 px wide that reaches inside the plot area (legend swatches lie below it).
      if (e.name == "line" && e.get("stroke-width") == "1.5" && std::max(e.num("y1"), e.num("y2")) > fy &&
          std::min(e.num("y1"), e.num("y2")) < fy + fh && std::min(e.num("x1"), e.num("x2")) < fx + fw) {
        first_line = std::min(first_line, i);
        ++lines;
      }
    }
    EXPECT_GT(last_marker, 0u);
    EXPECT_GE(lines, 1u);
    EXPECT_GT(first_line, last_marker);
  }
}

TEST(GroupGraph, SquarePlotAreasWithSquare) {
  struct row {
    const char* statements;
    bool square;
  };
  const row rows[] = {
      {"qqplot x / normal square;", true},           {"qqplot x / normal;", false},
      {"probplot x / normal square;", true},         {"probplot x / normal;", false},
      {"ppplot x / normal square;", true},           {"qqplot x / normal square rotate;", true},
      {"qqplot x / normal square pctlaxis;", true},  {"class g; qqplot x / normal square;", true},
      {"class s g; probplot x / normal square;", true}, {"class g; qqplot x / normal square overlay;", true},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.statements);
    const kes_test::graph_run run_ = run(r.statements);
    ASSERT_EQ(run_.status, 0) << run_.log;
    int frames = 0;
    for (const svg_element& e : only_graph(run_)) {
      if (e.name != "rect" || e.get("fill") != "none" || e.get("stroke") != "#4A4A4A") continue;
      ++frames;
      if (r.square) EXPECT_NEAR(e.num("width"), e.num("height"), 0.02);
      else EXPECT_GT(std::fabs(e.num("width") - e.num("height")), 10);
    }
    EXPECT_GE(frames, 1);
  }
}

}  // namespace
