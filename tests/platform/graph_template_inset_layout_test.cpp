// The pieces of the inset layout of template graphs: the rise of a vertical axis by
// whole ticks and its limits, the grid of cells with bands beside the plot areas, and
// one note for each box that leaves rows out.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

#include "graph/template_inset_layout.h"
#include "graph/template_insets.h"
#include "graph/template_parts.h"

namespace {

using namespace plat::graph;

TEST(TemplateInsetLayout, AnAxisRisesByWholeTicksWithinItsLimits) {
  struct rise_case {
    const char* what;
    scale base;
    int k;
    axis_rise rule;
    bool allowed;
    std::vector<double> ticks;  // when allowed
    double hi;
  };
  const rise_case cases[] = {
      // Counts up to 38 on 0..40: one tick more keeps 38 of 50 (over two thirds), two
      // would keep 38 of 60 (under).
      {"counts, one tick", {0, 40, {0, 10, 20, 30, 40}}, 1, {nullptr, 0, 38}, true, {0, 10, 20, 30, 40, 50}, 50},
      {"counts, two ticks", {0, 40, {0, 10, 20, 30, 40}}, 2, {nullptr, 0, 38}, false, {}, 0},
      {"no rise", {0, 40, {0, 10, 20, 30, 40}}, 0, {nullptr, 0, 1}, true, {0, 10, 20, 30, 40}, 40},
      // Percents: no tick past 100.
      {"percent at 80", {0, 80, {0, 20, 40, 60, 80}}, 1, {nullptr, 0, 75, 100}, true, {0, 20, 40, 60, 80, 100}, 100},
      {"percent at 100", {0, 100, {0, 20, 40, 60, 80, 100}}, 1, {nullptr, 0, 100, 100}, false, {}, 0},
      // A step of 0.05 gives 0.35 exactly, not a sum's 0.35000000000000003.
      {"twentieths", {0, 0.3, {0, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3}}, 1, {nullptr, 0, 0.3}, true,
       {0, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35}, 0.35},
      // A padded data axis (its end is not a tick): the ticks that fall inside it join.
      {"padded", {11.2, 28.8, {15, 20, 25}}, 1, {nullptr, 12, 28}, true, {15, 20, 25, 30}, 33.8},
      // Ends near the largest double: a rise would not be finite.
      {"past the largest double", {1e308, 1.6e308, {1e308, 1.2e308, 1.4e308, 1.6e308}}, 1, {nullptr, 1e308, 1.6e308},
       false, {}, 0},
      {"one tick", {0, 1, {0}}, 1, {nullptr, 0, 1}, false, {}, 0},
      {"no step", {0, 1, {1, 1}}, 1, {nullptr, 0, 1}, false, {}, 0},
      {"a step that is not finite", {-DBL_MAX, DBL_MAX, {-DBL_MAX, DBL_MAX}}, 1, {nullptr, -DBL_MAX, DBL_MAX}, false, {}, 0},
  };
  for (const rise_case& c : cases) {
    scale out;
    EXPECT_EQ(rise_scale(c.base, c.k, c.rule, &out), c.allowed) << c.what;
    if (!c.allowed) continue;
    EXPECT_EQ(out.ticks, c.ticks) << c.what;
    EXPECT_DOUBLE_EQ(out.hi, c.hi) << c.what;
    EXPECT_EQ(out.lo, c.base.lo) << c.what;
  }
}

TEST(TemplateInsetLayout, BandsLieBetweenPlotAreasOfOneSize) {
  const double gap = cell_gap();
  const std::vector<frame> plain = cell_grid(0, 0, 600, 400, 2, 2, true);
  cell_bands bands;
  bands.top = {20, 0};
  bands.bottom = {0, 30};
  bands.left = {0, 50};
  bands.right = {40, 0};
  const std::vector<frame> banded = cell_grid(0, 0, 600 + 90, 400 + 50, 2, 2, true, bands);
  ASSERT_EQ(banded.size(), 4u);
  for (const frame& f : banded) {
    EXPECT_DOUBLE_EQ(f.w, plain[0].w);
    EXPECT_DOUBLE_EQ(f.h, plain[0].h);
  }
  // Across: the first column's right band, the gap, the second's left band.
  EXPECT_DOUBLE_EQ(banded[1].x - (banded[0].x + banded[0].w), 40 + gap + 50);
  // Down: the strip, then the row's top band, above each frame.
  EXPECT_DOUBLE_EQ(banded[0].y, kStripHeight + 20);
  EXPECT_DOUBLE_EQ(banded[2].y - (banded[0].y + banded[0].h), gap + kStripHeight);
  EXPECT_DOUBLE_EQ(banded[2].y + banded[2].h + 30, 450);
  EXPECT_DOUBLE_EQ(bands.across(), 90);
  EXPECT_DOUBLE_EQ(bands.down(), 50);
}

TEST(TemplateInsetLayout, EachBoxThatLeavesRowsOutHasItsNote) {
  const auto box = [](int rows, int left_out, int number) {
    planned_box b;
    b.placed.box.rows.resize(static_cast<std::size_t>(rows));
    b.placed.box.left_out = left_out;
    b.placed.number = number;
    return b;
  };
  // Boxes 0 and 2 leave rows out, in two cells; box 1 keeps its rows.
  const cell_plan first = {box(3, 2, 0), box(4, 0, 1), box(0, 5, 2)};
  const cell_plan second = {box(4, 1, 0), box(4, 0, 1), box(0, 5, 2)};
  no_canvas c;
  graph_notes notes;
  draw_cell_plan(c, notes, frame{0, 0, 100, 100}, first);
  draw_cell_plan(c, notes, frame{0, 0, 100, 100}, second);
  const inset_cuts& cuts = notes.cuts;
  ASSERT_EQ(cuts.each.size(), 2u);
  EXPECT_EQ(cuts.each[0].number, 0);
  EXPECT_EQ(cuts.each[0].most, 2);  // the most of its cells
  EXPECT_EQ(cuts.each[0].of, 5);
  EXPECT_EQ(cuts.each[1].number, 2);
  EXPECT_EQ(cuts.each[1].most, 5);
  EXPECT_EQ(cuts.each[1].of, 5);
}

}  // namespace
