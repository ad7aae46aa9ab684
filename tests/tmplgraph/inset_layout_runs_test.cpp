// Inset boxes of template graphs over data at the ends of the doubles, at 1e-300, in
// subnormals and in plain units, at each of the 12 named positions and without
// POSITION=, in one cell and in 3 x 2 CLASS cells, for histograms (count and percent),
// Q-Q, probability, P-P and CDF plots. Each graph is set beside the same graph without
// a box: the plot areas keep their size and their points or bars, the vertical axis
// keeps its ticks (a histogram's or a Q-Q or probability plot's may rise by whole
// ticks), no tick passes its scale, a box stands inside a frame or wholly beside the
// frames, a box at E or W leaves the page's height alone and one above or below its
// width, the layout takes a bounded number of passes, and the step's tables and
// OUTPUT data set are written. The graph rules run over every graph.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "graph/template_inset_layout.h"
#include "graph_run.h"
#include "support/svg_parts.h"
#include "support/svg_reader.h"
#include "support/test_settings.h"

namespace {

using kes_test::graph_run;
using kes_test::svg_element;

using kes_test::box;

// Boxes meet when they share more than the writer's hundredths.
bool meet(const box& a, const box& b) { return a.overlaps(b, 0.01); }

// What a graph shows that the boxes must leave alone, read from its SVG.
struct drawn_graph {
  double width = 0, height = 0;
  std::vector<box> frames, boxes;
  std::vector<double> yticks;  // the values at the vertical axis of the first cell, top down
  int markers = 0, bars = 0;
};

drawn_graph read_graph(const std::string& svg) {
  drawn_graph g;
  const std::vector<svg_element> els = kes_test::svg_elements(svg);
  g.width = els.front().num("width");
  g.height = els.front().num("height");
  for (const svg_element& e : els) {
    if (e.name == "use") ++g.markers;
    if (e.name != "rect") continue;
    if (e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") g.frames.push_back(kes_test::box_of(e));
    if (e.get("fill") == "#FFFFFF" && e.get("stroke") == "#4A4A4A") g.boxes.push_back(kes_test::box_of(e));
    if (e.get("fill") == "#C6DBEF") ++g.bars;
  }
  if (g.frames.empty()) return g;
  // The vertical axis's values stand right-aligned at its ticks, left of the first frame.
  const box& f = g.frames.front();
  for (const svg_element& e : els)
    if (e.name == "text" && e.get("text-anchor") == "end" && e.num("x") < f.x0 - 4 && e.num("x") > f.x0 - 14 &&
        e.num("y") >= f.y0 - 12 && e.num("y") <= f.y1 + 12)
      g.yticks.push_back(std::strtod(e.text.c_str(), nullptr));
  // Top down; a value drawn twice stays twice.
  std::sort(g.yticks.rbegin(), g.yticks.rend());
  return g;
}

// n values from lo to hi, shaped as a normal sample (more in the middle), computed
// without a sum or a difference that overflows.
std::vector<double> values(double lo, double hi, int n) {
  const double mid = lo / 2 + hi / 2, half = hi / 2 - lo / 2;
  std::vector<double> v;
  for (int i = 0; i < n; ++i) {
    const double p = (i + 0.5) / n;
    double a = -6, b = 6;
    for (int it = 0; it < 60; ++it) (0.5 * std::erfc(-(a + b) / 2 / std::sqrt(2.0)) < p ? a : b) = (a + b) / 2;
    v.push_back(mid + half * std::clamp((a + b) / 2 / 2.5, -1.0, 1.0));
  }
  return v;
}

struct kind_case {
  const char* what;
  const char* plot;        // the plot statement
  double lo, hi;           // the scale of the vertical axis
  bool may_rise;           // its ticks may run on for a box at the top
};
const kind_case kKinds[] = {
    {"count histogram", "histogram / normal vscale=count;", 0, INFINITY, true},
    {"percent histogram", "histogram / vscale=percent;", 0, 100, true},
    {"Q-Q plot", "qqplot / normal(mu=est sigma=est);", -INFINITY, INFINITY, true},
    {"Q-Q plot with its percentile axis", "qqplot / normal(mu=est sigma=est) pctlaxis;", -INFINITY, INFINITY, true},
    {"rotated Q-Q plot with its percentile axis", "qqplot / normal(mu=est sigma=est) pctlaxis rotate;", -INFINITY,
     INFINITY, false},
    {"probability plot", "probplot / normal(mu=est sigma=est);", -INFINITY, INFINITY, true},
    {"P-P plot", "ppplot / normal;", 0, 1, false},
    {"CDF plot", "cdfplot / normal;", 0, 100, false},
};

const char* const kPositions[] = {"", "n", "ne", "e", "se", "s", "sw", "w", "nw", "tm", "bm", "lm", "rm"};
constexpr int kSteps = 1 + sizeof kPositions / sizeof kPositions[0];

// Under the sanitizers every third run of the table (one cell and CLASS cells by each
// of the 8 kinds), from run `first` of it: each range takes other runs, and the
// layout code each run reaches is the same at every range.
void check_range(double lo, double hi, std::size_t first) {
  std::size_t index = first;
  for (const bool panels : {false, true}) {
    std::string csv = "a,b,x\n";
    const std::vector<double> v = values(lo, hi, 120);
    for (int i = 0; i < 120; ++i) {
      char line[64];
      std::snprintf(line, sizeof line, "%d,%d,%.17g\n", i % 3, (i / 3) % 2, v[static_cast<std::size_t>(i)]);
      csv += line;
    }
    for (const kind_case& k : kKinds) {
      if (!kes_test::sanitized_share(index++, 3)) continue;
      SCOPED_TRACE(std::string(k.what) + (panels ? " in 3 x 2 cells" : " in one cell"));
      // The graph without a box, then one box of six rows at each place; in one cell
      // also every box at once.
      const std::string head = std::string("proc kestravine data=d; var x; ") + (panels ? "class a b; " : "") + k.plot;
      const std::string tail = " output out=o mean=m; run;\n";
      std::string program = head + tail, all;
      for (const char* pos : kPositions) {
        const std::string box = std::string(" inset n mean std min max median") + (*pos ? " / position=" : "") + pos + ";";
        program += head + box + tail;
        all += box;
      }
      if (!panels) program += head + all + tail;
      const long before = plat::graph::inset_layout_passes();
      const graph_run r = kes_test::run_program(csv, program);
      const long passes = plat::graph::inset_layout_passes() - before;
      ASSERT_EQ(r.status, 0) << r.log;
      const int steps = kSteps + (panels ? 0 : 1);
      // The layout's end: one pass, and one more for each tick of a rise tried.
      EXPECT_LE(passes, static_cast<long>(steps - 1) * (1 + plat::graph::kMaxRise));
      // The step's tables and its OUTPUT data set are there.
      ASSERT_EQ(r.sets.count("o.csv"), 1u) << r.log;
      // Data the module cannot bin (or fit) give no graph, with or without a box.
      if (r.svg.empty()) continue;
      ASSERT_EQ(r.svg.size(), static_cast<std::size_t>(steps)) << r.log;
      std::vector<drawn_graph> graphs;
      for (const auto& [name, svg] : r.svg) graphs.push_back(read_graph(svg));
      // The files are named in the order of the steps: Histogram1 ... Histogram14 sort
      // as 1, 10, 11, ... : put them back in order by their number.
      std::vector<std::pair<int, const drawn_graph*>> order;
      std::size_t at = 0;
      for (const auto& [name, svg] : r.svg) {
        const std::size_t digit = name.find_first_of("0123456789");
        order.emplace_back(std::atoi(name.c_str() + digit), &graphs[at++]);
      }
      std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
      const drawn_graph& plain = *order.front().second;
      ASSERT_FALSE(plain.frames.empty());
      // (Subnormal data get no tick values on a Q-Q plot's data axis: then no step.)
      const double step = plain.yticks.size() >= 2 ? plain.yticks[0] - plain.yticks[1] : NAN;
      for (std::size_t s = 1; s < order.size(); ++s) {
        const drawn_graph& g = *order[s].second;
        const std::string pos = s - 1 < std::size(kPositions) ? kPositions[s - 1] : "all";
        SCOPED_TRACE("position " + (pos.empty() ? std::string("none") : pos));
        // The plot areas keep their number and size (a margin box takes its room from
        // the page, as designed), and every point and bar.
        const bool margin = pos == "tm" || pos == "bm" || pos == "lm" || pos == "rm" || pos == "all";
        ASSERT_EQ(g.frames.size(), plain.frames.size());
        for (const box& f : g.frames) {
          if (margin) continue;
          EXPECT_NEAR(f.w(), plain.frames.front().w(), 0.02);
          EXPECT_NEAR(f.h(), plain.frames.front().h(), 0.02);
        }
        EXPECT_EQ(g.markers, plain.markers);
        EXPECT_EQ(g.bars, plain.bars);
        // The vertical axis keeps its scale: its ticks, or (where it may rise) its
        // ticks and whole steps more at the top; none repeated, none past the scale.
        ASSERT_GE(g.yticks.size(), plain.yticks.size());
        EXPECT_LE(g.yticks.size(), plain.yticks.size() + (k.may_rise ? plat::graph::kMaxRise : 0));
        for (std::size_t t = 0; t < g.yticks.size(); ++t) {
          EXPECT_GE(g.yticks[t], k.lo) << g.yticks[t];
          EXPECT_LE(g.yticks[t], k.hi) << g.yticks[t];
          if (t > 0) {
            EXPECT_LT(g.yticks[t], g.yticks[t - 1]);
          }
        }
        const std::size_t extra = g.yticks.size() - plain.yticks.size();
        for (std::size_t t = 0; t < plain.yticks.size(); ++t) EXPECT_EQ(g.yticks[t + extra], plain.yticks[t]);
        for (std::size_t t = 0; t < extra; ++t)
          EXPECT_NEAR(g.yticks[t] - g.yticks[t + 1], step, std::fabs(step) * 1e-9);
        if (std::isnan(step)) {
          EXPECT_EQ(extra, 0u);
        }
        // A box stands inside one frame or beside every frame, on the page.
        const box page{0, 0, g.width, g.height};
        for (const box& b : g.boxes) {
          const bool inside = std::any_of(g.frames.begin(), g.frames.end(), [&](const box& f) { return f.contains(b); });
          const bool beside = std::none_of(g.frames.begin(), g.frames.end(), [&](const box& f) { return meet(f, b); });
          EXPECT_TRUE(inside || (beside && page.contains(b))) << kes_test::place(b);
        }
        // The page grows only where its boxes stand, and by at most half a plot area
        // and the axis's values a row (column).
        const double rows = panels ? 3 : 1, cols = panels ? 2 : 1;
        const double fw = plain.frames.front().w(), fh = plain.frames.front().h();
        if (pos == "e" || pos == "w") {
          EXPECT_EQ(g.height, plain.height);
        }
        if (pos == "n" || pos == "ne" || pos == "nw" || pos == "s" || pos == "se" || pos == "sw" || pos.empty()) {
          EXPECT_EQ(g.width, plain.width);
        }
        if (!margin) {
          EXPECT_LE(g.height, plain.height + rows * (fh / 2 + 40));
          EXPECT_LE(g.width, plain.width + cols * (fw / 2 + 80));
        }
      }
    }
  }
}

TEST(InsetLayoutOrdinary, BoxesKeepTheAxesAndThePlotAreas) { check_range(20, 80, 0); }
TEST(InsetLayoutLargest, BoxesKeepTheAxesAndThePlotAreas) { check_range(1e308, 1.7e308, 1); }
TEST(InsetLayoutLargestNegative, BoxesKeepTheAxesAndThePlotAreas) { check_range(-1.7e308, -1e308, 2); }
TEST(InsetLayoutAcross, BoxesKeepTheAxesAndThePlotAreas) { check_range(-1.7e308, 1.7e308, 0); }
TEST(InsetLayoutTiny, BoxesKeepTheAxesAndThePlotAreas) { check_range(1e-300, 9e-300, 1); }
TEST(InsetLayoutSubnormal, BoxesKeepTheAxesAndThePlotAreas) { check_range(1e-310, 4e-310, 2); }

}  // namespace
