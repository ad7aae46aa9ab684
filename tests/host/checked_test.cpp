// Counts and axis steps made from doubles: every double (NaN, the infinities, values
// past the integers, ranges wider than the largest double) gives a count inside its
// bounds and a finite step, and ordinary values give what the plain expressions give.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>

#include "host/kes_checked.h"

namespace {

TEST(Checked, CountsStayWithinTheirBounds) {
  struct row {
    double v;
    long lo, hi, want;
  };
  const row rows[] = {
      {3.7, 0, 10, 3},          {-3.7, -10, 10, -3},     {NAN, 0, 10, 0},
      {INFINITY, 0, 10, 10},    {-INFINITY, 0, 10, 0},   {-1, 0, 10, 0},
      {1e300, 0, LONG_MAX, LONG_MAX}, {-1e300, LONG_MIN, 0, LONG_MIN},
      {9.223372036854775807e18, 0, LONG_MAX, LONG_MAX},  // 2^63 rounds past LONG_MAX
      {10, 0, 10, 10},          {9.999, 0, 10, 9},
  };
  for (const row& r : rows) EXPECT_EQ(kes_clamped_int(r.v, r.lo, r.hi), r.want) << r.v;
  EXPECT_EQ(kes_clamped_int(-17179869168.0, 0, INT_MAX), 0);
  EXPECT_EQ(kes_clamped_int<std::int16_t>(1e10, 0, INT16_MAX), INT16_MAX);
}

TEST(Checked, StepsAcrossRangesWiderThanTheDoubles) {
  // The plain quotient where the span is finite, bit for bit.
  EXPECT_EQ(kes_steps_between(0.1, 0.7, 0.2), (0.7 - 0.1) / 0.2);
  // -1e308 to 1e308 by 1e308: two steps, though 2e308 is no double.
  EXPECT_EQ(kes_steps_between(-1e308, 1e308, 1e308), 2.0);
  EXPECT_DOUBLE_EQ(kes_steps_between(-DBL_MAX, DBL_MAX, DBL_MAX), 2.0);
  // Ticks: the double nearest the decimal (0.1 + 3 x 0.2 adds up to 0.7000000000000001);
  // past the doubles where it is.
  EXPECT_EQ(kes_tick_at(0.1, 0.2, 3), 0.7);
  EXPECT_EQ(kes_tick_at(-1e308, 1e308, 1), 0.0);
  EXPECT_EQ(kes_tick_at(-1e308, 1e308, 2), 1e308);
  EXPECT_TRUE(std::isinf(kes_tick_at(0, 1e308, 2))) << "a tick past the doubles stays past them";
  // Fractions and step lengths on such an axis (a 400-pixel axis, halves of it).
  EXPECT_EQ(kes_axis_fraction(0, -1e308, 1e308), 0.5);
  EXPECT_EQ(kes_axis_fraction(1e308, -1e308, 1e308), 1.0);
  EXPECT_EQ(kes_axis_fraction(3, 1, 5), 0.5);
  EXPECT_EQ(kes_step_length(1e308, 400, -1e308, 1e308), 200.0);
  EXPECT_EQ(kes_step_length(0.5, 300, 0, 1.5), 0.5 * 300 / 1.5);
  // Pads: 4 % of the span each side, the ends stopping at the largest double.
  double lo = 10, hi = 35;
  kes_pad_range(0.04, &lo, &hi);
  EXPECT_EQ(lo, 10 - 0.04 * 25);
  EXPECT_EQ(hi, 35 + 0.04 * 25);
  lo = -1.7e308, hi = 1.7e308;
  kes_pad_range(0.04, &lo, &hi);
  EXPECT_EQ(lo, -DBL_MAX);
  EXPECT_EQ(hi, DBL_MAX);
  EXPECT_DOUBLE_EQ(kes_range_pad(0.04, -1.7e308, 1.7e308), 0.08 * 1.7e308);
  // A step near the largest double: step x length passes the doubles, the length of a
  // step on the page does not (1e307 of 7e307 drawn 420 long: 60).
  EXPECT_DOUBLE_EQ(kes_step_length(1e307, 420, 1e308, 1.7e308), 60.0);
  EXPECT_DOUBLE_EQ(kes_step_length(1e308, 100, -1.7e308, 1.3e308), 100.0 / 3);
  // Ordinary steps: the plain expression, bit for bit.
  EXPECT_EQ(kes_step_length(0.2, 417.3, 0.1, 0.7), 0.2 * 417.3 / (0.7 - 0.1));
}

}  // namespace
