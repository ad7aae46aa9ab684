// The part of a reference line y = a + b x inside a box: hand-computed segments, lines
// that pass beside the box, and lines through data near the largest double, where
// a + b x at the box's ends passes the doubles; over generated lines and boxes, the
// ends lie in the box and on the line, and a box and line scaled alike by a power of
// two give the segment scaled.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "host/kes_line_box.h"

namespace {

struct line_row {
  const char* what;
  double a, b, xlo, xhi, ylo, yhi;
  bool seen;
  double x1, y1, x2, y2;  // by hand
};

TEST(LineBox, SegmentsByHand) {
  const line_row rows[] = {
      {"y = x across the unit box", 0, 1, 0, 1, 0, 1, true, 0, 0, 1, 1},
      {"y = 2x leaves by the top at x = 0.5", 0, 2, 0, 1, 0, 1, true, 0, 0, 0.5, 1},
      {"y = 1 - x, falling", 1, -1, 0, 1, 0, 1, true, 0, 1, 1, 0},
      {"y = x - 3 enters at the bottom, x = 3", -3, 1, 0, 4, 0, 10, true, 3, 0, 4, 1},
      {"y = 0.5, level", 0.5, 0, -2, 2, 0, 1, true, -2, 0.5, 2, 0.5},
      {"y = 5, level above the box", 5, 0, -2, 2, 0, 1, false, 0, 0, 0, 0},
      {"y = x + 5 passes above the box", 5, 1, 0, 1, 0, 1, false, 0, 0, 0, 0},
      // Mu 1.35e308 and sigma 2.06e307 over quantiles -3 to 3: a + 3 b = 1.968e308 is no
      // double; the line leaves by the top where 1.35e308 + 2.06e307 x = 1.7e308.
      {"a line through data near the largest double", 1.35e308, 2.06e307, -3, 3, 1e308, 1.7e308, true,
       (1e308 - 1.35e308) / 2.06e307, 1e308, (1.7e308 - 1.35e308) / 2.06e307, 1.7e308},
      // The same falling: the data's negatives against the quantiles.
      {"its mirror", -1.35e308, -2.06e307, -3, 3, -1.7e308, -1e308, true, (1e308 - 1.35e308) / 2.06e307, -1e308,
       (1.7e308 - 1.35e308) / 2.06e307, -1.7e308},
      {"a box from -DBL_MAX to DBL_MAX", 0, 1e308, -1, 1, -DBL_MAX, DBL_MAX, true, -1, -1e308, 1, 1e308},
      {"a slope past the box's every scale", 0, DBL_MAX, -1, 1, -1, 1, true, -1 / DBL_MAX, -1, 1 / DBL_MAX, 1},
      {"a missing intercept", NAN, 1, 0, 1, 0, 1, false, 0, 0, 0, 0},
      {"an infinite slope", 0, INFINITY, 0, 1, 0, 1, false, 0, 0, 0, 0},
      {"a box whose end is infinite", 0, 1, 0, INFINITY, 0, 1, false, 0, 0, 0, 0},
  };
  for (const line_row& r : rows) {
    SCOPED_TRACE(r.what);
    double seen[4] = {};
    ASSERT_EQ(kes_line_in_box(r.a, r.b, r.xlo, r.xhi, r.ylo, r.yhi, seen), r.seen);
    if (!r.seen) continue;
    const double want[4] = {r.x1, r.y1, r.x2, r.y2};
    for (int i = 0; i < 4; ++i) {
      EXPECT_TRUE(std::isfinite(seen[i]));
      EXPECT_NEAR(seen[i], want[i], 1e-14 * std::fmax(1, std::fabs(want[i]))) << "end value " << i;
    }
  }
}

// Generated lines and boxes, at scales from 1e-300 to 1e300: whatever the scale, a
// segment found lies in the box and on the line, and the same line and box scaled by
// 2^k give the segment scaled by 2^k, so that no unit draws it otherwise.
TEST(LineBox, SegmentsLieInTheBoxOnTheLineAtEveryScale) {
  std::mt19937_64 gen(20261208);
  std::uniform_real_distribution<double> u(-1, 1);
  int seen_count = 0;
  for (int i = 0; i < 4000; ++i) {
    const double scale = std::pow(10.0, -300 + 600 * (i % 61) / 60.0);
    const double xlo = -3 + u(gen), xhi = 3 + u(gen);
    const double ylo = (u(gen) - 1) * scale / 2, yhi = (u(gen) + 1) * scale / 2;
    const double a = u(gen) * scale * 0.9, b = u(gen) * scale / 2;
    double seen[4];
    if (!kes_line_in_box(a, b, xlo, xhi, ylo, yhi, seen)) continue;
    ++seen_count;
    SCOPED_TRACE(i);
    EXPECT_LE(xlo, seen[0]);
    EXPECT_LE(seen[0], seen[2]);
    EXPECT_LE(seen[2], xhi);
    for (int e = 0; e < 2; ++e) {
      const double x = seen[2 * e], y = seen[2 * e + 1];
      EXPECT_LE(ylo, y);
      EXPECT_LE(y, yhi);
      // On the line, to its rounding over the box's height.
      EXPECT_NEAR(y, a + b * x, 1e-12 * (yhi - ylo));
    }
    for (const int k : {-700, -20, 20, 700}) {
      const double s = std::ldexp(1.0, k);
      double scaled[4];
      // Only where every number stays a normal double is the scaling exact.
      bool fits = true;
      for (const double v : {a, b, ylo, yhi})
        fits = fits && std::fabs(v * s) <= DBL_MAX / 4 && std::fabs(v * s) >= 4 * DBL_MIN;
      if (!fits) continue;
      ASSERT_TRUE(kes_line_in_box(a * s, b * s, xlo, xhi, ylo * s, yhi * s, scaled));
      EXPECT_EQ(scaled[0], seen[0]);
      EXPECT_EQ(scaled[2], seen[2]);
      EXPECT_NEAR(scaled[1], seen[1] * s, 1e-15 * std::fabs(seen[1] * s));
      EXPECT_NEAR(scaled[3], seen[3] * s, 1e-15 * std::fabs(seen[3] * s));
    }
  }
  EXPECT_GT(seen_count, 1000);  // most generated lines cross their box
}

}  // namespace
