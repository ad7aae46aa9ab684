// QQ, P-P and CDF plots and comparative pages under device graphics, read back from
// the SVG files: points where the plotting positions and the fitted distribution put
// them, each cell's own reference line, the empirical CDF's steps, the 45-degree line,
// marker batches, and the pages of one and two CLASS variables. Positions are checked
// as proportions along the panel's axes, so that they hold whatever the page margins.
// Reference quantiles and probabilities: Python's statistics.NormalDist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "../support/svg_marks.h"
#include "../support/svg_reader.h"
#include "device_run.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

using shape = kes_test::svg_element;

std::vector<shape> shapes(const std::string& doc, const std::string& name);

// Markers are references to one definition of their shape: a circle is a reference to
// a definition whose path is made of arcs, at its centre.
std::vector<shape> circles(const std::string& doc) {
  std::vector<shape> out;
  std::map<std::string, bool> round;
  for (const shape& d : shapes(doc, "path"))
    if (d.attrs.count("id")) round[d.attrs.at("id")] = d.attrs.at("d").find('A') != std::string::npos;
  for (const shape& u : shapes(doc, "use")) {
    const std::string id = u.attrs.count("href") ? u.attrs.at("href").substr(1) : "";
    if (!round[id]) continue;
    shape c;
    c.name = "circle";
    c.attrs = {{"cx", u.attrs.at("x")}, {"cy", u.attrs.at("y")}};
    out.push_back(c);
  }
  return out;
}

std::vector<shape> shapes(const std::string& doc, const std::string& name) {
  if (name == "circle") return circles(doc);
  std::vector<shape> out;
  for (shape& e : kes_test::svg_elements(doc))
    if (e.name == name) out.push_back(std::move(e));
  return out;
}


// The slanted lines: neither axis lines nor ticks nor grid lines.
std::vector<shape> slanted(const std::string& doc) {
  std::vector<shape> v;
  for (const shape& l : shapes(doc, "line"))
    if (std::fabs(l.num("x1") - l.num("x2")) > 0.5 && std::fabs(l.num("y1") - l.num("y2")) > 0.5) v.push_back(l);
  return v;
}

class ProbMarksSvg : public ::testing::Test {
 protected:
  kes_test::scratch_dir dir{"prob-marks-svg"};

  int run(const std::string& csv, const std::string& program) {
    dir.write("d.csv", csv);
    dir.write("prog.kes", program);
    return devgraph_test::device_run(dir.path(), dir / "prog.kes");
  }
  std::string log() { return slurp(dir / "log"); }
  std::vector<std::string> graphs() { return devgraph_test::graph_files(dir.path()); }
  std::string graph(const std::string& name) { return slurp(dir / "graphs" / name); }
};

std::string column(const std::vector<double>& v) {
  std::string t = "x\n";
  for (double x : v) t += std::to_string(x) + "\n";
  return t;
}

TEST_F(ProbMarksSvg, QqPointsSitAtTheirPlottingPositionsAndTheLineFollowsMuAndSigma) {
  ASSERT_EQ(run(column({1, 2, 4, 7, 11}), "proc kestravine data=d noprint; var x;\n"
                                         "qqplot x / normal(mu=5 sigma=2);\nrun;\n"),
            0)
      << log();
  const std::string doc = graph(graphs().at(0));
  auto c = shapes(doc, "circle");
  ASSERT_EQ(c.size(), 5u) << doc;
  std::sort(c.begin(), c.end(), [](const shape& a, const shape& b) { return a.num("cx") < b.num("cx"); });
  // p = (k + 0.625) / 5.25: the middle point is at the quantile 0, the others at
  // +-0.497200570681554 and +-1.1797611176118603.
  const double q[5] = {-1.1797611176118603, -0.497200570681554, 0.0, 0.497200570681554, 1.1797611176118603};
  const double x0 = c[2].num("cx"), xspan = c[4].num("cx") - x0;
  for (int k = 0; k < 5; ++k) EXPECT_NEAR((c[k].num("cx") - x0) / xspan, q[k] / q[4], 2e-3) << k;
  // The values go up the page in proportion.
  const double v[5] = {1, 2, 4, 7, 11};
  const double y0 = c[0].num("cy"), yspan = c[4].num("cy") - y0;
  for (int k = 0; k < 5; ++k) EXPECT_NEAR((c[k].num("cy") - y0) / yspan, (v[k] - 1) / 10, 2e-3) << k;
  // The line data = 5 + 2 q: at the quantile 0 it meets the value 5, at q[4] the value
  // 5 + 2 q[4].
  const auto lines = slanted(doc);
  ASSERT_EQ(lines.size(), 1u);
  const shape& l = lines[0];
  const auto y_at = [&](double x) {
    return l.num("y1") + (x - l.num("x1")) * (l.num("y2") - l.num("y1")) / (l.num("x2") - l.num("x1"));
  };
  EXPECT_NEAR((y_at(x0) - y0) / yspan, (5.0 - 1) / 10, 3e-3);
  EXPECT_NEAR((y_at(c[4].num("cx")) - y0) / yspan, (5 + 2 * q[4] - 1) / 10, 3e-3);
}

TEST_F(ProbMarksSvg, EmpiricalCdfStepsToItsSharesAtTheValues) {
  ASSERT_EQ(run(column({1, 2, 2, 3}), "proc kestravine data=d noprint; var x; cdfplot x;\nrun;\n"), 0) << log();
  const std::string doc = graph(graphs().at(0));
  const auto lines = shapes(doc, "polyline");
  ASSERT_EQ(lines.size(), 1u) << doc;
  // (h min, 0), two points a value, (h max, 100): 2 x 3 + 2, of which the first and
  // the last fall on their neighbours (h min is 1, h max 3) and are not written.
  const auto p = kes_test::svg_points(lines[0].attrs.at("points"));
  ASSERT_EQ(p.size(), 6u);
  const double y0 = p[0].y, y100 = p[5].y;
  const double share[6] = {0, 0.25, 0.25, 0.75, 0.75, 1};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR((p[i].y - y0) / (y100 - y0), share[i], 1e-3) << i;
  // The steps stand at 1, 2 and 3: equally far apart.
  EXPECT_DOUBLE_EQ(p[0].x, p[1].x);
  EXPECT_DOUBLE_EQ(p[2].x, p[3].x);
  EXPECT_NEAR(p[2].x - p[0].x, p[4].x - p[2].x, 0.02);
}

TEST_F(ProbMarksSvg, PpPointsLieAtTheFittedAndEmpiricalProbabilitiesAlongTheDiagonal) {
  ASSERT_EQ(run(column({1, 2, 3, 4}), "proc kestravine data=d noprint; var x;\n"
                                      "ppplot x / normal(mu=2.5 sigma=1);\nrun;\n"),
            0)
      << log();
  const std::string doc = graph(graphs().at(0));
  const auto lines = slanted(doc);
  ASSERT_EQ(lines.size(), 1u) << doc;  // the 45-degree line from (0, 0) to (1, 1)
  const shape& d = lines[0];
  auto c = shapes(doc, "circle");
  ASSERT_EQ(c.size(), 4u);
  std::sort(c.begin(), c.end(), [](const shape& a, const shape& b) { return a.num("cx") < b.num("cx"); });
  const double f[4] = {0.06680720126885809, 0.3085375387259869, 0.6914624612740131, 0.9331927987311419};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR((c[i].num("cx") - d.num("x1")) / (d.num("x2") - d.num("x1")), f[i], 2e-3) << i;
    EXPECT_NEAR((c[i].num("cy") - d.num("y1")) / (d.num("y2") - d.num("y1")), (i + 1) / 4.0, 2e-3) << i;
  }
}

TEST_F(ProbMarksSvg, MoreThanABatchOfPointsAreAllDrawn) {
  std::vector<double> v;
  for (int i = 1; i <= 250; ++i) v.push_back(std::sin(i) * 10 + i * 0.01);
  ASSERT_EQ(run(column(v), "proc kestravine data=d noprint; var x; qqplot x / normal;\nrun;\n"), 0) << log();
  EXPECT_EQ(shapes(graph(graphs().at(0)), "circle").size(), 250u);
}

TEST_F(ProbMarksSvg, EachCellOfAComparativeQqPlotHasItsOwnLine) {
  std::string csv = "g,x\n";
  for (int i = 0; i < 20; ++i) csv += "a," + std::to_string(10 + (i % 5)) + "\n";
  for (int i = 0; i < 20; ++i) csv += "b," + std::to_string(10 + 4 * (i % 5)) + "\n";
  ASSERT_EQ(run(csv, "proc kestravine data=d noprint; class g; var x;\n"
                     "qqplot x / normal(mu=est sigma=est) nrows=2;\nrun;\n"),
            0)
      << log();
  ASSERT_EQ(graphs().size(), 1u);
  const auto lines = slanted(graph(graphs()[0]));
  ASSERT_EQ(lines.size(), 2u);
  const auto slope = [](const shape& l) { return (l.num("y2") - l.num("y1")) / (l.num("x2") - l.num("x1")); };
  // The second cell spreads four times as far: its line is about four times as steep.
  EXPECT_NEAR(slope(lines[1]) / slope(lines[0]), 4.0, 0.2);
}

// Five levels, two rows a page: pages of 2, 2 and 1 panels.
TEST_F(ProbMarksSvg, FiveLevelsInTwoRowsWriteThreePages) {
  std::string csv = "g,x\n";
  for (char g = 'a'; g <= 'e'; ++g)
    for (int i = 0; i < 6; ++i) csv += std::string(1, g) + "," + std::to_string(i + (g - 'a')) + "\n";
  ASSERT_EQ(run(csv, "proc kestravine data=d noprint; class g; var x; histogram x / nrows=2;\nrun;\n"), 0) << log();
  EXPECT_EQ(graphs().size(), 3u) << log();
}

// 3 x 3 levels, 2 x 2 panels a page: four pages; the combination (b, v) has no data
// and gets an empty panel (its frame and axes), never a cell.
TEST_F(ProbMarksSvg, ThreeByThreeLevelsInTwoByTwoPanelsWriteFourPages) {
  std::string csv = "g,h,x\n";
  for (char g = 'a'; g <= 'c'; ++g)
    for (char h = 'u'; h <= 'w'; ++h) {
      if (g == 'b' && h == 'v') continue;
      for (int i = 0; i < 5; ++i) csv += std::string(1, g) + "," + std::string(1, h) + "," + std::to_string(i) + "\n";
    }
  ASSERT_EQ(run(csv, "proc kestravine data=d noprint; class g h; var x;\n"
                     "histogram x / nrows=2 ncols=2;\nrun;\n"),
            0)
      << log();
  EXPECT_EQ(graphs().size(), 4u) << log();
}

// The texts of a graph, in drawing order.
std::vector<std::string> texts(const std::string& doc) {
  std::vector<std::string> v;
  for (const shape& t : shapes(doc, "text")) v.push_back(t.text);
  return v;
}

bool has(const std::vector<std::string>& v, const std::string& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

// The tick marks hanging below the bottom axis line (the lowest long horizontal line),
// left to right.
std::vector<double> bottom_ticks(const std::string& doc) {
  const auto lines = shapes(doc, "line");
  double axis_y = -1;
  for (const shape& l : lines)
    if (l.num("y1") == l.num("y2") && std::fabs(l.num("x2") - l.num("x1")) > 200) axis_y = std::max(axis_y, l.num("y1"));
  std::vector<double> xs;
  for (const shape& l : lines)
    if (l.num("x1") == l.num("x2") && std::fabs(l.num("y1") - axis_y) < 0.01 && l.num("y2") > axis_y)
      xs.push_back(l.num("x1"));
  std::sort(xs.begin(), xs.end());
  return xs;
}

const char* kFive = "x\n1\n2\n4\n7\n11\n";

TEST_F(ProbMarksSvg, PctlorderPutsItsPercentsAtTheirQuantiles) {
  ASSERT_EQ(run(kFive, "proc kestravine data=d noprint; var x;\n"
                       "probplot x / normal(mu=5 sigma=2) pctlorder=(5 50 95);\nrun;\n"),
            0)
      << log();
  const std::string doc = graph(graphs().at(0));
  const auto t = texts(doc);
  EXPECT_TRUE(has(t, "5") && has(t, "50") && has(t, "95"));
  EXPECT_FALSE(has(t, "25"));
  // Three ticks; 50 % (quantile 0) halfway between 5 % and 95 % (quantiles -+1.645),
  // which are the ends of the axis.
  const auto x = bottom_ticks(doc);
  ASSERT_EQ(x.size(), 3u) << doc;
  EXPECT_NEAR(x[1] - x[0], x[2] - x[1], 0.02);
}

TEST_F(ProbMarksSvg, HminorAndPctlminorAddTicksBetweenThePercents) {
  const char* base = "proc kestravine data=d noprint; var x;\nprobplot x / normal(mu=5 sigma=2) pctlorder=(10 50 90)";
  ASSERT_EQ(run(kFive, std::string(base) + ";\nrun;\n"), 0) << log();
  const std::size_t plain = bottom_ticks(graph(graphs().at(0))).size();
  EXPECT_EQ(plain, 3u);
  ASSERT_EQ(run(kFive, std::string(base) + " hminor=1;\nrun;\n"), 0) << log();
  // One minor percent in each of the two intervals: 30 and 70.
  EXPECT_EQ(bottom_ticks(graph(graphs().at(0))).size(), plain + 2);
  ASSERT_EQ(run(kFive, std::string(base) + " hminor=1 pctlminor;\nrun;\n"), 0) << log();
  // PCTLMINOR puts the fixed minor percents in HMINOR='s place: more of them.
  EXPECT_GT(bottom_ticks(graph(graphs().at(0))).size(), plain + 2);
}

TEST_F(ProbMarksSvg, PctlscaleLabelsTheQuantileAxisInPercents) {
  ASSERT_EQ(run(kFive, "proc kestravine data=d noprint; var x;\n"
                       "qqplot x / normal(mu=5 sigma=2) pctlscale;\nrun;\n"),
            0)
      << log();
  // The quantile axis runs -1.5 to 1.5 by 0.5; 100 x Phi at each tick, 4 characters.
  const auto t = texts(graph(graphs().at(0)));
  const std::vector<std::string> want = {"6.68", "15.9", "30.9", "50", "69.1", "84.1", "93.3"};
  auto at = std::search(t.begin(), t.end(), want.begin(), want.end());
  EXPECT_NE(at, t.end());
  EXPECT_FALSE(has(t, "-1.5"));
}

// Far in the tail of an exponential several ticks' percents round to "100" in four
// characters: each takes the decimals that keep it below 100 and tell it from its
// neighbours, across or (ROTATE) up, and the first tick keeps its "0".
TEST_F(ProbMarksSvg, PctlscaleWritesATailsRoundedPercentOnce) {
  // Exponential quantiles of 20000 plotting positions: the axis runs 0 to 12 by 2.
  std::string csv = "x\n";
  const int n = 20000;
  for (int i = 1; i <= n; ++i) csv += std::to_string(-std::log(1 - (i - 0.375) / (n + 0.25))) + "\n";
  for (const char* rotate : {"", " rotate"}) {
    ASSERT_EQ(run(csv, std::string("proc kestravine data=d noprint; var x;\nqqplot x / exponential(sigma=1 theta=0) "
                                   "pctlscale") +
                           rotate + ";\nrun;\n"),
              0)
        << log();
    const auto t = texts(graph(graphs().at(0)));
    // 100 (1 - e^-8), 100 (1 - e^-10), 100 (1 - e^-12).
    EXPECT_EQ(std::count(t.begin(), t.end(), "100"), 0) << rotate;
    for (const char* tail : {"99.97", "99.995", "99.999"}) EXPECT_EQ(std::count(t.begin(), t.end(), tail), 1) << rotate;
    EXPECT_EQ(std::count(t.begin(), t.end(), "99.8"), 1) << rotate;
    EXPECT_EQ(std::count(t.begin(), t.end(), "0"), 2) << rotate;  // the percent's and the data axis' own
  }
}

TEST_F(ProbMarksSvg, ThePercentileAxisMarksItsPercentsAboveThePlot) {
  ASSERT_EQ(run(kFive, "proc kestravine data=d noprint; var x;\n"
                       "qqplot x / normal(mu=5 sigma=2) pctlaxis;\nrun;\n"),
            0)
      << log();
  const std::string doc = graph(graphs().at(0));
  const auto t = texts(doc);
  // The plotting positions run from 11.9 to 88.1 %: the percent list is 25, 50, 75.
  EXPECT_TRUE(has(t, "25") && has(t, "50") && has(t, "75"));
  EXPECT_TRUE(has(t, "-1.5"));  // the quantile axis keeps its own values
  // The value 50 is written above the frame.
  const std::vector<shape> all = shapes(doc, "text");
  const auto fifty = std::find_if(all.begin(), all.end(), [](const shape& t) { return t.text == "50"; });
  ASSERT_NE(fifty, all.end());
  const double y50 = fifty->num("y");
  ASSERT_FALSE(std::isnan(y50));
  // Above the top of the frame: the topmost long horizontal line.
  double top = 1e9;
  for (const shape& l : shapes(doc, "line"))
    if (l.num("y1") == l.num("y2") && std::fabs(l.num("x2") - l.num("x1")) > 200) top = std::min(top, l.num("y1"));
  EXPECT_LT(y50, top);
}

// Two CLASS variables, 2 x 2 panels: the boxes over the columns span their panels'
// frames, the boxes beside the rows their panels' heights; a side box is as wide as
// a top box is deep (1.6 text heights, times the aspect factor across); CFRAMETOP= and
// CFRAMESIDE= fill them.
TEST_F(ProbMarksSvg, LabelBoxesSpanTheirPanels) {
  std::string csv = "g,h,x\n";
  for (char g = 'A'; g <= 'B'; ++g)
    for (char h = 'u'; h <= 'v'; ++h)
      for (int i = 0; i < 6; ++i) csv += std::string(1, g) + "," + std::string(1, h) + "," + std::to_string(i % 4) + "\n";
  ASSERT_EQ(run(csv, "proc kestravine data=d noprint; class g h; var x;\n"
                     "histogram x / nrows=2 ncols=2 cframetop=beige cframeside=beige;\nrun;\n"),
            0)
      << log();
  ASSERT_EQ(graphs().size(), 1u);
  const std::string doc = graph(graphs()[0]);
  std::vector<shape> top, side;
  for (const shape& r : shapes(doc, "rect"))
    if (r.attrs.count("fill") && r.attrs.at("fill") == "#F5F5DC") (r.num("width") > r.num("height") ? top : side).push_back(r);
  ASSERT_EQ(top.size(), 2u) << doc;
  ASSERT_EQ(side.size(), 2u) << doc;
  std::sort(top.begin(), top.end(), [](const shape& a, const shape& b) { return a.num("x") < b.num("x"); });
  std::sort(side.begin(), side.end(), [](const shape& a, const shape& b) { return a.num("y") < b.num("y"); });
  // The frames: the vertical axis lines (left sides) and the bottom axis lines.
  std::vector<shape> vertical, horizontal;
  for (const shape& l : shapes(doc, "line")) {
    if (l.num("x1") == l.num("x2") && std::fabs(l.num("y1") - l.num("y2")) > 150) vertical.push_back(l);
    if (l.num("y1") == l.num("y2") && std::fabs(l.num("x1") - l.num("x2")) > 150) horizontal.push_back(l);
  }
  ASSERT_FALSE(vertical.empty());
  ASSERT_FALSE(horizontal.empty());
  const double frame_w = std::fabs(horizontal[0].num("x2") - horizontal[0].num("x1"));
  const double frame_h = std::fabs(vertical[0].num("y2") - vertical[0].num("y1"));
  for (const shape& b : top) EXPECT_NEAR(b.num("width"), frame_w, 0.02);
  for (const shape& b : side) EXPECT_NEAR(b.num("height"), frame_h, 0.02);
  EXPECT_DOUBLE_EQ(top[0].num("y"), top[1].num("y"));
  EXPECT_DOUBLE_EQ(side[0].num("x"), side[1].num("x"));
  // 640 x 480 pixels, aspect 0.75: 1.6 h x 0.75 of the width is 1.6 h of the height.
  EXPECT_NEAR(side[0].num("width"), top[0].num("height"), 0.02);
  // Neighbouring boxes keep the panels' gap between them.
  const double gap_x = top[1].num("x") - (top[0].num("x") + top[0].num("width"));
  const double gap_y = side[1].num("y") - (side[0].num("y") + side[0].num("height"));
  EXPECT_GT(gap_x, 0);
  EXPECT_GT(gap_y, 0);
  const auto t = texts(doc);
  EXPECT_TRUE(has(t, "u") && has(t, "v") && has(t, "A") && has(t, "B"));
  EXPECT_EQ(doc.find("Legend"), std::string::npos);  // no cell has a legend key
}

// Ten rows of panels with tall texts leave each panel less than a character cell
// high: the graph is not drawn, and the note points at NROWS=/NCOLS=.
TEST_F(ProbMarksSvg, PanelsTooLowForTheirRowsPointAtNrows) {
  std::string csv = "g,x\n";
  for (int g = 0; g < 30; ++g)
    for (int i = 0; i < 4; ++i) csv += std::to_string(g) + "," + std::to_string(i) + "\n";
  ASSERT_EQ(run(csv, "proc kestravine data=d noprint; class g; var x;\n"
                     "qqplot x / normal nrows=10 height=4;\nrun;\n"),
            0)
      << log();
  EXPECT_TRUE(graphs().empty());
  EXPECT_NE(log().find("The page has no room for the graph"), std::string::npos) << log();
  EXPECT_NE(log().find("(NROWS=, NCOLS=)"), std::string::npos) << log();
}

// HREF= on a probability plot is in percents: 50 % stands at the quantile 0, halfway
// between 5 % and 95 %; 0.0001 % and 0.0002 % are off the axis, noted once.
TEST_F(ProbMarksSvg, ReferencePercentsStandAtTheirQuantiles) {
  ASSERT_EQ(run(kFive, "proc kestravine data=d noprint; var x;\n"
                       "probplot x / normal(mu=5 sigma=2) pctlorder=(5 50 95) href=50 0.0001 0.0002;\nrun;\n"),
            0)
      << log();
  const std::string doc = graph(graphs().at(0));
  std::vector<double> dashed;
  for (const shape& l : shapes(doc, "line"))
    if (l.attrs.count("stroke-dasharray") && l.num("x1") == l.num("x2")) dashed.push_back(l.num("x1"));
  ASSERT_EQ(dashed.size(), 1u) << doc;
  const auto ticks = bottom_ticks(doc);
  ASSERT_EQ(ticks.size(), 3u);
  EXPECT_NEAR(dashed[0], ticks[1], 0.02);
  const std::string l = log();
  const std::string note = "A HREF= value lies outside the horizontal axis";
  EXPECT_NE(l.find(note), std::string::npos) << l;
  EXPECT_EQ(l.find(note), l.rfind(note)) << l;
}

// The inset of a comparative panel shows its own cell's values.
TEST_F(ProbMarksSvg, EachPanelsInsetShowsItsOwnCell) {
  std::string csv = "g,x\n";
  for (int i = 0; i < 7; ++i) csv += "a," + std::to_string(i) + "\n";
  for (int i = 0; i < 4; ++i) csv += "b," + std::to_string(i) + "\n";
  ASSERT_EQ(run(csv, "proc kestravine data=d noprint; class g; var x;\n"
                     "histogram x / nrows=2;\ninset n;\nrun;\n"),
            0)
      << log();
  ASSERT_EQ(graphs().size(), 1u);
  const auto t = texts(graph(graphs()[0]));
  // The box's rows: the label, then the value.
  const auto pair = [&](const std::string& value) {
    for (std::size_t i = 0; i + 1 < t.size(); ++i)
      if (t[i] == "N" && t[i + 1] == value) return true;
    return false;
  };
  EXPECT_TRUE(pair("7") && pair("4")) << testing::PrintToString(t);
}

}  // namespace
