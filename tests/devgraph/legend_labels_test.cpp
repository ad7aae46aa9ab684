// The legend of fill colours and the panel label texts in numbers: how many legend
// entries fit a row and where each swatch stands, and how a label text is shrunk to
// its box (in proportion, then by 0.95 steps, a bounded number of times).
#include <gtest/gtest.h>

#include <cmath>

#include "devgraph/fill_legend.h"
#include "devgraph/panel_labels.h"

namespace {

TEST(FillLegend, FiveEntriesOverThreeColumnsFillTwoRows) {
  // Each entry: swatch room 1.25, gap 2, label 10, gap 3 = 16.25; 45 + 3 over 16.25
  // gives 2 columns, 46 + 3 gives 3.
  EXPECT_EQ(kes_legend_fit(45, 1.25, 2, 10, 3, 5).cols, 2);
  const kes_legend_grid g = kes_legend_fit(46, 1.25, 2, 10, 3, 5);
  EXPECT_EQ(g.cols, 3);
  EXPECT_EQ(g.rows, 2);
  // Three in the top row, two below, column by column from the start x.
  const double x0 = 8, pitch = 16.25, top = 12, row = 3;
  const kes_legend_spot want[5] = {{8, 12}, {24.25, 12}, {40.5, 12}, {8, 9}, {24.25, 9}};
  for (int i = 0; i < 5; ++i) {
    const kes_legend_spot p = kes_legend_at(i, g.cols, x0, pitch, top, row);
    EXPECT_DOUBLE_EQ(p.x, want[i].x) << i;
    EXPECT_DOUBLE_EQ(p.y, want[i].y) << i;
  }
}

TEST(FillLegend, NoRoomForOneEntryGivesNoColumns) {
  const kes_legend_grid g = kes_legend_fit(10, 1.25, 2, 10, 3, 4);
  EXPECT_EQ(g.cols, 0);
  EXPECT_EQ(g.rows, 0);
  EXPECT_EQ(kes_legend_fit(50, 1.25, 2, 10, 3, 0).rows, 0);
}

// A text whose extent is proportional to its height, as a device measures it.
struct linear_text {
  double per_unit;
  double operator()(double h) const { return per_unit * h; }
};

TEST(LabelFit, ATextThatFitsKeepsItsHeight) {
  EXPECT_DOUBLE_EQ(kes_fit_height(2.0, 20, 0.96, linear_text{5}), 2.0);  // 10 <= 19.2
}

TEST(LabelFit, ATextTwiceTheBoxIsHalvedAndThenShrunkUntilItFits) {
  // Extent 40 in a span of 20 (fraction 1): half the height; a measure that grows
  // faster than the height (a fixed 1-unit margin) then needs 0.95 steps.
  EXPECT_DOUBLE_EQ(kes_fit_height(2.0, 20, 1.0, linear_text{20}), 1.0);
  const auto with_margin = [](double h) { return 20 * h + 1; };
  const double h = kes_fit_height(2.0, 20, 1.0, with_margin);
  EXPECT_LE(with_margin(h), 20.0);
  EXPECT_GT(with_margin(h / 0.95), 20.0);  // the last step was needed
}

TEST(LabelFit, TheShrinkLoopEndsForATextThatCanNeverFit) {
  // A measure that never falls below the span: the loop stops after its bound.
  const double h = kes_fit_height(2.0, 20, 0.96, [](double) { return 1e9; });
  EXPECT_GT(h, 0.0);
  EXPECT_NEAR(h, 2.0 * (0.96 * 20 / 1e9) * std::pow(0.95, 64), 1e-20);
}

}  // namespace
