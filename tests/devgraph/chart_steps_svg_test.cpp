// Device charts read back from their SVG files (through the shared SVG reader):
// the family's line options on QQ, probability, P-P and CDF plots, SQUARE, GOUT=
// catalogs, the shorter axis label texts tried before shrinking, the margin of a
// rotated probability plot, the QQ grid's direction, insets of empty panels, the
// two-parameter Weibull plot's log axis, and the note on TILELEGLABEL=.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "../support/svg_reader.h"
#include "core/runtime.h"
#include "device_run.h"
#include "runner/runner.h"
#include "graph/font_metrics.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

using element = kes_test::svg_element;

// The elements of a graph file as written, numbers unrounded.
std::vector<element> read_svg(const std::string& doc) {
  std::vector<element> out = kes_test::svg_elements(doc);
  EXPECT_FALSE(out.empty()) << doc.substr(0, 200);
  return out;
}

std::vector<element> of_tag(const std::vector<element>& v, const std::string& tag) {
  std::vector<element> out;
  for (const element& e : v)
    if (e.name == tag) out.push_back(e);
  return out;
}

// Texts turned to run up the page: the vertical axis label.
std::vector<std::string> turned_texts(const std::vector<element>& v) {
  std::vector<std::string> out;
  for (const element& e : of_tag(v, "text"))
    if (e.get("transform").find("rotate") != std::string::npos) out.push_back(e.text);
  return out;
}

std::vector<std::string> texts(const std::vector<element>& v) {
  std::vector<std::string> out;
  for (const element& e : of_tag(v, "text")) out.push_back(e.text);
  return out;
}

bool horizontal(const element& l) { return std::fabs(l.num("y1") - l.num("y2")) < 0.01; }
bool vertical(const element& l) { return std::fabs(l.num("x1") - l.num("x2")) < 0.01; }
double length(const element& l) { return std::hypot(l.num("x2") - l.num("x1"), l.num("y2") - l.num("y1")); }

// 60 values about 50 with CLASS levels a, b, c; "x" carries a long label and the
// format 8.3 in the metadata file.
std::string sample_csv() {
  std::string t = "x,c\n";
  for (int i = 0; i < 60; ++i) {
    const double v = 50 + 8 * std::sin(1.7 * i) + 0.1 * i;
    t += std::to_string(v) + "," + std::string(1, static_cast<char>('a' + i % 3)) + "\n";
  }
  return t;
}
const char* const kMeta =
    "kestravine data set metadata 1\n"
    "var\tx\tnum\t8\tF8.3\tA rather long label for the measured value of x\n"
    "var\tc\tchar\t1\t\t\n";

// The room between the vertical label and the axis line of a rotated percent axis.
void percent_margin(const std::vector<element>& svg) {
  // The vertical axis line: the leftmost full-height vertical line.
  double axis_x = 1e9, label_x = NAN, widest = 0, font = NAN;
  for (const element& l : of_tag(svg, "line"))
    if (vertical(l) && length(l) > 200) axis_x = std::min(axis_x, l.num("x1"));
  for (const element& e : of_tag(svg, "text")) {
    if (e.get("transform").find("rotate") != std::string::npos) label_x = e.num("x");
    // The percents: right-aligned texts left of the axis.
    if (e.get("text-anchor") == "end" && e.num("x") < axis_x) {
      font = e.num("font-size");
      widest = std::max(widest, plat::graph::text_width(e.text, font));
    }
  }
  ASSERT_LT(axis_x, 1e9);
  ASSERT_FALSE(std::isnan(label_x));
  ASSERT_GT(widest, 0);
  // Room between the label and the axis: tick, gap, widest percent and one tick unit,
  // with the label's own height (about 12 px) on top. Measured from the quantiles'
  // texts the room is a text height more, or less than the percents need.
  const double room = axis_x - label_x;
  EXPECT_GT(room, widest);
  EXPECT_LT(room, widest + 2 * font + 12) << "room " << room << " widest " << widest;
}

class ChartStepsSvg : public ::testing::Test {
 protected:
  kes_test::scratch_dir dir{"chart-steps-svg"};

  void SetUp() override {
    dir.write("d.csv", sample_csv());
    dir.write("d.csv.meta", kMeta);
  }
  int run(const std::string& program) {
    dir.write("prog.kes", program);
    return devgraph_test::device_run(dir.path(), dir / "prog.kes");
  }
  std::string log() { return slurp(dir / "log"); }
  std::vector<std::string> graphs() { return devgraph_test::graph_files(dir.path()); }
  std::vector<element> graph(const std::string& name) { return read_svg(slurp(dir / "graphs" / name)); }
  // The one graph of a step of one plot statement.
  std::vector<element> only_graph(const std::string& statements) {
    EXPECT_EQ(run("proc kestravine data=d noprint; var x;\n" + statements + "\nrun;\n"), 0) << log();
    const auto g = graphs();
    EXPECT_EQ(g.size(), 1u) << log();
    return g.empty() ? std::vector<element>{} : graph(g[0]);
  }
};

// The family's COLOR=, W= and L= restyle the first curve entry: the reference line of
// QQ, probability and P-P plots and the fitted CDF.
TEST_F(ChartStepsSvg, FamilyLineOptionsRestyleTheFittedLine) {
  struct row {
    const char* statement;
    const char* tag;      // what draws the line
    const char* colour;   // the COLOR= value as the SVG writes it
    const char* width;
  };
  const row rows[] = {
      {"qqplot x / normal(mu=est sigma=est color=red w=4 l=2);", "line", "#FF0000", "4"},
      {"probplot x / normal(mu=est sigma=est color=red w=4 l=2);", "line", "#FF0000", "4"},
      {"ppplot x / normal(color=blue w=3 l=2);", "line", "#0000FF", "3"},
      {"cdfplot x / normal(color=green w=3 l=2);", "polyline", "#008000", "3"},
      // W= below 1 gives width 1; L= below 0 a solid line.
      {"qqplot x / normal(mu=est sigma=est color=red w=0.5 l=-3);", "line", "#FF0000", "1"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.statement);
    std::vector<element> styled;
    for (const element& e : of_tag(only_graph(r.statement), r.tag))
      if (e.get("stroke") == r.colour) styled.push_back(e);
    ASSERT_EQ(styled.size(), 1u);
    EXPECT_EQ(styled[0].get("stroke-width"), r.width);
    // L=2 is dashed; a negative L= is solid.
    EXPECT_EQ(styled[0].attrs.count("stroke-dasharray"), std::string(r.statement).find("l=2") != std::string::npos ? 1u : 0u);
  }
}

// SQUARE makes the framed plot area as tall as it is wide on QQ and probability plots.
TEST_F(ChartStepsSvg, SquareShrinksTheLargerSideOfThePlotArea) {
  for (const char* kind : {"qqplot", "probplot"}) {
    for (const bool square : {false, true}) {
      SCOPED_TRACE(std::string(kind) + (square ? " square" : ""));
      const auto lines = of_tag(
          only_graph(std::string(kind) + " x / normal(mu=est sigma=est)" + (square ? " square;" : ";")), "line");
      double across = 0, up = 0;
      for (const element& l : lines) {
        if (horizontal(l)) across = std::max(across, length(l));
        if (vertical(l)) up = std::max(up, length(l));
      }
      ASSERT_GT(across, 100);
      ASSERT_GT(up, 100);
      // The page is 640 x 480: unsquared the frame is far wider than tall.
      if (square) EXPECT_NEAR(across, up, 1.0);
      else EXPECT_GT(across - up, 50);
    }
  }
}

// GOUT=lib.cat puts the device's files in the folder of the catalog inside the graphs
// folder; without GOUT= they stay in the graphs folder itself.
TEST_F(ChartStepsSvg, GoutNamesTheFolderOfTheGraphs) {
  struct row {
    const char* option;
    const char* folder;
  };
  for (const row& r : {row{"gout=work.charts", "charts"}, row{"gout=figs", "figs"}, row{"", ""}}) {
    SCOPED_TRACE(r.option);
    ASSERT_EQ(run(std::string("proc kestravine data=d noprint ") + r.option + "; var x; qqplot x; run;\n"), 0) << log();
    const fs::path folder = dir / "graphs" / r.folder;
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder))
      if (e.path().extension() == ".svg") found.push_back(e.path().filename().string());
    ASSERT_EQ(found.size(), 1u) << log();
    // The log names the file where it is.
    EXPECT_NE(log().find((folder / found[0]).string()), std::string::npos) << log();
    if (*r.folder != '\0') {
      EXPECT_TRUE(graphs().empty());
      fs::remove_all(folder);
    }
  }
}

// Template graphs have no graphics catalog: GOUT= is noted as not used there, and the
// graphs stay in the graphs folder.
TEST_F(ChartStepsSvg, GoutIsNotedOnTemplateGraphs) {
  dir.write("prog.kes", "proc kestravine data=d noprint gout=work.charts; var x; qqplot x; run;\n");
  fs::create_directories(dir / "graphs");
  ASSERT_EQ(plat::run({"--module", kes_test::built("libkestravine.so"), "--graphs", (dir / "graphs").string(), "--log",
                       (dir / "log").string(), "--listing", (dir / "lst").string(), "--work", dir.path().string(),
                       (dir / "prog.kes").string()}),
            0);
  plat::config() = plat::run_config{};
  EXPECT_NE(log().find("GOUT= is read but not used"), std::string::npos) << log();
  EXPECT_EQ(graphs().size(), 1u);
  EXPECT_FALSE(fs::exists(dir / "graphs" / "charts"));
}

// A vertical label longer than its axis tries the shorter texts first: on CDF and
// P-P plots "Empirical CDF of x", "CDF of x", then "CDF"; on QQ plots the name in
// place of the label (noted once). A text that fits is not shrunk.
TEST_F(ChartStepsSvg, LongVerticalLabelsTryShorterTextsBeforeShrinking) {
  struct row {
    const char* statement;
    const char* label;   // the vertical label of every panel
    bool name_note;      // note 439/31 about the label
    bool shrink_note;    // note 189/335
  };
  const row rows[] = {
      {"class c; cdfplot x / nrows=3 height=4;", "CDF of x", false, false},
      // (The note here is the horizontal label's: the variable's label there.)
      {"class c; cdfplot x / nrows=3 height=7;", "CDF", true, false},
      {"class c; ppplot x / normal(mu=est sigma=est) nrows=3 height=6;", "CDF", false, false},
      {"ppplot x / normal(mu=est sigma=est) height=6;", "Empirical CDF of x", false, false},
      {"class c; qqplot x / normal(mu=est sigma=est) nrows=3;", "x", true, false},
      // Short enough: the default text stays.
      {"cdfplot x;", "Cumulative Percent", false, false},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.statement);
    ASSERT_EQ(run(std::string("proc kestravine data=d noprint; var x; ") + r.statement + " run;\n"), 0) << log();
    const auto g = graphs();
    ASSERT_EQ(g.size(), 1u) << log();
    std::vector<std::string> labels;
    for (const std::string& t : turned_texts(graph(g[0])))
      if (t.size() > 1 || t == "x") labels.push_back(t);  // the panels' level labels are one letter
    ASSERT_FALSE(labels.empty());
    for (const std::string& t : labels) EXPECT_EQ(t, r.label);
    const std::string l = log();
    EXPECT_EQ(l.find("is too long for the axis") != std::string::npos, r.name_note) << l;
    EXPECT_EQ(l.find("vertical axis label is drawn at") != std::string::npos, r.shrink_note) << l;
  }
}

// A P-P plot's horizontal label is the fitted family: it shrinks when it is too long,
// but never turns into the variable's name, and nothing says a label was replaced.
TEST_F(ChartStepsSvg, PpHorizontalLabelKeepsTheFittedFamily) {
  const auto svg = only_graph("ppplot x / normal(mu=est sigma=est) height=6;");
  const auto t = texts(svg);
  EXPECT_EQ(std::count(t.begin(), t.end(), "x"), 0);
  EXPECT_TRUE(std::any_of(t.begin(), t.end(), [](const std::string& s) { return s.rfind("Normal", 0) == 0; }));
  EXPECT_EQ(log().find("is too long for the axis"), std::string::npos) << log();
  EXPECT_NE(log().find("horizontal axis label is drawn at"), std::string::npos) << log();
}

// The margin left of a rotated probability plot, or of a rotated QQ plot with
// PCTLSCALE, holds its percent texts: the vertical label stands one tick unit (half
// the label height) left of the widest percent text plus the tick and its gap, not
// left of the quantiles' texts.
TEST_F(ChartStepsSvg, RotatedPercentAxisMarginFitsItsPercents) {
  for (const char* statement : {"probplot x / normal(mu=est sigma=est) rotate;",
                                "qqplot x / normal(mu=est sigma=est) pctlscale rotate;"}) {
    SCOPED_TRACE(statement);
    percent_margin(only_graph(statement));
  }
}

// The QQ grid: without ROTATE vertical lines at the quantile ticks, with ROTATE
// horizontal lines at the ticks of the vertical (quantile) axis.
TEST_F(ChartStepsSvg, QqGridFollowsRotate) {
  for (const bool rotate : {false, true}) {
    SCOPED_TRACE(rotate ? "rotate" : "no rotate");
    const auto lines = of_tag(
        only_graph(std::string("qqplot x / normal(mu=est sigma=est) grid") + (rotate ? " rotate;" : ";")), "line");
    // Ticks: short lines in the axis colour; the grid: long lines in another colour.
    std::vector<double> ticks, grid_across, grid_up;
    std::string axis_colour;
    for (const element& l : lines) {
      if (length(l) < 10 && (rotate ? horizontal(l) : vertical(l))) {
        ticks.push_back(rotate ? l.num("y1") : l.num("x1"));
        axis_colour = l.get("stroke");
      }
    }
    ASSERT_FALSE(axis_colour.empty());
    for (const element& l : lines) {
      if (length(l) > 200 && l.get("stroke") != axis_colour) {
        if (horizontal(l)) grid_across.push_back(l.num("y1"));
        if (vertical(l)) grid_up.push_back(l.num("x1"));
      }
    }
    const auto& grid = rotate ? grid_across : grid_up;
    EXPECT_TRUE((rotate ? grid_up : grid_across).empty());
    ASSERT_GE(grid.size(), 3u);
    // Each grid line stands at a tick of the axis it crosses.
    for (double g : grid)
      EXPECT_TRUE(std::any_of(ticks.begin(), ticks.end(), [&](double t) { return std::fabs(t - g) < 0.02; })) << g;
  }
}

// Insets only in panels whose cell exists and has a nonmissing value: no stale
// numbers from the panel drawn before.
TEST_F(ChartStepsSvg, InsetsOnlyForCellsWithValues) {
  std::string csv = "y,c,d\n";
  int k = 0;
  for (const char* c : {"a", "b"})
    for (const char* d : {"u", "v"}) {
      if (std::string(c) == "b" && std::string(d) == "v") continue;  // no cell (b, v)
      for (int i = 0; i < 10; ++i) csv += std::to_string(40 + (k++ % 17)) + "," + c + "," + d + "\n";
    }
  csv += ",c,u\n";  // a cell whose only value is missing
  dir.write("e.csv", csv);
  ASSERT_EQ(run("proc kestravine data=e noprint; var y; class c d; histogram y / nrows=3 ncols=2; inset n mean; run;\n"),
            0)
      << log();
  int boxes = 0, panels = 0;
  for (const std::string& name : graphs()) {
    const auto t = texts(graph(name));
    boxes += static_cast<int>(std::count(t.begin(), t.end(), "N"));
    panels += static_cast<int>(std::count(t.begin(), t.end(), "Percent")) > 0;
  }
  EXPECT_GT(panels, 0);
  EXPECT_EQ(boxes, 3);  // (a, u), (a, v), (b, u)
}

// The two-parameter Weibull plot's data axis holds log(value - threshold): its values
// are not written in the variable's format (8.3), which the other families use.
TEST_F(ChartStepsSvg, WeibullLogAxisIgnoresTheVariablesFormat) {
  struct row {
    const char* statement;
    bool formatted;
  };
  const std::regex three_decimals(R"(^-?\d+\.\d{3}$)");
  for (const row& r : {row{"qqplot x / weibull2(theta=0 sigma=est c=est);", false},
                       row{"qqplot x / weibull2(theta=0 sigma=est c=est) rotate;", false},
                       row{"qqplot x / normal(mu=est sigma=est);", true}}) {
    SCOPED_TRACE(r.statement);
    int in_format = 0;
    only_graph(r.statement);
    for (const std::string& t : texts(graph(graphs().at(0)))) in_format += std::regex_match(t, three_decimals);
    if (r.formatted) EXPECT_GE(in_format, 3);
    else EXPECT_EQ(in_format, 0);
  }
}

// TILELEGLABEL= is read but has no effect: one note in the step says so.
TEST_F(ChartStepsSvg, TileLegendLabelIsNotedOnce) {
  ASSERT_EQ(run("proc kestravine data=d noprint; var x; class c;\n"
                "histogram x / tileleglabel='Fills'; qqplot x / tileleglabel='More';\nrun;\n"),
            0)
      << log();
  const std::string l = log();
  const std::string note = "TILELEGLABEL= has no effect";
  ASSERT_NE(l.find(note), std::string::npos) << l;
  EXPECT_EQ(l.find(note, l.find(note) + 1), std::string::npos) << l;
}

}  // namespace
