// The stand-in's graph templates drawn from panels built by hand: what a reader sees
// on the axes (tick texts, their room and spacing), checked in the SVG text.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graph/template_graph.h"
#include "graph/template_parts.h"
#include "output/graph_objects.h"
#include "support/svg_parts.h"
#include "support/svg_reader.h"

namespace {

using kes_test::box;
using kes_test::svg_element;
using plat::out::cell;
using plat::out::column_info;
using plat::out::dyn_value;
using plat::out::graph_panel;
using plat::out::graph_table;

dyn_value text_dyn(const std::string& name, const std::string& text) {
  dyn_value d;
  d.name = name;
  d.text = text;
  return d;
}
dyn_value num_dyn(const std::string& name, double v, bool is_int = false) {
  dyn_value d;
  d.name = name;
  d.is_text = false;
  d.num = v;
  d.is_int = is_int;
  return d;
}

// A QQPlotData of points (quantile, data), with CLASS levels when given.
column_info column(const std::string& name, const std::string& label, bool numeric = true, int char_width = 0) {
  column_info c;
  c.name = name;
  c.label = label;
  c.numeric = numeric;
  c.char_width = char_width;
  return c;
}

// One CLASS variable's levels go across the columns as "Class2".
std::shared_ptr<graph_table> qq_data(const std::vector<std::pair<double, double>>& pts,
                                     const std::vector<std::string>& class1 = {},
                                     const std::string& name = "QQPlotData") {
  auto t = std::make_shared<graph_table>();
  t->name = name;
  if (!class1.empty()) t->columns.push_back(column("Class2", "g", false, 8));
  t->columns.push_back(column("Quantile", "Quantile"));
  t->columns.push_back(column("Data", "x"));
  const std::size_t levels = class1.empty() ? 1 : class1.size();
  for (std::size_t l = 0; l < levels; ++l)
    for (const auto& [q, d] : pts) {
      std::vector<cell> row;
      if (!class1.empty()) row.push_back({true, class1[l], 0});
      row.push_back({false, "", q});
      row.push_back({false, "", d});
      t->add_row(row);
    }
  return t;
}

graph_panel qq_panel(std::shared_ptr<graph_table> t, const std::string& values, const std::string& labels,
                     const std::string& tmpl = "orbo.kestravine.Graphics.QQPlot") {
  graph_panel p;
  p.name = "QQPlot";
  p.label = "Q-Q Plot of x";
  p.description = "Panel 1";
  p.template_name = tmpl;
  p.tables.push_back(t);
  p.dynamics = {text_dyn("_XLABEL", "Quantiles"), text_dyn("_YLABEL", "x"), text_dyn("_VARNAME", "x"),
                text_dyn("_QNTLVALUES", values), text_dyn("_QNTLLABELS", labels)};
  const std::vector<double> v = [&] {
    std::vector<double> out;
    std::size_t i = 0;
    while (i < values.size()) {
      std::size_t j = values.find(' ', i);
      if (j == std::string::npos) j = values.size();
      if (j > i) out.push_back(std::stod(values.substr(i, j - i)));
      i = j + 1;
    }
    return out;
  }();
  p.dynamics.push_back(num_dyn("_QNTLMIN", v.front()));
  p.dynamics.push_back(num_dyn("_QNTLMAX", v.back()));
  return p;
}

std::string render(const graph_panel& p) {
  std::string svg, why;
  EXPECT_TRUE(plat::graph::render_template_svg(p, &svg, &why)) << why;
  return svg;
}

// Every text element: its x, y, length and content.
struct svg_text {
  double x, y, length;
  std::string anchor, text;
};
std::vector<svg_text> texts(const std::string& svg) {
  std::vector<svg_text> out;
  for (const svg_element& e : kes_test::svg_elements(svg)) {
    if (e.name != "text") continue;
    const std::string anchor = e.get("text-anchor");
    out.push_back({e.num("x"), e.num("y"), e.attrs.count("textLength") ? e.num("textLength") : 0,
                   anchor.empty() ? "start" : anchor, e.text});
  }
  return out;
}
bool has_text(const std::vector<svg_text>& ts, const std::string& s) {
  for (const svg_text& t : ts)
    if (t.text == s) return true;
  return false;
}

// Ticks made as start + i * width reach zero a few ulps off; the text of such a tick
// is 0, never "-0.0" or an exponent.
TEST(TemplateAxes, ATickAtZeroReachedBySumsReadsZero) {
  struct row {
    std::vector<double> ticks;
    std::string zero;
  };
  const double nearly = 3 * 0.1 - 0.3 - 1.5 * 1e-16;  // about -1e-16
  ASSERT_LT(nearly, 0.0);
  const std::vector<row> rows = {
      {{-1.5, nearly, 1.5, 3.0}, "0"},
      {{-3e7, -1e-9, 3e7}, "0"},
      {{-2, -0.0, 2}, "0"},
      {{-0.00002, 1e-20, 0.00002}, "0"},
  };
  for (const row& r : rows) EXPECT_EQ(plat::graph::tick_texts(r.ticks)[1], r.zero) << r.ticks[0];
}

TEST(TemplateAxes, QuantileTicksShowTheDecimalsOfTheirStep) {
  struct tick_case {
    const char* values;
    const char* labels;
    std::vector<std::string> shown, absent;
  };
  const tick_case cases[] = {
      // Labels restating the values: one number of decimals along the axis.
      {"0 0.5 1 1.5 2", "0 0.5 1 1.5 2", {"0", "0.5", "1.0", "1.5", "2.0"}, {"1", "2", "0.0"}},
      {"-2 -1 0 1 2", "-2 -1 0 1 2", {"-2", "-1", "0", "1", "2"}, {"0.0"}},
      // PCTLSCALE: percents at quantile places stay as the module wrote them.
      {"-1.281552 0 1.281552", "10 50 90", {"10", "50", "90"}, {"0.0", "-1.281552"}},
  };
  for (const tick_case& c : cases) {
    const auto ts = texts(render(qq_panel(qq_data({{-1, 1}, {0, 2}, {1, 3}}), c.values, c.labels)));
    for (const std::string& s : c.shown) EXPECT_TRUE(has_text(ts, s)) << c.labels << ": " << s;
    for (const std::string& s : c.absent) EXPECT_FALSE(has_text(ts, s)) << c.labels << ": " << s;
  }
}

// Texts on one baseline, centred on their x, that share some of their width.
std::vector<std::string> overlapping(const std::vector<svg_text>& ts) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < ts.size(); ++i)
    for (std::size_t j = i + 1; j < ts.size(); ++j) {
      const svg_text &a = ts[i], &b = ts[j];
      if (a.anchor != "middle" || b.anchor != "middle" || std::fabs(a.y - b.y) > 0.5) continue;
      if (std::fabs(a.x - b.x) < (a.length + b.length) / 2 + 1) out.push_back(a.text + " | " + b.text);
    }
  return out;
}

TEST(TemplateAxes, CellsSideBySideKeepTheirTickTextsApart) {
  // Three cells across: the last tick text of a cell and the first of the next meet
  // in the gap between them unless one gives way.
  for (const char* tmpl : {"orbo.kestravine.Graphics.CompQQPlot", "orbo.kestravine.Graphics.CompQQPlotRotated"}) {
    graph_panel p = qq_panel(qq_data({{-1.5, 40}, {0, 50}, {1.5, 60}}, {"a", "b", "c"}), "-2 -1.5 -1 -0.5 0 0.5 1 1.5 2",
                             "-2 -1.5 -1 -0.5 0 0.5 1 1.5 2", tmpl);
    p.dynamics.push_back(num_dyn("_NROWS", 1, true));
    p.dynamics.push_back(num_dyn("_NCOLS", 3, true));
    p.dynamics.push_back(num_dyn("_PANEL", 1, true));
    const auto ts = texts(render(p));
    EXPECT_EQ(overlapping(ts), std::vector<std::string>{}) << tmpl;
    EXPECT_TRUE(has_text(ts, "0.0") || has_text(ts, "0")) << tmpl;
  }
}

// The frames of the cells, in drawing order.
std::vector<box> frames(const std::string& svg) {
  std::vector<box> out;
  for (const svg_element& e : kes_test::svg_elements(svg))
    if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") out.push_back(kes_test::box_of(e));
  return out;
}

// The left side of the first cell's frame.
double frame_left(const std::string& svg) {
  const std::vector<box> fs = frames(svg);
  return fs.empty() ? NAN : fs.front().x0;
}

TEST(TemplateAxes, TheVerticalAxisMakesRoomForTheTextsItShows) {
  // A rotated probability plot shows percents at quantile places: its margin is the
  // width of "99", not of "-2.326348".
  const char* places = "-2.326348 0 2.326348";
  graph_panel pct = qq_panel(qq_data({{-1, 40}, {0, 50}, {1, 60}}, {}, "ProbPlotData"), "0", "0",
                             "orbo.kestravine.Graphics.ProbPlotRotated");
  // A probability axis spans its ticks: no quantile range of its own.
  std::erase_if(pct.dynamics, [](const dyn_value& d) { return d.name.rfind("_QNTL", 0) == 0; });
  pct.dynamics.push_back(text_dyn("_PCTLVALUES", places));
  pct.dynamics.push_back(text_dyn("_PCTLLABELS", "1 50 99"));
  graph_panel num = pct;
  num.dynamics.back().text = places;
  const std::string a = render(pct), b = render(num);
  ASSERT_TRUE(has_text(texts(a), "99"));
  ASSERT_TRUE(has_text(texts(b), "-2.326348"));
  // At 11 px a digit advances 7 px, "." 3.49 and "-" 3.97: "-2.326348" is 56.46 px,
  // "99" 14 px.
  EXPECT_NEAR(frame_left(b) - frame_left(a), 42.46, 0.05);
}

TEST(TemplateAxes, SquarePpCellsAreSquareAndStandInTheMiddle) {
  struct square_case {
    std::vector<std::string> levels;
    int ncols;
  };
  for (const square_case& k : {square_case{{}, 1}, square_case{{"a", "b", "c"}, 3}}) {
    auto t = std::make_shared<graph_table>();
    t->name = "PPPlotData";
    if (!k.levels.empty()) t->columns.push_back(column("Class2", "g", false, 8));
    t->columns.push_back(column("Theoretical", "Theoretical"));
    t->columns.push_back(column("Empirical", "Empirical"));
    for (std::size_t l = 0; l < std::max<std::size_t>(1, k.levels.size()); ++l)
      for (double v : {0.2, 0.5, 0.8}) {
        std::vector<cell> row;
        if (!k.levels.empty()) row.push_back({true, k.levels[l], 0});
        row.push_back({false, "", v});
        row.push_back({false, "", v});
        t->add_row(row);
      }
    graph_panel p;
    p.name = "PPPlot";
    p.label = "P-P Plot of x";
    p.template_name = k.levels.empty() ? "orbo.kestravine.Graphics.PPPlot" : "orbo.kestravine.Graphics.CompPPPlot";
    p.tables.push_back(t);
    p.dynamics = {text_dyn("_XLABEL", "Normal Cumulative Probability"), text_dyn("_YLABEL", "Empirical"),
                  num_dyn("_SQUARE", 1, true), num_dyn("_NROWS", 1, true), num_dyn("_NCOLS", k.ncols, true),
                  num_dyn("_PANEL", 1, true)};
    const std::string svg = render(p);
    const auto fs = frames(svg);
    ASSERT_EQ(fs.size(), static_cast<std::size_t>(k.ncols));
    for (const box& f : fs) EXPECT_NEAR(f.w(), f.h(), 0.02) << k.ncols << " cells";
    // The cells' span is centred under the x label, which stands in the page's middle
    // band, not at its left.
    const double centre = (fs.front().x0 + fs.back().x1) / 2;
    for (const svg_text& x : texts(svg)) {
      if (x.text == "Normal Cumulative Probability") {
        EXPECT_NEAR(x.x, centre, 0.02);
      }
    }
    EXPECT_GT(centre, 300) << k.ncols << " cells";
  }
}

}  // namespace
