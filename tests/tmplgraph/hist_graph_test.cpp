// The histogram's template graph from end to end: the data object "HistogramData" and
// the panels of each case against golden dumps, the rules the dumps show (ticks, CLASS
// columns and panels, reference lines, hanging with fill, bar labels, legends, the
// kernel range), and the SVG of every panel checked against its dump.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

#include "graph_run.h"
#include "support/csv_rows.h"
#include "support/golden_file.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

using kes_test::dump_block;
using kes_test::dump_number;
using kes_test::graph_run;
using kes_test::svg_element;

// Midpoints 0, 1, ..., n - 1 (the data lie within 25 to 75).
std::string midpoints(int n) {
  std::string s = "histogram / midpoints=";
  for (int i = 0; i < n; ++i) s += std::to_string(i) + " ";
  return s + ";";
}

struct graph_case {
  const char* name;     // golden file tests/tmplgraph/golden/NAME.dump
  std::string statements;
};
const graph_case kCases[] = {
    {"normal", "histogram / normal;"},
    {"class_rows", "class c; histogram / normal nrows=3;"},
    {"class_cols", "class c; histogram / normal ncols=2;"},
    {"class_two", "class c d; histogram / nrows=2 ncols=1;"},
    {"href_labels", "histogram / normal href=40 55 hreflabels='low' 'high' hreflabpos=3;"},
    {"hanging_fill", "histogram / normal(fill) hanging;"},
    {"barlabel", "histogram / barlabel=percent vscale=count;"},
    {"bins_100", midpoints(100)},
    {"bins_101", midpoints(101)},
    {"dup_legends", "histogram / normal(mu=50 50 sigma=8 8);"},
    {"kernel_widened", "histogram / kernel(c=4);"},
};

std::filesystem::path golden(const char* name) {
  return std::filesystem::path(KES_SOURCE_DIR) / "tests/tmplgraph/golden" / (std::string(name) + ".dump");
}

// The dump against its golden file; KES_UPDATE_GOLDEN rewrites it.
::testing::AssertionResult dump_matches(const std::string& dump, const char* name) {
  return kes_test::text_matches_golden(dump, golden(name));
}

std::vector<std::string> words(const std::string& quoted) {
  std::string s = quoted;
  if (!s.empty() && s[0] == '"') s = s.substr(1, s.find('"', 1) - 1);
  std::istringstream in(s);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// The elements of one kind in an SVG document, in order.
std::vector<svg_element> elements(const std::string& svg, const std::string& name) {
  std::vector<svg_element> out;
  for (svg_element& e : kes_test::svg_elements(svg))
    if (e.name == name) out.push_back(std::move(e));
  return out;
}

std::string unquote(const std::string& v) {
  return v.size() >= 2 && v[0] == '"' ? v.substr(1, v.find('"', 1) - 1) : v;
}

class HistogramGraph : public ::testing::TestWithParam<graph_case> {};

TEST_P(HistogramGraph, DumpMatchesGoldenAndSvgDrawsIt) {
  const graph_case& c = GetParam();
  const graph_run r = kes_test::run_graphs(c.statements);
  ASSERT_EQ(r.status, 0) << r.log;
  ASSERT_FALSE(r.panels().empty()) << r.log;
  EXPECT_TRUE(dump_matches(r.dump, c.name));

  // Every panel is a file; the files hold what the data object has.
  const dump_block* data = r.data();
  ASSERT_NE(data, nullptr);
  const auto rows = data->rows();
  const bool classes = rows.front().count("Class1") + rows.front().count("Class2") > 0;
  std::size_t bars_drawn = 0, bars_wanted = 0;
  std::set<std::string> labels;
  for (const auto& row : rows) {
    if (row.count("BinCount") && dump_number(row.at("BinCount")) > 0) ++bars_wanted;
    if (row.count("CurveLabel") && !row.at("CurveLabel").empty()) labels.insert(row.at("CurveLabel"));
  }
  for (const dump_block* p : r.panels()) {
    std::string file;
    for (const std::string& l : p->lines)
      if (l.rfind("  file ", 0) == 0) file = l.substr(7);
    ASSERT_TRUE(r.svg.count(file)) << "no SVG " << file;
    const std::string& svg = r.svg.at(file);
    const auto rects = elements(svg, "rect");
    const auto texts = elements(svg, "text");
    // The axis labels are texts of the page.
    EXPECT_NE(svg.find(">" + unquote(p->dynamic("_VARLABEL")) + "<"), std::string::npos);
    EXPECT_NE(svg.find(">" + unquote(p->dynamic("_YLABEL")) + "<"), std::string::npos);
    if (p->dynamic("_CURVELEGEND") == "1 (boolean)") {
      EXPECT_NE(svg.find(">" + unquote(p->dynamic("_LEGENDTITLE")) + "<"), std::string::npos);
      if (!classes) {
        for (const std::string& l : labels) EXPECT_NE(svg.find(">" + l + "<"), std::string::npos) << l;
      }
    }
    // The frame of a single cell: bar edges at the transformed bin edges.
    const double xmin = dump_number(words(p->dynamic("_XMIN")).at(0)), xmax = dump_number(words(p->dynamic("_XMAX")).at(0));
    std::vector<svg_element> frames, bars;
    for (const svg_element& a : rects) {
      if (a.get("fill") == "none" && a.get("stroke") == "#4A4A4A") frames.push_back(a);
      if (a.get("fill") == "#C6DBEF") bars.push_back(a);
    }
    bars_drawn += bars.size();
    if (!classes && !bars.empty()) {
      ASSERT_EQ(frames.size(), 1u);
      const double fx = frames[0].num("x"), fw = frames[0].num("width");
      const bool mid = p->dynamic("_XVALUES") == "\"MIDPOINTS\" (text)";
      std::vector<double> xs;
      for (const auto& row : rows)
        if (row.count("BinCount") && dump_number(row.at("BinCount")) > 0) xs.push_back(dump_number(row.at("BinX")));
      ASSERT_EQ(xs.size(), bars.size());
      std::set<double> bx;
      for (const auto& row : rows)
        if (row.count("BinX") && !std::isnan(dump_number(row.at("BinX")))) bx.insert(dump_number(row.at("BinX")));
      const double width = bx.size() > 1 ? *std::next(bx.begin()) - *bx.begin() : xmax - xmin;
      // The frame reaches 4 % of the bins' range past each end, room beside the end bars.
      const double lo = xmin - 0.04 * (xmax - xmin), hi = xmax + 0.04 * (xmax - xmin);
      for (std::size_t i = 0; i < bars.size(); ++i) {
        const double left = (mid ? xs[i] - width / 2 : xs[i]);
        EXPECT_NEAR(bars[i].num("x"), fx + (left - lo) / (hi - lo) * fw, 0.011) << "bar " << i;
        EXPECT_NEAR(bars[i].num("width"), width / (hi - lo) * fw, 0.021) << "bar " << i;
        EXPECT_GT(bars[i].num("x"), fx);
        EXPECT_LT(bars[i].num("x") + bars[i].num("width"), fx + fw);
      }
      EXPECT_EQ(elements(svg, "polyline").size(), labels.size());
    }
    EXPECT_FALSE(texts.empty());
  }
  // Every bar with a height is drawn once over the panels (a hanging bar also without).
  if (r.panels().front()->dynamic("_HANG") != "1 (boolean)") {
    EXPECT_EQ(bars_drawn, bars_wanted);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HistogramGraph, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<graph_case>& i) { return std::string(i.param.name); });

// ---- the rules the dumps show ----

graph_run run(const std::string& s) {
  graph_run r = kes_test::run_graphs(s);
  EXPECT_EQ(r.status, 0) << r.log;
  return r;
}

TEST(HistogramGraphRules, HundredBinPositionsAreTheTicksAndOneMoreTakesANiceScale) {
  const graph_run a = run(midpoints(100));
  const std::vector<std::string> ticks = words(a.panels().at(0)->dynamic("_XTICKS"));
  ASSERT_EQ(ticks.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(ticks[i], std::to_string(i));
  EXPECT_EQ(a.panels()[0]->dynamic("_XMIN"), "-0.5 (double)");
  EXPECT_EQ(a.panels()[0]->dynamic("_XMAX"), "99.5 (double)");
  const graph_run b = run(midpoints(101));
  const std::vector<std::string> nice = words(b.panels().at(0)->dynamic("_XTICKS"));
  ASSERT_GE(nice.size(), 3u);
  ASSERT_LT(nice.size(), 101u);
  EXPECT_EQ(nice.front(), "0");
  EXPECT_GE(dump_number(nice.back()), 100);
  EXPECT_EQ(b.data()->rows().size(), 101u);  // every bin still has its row
}

TEST(HistogramGraphRules, ClassColumnsAndPanelCounts) {
  struct rule {
    const char* statements;
    const char* column;     // the CLASS column of the first CLASS variable
    std::size_t panels;
    const char* grid;       // _NROWS and _NCOLS
  };
  const rule rules[] = {
      {"class c; histogram / nrows=3;", "Class1", 1, "3 1"},
      {"class c; histogram / nrows=2;", "Class1", 2, "2 1"},
      {"class c; histogram / ncols=2;", "Class2", 2, "0 2"},
      {"class c; histogram / ncols=3;", "Class2", 1, "0 3"},
      {"class c d; histogram / nrows=2 ncols=1;", "Class1", 4, "2 1"},
      {"class c d; histogram / nrows=3 ncols=2;", "Class1", 1, "3 2"},
  };
  for (const rule& u : rules) {
    const graph_run r = run(u.statements);
    ASSERT_NE(r.data(), nullptr) << u.statements;
    EXPECT_TRUE(r.data()->rows().front().count(u.column)) << u.statements;
    EXPECT_EQ(r.panels().size(), u.panels) << u.statements;
    const dump_block* p = r.panels().at(0);
    EXPECT_EQ(words(p->dynamic("_NROWS")).at(0) + " " + words(p->dynamic("_NCOLS")).at(0), u.grid) << u.statements;
    EXPECT_EQ(p->dynamic("_INTERTILE"), "\"0.750000 pct\" (text)");
    EXPECT_EQ(p->lines.at(2), "  template orbo.kestravine.Graphics.CompHistogram");
    for (std::size_t k = 0; k < r.panels().size(); ++k)
      EXPECT_EQ(r.panels()[k]->dynamic("_PANEL"), std::to_string(k + 1) + " (int)");
  }
  const graph_run none = run("histogram;");
  EXPECT_EQ(none.panels().at(0)->dynamic("_INTERTILE"), "");
  EXPECT_EQ(none.panels().at(0)->lines.at(2), "  template orbo.kestravine.Graphics.Histogram");
}

TEST(HistogramGraphRules, ReferenceLinesGetRowsLabelsAndTheirPlace) {
  const graph_run r = run("histogram / href=40 55 hreflabels='low' 'high' hreflabpos=3 vref=5 vreflabpos=1;");
  const dump_block* p = r.panels().at(0);
  EXPECT_EQ(p->dynamic("_HREFLABPOS"), "\"MIN\" (text)");
  EXPECT_EQ(p->dynamic("_VREFLABPOS"), "\"MIN\" (text)");
  std::vector<std::string> h, v;
  for (const auto& row : r.data()->rows()) {
    if (dump_number(row.at("HRefValue")) > 0) h.push_back(row.at("HRefValue") + "/" + row.at("HRefLabel"));
    if (dump_number(row.at("VRefValue")) > 0) v.push_back(row.at("VRefValue"));
  }
  EXPECT_EQ(h, (std::vector<std::string>{"40/low", "55/high"}));
  EXPECT_EQ(v, (std::vector<std::string>{"5"}));
  EXPECT_EQ(run("histogram / href=40 hreflabpos=2;").panels().at(0)->dynamic("_HREFLABPOS"), "\"MAX\" (text)");
}

TEST(HistogramGraphRules, HangingWithFillGivesTheVerticalTicks) {
  const graph_run r = run("histogram / normal(fill) hanging;");
  const dump_block* p = r.panels().at(0);
  EXPECT_EQ(p->dynamic("_HANG"), "1 (boolean)");
  EXPECT_EQ(p->dynamic("_CFILL"), "1 (boolean)");
  EXPECT_FALSE(p->dynamic("_YTICKS").empty());
  EXPECT_FALSE(p->dynamic("_YMIN").empty());
  EXPECT_FALSE(p->dynamic("_YMAX").empty());
  for (const auto& row : r.data()->rows()) {
    if (std::isnan(dump_number(row.at("BinX")))) continue;
    EXPECT_DOUBLE_EQ(dump_number(row.at("HangY")),
                     dump_number(row.at("HangYorigin")) - dump_number(row.at("BinCount")));
  }
  // FILL with two curves fills none and says so.
  const graph_run two = run("histogram / normal(fill) kernel;");
  EXPECT_EQ(two.panels().at(0)->dynamic("_CFILL"), "");
  EXPECT_NE(two.log.find("FILL is given for more than one curve"), std::string::npos);
}

TEST(HistogramGraphRules, BarLabelsInTheirOwnMeasure) {
  // Percent labels over count bars: 100 h / 120, one decimal at 10 or more, two
  // below (a bar of 13 counts shows 10.8, one of 5 shows 4.17).
  const graph_run r = run("histogram / barlabel=percent vscale=count;");
  int checked = 0;
  for (const auto& row : r.data()->rows()) {
    const double h = dump_number(row.at("BinCount"));
    if (!(h > 0)) {
      EXPECT_EQ(row.at("BarLabel"), "");
      continue;
    }
    const double v = 100 * h / 120;
    char want[16];
    std::snprintf(want, sizeof want, v >= 10 ? "%.1f" : "%.2f", v);
    EXPECT_EQ(row.at("BarLabel"), want) << h;
    ++checked;
  }
  EXPECT_GT(checked, 3);
  for (const auto& row : run("histogram / barlabel=count;").data()->rows()) {
    const double h = dump_number(row.at("BinCount"));  // percent of 120
    if (h > 0) {
      EXPECT_EQ(row.at("BarLabel"), std::to_string(static_cast<int>(std::lround(h * 1.2))));
    }
  }
}

TEST(HistogramGraphRules, CurvesOfOneLegendAreNumbered) {
  const graph_run r = run("histogram / normal(mu=50 50 sigma=8 8);");
  std::vector<std::string> labels;
  for (const auto& row : r.data()->rows())
    if (!row.at("CurveLabel").empty() && (labels.empty() || labels.back() != row.at("CurveLabel")))
      labels.push_back(row.at("CurveLabel"));
  EXPECT_EQ(labels, (std::vector<std::string>{"Normal(Mu=50 Sigma=8) 1", "Normal(Mu=50 Sigma=8) 2"}));
  EXPECT_EQ(r.panels().at(0)->dynamic("_LEGENDTITLE"), "\"Fitted Distributions\" (text)");
}

TEST(HistogramGraphRules, BarsOfAWidenedKernelRangeLieUnderTheCurve) {
  const graph_run r = run("histogram / kernel(c=4);");
  const dump_block* p = r.panels().at(0);
  const double xmin = dump_number(words(p->dynamic("_XMIN")).at(0)), xmax = dump_number(words(p->dynamic("_XMAX")).at(0));
  double lo = INFINITY, hi = -INFINITY, first_bin = INFINITY, last_bin = -INFINITY;
  for (const auto& row : r.data()->rows()) {
    const double cx = dump_number(row.at("CurveX")), bx = dump_number(row.at("BinX"));
    if (!std::isnan(cx)) lo = std::min(lo, cx), hi = std::max(hi, cx);
    if (!std::isnan(bx)) first_bin = std::min(first_bin, bx), last_bin = std::max(last_bin, bx);
  }
  // The kernel reaches beyond the data's bins, and the bin rows span the widened range.
  EXPECT_GE(lo, xmin - 1e-9);
  EXPECT_LE(hi, xmax + 1e-9);
  const std::vector<std::string> ticks = words(p->dynamic("_XTICKS"));
  EXPECT_DOUBLE_EQ(first_bin, dump_number(ticks.front()));
  EXPECT_DOUBLE_EQ(last_bin, dump_number(ticks.back()));
  EXPECT_LT(first_bin, 25);  // the data begin near 25: the range was widened
}

TEST(HistogramGraphRules, KernelCurvesOfTheGraphWriteNoOutkernelRows) {
  // The OUTKERNEL rows are written once, by the request, whatever the graph drew:
  // one curve's points, strictly increasing.
  const graph_run r = run("histogram / kernel outkernel=ok;");
  ASSERT_FALSE(r.panels().empty());
  ASSERT_TRUE(r.sets.count("ok.csv"));
  const std::string& csv = r.sets.at("ok.csv");
  ASSERT_EQ(csv.substr(0, csv.find('\n')), "_VAR_,_TYPE_,_C_,_VALUE_,_PERCENT_,_DENSITY_");
  double last = -INFINITY;
  int n = 0;
  for (const std::string& value : kes_test::csv_column(csv, "_VALUE_")) {
    const double v = std::strtod(value.c_str(), nullptr);
    EXPECT_GT(v, last) << "row " << n + 1 << " repeats a point";
    last = v;
    ++n;
  }
  EXPECT_GT(n, 100);
}

TEST(HistogramGraphRules, NoDataMakesNoGraph) {
  const graph_run r = kes_test::run_graphs("histogram;", "where=(x > 1000)");
  EXPECT_TRUE(r.blocks.empty()) << r.dump;
}

TEST(HistogramGraphRules, ListingAndJsonNameTheGraphFiles) {
  const graph_run r = run("class c; histogram / ncols=2;");
  EXPECT_NE(r.listing.find("Graph: Histogram of x (Panel 1): Histogram1.svg"), std::string::npos) << r.listing;
  EXPECT_NE(r.listing.find("Graph: Histogram of x (Panel 2): Histogram2.svg"), std::string::npos);
  const std::regex entry(R"(\{"kind": "graph", "name": "Histogram", "template": "orbo\.kestravine\.Graphics\.CompHistogram", "file": "[^"]*Histogram(\d)\.svg"\})");
  std::vector<std::string> files;
  for (auto it = std::sregex_iterator(r.json.begin(), r.json.end(), entry); it != std::sregex_iterator(); ++it)
    files.push_back((*it)[1]);
  EXPECT_EQ(files, (std::vector<std::string>{"1", "2"})) << r.json;
}

}  // namespace

namespace {

TEST(HistogramGraphRules, CommonDynamicsFollowTheOptions) {
  struct rule {
    const char* statements;
    const char* name;
    const char* want;  // "" when the dynamic is absent
  };
  const rule rules[] = {
      {"class c; histogram / intertile=-1;", "_INTERTILE", "\"0.000000 pct\" (text)"},
      {"class c; histogram / intertile=2.5;", "_INTERTILE", "\"2.500000 pct\" (text)"},
      {"histogram / normal nolegend;", "_LEGENDTITLE", ""},
      {"histogram / normal nolegend;", "_CURVELEGEND", "0 (boolean)"},
      {"histogram / normal nocurvelegend;", "_CURVELEGEND", "0 (boolean)"},
      {"histogram / normal;", "_LEGENDTITLE", "\"Fitted Distribution\" (text)"},
      {"histogram;", "_CURVELEGEND", "0 (boolean)"},
      {"histogram / novtick;", "_YDISPLAY", "\"LINE\" (text)"},
      {"histogram / novlabel;", "_YDISPLAY", "\"LINE TICKS TICKVALUES\" (text)"},
      {"histogram / nohlabel;", "_XDISPLAY", "\"LINE TICKS TICKVALUES\" (text)"},
      {"histogram / grid;", "_GRID", "\"ON\" (text)"},
      {"histogram / endpoints;", "_XVALUES", "\"LEFTPOINTS\" (text)"},
      {"histogram / vscale=count;", "_YLABEL", "\"Count\" (text)"},
      {"histogram / vscale=proportion;", "_YLABEL", "\"Proportion\" (text)"},
      {"histogram / vaxislabel='Share of pupils';", "_YLABEL", "\"Share of pupils\" (text)"},
  };
  for (const rule& u : rules) {
    const graph_run r = run(u.statements);
    ASSERT_FALSE(r.panels().empty()) << u.statements << r.log;
    EXPECT_EQ(r.panels()[0]->dynamic(u.name), u.want) << u.statements;
  }
}

TEST(HistogramGraphRules, NobarsKeepsTheBinRowsWithoutTheirColumns) {
  const graph_run r = run("histogram / normal nobars;");
  const auto rows = r.data()->rows();
  EXPECT_EQ(rows.front().count("BinX"), 0u);
  EXPECT_EQ(rows.front().count("CurveX"), 1u);
  int empty = 0;
  for (const auto& row : rows) empty += row.at("CurveX") == "." ? 1 : 0;
  EXPECT_GT(empty, 3);  // one row per bin, every cell missing
}

}  // namespace

namespace {

TEST(HistogramGraphRules, PositionsNearZeroAreZeroAndEmptyBinsCountZero) {
  // -0.9 + 3 x 0.3 is -1.1e-16 in binary: written as 0.
  const graph_run r = run("histogram / midpoints=-0.9 to 89.7 by 0.3;");
  bool zero = false;
  for (const auto& row : r.data()->rows()) {
    const double x = dump_number(row.at("BinX"));
    if (std::fabs(x) < 1e-9) {
      EXPECT_EQ(row.at("BinX"), "0");
      zero = true;
    }
    EXPECT_NE(row.at("BinCount"), ".") << row.at("BinX");  // bins outside the data count 0
  }
  EXPECT_TRUE(zero);
  // A cell whose values cover part of the common bins writes 0 for the others.
  const graph_run c = run("class c; histogram;");
  int zeros = 0;
  for (const auto& row : c.data()->rows()) zeros += row.at("BinCount") == "0" ? 1 : 0;
  EXPECT_GT(zeros, 0);
}

}  // namespace
