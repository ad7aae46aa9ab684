// Margins, page geometry and transforms of a histogram laid out on the stand-in's
// vector device with its deterministic text metric: the worked numeric cases (gap,
// margins, offsets, tick units, bar widths) and the invariants that tie the page
// together (the plot area fills the page between the spaces around it, the bars fill
// the plot area, bin midpoints map to bar centres, the axis ends to the plot edges),
// with ORIGIN= and LENGTH= of axis definitions and the notes of pages that are too
// small.
#include <gtest/gtest.h>

#include <cmath>

#include "chart_fixture.h"
#include "devgraph/chart_layout.h"
#include "kes_gram_names.h"

namespace devgraph_test {
namespace {

constexpr int kNoRoom = 2000;

class ChartLayout : public chart_fixture {};

TEST_F(ChartLayout, VectorDeviceWithLabelHeightTwo) {
  stmt.num(KES_PLOT_SLOT_HEIGHT, 2);
  bins(10, 5, 10, 25, 5);
  margins();
  const double a = 0.75;
  EXPECT_DOUBLE_EQ(c.label_h, 2);
  EXPECT_DOUBLE_EQ(c.lmargin, 1.0);
  EXPECT_DOUBLE_EQ(c.rmargin, 1.0);
  EXPECT_DOUBLE_EQ(lay.haxis.offset[0], 0.6);             // 0.3 x h0
  EXPECT_DOUBLE_EQ(lay.haxis.offset[1], 0.6);             // after = before
  EXPECT_DOUBLE_EQ(lay.vaxis.offset[0], 0);
  EXPECT_DOUBLE_EQ(lay.vaxis.offset[1], 0.6 / a);
  EXPECT_DOUBLE_EQ(c.htick_unit, 1.0);
  EXPECT_DOUBLE_EQ(c.vtick_unit, 1.0 / a);
  EXPECT_DOUBLE_EQ(c.linegap, 0.4);
  EXPECT_DOUBLE_EQ(c.hcellgap, 0.75);                     // no INTERTILE=
  EXPECT_DOUBLE_EQ(c.vcellgap, 0.75 / a);
  EXPECT_DOUBLE_EQ(c.vgap_tv, 0.5 * dev.cell_h);
  EXPECT_DOUBLE_EQ(c.hgap_tv, 0.5 * dev.cell_h * a);
  EXPECT_DOUBLE_EQ(c.bmargin, 1.0 / a);                   // the page area starts at 0
  EXPECT_DOUBLE_EQ(lay.vaxis.major_len, std::fmin(0.4 * dev.cell_h, 1.0));
  EXPECT_DOUBLE_EQ(lay.haxis.major_len, lay.vaxis.major_len / a);
  EXPECT_DOUBLE_EQ(lay.haxis.minor_len, lay.haxis.major_len / 2);
  EXPECT_DOUBLE_EQ(c.vlabroom, 2 * a);                    // h0 x a without a label definition
  // Tick values: 0 .. 25 by 5 need no decimals; the widest is "25" (or "20").
  EXPECT_FALSE(c.vstyle.exponent || c.vstyle.own);
  EXPECT_EQ(c.vstyle.decimals, 0);
  EXPECT_GT(slot.vwidest, 0);
  EXPECT_FALSE(c.hstyle.exponent || c.hstyle.own);
  EXPECT_EQ(c.hstyle.decimals, 0);
  EXPECT_GT(c.hwidest, 0);
}

TEST_F(ChartLayout, BottomMarginAwayFromThePageEdgeAndIntertile) {
  page[1] = 5;
  stmt.num(KES_PLOT_SLOT_INTERTILE, -1);
  bins(10, 5, 10, 25, 5);
  margins();
  EXPECT_DOUBLE_EQ(c.bmargin, 0.25 * dev.cell_h);
  EXPECT_DOUBLE_EQ(c.tmargin, 0.25 * dev.cell_h);
  EXPECT_DOUBLE_EQ(c.hcellgap, 0);                        // INTERTILE=-1: edge to edge
}

TEST_F(ChartLayout, BarLabelsMakeRoomAboveTheBars) {
  stmt.num(KES_PLOT_SLOT_HEIGHT, 2).num(KES_PLOT_SLOT_INHEIGHT, 3);
  stmt.slots[KES_PLOT_SLOT_BARLABEL].given = 1;
  bins(10, 5, 10, 25, 5);
  margins();
  // 0.3 x 2 / a plus the bar-label room 3 + min(1.5, 1.0).
  EXPECT_DOUBLE_EQ(lay.vaxis.offset[1], 0.6 / 0.75 + 4.0);
}

TEST_F(ChartLayout, ThePlotAreaFillsThePageAndTheBarsFillThePlotArea) {
  bins(10, 5, 10, 25, 5);
  ASSERT_EQ(lay_out(), 0);
  EXPECT_EQ(notes(), "");
  EXPECT_EQ(c.pages, 1);
  // Vertically: bottom space, plot area and top space make the page.
  EXPECT_NEAR(c.oy, page[1] + c.bspace, 1e-12);
  EXPECT_NEAR(c.bspace + c.height + c.tspace, page[3] - page[1], 1e-12);
  // Horizontally: the plot area ends where the right offset and margin begin.
  EXPECT_NEAR(c.ox + c.width + lay.haxis.offset[1] + c.rmargin, page[2], 1e-12);
  EXPECT_NEAR(c.ox, page[0] + c.lmargin + lay.haxis.offset[0] + c.vlabroom + c.htick_unit + slot.vwidest +
                        c.hgap_tv + lay.vaxis.major_len,
              1e-12);
  // Ten bars without gaps fill the width; midpoint i is bar i's centre.
  EXPECT_NEAR(c.barwidth * 10, c.width, 1e-12);
  EXPECT_EQ(c.bargap, 0);
  for (int i = 0; i < 10; ++i)
    EXPECT_NEAR((5 + 10 * i) * lay.xscale + lay.xoffset, c.ox + (i + 0.5) * c.barwidth, 1e-9) << i;
  // The vertical axis' ends are the plot area's bottom and top.
  EXPECT_NEAR(0 * lay.yscale + lay.yoffset, c.oy, 1e-12);
  EXPECT_NEAR(25 * lay.yscale + lay.yoffset, c.oy + c.height, 1e-9);
  // The axis lines start at the framed area's lower-left corner.
  EXPECT_NEAR(c.hx.start[0], c.ox - lay.haxis.offset[0], 1e-12);
  EXPECT_NEAR(c.vx.start[1], c.oy - lay.vaxis.offset[0], 1e-12);
}

TEST_F(ChartLayout, InterbarGivesEqualGapsAndKeepsCentresOnMidpoints) {
  stmt.num(KES_PLOT_SLOT_INTERBAR, 2);
  bins(10, 5, 10, 25, 5);
  ASSERT_EQ(lay_out(), 0);
  EXPECT_NEAR(c.barwidth, (c.width - 9 * 2) / 10, 1e-12);
  for (int i = 0; i < 10; ++i)
    EXPECT_NEAR((5 + 10 * i) * lay.xscale + lay.xoffset, c.ox + i * (c.barwidth + 2) + c.barwidth / 2, 1e-9) << i;
}

TEST_F(ChartLayout, APageTooSmallIsNotDrawn) {
  page[0] = 0, page[2] = 3;  // three percent of the width
  bins(10, 5, 10, 25, 5);
  EXPECT_EQ(lay_out(), kNoRoom);
  EXPECT_EQ(notes(), "439/176");
  kes_test::note_recorder::clear();
  page[2] = 100, page[1] = 96;  // four percent of the height
  stmt.num(KES_PLOT_SLOT_NROWS, 1);
  EXPECT_EQ(lay_out(), kNoRoom);
  // NROWS= was given: fewer rows a page may make the graph fit.
  EXPECT_EQ(notes(), "439/176 439/177");
}

TEST_F(ChartLayout, OriginOfAnAxisDefinitionPlacesTheAxisLines) {
  lay.haxis.origin[0] = 30, lay.haxis.origin[1] = 25;
  bins(10, 5, 10, 25, 5);
  ASSERT_EQ(lay_out(), 0);
  EXPECT_NEAR(c.hx.start[0], 30, 1e-12);
  EXPECT_NEAR(c.vx.start[1], 25, 1e-12);
  EXPECT_NEAR(c.vx.start[0], 30, 1e-12);
}

TEST_F(ChartLayout, OriginsThatLeaveNoRoomForTheTexts) {
  lay.haxis.origin[0] = 1;
  bins(10, 5, 10, 25, 5);
  EXPECT_EQ(lay_out(), kNoRoom);
  EXPECT_EQ(notes(), "189/299");
  kes_test::note_recorder::clear();
  lay.haxis.origin[0] = -1;
  lay.vaxis.origin[1] = 1;
  EXPECT_EQ(lay_out(), kNoRoom);
  EXPECT_EQ(notes(), "189/300");
}

TEST_F(ChartLayout, LengthCentresTheAxisOrNotesWhatIsMissing) {
  bins(10, 5, 10, 25, 5);
  ASSERT_EQ(lay_out(), 0);
  const double free_width = c.width, free_left = c.lmargin, free_right = c.rmargin;
  const double free_height = c.height;
  lay.haxis.length = 50;
  lay.vaxis.length = 40;
  lay.haxis.offset[0] = lay.haxis.offset[1] = lay.vaxis.offset[0] = lay.vaxis.offset[1] = -1;
  lay.haxis.major_len = lay.vaxis.major_len = lay.haxis.minor_len = lay.vaxis.minor_len = -1;
  ASSERT_EQ(lay_out(), 0);
  EXPECT_NEAR(c.width + lay.haxis.offset[0] + lay.haxis.offset[1], 50, 1e-12);
  const double spare = free_width - c.width;
  EXPECT_NEAR(c.lmargin - free_left, spare / 2, 1e-9);
  EXPECT_NEAR(c.rmargin - free_right, spare / 2, 1e-9);
  EXPECT_NEAR(c.height + lay.vaxis.offset[0] + lay.vaxis.offset[1], 40, 1e-12);
  EXPECT_LT(c.height, free_height);
  EXPECT_EQ(notes(), "");
  // Longer than the page: the note, and the axis keeps the room there is.
  lay.haxis.length = 150;
  lay.vaxis.length = -1;
  lay.haxis.offset[0] = lay.haxis.offset[1] = lay.vaxis.offset[0] = lay.vaxis.offset[1] = -1;
  ASSERT_EQ(lay_out(), 0);
  EXPECT_EQ(notes(), "189/301");
  EXPECT_NEAR(c.width, free_width, 1e-9);
}

}  // namespace
}  // namespace devgraph_test
