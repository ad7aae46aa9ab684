// Tests of zscale (src/numeric/zscale.*): the worked scales traced by hand.
#include "numeric/zscale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "../host/exact_decimal.h"

namespace {

zscale_req request(double min, double max, int n, int minor, int major = 0, double interval = 0,
                   uint32_t flags = 0) {
  zscale_req r{};
  r.min = min;
  r.max = max;
  r.n = n;
  r.minor = minor;
  r.major = major;
  r.interval = interval;
  r.flags = flags;
  return r;
}

struct ScaleCase {
  const char* what;
  double min, max;
  int n, minor;
  int want;
  double start, end;
  int major, nout;
  double interval, tick;
};

const ScaleCase kCases[] = {
    // 10 major intervals of 9.2 round up to 10: 0..100 holds exactly 10.
    {"3.2..97.5", 3.2, 97.5, 40, 4, ZSCALE_FOUND, 0, 100, 10, 40, 10, 2.5},
    {"reversed", 97.5, 3.2, 40, 4, ZSCALE_FOUND, 0, 100, 10, 40, 10, 2.5},
    // 12 major intervals of 0.139 round to 0.2; 17.2..19.0 holds 9.
    {"17.2..18.9", 17.2, 18.9, 50, 4, ZSCALE_FOUND, 17.2, 19.0, 9, 36, 0.2, 0.05},
    // min = max = 5 widens to 0..10 with the interval 5.
    {"5..5", 5, 5, 20, 4, ZSCALE_FOUND, 0, 10, 2, 8, 5, 1.25},
    // The side-by-side box plot call: 40 rows, 4 rows a label; ten intervals of 1.57
    // round to 2 and -4..14 holds 9.
    {"box plot axis", -3.7, 12.4, 40, 4, ZSCALE_FOUND, -4, 14, 9, 36, 2, 0.5},
};

TEST(ZScale, WorkedExamples) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    zscale_req r = request(c.min, c.max, c.n, c.minor);
    EXPECT_EQ(zscale(&r), c.want);
    EXPECT_NEAR(r.min, c.start, 1e-12);
    EXPECT_NEAR(r.max, c.end, 1e-12);
    EXPECT_EQ(r.major, c.major);
    EXPECT_EQ(r.n, c.nout);
    EXPECT_EQ(r.minor, c.nout / c.major);
    EXPECT_NEAR(r.interval, c.interval, 1e-12);
    EXPECT_NEAR(r.tick_interval, c.tick, 1e-12);
  }
}

TEST(ZScale, ZeroCountAndSimplePath) {
  zscale_req r = request(0, 0, 20, 4);
  EXPECT_EQ(zscale(&r), ZSCALE_FOUND);  // widens to -1..1
  EXPECT_DOUBLE_EQ(r.min, -1);
  EXPECT_DOUBLE_EQ(r.max, 1);
  EXPECT_DOUBLE_EQ(r.interval, 1);

  r = request(2, 8, 0, 3);
  EXPECT_EQ(zscale(&r), ZSCALE_FOUND);
  EXPECT_EQ(r.min, 5);
  EXPECT_EQ(r.max, 5);
  EXPECT_EQ(r.minor, 1);
  EXPECT_EQ(r.major, 0);
  EXPECT_EQ(r.interval, 6);
  EXPECT_EQ(r.tick_interval, 6);

  // A minor count at least |n|: the data range in equal parts, no rounding.
  struct Row {
    int n, minor;
    uint32_t flags;
    int want_minor;
  } rows[] = {{6, 6, 0, 6}, {6, 9, 0, 6}, {6, -9, 0, 6}, {1, 0, 0, 1}, {9, 0, 0, 9}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.n << " " << row.minor);
    r = request(1.3, 7.1, row.n, row.minor, row.n == 9 ? 1 : 0, 0, row.flags);
    EXPECT_EQ(zscale(&r), ZSCALE_FOUND);
    EXPECT_EQ(r.min, 1.3);
    EXPECT_EQ(r.max, 7.1);
    EXPECT_EQ(r.major, 1);
    EXPECT_EQ(r.minor, row.want_minor);
    EXPECT_EQ(r.n, row.want_minor);
    EXPECT_DOUBLE_EQ(r.tick_interval, (7.1 - 1.3) / row.want_minor);
  }
}

TEST(ZScale, GivenIntervalAndAnchors) {
  // An interval too small to cover the range is dropped with the anchor bits.
  zscale_req r = request(3.2, 97.5, 40, 4, 0, 0.5, ZSCALE_ANCHOR_MIN | ZSCALE_ANCHOR_MAX);
  EXPECT_EQ(zscale(&r), ZSCALE_FOUND);
  EXPECT_EQ(r.flags & (ZSCALE_ANCHOR_MIN | ZSCALE_ANCHOR_MAX), 0u);
  EXPECT_DOUBLE_EQ(r.interval, 10);
  // Both anchors: the interval is the range over the major count, not rounded.
  r = request(3.2, 97.5, 40, 4, 0, 0, ZSCALE_ANCHOR_MIN | ZSCALE_ANCHOR_MAX);
  zscale(&r);
  EXPECT_DOUBLE_EQ(r.min, 3.2);
  EXPECT_DOUBLE_EQ(r.max, 97.5);
  EXPECT_NEAR(r.interval * r.major, 97.5 - 3.2, 1e-9);
}

// Invariants over many ranges and option sets: the axis covers the data but for the
// half raw interval the ends are pulled in by, n is minor x major, and the tick
// spacing divides the axis into n.
TEST(ZScale, AxisCoversData) {
  const uint32_t flag_sets[] = {0, ZSCALE_WHOLE, ZSCALE_ADJUST, ZSCALE_ZERO, ZSCALE_RELAX,
                                ZSCALE_RELAX | ZSCALE_ADJUST, ZSCALE_MINOR10, ZSCALE_EXACT_MAJOR};
  for (uint32_t flags : flag_sets)
    for (double lo : {-250.0, -1.5, 0.0, 0.02, 1234.0})
      for (double span : {0.07, 3.0, 88.0, 5e4})
        for (int n : {8, 20, 40, 101})
          for (int minor : {0, 3, 4}) {
            SCOPED_TRACE(testing::Message() << flags << " " << lo << " " << span << " " << n << " " << minor);
            zscale_req r = request(lo, lo + span, n, minor, 0, 0, flags);
            const int rc = zscale(&r);
            EXPECT_TRUE(rc == ZSCALE_FOUND || rc == ZSCALE_RAN_OUT || rc == ZSCALE_RAN_OUT_RELAXED);
            ASSERT_GT(r.major, 0);
            ASSERT_GT(r.minor, 0);
            EXPECT_EQ(r.n, r.minor * r.major);
            const double pull = span / (std::min(n, static_cast<int>(r.n)) + 1) / 2 + 1e-9 * span;
            EXPECT_LE(r.min, lo + pull);
            EXPECT_GE(r.max, lo + span - pull);
            EXPECT_NEAR(r.tick_interval * r.n, r.max - r.min, 1e-9 * (r.max - r.min));
            EXPECT_TRUE(std::isfinite(r.interval) && r.interval > 0);
          }
}

// Under the relaxation bit with major counts above about 100 (little room to stretch
// the interval) the call ends with a usable scale.
TEST(ZScale, RelaxationWithManyMajorIntervalsEnds) {
  for (int n : {150, 303, 1000, 5000}) {
    SCOPED_TRACE(n);
    zscale_req r = request(0.013, 97.31, n, 1, 0, 0, ZSCALE_RELAX);
    const int rc = zscale(&r);
    EXPECT_TRUE(rc == ZSCALE_FOUND || rc == ZSCALE_RAN_OUT_RELAXED);
    EXPECT_TRUE(std::isfinite(r.interval) && r.interval > 0);
    EXPECT_TRUE(std::isfinite(r.tick_interval) && r.tick_interval > 0);
    const double pull = (97.31 - 0.013) / (r.n + 1) / 2 + 1e-9;
    EXPECT_LE(r.min, 0.013 + pull);
    EXPECT_GE(r.max, 97.31 - pull);
  }
}

TEST(ZScale, BadArguments) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    const char* what;
    double min, max, interval;
  } rows[] = {{"NaN min", nan, 1, 0}, {"infinite max", 0, inf, 0}, {"NaN interval", 0, 1, nan},
              {"infinite interval", 0, 1, -inf}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    zscale_req r = request(row.min, row.max, 20, 4, 0, row.interval);
    EXPECT_EQ(zscale(&r), ZSCALE_RAN_OUT);
    EXPECT_EQ(r.n, 20);
    EXPECT_EQ(r.minor, 4);
  }
}

// The axis ends and the major interval of a scale are the doubles nearest their
// decimals k x interval and u x 10^q (0.1 x 3 is 0.30000000000000004 as doubles), over
// offsets 0, 1e6, 1.7e9 and their negatives and spreads from 1e-6 to 1e12.
TEST(ZScale, EndsAndIntervalAreTheirDecimals) {
  using kes_test_decimal::nearest;
  int checked = 0;
  for (const double offset : {0.0, 1e6, 1.7e9, -1e6, -1.7e9})
    for (double spread = 1e-6; spread < 1e13; spread *= 4.1) {
      zscale_req r = request(offset + 0.23 * spread, offset + 1.23 * spread, 10, 0);
      if (!(r.max > r.min) || zscale(&r) != ZSCALE_FOUND || !(r.interval > 0)) continue;
      char t[40];
      std::snprintf(t, sizeof t, "%.1e", r.interval);
      const long long u = (t[0] - '0') * 10 + (t[2] - '0');
      const int q = std::atoi(t + 4) - 1;
      if (nearest(u, q) != r.interval) continue;  // a leading value of more digits (1/3)
      SCOPED_TRACE(std::to_string(offset) + " " + std::to_string(spread));
      const long long a = std::llround(r.min / r.interval), b = std::llround(r.max / r.interval);
      EXPECT_EQ(r.min, nearest(static_cast<__int128>(a) * u, q));
      EXPECT_EQ(r.max, nearest(static_cast<__int128>(b) * u, q));
      ++checked;
    }
  EXPECT_GT(checked, 30);
}

}  // namespace
