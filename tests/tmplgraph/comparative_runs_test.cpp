// Comparative graphs through the runner: without NROWS= and NCOLS= the cells of a CLASS
// request stand on one graph (rows and columns as many as the levels, at most 10 each,
// per BY group), on template and device graphs; and the common dynamics every
// template graph carries, with and without CLASS variables and INSET statements.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "graph_run.h"

namespace {

using kes_test::dump_block;
using kes_test::graph_run;

std::string grid(const dump_block* p) {
  auto first = [](std::string v) { return v.substr(0, v.find(' ')); };
  return first(p->dynamic("_NROWS")) + " " + first(p->dynamic("_NCOLS"));
}

// The line number of a dynamic in a panel, or -1.
int line_of(const dump_block* p, const std::string& name) {
  for (std::size_t i = 0; i < p->lines.size(); ++i)
    if (p->lines[i].rfind("  " + name + " = ", 0) == 0) return static_cast<int>(i);
  return -1;
}

TEST(ComparativeRuns, CellsWithoutNrowsOrNcolsStandOnOneGraph) {
  struct row {
    const char* statements;
    std::size_t panels;
    const char* grid;  // _NROWS and _NCOLS of the first panel
  };
  // c has 3 levels, d has 2.
  const row rows[] = {
      {"class c; histogram;", 1, "3 1"},
      {"class c d; histogram;", 1, "3 2"},
      {"class c; qqplot;", 1, "3 1"},
      {"class c; probplot;", 1, "3 1"},
      {"class c; cdfplot;", 1, "3 1"},
      {"class c; ppplot;", 1, "3 1"},
      {"class c d; qqplot / overlay;", 1, "3 1"},         // the groups of d overlaid in 3 cells
      {"class c; qqplot / overlay;", 1, "1 1"},           // all groups in one cell
      {"class c d; histogram / nrows=2;", 2, "2 2"},      // NCOLS= left to the 2 levels of d
      {"class c d; histogram / ncols=1;", 2, "3 1"},      // NROWS= left to the 3 levels of c
      {"class c; histogram / nrows=2;", 2, "2 1"},        // given values stay as given
      {"class c; histogram / ncols=2;", 2, "0 2"},
      {"histogram;", 1, "1 1"},
  };
  for (const row& r : rows) {
    const graph_run g = kes_test::run_graphs(r.statements);
    ASSERT_EQ(g.status, 0) << r.statements << g.log;
    ASSERT_EQ(g.panels().size(), r.panels) << r.statements;
    EXPECT_EQ(g.svg.size(), r.panels) << r.statements;
    EXPECT_EQ(grid(g.panels().at(0)), r.grid) << r.statements;
  }
}

// The cells of one CLASS variable fill the width under NCOLS=2: one column of whole
// cells, never half-width cells beside an empty column; two variables fill two.
TEST(ComparativeRuns, CellsFillTheWidthOfTheirGraph) {
  struct row {
    const char* statements;
    std::size_t columns;  // distinct left edges of the cells
  };
  const row rows[] = {
      {"class c; histogram / nrows=3 ncols=2;", 1},
      {"class c; qqplot / nrows=3 ncols=2;", 1},
      {"class c; probplot / nrows=3 ncols=2 rotate;", 1},
      {"class c d; histogram / nrows=3 ncols=2;", 2},
  };
  for (const row& r : rows) {
    const graph_run g = kes_test::run_graphs(r.statements);
    ASSERT_EQ(g.status, 0) << r.statements << g.log;
    ASSERT_EQ(g.svg.size(), 1u) << r.statements;
    const std::vector<kes_test::svg_element> doc = kes_test::svg_elements(g.svg.begin()->second);
    const double page = doc.at(0).num("width");
    std::set<long> lefts;
    double lo = INFINITY, hi = -INFINITY;
    for (const kes_test::svg_element& e : doc)
      if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") {
        lefts.insert(std::lround(e.num("x")));
        lo = std::min(lo, e.num("x"));
        hi = std::max(hi, e.num("x") + e.num("width"));
      }
    EXPECT_EQ(lefts.size(), r.columns) << r.statements;
    EXPECT_GT(hi - lo, 0.8 * page) << r.statements;
  }
}

// 12 levels: 10 cells on the first graph, 2 on the second; the levels of each BY
// group count for its own graphs, and the request keeps its statement's values.
TEST(ComparativeRuns, LevelCountsAreCappedAndCountedPerByGroup) {
  std::string many = "x,g\n";
  for (int i = 0; i < 240; ++i) many += std::to_string(40 + (i * 37) % 21) + ",L" + std::to_string(10 + i % 12) + "\n";
  const graph_run m = kes_test::run_program(many, "proc kestravine data=d noprint; var x; class g; histogram; run;");
  ASSERT_EQ(m.status, 0) << m.log;
  ASSERT_EQ(m.panels().size(), 2u);
  EXPECT_EQ(grid(m.panels()[0]), "10 1");
  EXPECT_EQ(grid(m.panels()[1]), "10 1");

  std::string by = "b,x,g\n";
  for (int i = 0; i < 20; ++i) by += "1," + std::to_string(40 + i) + "," + "pq"[i % 2] + "\n";
  for (int i = 0; i < 30; ++i) by += "2," + std::to_string(40 + i) + "," + "pqr"[i % 3] + "\n";
  const graph_run b =
      kes_test::run_program(by, "proc kestravine data=d noprint; by b; var x; class g; histogram; qqplot; run;");
  ASSERT_EQ(b.status, 0) << b.log;
  std::vector<std::string> grids;
  for (const dump_block* p : b.panels()) grids.push_back(grid(p));
  EXPECT_EQ(grids, (std::vector<std::string>{"2 1", "2 1", "3 1", "3 1"}));

  // The device pages the same way: one chart for each request and BY group.
  const graph_run d = kes_test::run_program(
      by, "proc kestravine data=d noprint; by b; var x; class g; histogram; qqplot; run;", {"--graphics", "device"});
  ASSERT_EQ(d.status, 0) << d.log;
  EXPECT_EQ(d.svg.size(), 4u) << d.log;
  EXPECT_EQ(d.log.find("439"), std::string::npos) << d.log;
}

// Ten rows of CDF or QQ panels leave a device page no room: rows left to the levels
// give way to as many as the page holds, and every level is drawn, without the note
// that a graph is not drawn.
TEST(ComparativeRuns, DeviceRowsLeftToTheLevelsFitThePage) {
  std::string ten = "x,g\n";
  for (int i = 0; i < 200; ++i) ten += std::to_string(40 + (i * 37) % 21) + ",L" + std::to_string(i % 10) + "\n";
  for (const char* statement : {"cdfplot x / normal;", "qqplot x;"}) {
    SCOPED_TRACE(statement);
    const graph_run d = kes_test::run_program(
        ten, std::string("proc kestravine data=d noprint; var x; class g; ") + statement + " run;",
        {"--graphics", "device"});
    ASSERT_EQ(d.status, 0) << d.log;
    EXPECT_EQ(d.log.find("no room"), std::string::npos) << d.log;
    ASSERT_GE(d.svg.size(), 2u) << d.log;
    std::string all;
    for (const auto& [name, text] : d.svg) all += text;
    for (int level = 0; level < 10; ++level)
      EXPECT_NE(all.find(">L" + std::to_string(level) + "<"), std::string::npos) << "level L" << level;
  }
}

// Ten by ten cells leave a strip too narrow for "a = A0, b = B0": it shows the levels
// alone, never a name cut before its level.
TEST(ComparativeRuns, NarrowStripsShowTheLevels) {
  std::string grid = "x,a,b\n";
  for (int i = 0; i < 600; ++i)
    grid += std::to_string(40 + (i * 37) % 21) + ",A" + std::to_string(i % 10) + ",B" + std::to_string(i / 10 % 10) + "\n";
  const graph_run r = kes_test::run_program(grid, "proc kestravine data=d noprint; var x; class a b; histogram; run;");
  ASSERT_EQ(r.status, 0) << r.log;
  ASSERT_EQ(r.svg.size(), 1u) << r.log;
  const std::string& svg = r.svg.begin()->second;
  EXPECT_NE(svg.find(">A0, B0<"), std::string::npos);
  EXPECT_NE(svg.find(">A9, B9<"), std::string::npos);
  EXPECT_EQ(svg.find(">a = "), std::string::npos);
}

// The common dynamics: "_SPECLEGEND" (never "_LIMITLEGEND") after "_VARLABEL" and
// before "_CURVELEGEND"; a graph without CLASS variables carries "_PADLEGEND" = 0 also
// without INSET statements, a comparative graph "_MARGININSET" = 0.
TEST(ComparativeRuns, EveryGraphCarriesTheLegendAndInsetDynamics) {
  struct row {
    const char* statements;
    bool padlegend, margininset, insetdata;
  };
  const row rows[] = {
      {"histogram;", true, false, false},
      {"qqplot;", true, false, false},
      {"histogram; inset n;", true, false, false},
      {"class c; histogram;", false, true, false},
      {"class c; cdfplot;", false, true, false},
      {"class c; histogram; inset n;", false, true, true},
  };
  for (const row& r : rows) {
    const graph_run g = kes_test::run_graphs(r.statements);
    ASSERT_EQ(g.status, 0) << r.statements << g.log;
    const dump_block* p = g.panels().at(0);
    EXPECT_EQ(p->dynamic("_SPECLEGEND"), "0 (boolean)") << r.statements;
    EXPECT_EQ(line_of(p, "_LIMITLEGEND"), -1) << r.statements;
    EXPECT_LT(line_of(p, "_VARNAME"), line_of(p, "_SPECLEGEND")) << r.statements;
    EXPECT_EQ(line_of(p, "_SPECLEGEND") + 1, line_of(p, "_CURVELEGEND")) << r.statements;
    EXPECT_EQ(p->dynamic("_PADLEGEND"), r.padlegend ? "0 (double)" : "") << r.statements;
    EXPECT_EQ(p->dynamic("_MARGININSET"), r.margininset ? "0 (boolean)" : "") << r.statements;
    bool inset_table = false;
    for (const dump_block& b : g.blocks) inset_table = inset_table || b.head.rfind("data InsetData", 0) == 0;
    EXPECT_EQ(inset_table, r.insetdata) << r.statements;
  }
}

}  // namespace
