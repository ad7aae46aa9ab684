// Template QQ, probability, P-P and CDF plots of many values: the SVG file stands for
// the full drawing (every marker and vertex the drawer places, recorded on a canvas)
// to a quarter pixel both ways, a small graph is written whole, and a comparative
// graph reads each row of its data object once however many panels it has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "graph/svg_writer.h"
#include "graph/template_canvas.h"
#include "graph/template_graph.h"
#include "graph/template_graph_parts.h"
#include "output/graph_objects.h"
#include "support/svg_marks.h"

namespace {

using namespace plat::graph;
using plat::out::cell;
using plat::out::column_info;
using plat::out::dyn_value;
using plat::out::graph_panel;
using plat::out::graph_table;
using kes_test::svg_xy;

// The full drawing: every data point and every polyline as the drawer gives them.
class recorder : public canvas {
 public:
  std::vector<svg_xy> marks;
  std::vector<std::vector<svg_xy>> lines;
  void begin(double, double, const std::string&, const std::string&) override {}
  void rect(double, double, double, double, const paint&) override {}
  void line(double, double, double, double, const paint&) override {}
  void polyline(const std::vector<point>& pts, const paint&) override {
    std::vector<svg_xy> l;
    for (const point& q : pts) l.push_back({q.x, q.y});
    lines.push_back(l);
  }
  void polygon(const std::vector<point>&, const paint&) override {}
  void point_marker(double x, double y, const paint&) override { marks.push_back({x, y}); }
  void text(double, double, const std::string&, const text_style&) override {}
  void clip_begin(double, double, double, double) override {}
  void clip_end() override {}
  void end() override {}
};

enum class kind { qq, prob, pp, cdf };

double normal_cdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }
double normal_quantile(double p) {
  double lo = -10, hi = 10;
  for (int i = 0; i < 80; ++i) (normal_cdf((lo + hi) / 2) < p ? lo : hi) = (lo + hi) / 2;
  return (lo + hi) / 2;
}

// n ordered normal values; with ties, rounded to twentieths, so that runs of equal
// values come in the middle.
std::vector<double> sample(std::size_t n, bool ties, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::normal_distribution<double> normal(10, 2);
  std::vector<double> v(n);
  for (double& x : v) x = ties ? std::round(normal(gen) * 20) / 20 : normal(gen);
  std::sort(v.begin(), v.end());
  return v;
}

column_info column(const std::string& name, bool numeric = true) {
  column_info c;
  c.name = c.label = name;
  c.numeric = numeric;
  c.char_width = numeric ? 0 : 8;
  return c;
}

const char* data_name(kind k) {
  switch (k) {
    case kind::qq: return "QQPlotData";
    case kind::prob: return "ProbPlotData";
    case kind::pp: return "PPPlotData";
    default: return "CDFData";
  }
}

// The data object of a plot of n values per cell, the rows as the builders put them.
std::shared_ptr<graph_table> plot_data(kind k, std::size_t n, bool ties, int cells) {
  auto t = std::make_shared<graph_table>();
  t->name = data_name(k);
  if (cells > 1) t->columns.push_back(column("Class2", false));
  const std::vector<const char*> names = k == kind::pp    ? std::vector<const char*>{"Theoretical", "Empirical", "RefInt"}
                                         : k == kind::cdf ? std::vector<const char*>{"CDFX", "CDFY", "ECDFX", "ECDFY"}
                                                          : std::vector<const char*>{"Quantile", "Data", "RefInt", "RefSlope"};
  for (const char* c : names) t->columns.push_back(column(c));
  for (int level = 0; level < cells; ++level) {
    const std::vector<double> v = sample(n, ties, 7 + level);
    std::vector<std::vector<double>> rows;
    if (k == kind::qq || k == kind::prob) {
      for (std::size_t i = 0; i < n; ++i)
        rows.push_back({normal_quantile((i + 0.625) / (n + 0.25)), v[i], i == 0 ? 10.0 : NAN, i == 0 ? 2.0 : NAN});
    } else {
      // One point a distinct value: the fitted and the empirical share after it.
      std::vector<std::pair<double, double>> steps;
      for (std::size_t i = 0; i < n; ++i) {
        if (!steps.empty() && steps.back().first == v[i]) steps.back().second = (i + 1.0) / n;
        else steps.push_back({v[i], (i + 1.0) / n});
      }
      for (std::size_t i = 0; i < std::max<std::size_t>(steps.size(), 200); ++i) {
        const double fx = 4 + 12 * i / 199.0;
        const bool fitted = i < 200, empirical = i < steps.size();
        if (k == kind::pp)
          rows.push_back({empirical ? normal_cdf((steps[i].first - 10) / 2) : NAN, empirical ? steps[i].second : NAN,
                          i == 0 ? 0.0 : NAN});
        else
          rows.push_back({fitted ? fx : NAN, fitted ? 100 * normal_cdf((fx - 10) / 2) : NAN,
                          empirical ? steps[i].first : NAN, empirical ? 100 * steps[i].second : NAN});
      }
    }
    for (const auto& r : rows) {
      std::vector<cell> row;
      if (cells > 1) row.push_back({true, "L" + std::to_string(level), 0});
      for (double x : r) row.push_back({false, "", x});
      t->add_row(row);
    }
  }
  return t;
}

dyn_value dyn(const std::string& name, const std::string& text) {
  dyn_value d;
  d.name = name;
  d.text = text;
  return d;
}
dyn_value dyn(const std::string& name, double v) {
  dyn_value d;
  d.name = name;
  d.is_text = false;
  d.num = v;
  return d;
}

graph_panel plot_panel(kind k, std::shared_ptr<graph_table> t, bool comparative, bool rotated, int panel = 1) {
  // The quantile axis spans the points' quantiles, as the module sets it.
  const double qmax = -normal_quantile(0.625 / (t->rows() / (comparative ? 2.0 : 1.0) + 0.25)) + 0.3;
  static const char* const kNames[] = {"QQPlot", "ProbPlot", "PPPlot", "CDFPlot"};
  const std::string name = kNames[static_cast<int>(k)];
  graph_panel p;
  p.name = name;
  p.label = name + " of x";
  p.template_name = "orbo.kestravine.Graphics." + std::string(comparative ? "Comp" : "") + name + (rotated ? "Rotated" : "");
  p.tables.push_back(std::move(t));
  p.dynamics = {dyn("_VARNAME", "x"), dyn("_REFLINE", "ON"), dyn("_YMAX", 100.0), dyn("_NROWS", 1.0),
                dyn("_NCOLS", comparative ? 2.0 : 1.0), dyn("_PANEL", static_cast<double>(panel))};
  if (k == kind::qq)
    for (const dyn_value& d : {dyn("_QNTLVALUES", "-4 -2 0 2 4"), dyn("_QNTLLABELS", "-4 -2 0 2 4"),
                               dyn("_QNTLMIN", -qmax), dyn("_QNTLMAX", qmax)})
      p.dynamics.push_back(d);
  if (k == kind::prob)
    for (const dyn_value& d : {dyn("_PCTLVALUES", "-2.326 -1.282 0 1.282 2.326"), dyn("_PCTLLABELS", "1 10 50 90 99")})
      p.dynamics.push_back(d);
  return p;
}

std::string svg_of(const graph_panel& p) {
  std::string svg, why;
  EXPECT_TRUE(render_template_svg(p, &svg, &why)) << why;
  return svg;
}

struct scale_case {
  kind k;
  std::size_t n;
  bool ties, rotated;
  int cells;
};

const scale_case kCases[] = {
    {kind::qq, 10000, false, false, 1},   {kind::qq, 100000, true, false, 1},   {kind::qq, 10000, true, false, 2},
    {kind::qq, 100000, false, true, 1},   {kind::prob, 10000, true, false, 1},  {kind::prob, 100000, true, false, 2},
    {kind::prob, 100000, false, true, 1}, {kind::pp, 10000, false, false, 1},   {kind::pp, 100000, true, false, 1},
    {kind::pp, 10000, true, false, 2},    {kind::cdf, 10000, false, false, 1},  {kind::cdf, 100000, true, false, 1},
    {kind::cdf, 100000, false, false, 2},
};

std::string what(const scale_case& c) {
  return std::string(data_name(c.k)) + " n=" + std::to_string(c.n) + (c.ties ? " ties" : "") +
         (c.rotated ? " rotated" : "") + " cells=" + std::to_string(c.cells);
}

TEST(TemplateScale, TheFileStandsForTheFullDrawingToAQuarterPixel) {
  for (const scale_case& c : kCases) {
    const graph_panel p = plot_panel(c.k, plot_data(c.k, c.n, c.ties, c.cells), c.cells > 1, c.rotated);
    recorder full;
    std::string why;
    ASSERT_TRUE(draw_template_graph(p, full, &why)) << why;
    const std::string svg = svg_of(p);
    const std::vector<kes_test::svg_use> uses = kes_test::svg_uses(svg);
    const auto lines = kes_test::svg_polylines(svg);
    if (c.k == kind::cdf) {
      // The empirical steps and the fitted curve of each cell, in the order drawn.
      EXPECT_TRUE(full.marks.empty() && uses.empty()) << what(c);
      ASSERT_EQ(lines.size(), full.lines.size()) << what(c);
      ASSERT_EQ(full.lines.size(), 2u * c.cells) << what(c);
      for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(kes_test::line_covers(full.lines[i], lines[i], kPageResolution)) << what(c) << " line " << i;
      // 2n - 1 vertices of steps for at most a few thousand written.
      if (!c.ties) {
        EXPECT_EQ(full.lines[0].size(), 2 * c.n - 1) << what(c);
      }
      EXPECT_LT(lines[0].size(), 3000u) << what(c);
    } else {
      EXPECT_GE(full.marks.size(), c.k == kind::pp && c.ties ? 100u : c.n * c.cells) << what(c);
      ASSERT_FALSE(uses.empty()) << what(c);
      // One definition serves every point.
      for (const auto& u : uses) EXPECT_EQ(u.id, uses[0].id) << what(c);
      std::vector<svg_xy> drawn;
      for (const auto& u : uses) drawn.push_back({u.x, u.y});
      EXPECT_TRUE(kes_test::marks_cover(full.marks, drawn, kPageResolution)) << what(c);
      EXPECT_LT(drawn.size(), 6000u * c.cells) << what(c);
    }
    EXPECT_LT(svg.size(), 400000u) << what(c);
  }
}

TEST(TemplateScale, AGraphOfTenPointsIsWrittenWhole) {
  for (kind k : {kind::qq, kind::prob, kind::pp, kind::cdf}) {
    const graph_panel p = plot_panel(k, plot_data(k, 10, false, 1), false, false);
    recorder full;
    std::string why;
    ASSERT_TRUE(draw_template_graph(p, full, &why)) << why;
    const std::string svg = svg_of(p);
    if (k == kind::cdf) {
      const auto lines = kes_test::svg_polylines(svg);
      ASSERT_EQ(lines.size(), 2u);
      EXPECT_EQ(lines[0].size(), 19u) << "ten steps: 2 x 10 - 1 vertices";
      EXPECT_EQ(lines[0].size(), full.lines[0].size());
    } else {
      EXPECT_EQ(kes_test::svg_uses(svg).size(), 10u) << data_name(k);
      EXPECT_EQ(full.marks.size(), 10u) << data_name(k);
    }
  }
}

// 2,000 levels of one CLASS variable, two cells a panel: 1,000 panels drawn from one
// data object. Its rows are read into cells once, not once a panel.
TEST(TemplateScale, AComparativeGraphOfTwoThousandLevelsReadsEachRowOnce) {
  for (kind k : {kind::qq, kind::cdf}) {
    auto t = std::make_shared<graph_table>();
    t->name = data_name(k);
    t->columns.push_back(column("Class2", false));
    for (const char* c : k == kind::qq ? std::vector<const char*>{"Quantile", "Data"}
                                       : std::vector<const char*>{"ECDFX", "ECDFY"})
      t->columns.push_back(column(c));
    for (int level = 0; level < 2000; ++level)
      for (int i = 0; i < 3; ++i)
        t->add_row({{true, "L" + std::to_string(level), 0}, {false, "", i - 1.0}, {false, "", 10.0 + i + level % 7}});
    const std::size_t before = rows_indexed();
    std::size_t drawn = 0;
    for (int panel = 1; panel <= 1000; ++panel) {
      recorder r;
      std::string why;
      ASSERT_TRUE(draw_template_graph(plot_panel(k, t, true, false, panel), r, &why)) << why;
      drawn += k == kind::qq ? r.marks.size() : r.lines.size();
    }
    EXPECT_EQ(rows_indexed() - before, t->rows()) << data_name(k);
    // Every cell drawn on its own panel: its three points or its step line.
    EXPECT_EQ(drawn, k == kind::qq ? 6000u : 2000u) << data_name(k);
  }
}

}  // namespace
