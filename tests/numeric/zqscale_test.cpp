// Tests of zqscale (src/numeric/zqscale.*): worked values by hand.
#include "numeric/zqscale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <limits>
#include <string>

namespace {

const double kCand[] = {1, 2, 2.5, 5, 10};

struct QCase {
  const char* what;
  double min, max;
  int n;
  char endflag;
  int want;
  double start, end, inc;
};

const QCase kCases[] = {
    // w = 19.4, m = 1.94 lies between mid 1.414 and 2.236: increment 20.
    {"0..97 n 5", 0, 97, 5, 'X', 5, 0, 100, 20},
    {"0..97 n 5 reversed", 97, 0, 5, 'X', 5, 0, 100, 20},
    // w = 24.25 starts at 2.5: 25 needs 4 intervals.
    {"0..97 n -4", 0, 97, -4, 'X', 4, 0, 100, 25},
    // 25 needs 5; 50 needs 3, laid out as exactly 4.
    {"0..101 n -4", 0, 101, -4, 'X', 4, 0, 200, 50},
    // min = max widens by r = |centre| (1 at 0) before snapping.
    {"7..7 n 7", 7, 7, 7, 'X', 7, 0, 14, 2},
    {"0..0 n 2", 0, 0, 2, 'X', 2, -1, 1, 1},
    // 'L' keeps the start, 'U' keeps the end.
    {"3..97 n 5 L", 3, 97, 5, 'L', 5, 3, 103, 20},
    {"3..97 n 5 U", 3, 97, 5, 'U', 5, -3, 97, 20},
    // 'E' centres the 0..100 axis on 3..97: 50 - 2 x 20 = 10, lowered to 3.
    {"3..97 n 5 E", 3, 97, 5, 'E', 5, 3, 103, 20},
    // n < 0 with the end flags: 25 fits 3..97 in 4; 'E' adds no interval to centre.
    {"3..97 n -4 L", 3, 97, -4, 'L', 4, 3, 103, 25},
    {"3..97 n -4 U", 3, 97, -4, 'U', 4, -3, 97, 25},
    {"3..97 n -4 E", 3, 97, -4, 'E', 4, 0, 100, 25},
    // Small decades take exact decimal powers: 0.013..0.097 by 0.02 from 0 to 0.1.
    {"small n 5", 0.013, 0.097, 5, 'X', 5, 0, 0.1, 0.02},
    // 0..1000 with n -1 steps up a decade: 10 -> 20 ... 1000 -> 1 interval.
    {"0..1000 n -1", 0, 1000, -1, 'X', 1, 0, 1000, 1000},
};

TEST(ZQScale, WorkedValues) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    zqscale_axis ax{};
    ax.spare[0] = 11;
    ax.spare[1] = 12;
    EXPECT_EQ(zqscale(c.min, c.max, c.n, 5, kCand, &ax, 'S', c.endflag), c.want);
    EXPECT_DOUBLE_EQ(ax.start, c.start);
    EXPECT_DOUBLE_EQ(ax.end, c.end);
    EXPECT_DOUBLE_EQ(ax.increment, c.inc);
    EXPECT_EQ(ax.spare[0], 11);
    EXPECT_EQ(ax.spare[1], 12);
  }
}

TEST(ZQScale, SortFlagSortsCandidates) {
  const double shuffled[] = {10, 2.5, 1, 5, 2};
  zqscale_axis ax{};
  EXPECT_EQ(zqscale(0, 97, 5, 5, shuffled, &ax, 'N', 'X'), 5);
  EXPECT_DOUBLE_EQ(ax.increment, 20);
  EXPECT_EQ(ax.index, 1);
  // A single candidate is used twice: 0..97 by 10^1 x 5.
  const double five[] = {5};
  EXPECT_EQ(zqscale(0, 97, 2, 1, five, &ax, 'S', 'X'), 2);
  EXPECT_DOUBLE_EQ(ax.increment, 50);
}

// Bad arguments: statuses and the fields left as set on entry.
TEST(ZQScale, BadArguments) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double low[] = {0.5, 2, 5};
  const double high[] = {1, 2, 12};
  const double nanc[] = {1, nan};
  const double big[] = {1, 2, 2.5, 5, 10, 0.1, 0.1};  // only the first ten are read
  struct Row {
    const char* what;
    double min, max;
    int n, ncand;
    const double* cand;
    int want;
  } rows[] = {
      {"n = 0", 0, 97, 0, 5, kCand, ZQSCALE_ZERO_COUNT},
      {"candidate 0.5", 0, 97, 5, 3, low, ZQSCALE_BAD_CANDIDATE},
      {"candidate 12", 0, 97, 5, 3, high, ZQSCALE_BAD_CANDIDATE},
      {"candidate NaN", 0, 97, 5, 2, nanc, ZQSCALE_BAD_CANDIDATE},
      {"no candidates", 0, 97, 5, 0, kCand, ZQSCALE_BAD_CANDIDATE},
      {"null candidates", 0, 97, 5, 5, nullptr, ZQSCALE_BAD_CANDIDATE},
      {"infinite end", 0, inf, 5, 5, kCand, ZQSCALE_DEGENERATE},
      {"NaN end", nan, 3, 5, 5, kCand, ZQSCALE_DEGENERATE},
      {"range overflows", -1.7e308, 1.7e308, 5, 5, kCand, ZQSCALE_DEGENERATE},
      {"candidates beyond ten ignored", 0, 97, 5, 5, big, 5},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    zqscale_axis ax{};
    EXPECT_EQ(zqscale(r.min, r.max, r.n, r.ncand, r.cand, &ax, 'S', 'X'), r.want);
  }
  zqscale_axis ax{};
  EXPECT_EQ(zqscale(2, 8, 0, 5, kCand, &ax, 'S', 'X'), ZQSCALE_ZERO_COUNT);
  EXPECT_EQ(ax.start, 2);
  EXPECT_EQ(ax.end, 8);
  EXPECT_EQ(ax.increment, 3);
  EXPECT_EQ(ax.index, 2);
  // One interval over -1..1 cannot be had at any increment (0 is always inside): the
  // fifth decade step is refused.
  EXPECT_EQ(zqscale(-1, 1, -1, 5, kCand, &ax, 'S', 'X'), ZQSCALE_NO_FIT);
}

// Invariants: the axis covers the data, ends are multiples of the increment, and the
// count matches (n < 0: exactly -n intervals, the increment as small as fits).
TEST(ZQScale, AxisCoversData) {
  for (double lo : {-513.0, -1.0, 0.0, 0.37, 1e5}) {
    for (double span : {0.003, 1.0, 64.0, 9999.0}) {
      for (int n : {-10, -3, 1, 4, 9}) {
        SCOPED_TRACE(testing::Message() << lo << " " << span << " " << n);
        zqscale_axis ax{};
        const int k = zqscale(lo, lo + span, n, 5, kCand, &ax, 'S', 'X');
        ASSERT_GT(k, 0);
        if (n < 0) {
          EXPECT_EQ(k, -n);
        }
        EXPECT_LE(ax.start, lo + 1e-9 * span);
        EXPECT_GE(ax.end, lo + span - 1e-9 * span);
        EXPECT_NEAR((ax.end - ax.start) / ax.increment, k, 1e-6 * k);
        const double q = ax.start / ax.increment;
        EXPECT_NEAR(q, std::round(q), 1e-6 * (1 + std::fabs(q)));
      }
    }
  }
}

// The same in every decade the doubles reach, subnormal ones too: an increment below
// 1e-308 was taken as 0 (its power of ten overflowed before it was inverted), and no
// axis came out for data that small.
TEST(ZQScale, AxisCoversDataInEveryDecade) {
  for (int e = -323; e <= 307; ++e) {
    const double hi = std::strtod(("9.5e" + std::to_string(e)).c_str(), nullptr);
    for (const double lo : {0.3 * hi, 0.0, -hi}) {
      for (int n : {-5, 5}) {
        SCOPED_TRACE(testing::Message() << lo << " " << hi << " " << n);
        zqscale_axis ax{};
        const int k = zqscale(lo, hi, n, 5, kCand, &ax, 'S', 'X');
        if (!std::isfinite(hi - lo)) {  // a range past the doubles is refused (see BadArguments)
          EXPECT_EQ(k, ZQSCALE_DEGENERATE);
          continue;
        }
        ASSERT_GT(k, 0);
        EXPECT_LE(k, 20);
        EXPECT_GT(ax.increment, 0);
        EXPECT_LE(ax.start, lo);
        EXPECT_GE(ax.end, hi);
        EXPECT_GE(ax.start + k * ax.increment * (1 + 1e-9), ax.end - std::numeric_limits<double>::denorm_min());
      }
    }
  }
  // Every subnormal value, from the least to ten thousand times it.
  const double least = std::numeric_limits<double>::denorm_min();
  zqscale_axis ax{};
  ASSERT_GT(zqscale(least, 1e4 * least, 5, 5, kCand, &ax, 'S', 'X'), 0);
  EXPECT_LE(ax.start, least);
  EXPECT_GE(ax.end, 1e4 * least);
}

}  // namespace

namespace {

// An axis shows its data's spread wherever the doubles hold distinct ticks: at any
// offset the data span at least a fifth of the axis and its ticks are distinct
// doubles. A range of 100 at 1e15 (800 doubles, lost against 1e15 by the negligible
// factor) ran from 0 to 2e15.
TEST(ZQScale, AxisShowsSpreadAtAnOffset) {
  const double offsets[] = {0, 1e9, -1e9, 1e15, -1e15, 1733650000, 1e-9, 4503599627370496.0 /* 2^52 */};
  for (const double at : offsets)
    for (const double doubles : {50.0, 64.0, 800.0, 1e4, 1e6})
      for (int n : {5, 6, 11, -2, -10}) {
        const double ulp = std::nextafter(std::fabs(at), INFINITY) - std::fabs(at);
        const double lo = at, hi = at + doubles * (at == 0 ? 1e-9 : ulp);
        SCOPED_TRACE(testing::Message() << std::setprecision(17) << lo << " .. " << hi << " n " << n);
        zqscale_axis ax{};
        const int k = zqscale(lo, hi, n, 5, kCand, &ax, 'S', 'X');
        ASSERT_GT(k, 0);
        // An end this near a multiple snaps to it; a multiple of an inexact decimal
        // increment may round a double past it.
        const double fuzz = 1.06e-8 * (hi - lo) + ulp;
        EXPECT_LE(ax.start, lo + fuzz);
        EXPECT_GE(ax.end, hi - fuzz);
        EXPECT_GE(hi - lo, (ax.end - ax.start) / 5);
        for (int i = 0; i < k; ++i) EXPECT_LT(ax.start + i * ax.increment, ax.start + (i + 1) * ax.increment);
      }
}

// Ranges too few doubles wide for distinct ticks, or of subnormal increments, are
// still widened about their centre as the negligible rule says.
TEST(ZQScale, RangesTooNarrowForTicksWiden) {
  const double g15 = std::nextafter(1e15, 2e15) - 1e15;  // 0.125
  struct Row {
    const char* what;
    double lo, hi;
    int n;
    double start, end;
  } rows[] = {
      {"1e15 + 2 doubles, 5 intervals", 1e15, 1e15 + 2 * g15, 5, 0, 2e15},
      {"1e15 + 9 doubles, 5 intervals", 1e15, 1e15 + 9 * g15, 5, 0, 2e15},
      // Two doubles an interval: 1e15 to 1e15 + 1.25 by 0.25.
      {"1e15 + 10 doubles, 5 intervals", 1e15, 1e15 + 10 * g15, 5, 1e15, 1e15 + 10 * g15},
      {"equal ends", 7, 7, 7, 0, 14},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    zqscale_axis ax{};
    ASSERT_GT(zqscale(r.lo, r.hi, r.n, 5, kCand, &ax, 'S', 'X'), 0);
    EXPECT_LE(ax.start, r.start);
    EXPECT_GE(ax.end, r.end);
    if (r.start == 1e15) {
      EXPECT_EQ(ax.start, r.start);
    }
  }
}

}  // namespace
