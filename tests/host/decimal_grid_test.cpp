// Points of a decimal grid are the doubles nearest their decimals: over nice widths
// u x 10^e (e from -9 to 12, and near 1e306), offsets 0, 1e6, 1.7e9, 1e15, 1e306 and
// their negatives, midpoint grids (a half width off the width's multiples) and
// endpoint grids, every point and every half point (an edge between midpoints) equals
// strtod of its decimal, computed here in integers apart from any double.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "exact_decimal.h"
#include "host/kes_checked.h"
#include "host/kes_decimal_grid.h"

namespace {

using kes_test_decimal::digits;
using kes_test_decimal::nearest;

constexpr int kNice10[] = {10, 12, 15, 20, 25, 30, 40, 50, 60, 80};  // u x 10

// A grid of width u10 x 10^(e-1) near `offset` (a whole number of 10^oq): its first
// point and every point k = -3 .. 40 by halves as doubles nearest their decimals.
struct grid_case {
  long long offset;  // the offset's digits
  int oq;            // and its power of ten
};
const grid_case kOffsets[] = {{0, 0},   {1, 6},  {17, 8},  {1, 15},  {1, 306},
                              {-1, 6}, {-17, 8}, {-1, 15}, {-1, 306}};

// Half widths a point's rounding cannot tell apart: the grid is not one of doubles.
bool distinct(double first, double width, double span) {
  const double big = std::fabs(first) + span;
  return width / 2 >= 4 * (std::nextafter(big, INFINITY) - big);
}

TEST(DecimalGrid, EveryPointIsTheDoubleNearestItsDecimal) {
  int checked = 0;
  for (const grid_case& o : kOffsets)
    for (int e = -9; e <= 305; e = e == 12 ? 295 : e + 1)
      for (int u10 : kNice10)
        for (const bool midpoints : {true, false}) {
          // Units of 10^(e-2): the width is u10 x 10, its half u10 x 5.
          const int q = e - 2;
          if (o.oq - q > 36 || (o.offset != 0 && o.oq < q)) continue;
          __int128 off = o.offset;
          for (int i = q; i < o.oq; ++i) off *= 10;
          const __int128 w = u10 * 10, h = u10 * 5;
          const __int128 first = off / w * w + (midpoints ? h : 0);
          const double df = nearest(first, q), dw = nearest(w, q);
          if (!std::isfinite(df) || !distinct(df, dw, 41 * dw)) continue;
          for (int k2 = -6; k2 <= 80; ++k2) {
            const double want = nearest(first + k2 * h, q);
            const double got = kes_grid_point(df, k2 / 2.0, dw);
            ASSERT_EQ(got, want) << digits(first) << "e" << q << " by " << digits(w) << "e" << q << " point "
                                 << k2 / 2.0;
            if (k2 % 2 == 0) {
              ASSERT_EQ(kes_tick_at(df, dw, k2 / 2), want);
            }
            ++checked;
          }
        }
  EXPECT_GT(checked, 50000);
}

// The sum of doubles the points replace was off at these (the first point 3.45 of bins
// of width 0.3 from 3.3; a list from -2 by 0.4).
TEST(DecimalGrid, EverydayPointsReadTheirDecimals) {
  EXPECT_EQ(kes_grid_point(3.45, 1, 0.3), 3.75);
  EXPECT_EQ(kes_grid_point(3.45, 2, 0.3), 4.05);
  EXPECT_EQ(kes_grid_point(3.3, 0.5, 0.3), 3.45);
  EXPECT_EQ(kes_grid_point(-2, 3, 0.4), -0.8);
  EXPECT_EQ(kes_grid_point(0.1, 2, 0.1), 0.3);
  EXPECT_EQ(kes_grid_point(1000000000.005, 4, 0.01), 1000000000.045);
  EXPECT_EQ(kes_grid_point(1e15 + 0.25, 3, 0.5), 1e15 + 1.75);
  // Zero is zero, with no sign.
  EXPECT_FALSE(std::signbit(kes_grid_point(-0.9, 3, 0.3)));
}

// Where the first point or the step is no short decimal the points are the sums of
// doubles they were; a point past the doubles' integers too.
TEST(DecimalGrid, OtherGridsKeepTheirSums) {
  const double third = 1.0 / 3;
  EXPECT_EQ(kes_grid_point(0.5, 7, third), 0.5 + 7 * third);
  EXPECT_EQ(kes_grid_point(third, 7, 0.5), third + 7 * 0.5);
  EXPECT_EQ(kes_grid_point(1, 0.25, 0.5), 1 + 0.25 * 0.5);
  // Bins from -1.75e308 by 2.5e307 reach the largest doubles without overflow.
  EXPECT_EQ(kes_grid_point(-1.75e308, 14, 2.5e307), 1.75e308);
  EXPECT_FALSE(kes_decimal_grid::of(NAN, 1).exact);
  EXPECT_FALSE(kes_decimal_grid::of(1, 0).exact);
}

TEST(DecimalGrid, WidthsOfListedPointsAreTheirDecimalsApart) {
  EXPECT_EQ(kes_decimal_difference(0.2, 0.3), 0.1);
  EXPECT_EQ(kes_decimal_difference(1000000000.005, 1000000000.015), 0.01);
  EXPECT_EQ(kes_decimal_difference(-1.5, 2), 3.5);
  EXPECT_EQ(kes_decimal_difference(1, 1.0 + 1.0 / 3), (1.0 + 1.0 / 3) - 1);  // no short decimal
}

TEST(DecimalGrid, NiceWidthsAndDecadeMultiples) {
  EXPECT_EQ(kes_nice_double(0.30000000000000004), 0.3);
  EXPECT_EQ(kes_nice_double(1.2000000000000002e-7), 1.2e-7);
  EXPECT_EQ(kes_nice_double(2.4999999999999996e300), 2.5e300);
  for (int k = -307; k <= 305; ++k)
    for (int u10 : kNice10) ASSERT_EQ(kes_decade_multiple(u10 / 10.0, k, NAN), nearest(u10, k - 1)) << u10 << " " << k;
  // Below the normal doubles the product stands.
  EXPECT_EQ(kes_decade_multiple(2.5, -320, 2.5 * 1e-320), 2.5 * 1e-320);
}

}  // namespace
