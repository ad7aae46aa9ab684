// Whole HISTOGRAM runs under device graphics, read back from the SVG files the
// stand-in's device writes: bars at the positions the bins transform to, thinned tick
// values, the zero snap, curves clipped to the framed area, stacked reference-line
// labels and the notes of values off their axis, the fallbacks of colours, fill
// patterns and line styles, and an axis definition's ORDER=, LABEL= and tick texts on
// the drawn axes. A chart that does not fit its page still leaves the request's
// tables and OUTHISTOGRAM rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../support/json_reader.h"
#include "../support/scratch_files.h"
#include "../support/svg_reader.h"
#include "core/runtime.h"
#include "runner/runner.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

// The elements of an SVG file as the shared reader reads them.
using element = kes_test::svg_element;
using kes_test::svg_elements;

std::vector<element> named(const std::vector<element>& all, const std::string& name) {
  std::vector<element> v;
  for (const element& e : all)
    if (e.name == name) v.push_back(e);
  return v;
}

class ChartSvg : public ::testing::Test {
 protected:
  kes_test::scratch_dir dir{"chart-svg"};

  // Runs the step(s) over the data (CSV text of d.csv) under device graphics; the
  // runner's status.
  int run(const std::string& csv, const std::string& program) {
    dir.write("d.csv", csv);
    dir.write("prog.kes", program);
    fs::create_directories(dir / "graphs");
    const int status =
        plat::run({"--module", kes_test::built("libkestravine.so"), "--graphics", "device", "--graphs",
                   (dir / "graphs").string(), "--log", (dir / "log").string(), "--listing", (dir / "lst").string(),
                   "--json", (dir / "out.json").string(), "--work", dir.path().string(), (dir / "prog.kes").string()});
    plat::config() = plat::run_config{};
    return status;
  }
  std::string log() { return slurp(dir / "log"); }
  // The graph files in the order they were written: the device numbers the files of
  // one name (KESTRA, KESTRA1, ..., KESTRA10), and its numbers go on from run to run.
  std::vector<std::string> graphs() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir / "graphs"))
      if (e.path().extension() == ".svg") names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
  }
  std::vector<element> graph(const std::string& name) { return svg_elements(slurp(dir / "graphs" / name)); }
  std::vector<element> only_graph() {
    const auto g = graphs();
    EXPECT_EQ(g.size(), 1u);
    return g.empty() ? std::vector<element>{} : graph(g[0]);
  }
};

// 20 values: 1 x 1, 2 x 3, 3 x 6, 4 x 6, 5 x 3, 6 x 1 (midpoints 1..6 with bins of 1).
std::string small_csv() {
  std::string t = "x\n";
  const int counts[6] = {1, 3, 6, 6, 3, 1};
  for (int v = 1; v <= 6; ++v)
    for (int k = 0; k < counts[v - 1]; ++k) t += std::to_string(v) + "\n";
  return t;
}

// The bars: filled rectangles inside the plot area (the page background and the walls
// are not drawn without CFRAME=), left to right.
std::vector<element> bars(const std::vector<element>& all, const std::string& fill) {
  std::vector<element> v;
  for (const element& e : named(all, "rect"))
    if (e.attrs.count("fill") && e.attrs.at("fill") == fill) v.push_back(e);
  std::sort(v.begin(), v.end(), [](const element& p, const element& q) { return p.num("x") < q.num("x"); });
  return v;
}

TEST_F(ChartSvg, BarsStandAtTheirBinsWithHeightsInProportion) {
  ASSERT_EQ(run(small_csv(), "proc kestravine data=d noprint; var x; histogram / midpoints=1 to 6 by 1 vscale=count; run;"), 0)
      << log();
  const auto all = only_graph();
  const auto b = bars(all, "#C6DBEF");
  ASSERT_EQ(b.size(), 6u);
  const int counts[6] = {1, 3, 6, 6, 3, 1};
  const double unit = b[0].num("height");
  const double w = b[0].num("width"), step = (b[5].num("x") - b[0].num("x")) / 5;
  const double bottom = b[0].num("y") + b[0].num("height");
  for (int i = 0; i < 6; ++i) {
    // Equal widths, equal steps without gaps, a common base, heights as the counts.
    EXPECT_NEAR(b[i].num("width"), w, 0.011) << i;
    EXPECT_NEAR(b[i].num("x") - b[0].num("x"), i * step, 0.02) << i;
    EXPECT_NEAR(step, w, 0.011);
    EXPECT_NEAR(b[i].num("y") + b[i].num("height"), bottom, 0.011) << i;
    EXPECT_NEAR(b[i].num("height"), unit * counts[i], 0.03) << i;
  }
  // Each midpoint's tick value sits under its bar's centre.
  for (int i = 0; i < 6; ++i) {
    bool found = false;
    for (const element& t : named(all, "text"))
      if (t.text == std::to_string(i + 1) && std::fabs(t.num("x") - (b[i].num("x") + w / 2)) < 0.02 &&
          t.num("y") > bottom)
        found = true;
    EXPECT_TRUE(found) << "value " << i + 1 << " under bar " << i;
  }
}

TEST_F(ChartSvg, CrowdedTickValuesAreThinnedAndZeroIsWrittenAsZero) {
  // 61 bins of 0.1 from -3 to 3: the values cannot all stand side by side; the
  // midpoint 0 comes out of the sum -3 + 30 x 0.1 and is written "0".
  std::string csv = "x\n";
  for (int i = 0; i <= 60; ++i) csv += std::to_string(-3 + 0.1 * i) + "\n";
  ASSERT_EQ(run(csv, "proc kestravine data=d noprint; var x; histogram / midpoints=-3 to 3 by 0.1; run;"), 0) << log();
  const auto all = only_graph();
  std::set<std::string> values;
  for (const element& t : named(all, "text")) values.insert(t.text);
  int shown = 0;
  for (int i = 0; i <= 60; ++i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", -3 + 0.1 * i);
    shown += values.count(buf) != 0;
  }
  EXPECT_GT(shown, 1);
  EXPECT_LT(shown, 61);
  EXPECT_TRUE(values.count("0") != 0 || values.count("0.0") != 0);
  for (const std::string& v : values) EXPECT_EQ(v.find("E-"), std::string::npos) << v;
}

TEST_F(ChartSvg, CurvesAreClippedToTheFramedArea) {
  // VAXIS= stops at the bars; the fitted normal curve rises above it and is clipped.
  ASSERT_EQ(run(small_csv(),
                "proc kestravine data=d noprint; var x; histogram / midpoints=1 to 6 by 1 normal(mu=3.5 sigma=0.3)"
                " vscale=count vaxis=0 to 6 by 1; run;"),
            0)
      << log();
  const auto all = only_graph();
  const auto lines = named(all, "polyline");
  ASSERT_EQ(lines.size(), 1u);
  // The polyline is drawn inside a group clipped to a rectangle.
  bool clipped = false;
  for (const element& e : all)
    if (e.name == "g" && e.attrs.count("clip-path")) clipped = true;
  EXPECT_TRUE(clipped);
  EXPECT_EQ(named(all, "clipPath").size() >= 1, true);
}

TEST_F(ChartSvg, ReferenceLabelsStackAndValuesOffTheAxisAreNoted) {
  ASSERT_EQ(run(small_csv(),
                "proc kestravine data=d noprint; var x; histogram / midpoints=1 to 6 by 1 vscale=count"
                " href=2 3 4 99 hreflabels='two' 'three' 'four' 'far' hreflabpos=2 vref=2 50 vreflabels='v2' 'v50';"
                " run;"),
            0)
      << log();
  const std::string l = log();
  EXPECT_NE(l.find("HREF= value lies outside"), std::string::npos) << l;
  EXPECT_NE(l.find("VREF= value lies outside"), std::string::npos) << l;
  const auto all = only_graph();
  std::map<std::string, element> label;
  for (const element& t : named(all, "text")) label[t.text] = t;
  ASSERT_TRUE(label.count("two") && label.count("three") && label.count("four")) << "labels drawn";
  EXPECT_EQ(label.count("far"), 0u);
  EXPECT_EQ(label.count("v50"), 0u);
  ASSERT_EQ(label.count("v2"), 1u);
  // One text height apart, from the top down (SVG y grows downwards).
  const double d1 = label["three"].num("y") - label["two"].num("y");
  const double d2 = label["four"].num("y") - label["three"].num("y");
  EXPECT_GT(d1, 0);
  EXPECT_NEAR(d1, d2, 0.02);
}

TEST_F(ChartSvg, VreflabposOutsideOneAndTwoDrawsTheLinesAndSaysSo) {
  ASSERT_EQ(run(small_csv(),
                "proc kestravine data=d noprint; var x; histogram / midpoints=1 to 6 by 1 vscale=count"
                " vref=2 4 vreflabels='a' 'b' vreflabpos=3 lvref=50 lvref=50; run;"),
            0)
      << log();
  const std::string l = log();
  EXPECT_NE(l.find("VREFLABPOS=3"), std::string::npos) << l;
  const auto all = only_graph();
  int dashed = 0;
  for (const element& e : named(all, "line"))
    if (e.attrs.count("stroke-dasharray") && std::fabs(e.num("y1") - e.num("y2")) < 0.01) ++dashed;
  EXPECT_GE(dashed, 2);
  for (const element& t : named(all, "text")) EXPECT_TRUE(t.text != "a" && t.text != "b") << t.text;
}

TEST_F(ChartSvg, ColourPatternAndLineStyleFallbacks) {
  ASSERT_EQ(run(small_csv(),
                "proc kestravine data=d noprint; var x;"
                " histogram / midpoints=1 to 6 by 1 cfill=red normal(mu=3 3.5 4 sigma=1 color=(red blue)) lhref=50 href=2;"
                " histogram / midpoints=1 to 6 by 1 cfill=empty;"
                " run;"),
            0)
      << log();
  const auto g = graphs();
  ASSERT_EQ(g.size(), 2u);
  const auto first = graph(g[0]), second = graph(g[1]);
  // CFILL=red: red bars; the three normal curves red, blue, blue, in three line styles.
  EXPECT_EQ(bars(first, "#FF0000").size(), 6u);
  const auto curves = named(first, "polyline");
  ASSERT_EQ(curves.size(), 3u);
  EXPECT_EQ(curves[0].attrs.at("stroke"), "#FF0000");
  EXPECT_EQ(curves[1].attrs.at("stroke"), "#0000FF");
  EXPECT_EQ(curves[2].attrs.at("stroke"), "#0000FF");
  std::set<std::string> dashes;
  for (const element& cv : curves) dashes.insert(cv.attrs.count("stroke-dasharray") ? cv.attrs.at("stroke-dasharray") : "solid");
  EXPECT_EQ(dashes.size(), 3u);
  // LHREF=50 keeps the dashed default and is noted once.
  const std::string l = log();
  EXPECT_NE(l.find("LHREF= must lie from 1 to 46"), std::string::npos);
  EXPECT_EQ(l.find("LHREF= must lie from 1 to 46"), l.rfind("LHREF= must lie from 1 to 46"));
  // CFILL=EMPTY: bars without fill, outlined.
  int empty = 0;
  for (const element& e : named(second, "rect"))
    if (e.attrs.count("fill") && e.attrs.at("fill") == "none" && e.attrs.count("stroke")) ++empty;
  EXPECT_EQ(empty, 6);
}

TEST_F(ChartSvg, AnAxisDefinitionReachesTheDrawnAxes) {
  ASSERT_EQ(run(small_csv(),
                "axis1 order=(0 to 8 by 2) label=('First line' j=c 'Second line') color=green;"
                " axis2 value=(t=1 'none' t=2 'some') label=('Counted');"
                " proc kestravine data=d noprint; var x; histogram / haxis=axis1 vaxis=axis2 vscale=count endpoints; run;"),
            0)
      << log();
  const auto all = only_graph();
  std::set<std::string> texts;
  for (const element& t : named(all, "text")) texts.insert(t.text);
  // ORDER= gives the endpoints 0 2 4 6 8; the two label lines and the tick texts.
  for (const char* v : {"0", "2", "4", "6", "8", "First line", "Second line", "Counted", "none", "some"})
    EXPECT_EQ(texts.count(v), 1u) << v;
  // The horizontal axis is drawn in the definition's colour.
  bool green = false;
  for (const element& e : named(all, "line"))
    if (e.attrs.count("stroke") && e.attrs.at("stroke") == "#008000") green = true;
  EXPECT_TRUE(green);
}

TEST_F(ChartSvg, AChartThatDoesNotFitKeepsItsTablesAndRows) {
  ASSERT_EQ(run(small_csv(),
                "proc kestravine data=d; var x; histogram / normal midpoints=1 to 6 by 1 height=60"
                " outhistogram=oh; run;"),
            0)
      << log();
  const std::string l = log();
  EXPECT_NE(l.find("no room for the graph"), std::string::npos) << l;
  EXPECT_TRUE(graphs().empty());
  kes_test::json out;
  ASSERT_TRUE(kes_test::parse_json(slurp(dir / "out.json"), out));
  std::set<std::string> names;
  for (const auto& t : out["steps"][0]["outputs"].arr) names.insert(t["name"].str);
  EXPECT_EQ(names.count("ParameterEstimates"), 1u);
  EXPECT_EQ(names.count("GoodnessOfFit"), 1u);
  const std::string rows = slurp(dir / "oh.csv");
  EXPECT_NE(rows.find("_MIDPT_"), std::string::npos);
}

TEST_F(ChartSvg, BarLabelsInTheirOwnMeasure) {
  // Counts 1 3 6 6 3 1 of 20 on a count axis: BARLABEL=PERCENT writes 5.00, 15.00 and
  // 30.00; BARLABEL=PROPORTION 0.05, 0.15 and 0.30; BARLABEL=COUNT the counts.
  ASSERT_EQ(run(small_csv(),
                "proc kestravine data=d noprint; var x;"
                " histogram / midpoints=1 to 6 by 1 vscale=count barlabel=percent;"
                " histogram / midpoints=1 to 6 by 1 barlabel=proportion;"
                " histogram / midpoints=1 to 6 by 1 vscale=proportion barlabel=count; run;"),
            0)
      << log();
  const auto g = graphs();
  ASSERT_EQ(g.size(), 3u);
  const std::vector<std::vector<std::string>> want = {
      {"5.00", "15.00", "30.00"}, {"0.05", "0.15", "0.30"}, {"1", "3", "6"}};
  for (size_t k = 0; k < 3; ++k) {
    std::multiset<std::string> texts;
    for (const element& t : named(graph(g[k]), "text")) texts.insert(t.text);
    for (const std::string& w : want[k]) EXPECT_GE(texts.count(w), 2u) << g[k] << " " << w;
  }
}

TEST_F(ChartSvg, ALabelLongerThanItsAxisShrinksOnce) {
  // A vertical axis 8 percent of the page long: "Percent" is longer than 0.92 of it,
  // so it is drawn smaller, with the note once for the chart.
  ASSERT_EQ(run(small_csv(), "axis2 length=8 pct; proc kestravine data=d noprint; var x;"
                             " histogram / midpoints=1 to 6 by 1 vaxis=axis2; run;"),
            0)
      << log();
  const std::string l = log();
  const std::string note = "The vertical axis label is drawn at";
  ASSERT_NE(l.find(note), std::string::npos) << l;
  EXPECT_EQ(l.find(note), l.rfind(note));
  int shrunk = 0;
  for (const element& t : named(only_graph(), "text")) shrunk += t.text == "Percent" && t.num("font-size") < 11.5;
  EXPECT_EQ(shrunk, 1);
}

TEST_F(ChartSvg, KernelRowsAreWrittenOnceWhateverDrewTheCurves) {
  // The drawn kernel curve writes no OUTKERNEL rows: the data set holds the rows of
  // one curve, as without graphics.
  const std::string prog =
      "proc kestravine data=d noprint; var x; histogram / midpoints=1 to 6 by 1 kernel outkernel=ok; run;";
  ASSERT_EQ(run(small_csv(), prog), 0) << log();
  const std::string drawn = slurp(dir / "ok.csv");
  EXPECT_EQ(graphs().size(), 1u);
  fs::remove(dir / "ok.csv");
  dir.write("prog.kes", prog);
  ASSERT_EQ(
      plat::run({"--module", kes_test::built("libkestravine.so"), "--graphics", "none", "--log", (dir / "log").string(),
                 "--listing", (dir / "lst").string(), "--work", dir.path().string(), (dir / "prog.kes").string()}),
      0);
  plat::config() = plat::run_config{};
  EXPECT_FALSE(drawn.empty());
  EXPECT_EQ(slurp(dir / "ok.csv"), drawn);
}

TEST_F(ChartSvg, ComparativeChartsAreDrawnWithTheirLevelLabels) {
  std::string csv = "g,x\n";
  for (int i = 0; i < 12; ++i) csv += std::string(i % 2 ? "a" : "b") + "," + std::to_string(i % 5) + "\n";
  ASSERT_EQ(run(csv, "proc kestravine data=d noprint; var x; class g; histogram; histogram; run;"), 0) << log();
  // Without NROWS= or NCOLS= the levels stand in one column: one page a request.
  EXPECT_EQ(graphs().size(), 2u) << log();
  EXPECT_EQ(log().find("not drawn"), std::string::npos) << log();
  bool labelled = false;
  for (const element& e : named(graph(graphs()[0]), "text")) labelled = labelled || e.text == "a" || e.text == "b";
  EXPECT_TRUE(labelled);
}

}  // namespace
