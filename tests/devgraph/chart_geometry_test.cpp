// The page geometry's arithmetic on its own: page counts of layouts of cells, bar
// widths and gaps with INTERBAR= and BARWIDTH= and their notes, the data-to-device
// transforms, the thinning of tick values and the zero snap. Every expected value is
// worked out by hand from the rules the comments give.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "devgraph/chart_geometry.h"
#include "records/kes_layout.h"
#include "devgraph/tick_text.h"
#include "support/hand_request.h"
#include "support/note_recorder.h"

namespace {

using kes_test::note_recorder;

struct pages_case {
  int nclass, l1, l2, nr, nc, pages;
};

TEST(PageCount, RowsColumnsAndLevels) {
  const pages_case cases[] = {
      {0, 1, 1, 0, 0, 1},  // a single plot
      {1, 5, 1, 2, 0, 3},  // five levels, two rows a page: 2, 2, 1
      {1, 7, 1, 3, 0, 3},  // seven levels, three rows: 3, 3, 1
      {1, 5, 1, 0, 2, 3},  // columns when rows are not asked for
      {1, 4, 1, 1, 1, 4},  // one cell a page
      {2, 3, 3, 2, 2, 4},  // 3 x 3 levels in 2 x 2 pages
      {2, 3, 3, 1, 2, 6},  // every row a page, columns by two
      {2, 3, 3, 2, 1, 6},
      {2, 3, 3, 1, 1, 9},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kes_page_count(c.nclass, c.l1, c.l2, c.nr, c.nc), c.pages)
        << c.nclass << " " << c.l1 << "x" << c.l2 << " nr=" << c.nr << " nc=" << c.nc;
}

TEST(PageCount, RowsThatFitGiveEachCellMoreThanACharacter) {
  struct row {
    double extent, gap, unit;
    int fit;
  };
  // By hand: n cells fit while extent - (n - 1) gap > n unit.
  const row rows[] = {
      {100, 10, 10, 5},   // 5: 100 - 40 = 60 > 50; 6 would leave 50, not more than 60
      {100, 0, 10, 9},    // 10 cells of exactly 10 are not taller than 10
      {100, 0, 9.9, 10},  // ... of 10 are taller than 9.9
      {15, 5, 10, 1},     // one cell of 15
      {10, 5, 10, 0},     // not even one
      {0, 5, 10, 0},
  };
  for (const row& r : rows)
    EXPECT_EQ(kes_rows_that_fit(r.extent, r.gap, r.unit), r.fit) << r.extent << " " << r.gap << " " << r.unit;
}

struct bar_case {
  const char* what;
  double width;
  int nbins;
  bool interbar_given;
  double interbar;
  bool barwidth_given;
  double barwidth;
  bool curves;
  double bar, gap;
  const char* notes;
};

// The notes go through the stand-in host of a step.
class BarLayout : public kes_test::hand_request {};

TEST_F(BarLayout, WidthsGapsAndNotes) {
  const bar_case cases[] = {
      {"ten bins in 60", 60, 10, false, 0, false, 0, false, 6, 0, ""},
      {"INTERBAR=2: (60 - 9 x 2) / 10", 60, 10, true, 2, false, 0, false, 4.2, 2, ""},
      {"INTERBAR= too wide: no gaps", 60, 10, true, 10, false, 0, false, 6, 0, "189/331"},
      {"negative INTERBAR= counts as none", 60, 10, true, -1, false, 0, false, 6, 0, ""},
      {"BARWIDTH=8 is not smaller than 6", 60, 10, false, 0, true, 8, false, 6, 0, "439/178 189/330"},
      {"BARWIDTH=4: the gap takes the rest", 60, 10, false, 0, true, 4, false, 4, 20.0 / 9, ""},
      {"BARWIDTH= with INTERBAR=", 60, 10, true, 1, true, 4, false, 5.1, 1, "431/771"},
      {"one bin: no gap to divide", 60, 1, false, 0, true, 20, false, 20, 40, ""},
      {"curves over gaps", 60, 10, true, 2, false, 0, true, 4.2, 2, "189/332"},
      {"curves without gaps", 60, 10, false, 0, false, 0, true, 6, 0, ""},
  };
  for (const auto& c : cases) {
    note_recorder::clear();
    double bar = -1, gap = -1;
    kes_bar_layout(c.width, c.nbins, c.interbar_given, c.interbar, c.barwidth_given, c.barwidth, c.curves, &bar, &gap);
    EXPECT_NEAR(bar, c.bar, 1e-12) << c.what;
    EXPECT_NEAR(gap, c.gap, 1e-12) << c.what;
    EXPECT_EQ(note_recorder::keys(), c.notes) << c.what;
    EXPECT_TRUE(std::isfinite(bar) && std::isfinite(gap)) << c.what;
  }
}

kes_transform_in histogram(double width, double bar, double gap, bool endpoints) {
  kes_transform_in in{};
  in.histogram = true;
  in.endpoints = endpoints;
  in.ox = 10, in.oy = 20, in.width = width, in.height = 50;
  in.xmin = 5, in.xmax = 95, in.binwidth = 10;
  in.npoints = endpoints ? 11 : 10;
  in.barwidth = bar, in.bargap = gap;
  in.vmin = 0, in.vmax = 25;
  return in;
}

TEST(Transforms, BarCentresFallOnTheirMidpoints) {
  // Ten midpoints 5, 15, ..., 95 in width 60 without gaps: scale 60 / (10 x 10), half
  // a bin of shift, so midpoint 5 maps to the first bar's centre at 10 + 3.
  double sx = 0, ox = 0, sy = 0, oy = 0;
  kes_transforms(histogram(60, 6, 0, false), &sx, &ox, &sy, &oy);
  EXPECT_DOUBLE_EQ(sx, 0.6);
  EXPECT_DOUBLE_EQ(5 * sx + ox, 13);
  EXPECT_DOUBLE_EQ(95 * sx + ox, 13 + 9 * 6);
  EXPECT_DOUBLE_EQ(sy, 2);
  EXPECT_DOUBLE_EQ(0 * sy + oy, 20);
  // INTERBAR=2: bars 4.2 wide, 6.2 apart; the centres stay on the midpoints.
  kes_transforms(histogram(60, 4.2, 2, false), &sx, &ox, &sy, &oy);
  for (int i = 0; i < 10; ++i) EXPECT_NEAR((5 + 10 * i) * sx + ox, 10 + 2.1 + 6.2 * i, 1e-12) << i;
  // Endpoints 0, 10, ..., 100: the first endpoint at the plot's left edge.
  kes_transform_in e = histogram(60, 6, 0, true);
  e.xmin = 0, e.xmax = 100;
  kes_transforms(e, &sx, &ox, &sy, &oy);
  EXPECT_DOUBLE_EQ(0 * sx + ox, 10);
  EXPECT_DOUBLE_EQ(100 * sx + ox, 70);
}

TEST(Transforms, DegenerateRangesStayFinite) {
  // A flat vertical range, a zero bin width and a single endpoint: no division by 0.
  double sx = 7, ox = 7, sy = 7, oy = 7;
  kes_transform_in in = histogram(60, 6, 0, false);
  in.vmin = in.vmax = 3;
  in.binwidth = 0;
  kes_transforms(in, &sx, &ox, &sy, &oy);
  EXPECT_TRUE(std::isfinite(sx) && std::isfinite(ox) && std::isfinite(sy) && std::isfinite(oy));
  in = histogram(60, 6, 0, true);
  in.npoints = 1;  // one endpoint: no bin to lay out, the transforms are left alone
  sx = ox = sy = oy = 7;
  kes_transforms(in, &sx, &ox, &sy, &oy);
  EXPECT_EQ(sx, 7);
  EXPECT_EQ(oy, 7);
}

// A plot's axes in every decade the doubles reach: each axis's ends fall on the plot
// area's edges, through kes_page_x and kes_page_y. Subnormal spans gave a scale past the
// largest double, and every point was drawn nowhere.
TEST(Transforms, AxisEndsFallOnTheEdgesInEveryDecade) {
  for (int e = -323; e <= 307; e += 2) {
    const double hi = std::strtod(("9e" + std::to_string(e)).c_str(), nullptr);
    for (const double lo : {0.0, hi / 3}) {
      SCOPED_TRACE(testing::Message() << lo << " " << hi);
      kes_transform_in in{};
      in.ox = 10, in.oy = 20, in.width = 400, in.height = 300;
      in.xmin = lo, in.xmax = hi, in.step = (hi - lo) / 4;
      in.vmin = lo, in.vmax = hi;
      kes_layout lay{};
      kes_transforms(in, &lay.xscale, &lay.xoffset, &lay.yscale, &lay.yoffset, &lay.xexp, &lay.yexp);
      ASSERT_TRUE(std::isfinite(lay.xscale) && std::isfinite(lay.yscale));
      EXPECT_NEAR(kes_page_x(&lay, lo), 10, 1e-6);
      EXPECT_NEAR(kes_page_x(&lay, hi), 410, 0.01);
      EXPECT_NEAR(kes_page_y(&lay, lo), 20, 1e-6);
      EXPECT_NEAR(kes_page_y(&lay, hi), 320, 0.01);
      EXPECT_NEAR(kes_data_y(&lay, 320), hi, 1e-4 * hi);
      // Ordinary spans keep the plain transform, bit for bit.
      if (e > -300) {
        EXPECT_EQ(lay.xexp, 0);
        EXPECT_EQ(lay.yexp, 0);
      }
    }
  }
}

TEST(TickThinning, EveryThirdValueWhenAValueNeedsTwoAndAHalfSpacings) {
  EXPECT_EQ(kes_label_step(2.5, 1.0), 2);   // ceil(2.5 - 1) = 2: every third tick
  EXPECT_EQ(kes_label_step(1.0, 1.0), 0);   // exactly one spacing: every tick
  EXPECT_EQ(kes_label_step(0.3, 1.0), 0);
  EXPECT_EQ(kes_label_step(3.2, 1.0), 3);
  EXPECT_EQ(kes_label_step(5.0, 0.0), 0);   // no spacing: nothing to thin by
  EXPECT_EQ(kes_label_step(5.0, -1.0), 0);
}

TEST(TickValues, ZeroSnapAndDecimals) {
  // On an axis from -1 to 1 the tolerance is 1 x 2^-26.5 x 1000.
  const double e = 1 * 1.0536712127723509e-08 * 1000;
  EXPECT_EQ(kes_tick_snap(1e-17, e), 0.0);
  EXPECT_EQ(kes_tick_snap(-1e-6, e), 0.0);
  EXPECT_EQ(kes_tick_snap(2e-5, e), 2e-5);
  // A range that runs backwards writes each value alone.
  EXPECT_TRUE(kes_axis_tick_style(5, 1, 1, 0).own);
}

// A tick walk is counted before it starts: a step that is zero, NaN, infinite or past
// the page (an axis whose end passed the doubles gave a step of 0, and the walk drew a
// million ticks in place) walks nowhere; every count is at most KES_MAX_TICKS, and it
// never cuts off a tick that lies on the axis.
TEST(TickCount, BoundedWhateverTheStepAndCoversTheAxis) {
  const double inf = HUGE_VAL, nan = std::nan("");
  struct row {
    double length, inc;
    long count;  // by hand: floor((length + slack) / inc) + 2, at most KES_MAX_TICKS
  };
  const row rows[] = {
      {22.8, 0, 0}, {22.8, -1, 0}, {22.8, nan, 0}, {22.8, inf, 0}, {inf, 1, 0}, {nan, 1, 0}, {-1, 1, 0},
      {22.8, 5, 6}, {10, 2.5, 6}, {0, 1, 2}, {22.8, 1e-300, KES_MAX_TICKS}, {22.8, 4.9e-324, KES_MAX_TICKS},
      {1e300, 1e-300, KES_MAX_TICKS}, {22.8, 1e300, 2},
  };
  for (const row& r : rows) EXPECT_EQ(kes_tick_count(r.length, r.inc), r.count) << r.length << " " << r.inc;
  // Over generated lengths and steps: the walk's ticks on the axis all fit the count.
  unsigned seed = 12345;
  for (int k = 0; k < 2000; ++k) {
    seed = seed * 1103515245u + 12345u;
    const double length = (seed >> 8) % 1000 / 7.0;
    seed = seed * 1103515245u + 12345u;
    const double inc = std::ldexp(1 + (seed >> 8) % 1000 / 1000.0, static_cast<int>((seed >> 4) % 40) - 20);
    const long n = kes_tick_count(length, inc);
    ASSERT_GE(n, 0);
    ASSERT_LE(n, KES_MAX_TICKS);
    long on_axis = 0;
    for (long i = 0; i <= KES_MAX_TICKS && i * inc <= length + KES_TICK_SLACK; ++i) ++on_axis;
    if (on_axis <= KES_MAX_TICKS) {
      EXPECT_GE(n, on_axis) << length << " " << inc;
    }
  }
}

}  // namespace
