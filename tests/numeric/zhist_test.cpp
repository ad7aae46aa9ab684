// Tests of zhist and zhist2 (src/numeric/zhist.*): the worked values are by hand.
#include "numeric/zhist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "host/kes_checked.h"
#include "../host/exact_decimal.h"
#include "host/kes_decimal_grid.h"
#include "numeric/zqscale.h"

namespace {

struct HistCase {
  const char* what;
  double n, a, b;
  int want_mid;   // zhist count
  double mid0;    // zhist first midpoint
  int want_bins;  // zhist2 count
  double end0;    // zhist2 lower end
  double width;   // both
};

// n = 100 over 0.3..9.7: nb = 6, raw width 1.5667 -> 1.5; 13 half-widths.
// n = 4 over 0..10: nb = 2, W = 5; zhist takes the extra midpoint beyond E.
// n = 1000 over 0..1: nb = 13; zhist2 raw 1/13 -> 0.06, zhist raw 0.0769 -> 0.06.
const HistCase kCases[] = {
    {"n100", 100, 0.3, 9.7, 7, 0.75, 7, -0.75, 1.5},
    {"n100 reversed", 100, 9.7, 0.3, 7, 0.75, 7, -0.75, 1.5},
    {"n4", 4, 0, 10, 3, 2.5, 3, 0, 5},
    {"n4 reversed", 4, 10, 0, 3, 2.5, 3, 0, 5},
};

TEST(ZHist, WorkedValues) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    double out[2] = {-99, -99};
    EXPECT_EQ(zhist(c.n, c.a, c.b, out), c.want_mid);
    EXPECT_DOUBLE_EQ(out[0], c.mid0);
    EXPECT_DOUBLE_EQ(out[1], c.width);
    EXPECT_EQ(zhist2(c.n, c.a, c.b, out), c.want_bins);
    EXPECT_DOUBLE_EQ(out[0], c.end0);
    EXPECT_DOUBLE_EQ(out[1], c.width);
  }
}

// Degenerate inputs: one bin at the low end, width |lo| (1 at 0). The 0 < n <= 0.5
// rows would divide by zero in zhist (one midpoint) and must end; NaN and infinite
// ranges must end too.
TEST(ZHist, DegenerateAndBadArguments) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    const char* what;
    double n, a, b, lo, width;
    bool both;  // zhist2 degenerate too
  } rows[] = {
      {"n = 0", 0, 1, 5, 1, 1, true},
      {"n < 0", -3, -4, 5, -4, 4, true},
      {"n NaN", nan, 2, 5, 2, 2, true},
      {"a = b", 50, -2.5, -2.5, -2.5, 2.5, true},
      {"a = b = 0", 50, 0, 0, 0, 1, true},
      {"range three doubles wide", 50, 1e6, 1e6 + 3 * 0x1p-33, 1e6, 1e6, true},
      {"n = 0.5", 0.5, 3, 8, 3, 3, false},
      {"n = 0.1", 0.1, 0, 8, 0, 1, false},
      {"infinite range", 50, -inf, inf, -inf, inf, true},
      {"huge range", 50, -1.7e308, 1.7e308, -1.7e308, 1.7e308, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    double out[2] = {-99, -99};
    EXPECT_EQ(zhist(r.n, r.a, r.b, out), 1);
    EXPECT_EQ(out[0], r.lo);
    EXPECT_EQ(out[1], r.width);
    const int k = zhist2(r.n, r.a, r.b, out);
    if (r.both) {
      EXPECT_EQ(k, 1);
      EXPECT_EQ(out[0], r.lo);
      EXPECT_EQ(out[1], r.width);
    }
  }
  // n = 0.5 gives zhist2 one raw bin of width 5, laid on the 2.5 grid as 2.5..12.5.
  double out[2];
  EXPECT_EQ(zhist2(0.5, 3, 8, out), 2);
  EXPECT_DOUBLE_EQ(out[0], 2.5);
  EXPECT_DOUBLE_EQ(out[1], 5.0);
}

// Invariants over many ranges: the width is a table value times a power of ten, and
// the bins (zhist2) or the cells around the midpoints (zhist) cover the range.
TEST(ZHist, CoverTheRangeWithNiceWidths) {
  const double nice[] = {1, 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10};
  for (double n : {1.0, 3.0, 10.0, 57.0, 1000.0, 123456.0}) {
    for (double lo : {-1234.5, -3.0, 0.0, 0.001, 17.2}) {
      for (double span : {0.01, 1.0, 7.3, 950.0}) {
        SCOPED_TRACE(testing::Message() << "n " << n << " lo " << lo << " span " << span);
        const double hi = lo + span;
        double out[2];
        const int nb = zhist2(n, lo, hi, out);
        ASSERT_GE(nb, 1);
        const double m = out[1] / std::pow(10.0, std::floor(std::log10(out[1])));
        bool on_table = false;
        for (double v : nice) on_table |= std::fabs(m - v) < 1e-9 * v || std::fabs(m - v / 10) < 1e-9;
        EXPECT_TRUE(on_table) << out[1];
        EXPECT_LE(out[0], lo + 1e-9 * span);
        EXPECT_GE(out[0] + nb * out[1], hi - 1e-9 * span);
        const int nm = zhist(n, lo, hi, out);
        ASSERT_GE(nm, 1);
        EXPECT_LE(out[0] - out[1] / 2, lo + 1e-9 * span);
        EXPECT_GE(out[0] + (nm - 0.5) * out[1], hi - 1e-9 * span);
      }
    }
  }
}

// K = (2n)^(1/3) a hair above 3 (n four ulps above 13.5 gives 3 + 2^-51): zhist
// takes 3 bins, zhist2 takes ceil(K) = 4, so their widths differ.
TEST(ZHist, CountHairAboveWhole) {
  double n = 13.5;
  for (int i = 0; i < 4; ++i) n = std::nextafter(n, 99.0);
  ASSERT_GT(std::pow(2 * n, 1.0 / 3.0), 3.0);
  double a[2], b[2];
  zhist(n, 0, 12, a);   // raw (12 - 12/3 + 2f)/2 = 4 -> 4
  zhist2(n, 0, 12, b);  // raw 12/4 = 3 -> 3
  EXPECT_DOUBLE_EQ(a[1], 4.0);
  EXPECT_DOUBLE_EQ(b[1], 3.0);
}

// A raw width whose mantissa + 0.0001 reaches 10 takes 10 times its power of ten:
// zhist2 with n = 4 (nb = 2) over 0..19.9999 has raw 9.99995 -> 10.
TEST(ZHist, MantissaNearTenTakesTen) {
  double out[2];
  zhist2(4, 0, 19.9999, out);
  EXPECT_DOUBLE_EQ(out[1], 10.0);
  zhist2(4, 0, 19.9, out);  // raw 9.95 -> 8
  EXPECT_DOUBLE_EQ(out[1], 8.0);
}

// Default bins are decimals: over ranges of 50 values at offsets 0, 1e6, 1.7e9, 1e15
// and 1e306 and their negatives, spreads from 1e-7 to 1e13, the width is the double
// nearest a nice u x 10^e, the first point a whole number j of half widths, and every
// point first + k x width and every edge between midpoints is strtod of the decimal
// (j + 2k) x width / 2 (3.3..5.1 by 0.3 lists 3.45, 3.75, 4.05, not 3.4500000000000006).
// The nice scale of NMIDPOINTS= the same: each tick is strtod of its decimal.
using kes_test_decimal::nearest;

// The half width as a whole number of units 10^q, from a nice width's double (its
// shortest text of at most two digits, checked).
bool nice_half(double w, __int128* h, int* q) {
  char t[40];
  std::snprintf(t, sizeof t, "%.1e", w);
  const int u10 = (t[0] - '0') * 10 + (t[2] - '0');
  const int e = std::atoi(t + 4);
  if (nearest(u10, e - 1) != w) return false;
  for (int u : {10, 12, 15, 20, 25, 30, 40, 50, 60, 80})
    if (u == u10) {
      *h = u10 * 5, *q = e - 2;
      return true;
    }
  return false;
}

TEST(ZHist, DefaultPointsAreTheirDecimals) {
  int checked = 0;
  for (const double offset : {0.0, 1e6, 1.7e9, 1e15, 1e306, -1e6, -1.7e9, -1e15, -1e306})
    for (double spread = 1e-7; spread < 1e14; spread *= 7.3)
      for (const bool endpoints : {false, true}) {
        const double lo = offset + spread * 0.137, hi = offset + spread * 1.137;
        if (!(hi - lo > 1e-3 * spread)) continue;  // no spread left in the doubles here
        double out[2];
        const int nb = endpoints ? zhist2(50, lo, hi, out) : zhist(50, lo, hi, out);
        if (nb < 2) continue;
        SCOPED_TRACE(std::to_string(offset) + " " + std::to_string(spread) + (endpoints ? " endpoints" : ""));
        __int128 h = 0;
        int q = 0;
        ASSERT_TRUE(nice_half(out[1], &h, &q)) << out[1];
        const double j = std::nearbyint(out[0] / (out[1] / 2));
        const __int128 first = static_cast<__int128>(static_cast<long long>(j)) * h;
        ASSERT_EQ(nearest(first, q), out[0]);
        for (int k2 = -2; k2 <= 2 * nb + 2; ++k2) {
          ASSERT_EQ(kes_grid_point(out[0], k2 / 2.0, out[1]), nearest(first + k2 * h, q)) << k2;
          ++checked;
        }
      }
  EXPECT_GT(checked, 1000);
}

TEST(ZHist, EverydayBinsOfWidthThreeTenths) {
  double out[2];
  ASSERT_EQ(zhist(50, 3.3, 5.1, out), 7);
  EXPECT_EQ(out[0], 3.45);
  EXPECT_EQ(out[1], 0.3);
  const double want[] = {3.45, 3.75, 4.05, 4.35, 4.65, 4.95, 5.25};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(kes_grid_point(out[0], k, out[1]), want[k]) << k;
}

TEST(ZHist, RangesMovedByWholeWidthsKeepTheirBins) {
  // zhist and zhist2 of [lo + c, hi + c], c a whole number of the widths at 0, are the
  // bins at 0 moved by c: the rule's fuzz is a share of the range, and added to values
  // far from 0 it was lost (0..40 by n = 30: five bins at 0, four at 1e15). Integer
  // ranges of everyday counts, and ranges whose ends lie on the half-width grid.
  int checked = 0;
  for (const double n : {10.0, 30.0, 100.0, 1000.0})
    for (const double lo : {0.0, 2.0, 5.0, 12.0})
      for (const double span : {7.0, 19.0, 35.0, 40.0, 100.0, 250.0})
        for (const bool endpoints : {false, true}) {
          double at0[2];
          const int k0 = endpoints ? zhist2(n, lo, lo + span, at0) : zhist(n, lo, lo + span, at0);
          ASSERT_GT(at0[1], 0);
          for (const double target : {1e6, 1.7e9, 0x1p40, 1e15}) {
            // c = m widths, exact with both ends moved (integer widths here).
            const double c = std::floor(target / at0[1]) * at0[1];
            if (c + lo - c != lo || c + lo + span - c != lo + span || std::floor(at0[1]) != at0[1]) continue;
            double at[2];
            const int k = endpoints ? zhist2(n, lo + c, lo + span + c, at) : zhist(n, lo + c, lo + span + c, at);
            SCOPED_TRACE(testing::Message() << n << " values on " << lo << " to " << lo + span << " moved by " << c
                                            << (endpoints ? " (endpoints)" : ""));
            EXPECT_EQ(k, k0);
            EXPECT_EQ(at[1], at0[1]);
            EXPECT_EQ(at[0] - c, at0[0]);
            ++checked;
          }
        }
  EXPECT_GT(checked, 300);
}

TEST(ZQScale, TicksAreTheirDecimals) {
  int checked = 0;
  for (const double offset : {0.0, 1e6, 1.7e9, 1e15, -1e15, -1.7e9})
    for (double spread = 1e-6; spread < 1e13; spread *= 3.7)
      for (const int n : {-5, -8, -13}) {
        const double lo = offset + spread * 0.21, hi = offset + spread * 1.21;
        if (!(hi - lo > 1e-3 * spread)) continue;
        zqscale_axis ax{};
        const int r = zqscale(lo, hi, n, ZQSCALE_NNICE, ZQSCALE_NICE, &ax, 'S', 'X');
        if (r <= 0) continue;
        char t[40];
        std::snprintf(t, sizeof t, "%.2e", ax.increment);
        const int u100 = (t[0] - '0') * 100 + (t[2] - '0') * 10 + (t[3] - '0');
        const int q = std::atoi(t + 5) - 2;
        ASSERT_EQ(nearest(u100, q), ax.increment) << t;
        const double a = std::nearbyint(ax.start / ax.increment);
        const __int128 s = static_cast<__int128>(static_cast<long long>(a)) * u100;
        ASSERT_EQ(nearest(s, q), ax.start);
        for (long i = 0; i <= r; ++i) {
          ASSERT_EQ(kes_tick_at(ax.start, ax.increment, i), nearest(s + i * u100, q));
          ++checked;
        }
        EXPECT_EQ(ax.end, nearest(s + r * u100, q));
      }
  EXPECT_GT(checked, 300);
}

}  // namespace
