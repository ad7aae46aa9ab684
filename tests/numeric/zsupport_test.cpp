// Tests of the ends of a law's support (src/numeric/zsupport.h): the edges at, just
// inside and just outside 1e-7 of the law's unit from an end, a NaN and infinities;
// over generated values, that the edge is the difference x - theta against the margin;
// and that the data moved by c keep the same points inside (curve heights of x + c are
// the heights of x).
#include "numeric/zsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTiny = std::numeric_limits<double>::denorm_min();

double up(double x) { return std::nextafter(x, kInf); }
double down(double x) { return std::nextafter(x, -kInf); }

struct EdgeRow {
  double x, end, unit;
  bool outside;
};
}  // namespace

// Edges by hand.  With the end 0 the margin itself is the edge: 1e-7 (unit 1) and 1e-6
// (unit 10, 10 x 1e-7 rounding to 1e-6) are outside, the next doubles inside.  With the
// end 2 and unit 1 the last double outside is 2.0000001 (its distance from 2 is
// 9.99999998e-8) and the next one is inside; with the end -2, -1.9999999000000002 and the
// next one, -1.9999999.  A zero unit leaves no margin.
TEST(ZSupport, LowerEdge) {
  const EdgeRow rows[] = {
      {1e-7, 0.0, 1.0, true},        {up(1e-7), 0.0, 1.0, false},    {1e-6, 0.0, 10.0, true},
      {up(1e-6), 0.0, 10.0, false},  {2.0000001, 2.0, 1.0, true},    {up(2.0000001), 2.0, 1.0, false},
      {2.0, 2.0, 1.0, true},         {1.0, 2.0, 1.0, true},          {3.0, 2.0, 1.0, false},
      {-1.9999999000000002, -2.0, 1.0, true}, {-1.9999999, -2.0, 1.0, false}, {-2.0, -2.0, 1.0, true},
      {0.0, 0.0, 0.0, true},         {kTiny, 0.0, 0.0, false},       {-kTiny, 0.0, 0.0, true},
      // Far from 0 the margin stays in the unit: 1.7e9 + 2^-20 lies inside above 1.7e9.
      {1.7e9 + 0x1p-20, 1.7e9, 1.0, false}, {1.7e9, 1.7e9, 1.0, true},
      // A NaN on any side is outside.
      {kNaN, 2.0, 1.0, true},        {2.5, kNaN, 1.0, true},         {2.5, 2.0, kNaN, true},
      // Infinities: an infinite distance has no finite density.
      {kInf, 2.0, 1.0, true},        {-kInf, 2.0, 1.0, true},        {kInf, kInf, 1.0, true},
      {1e308, kInf, 1.0, true},      {0.0, -kInf, 1.0, true},        {2.5, 2.0, kInf, true},
  };
  for (const EdgeRow& r : rows)
    EXPECT_EQ(zbelow_support(r.x, r.end, r.unit), r.outside) << r.x << " above " << r.end << " in " << r.unit;
}

// The upper end is theta + sigma; here theta is the row's end and sigma its unit.  With
// theta 2 and sigma 1 the last double outside below 3 is 2.9999999.
TEST(ZSupport, UpperEdge) {
  const EdgeRow rows[] = {
      {2.9999999, 2.0, 1.0, true},   {down(2.9999999), 2.0, 1.0, false}, {3.0, 2.0, 1.0, true},
      {4.0, 2.0, 1.0, true},         {2.5, 2.0, 1.0, false},             {1.0, 2.0, 1.0, false},
      {1.0 - 1e-7, 0.0, 1.0, true},  {down(1.0 - 1e-7), 0.0, 1.0, false},
      {1.7e9 + 1.0 - 0x1p-20, 1.7e9, 1.0, false}, {1.7e9 + 1.0, 1.7e9, 1.0, true},
      {kNaN, 2.0, 1.0, true},        {1.5, kNaN, 1.0, true},             {1.5, 1.0, kNaN, true},
      {-kInf, 2.0, 1.0, true},       {kInf, 2.0, 1.0, true},             {2.5, 2.0, kInf, true},
  };
  for (const EdgeRow& r : rows)
    EXPECT_EQ(zabove_support(r.x, r.end, r.unit), r.outside) << r.x << " below " << r.end << " + " << r.unit;
}

// For finite values each end is the one difference against the margin, also one step
// either side of the edge.
TEST(ZSupport, TheEdgeIsTheDifferenceAgainstTheMargin) {
  std::mt19937_64 gen(68);
  std::uniform_real_distribution<double> mant(-1.0, 1.0);
  std::uniform_int_distribution<int> expo(-60, 60);
  for (int i = 0; i < 20000; ++i) {
    const double end = std::ldexp(mant(gen), expo(gen)), unit = std::ldexp(std::fabs(mant(gen)), expo(gen));
    const double lo = end + 1e-7 * unit, hi = end + unit - 1e-7 * unit;
    for (const double x : {down(lo), lo, up(lo), down(hi), hi, up(hi), end, -end}) {
      ASSERT_EQ(zbelow_support(x, end, unit), !(x - end > 1e-7 * unit)) << x << " " << end << " " << unit;
      ASSERT_EQ(zabove_support(x, end, unit), !(unit - (x - end) > 1e-7 * unit)) << x << " " << end << " " << unit;
    }
  }
}

// The data moved by c: a point d above the threshold is inside or outside alike at
// every offset, where the moved values are exact (d and the threshold in eighths, the
// offsets whole numbers: the spacing of the doubles at 1e15 is 1/8).  A margin relative
// to the threshold put every point of a range of 25 outside at 1.7e9 (170).
TEST(ZSupport, MovedDataKeepTheirPointsInside) {
  const double offsets[] = {0.0, 1e6, 1.7e9, 1e15};
  const double thetas[] = {0.0, 50.5, -12.375};
  const double units[] = {6.478729, 1.0, 25.0, 1e-3};
  for (const double c : offsets)
    for (const double theta : thetas)
      for (const double unit : units)
        for (int k = -16; k <= 400; ++k) {
          const double d = k / 8.0;
          const double x = theta + d, xc = (theta + c) + d;
          ASSERT_EQ(xc - (theta + c), d);  // the moved values are exact
          ASSERT_EQ(zbelow_support(xc, theta + c, unit), zbelow_support(x, theta, unit)) << c << " " << d;
          ASSERT_EQ(zabove_support(xc, theta + c, unit), zabove_support(x, theta, unit)) << c << " " << d;
          // Inside whenever the point is a whole eighth above the end and below the
          // upper end of a law 25 wide.
          if (k >= 1) {
            ASSERT_FALSE(zbelow_support(xc, theta + c, unit)) << c << " " << d << " " << unit;
          }
        }
}
