// Tests of the ends of a law's support (src/numeric/zsupport.h): the edges at, just
// inside and just outside 1e-7 |end| from an end, a NaN and infinities; and, over
// generated values, that the edge is the one the fits' two former spellings drew.
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
  double x, end;
  bool outside;
};
}  // namespace

// Edges by hand: 2 + 2e-7 = 2.0000002 and -2 + 2e-7 = -1.9999998 (both as written, to
// the last bit), 1e7 + 1 exactly (the margin grows with the end), and a zero end has
// no margin.
TEST(ZSupport, LowerEdge) {
  const EdgeRow rows[] = {
      {2.0000002, 2.0, true},         {up(2.0000002), 2.0, false},   {down(2.0000002), 2.0, true},
      {2.0, 2.0, true},               {1.0, 2.0, true},              {3.0, 2.0, false},
      {-1.9999998, -2.0, true},       {up(-1.9999998), -2.0, false}, {down(-1.9999998), -2.0, true},
      {-2.0, -2.0, true},             {10000001.0, 1e7, true},       {up(10000001.0), 1e7, false},
      {0.0, 0.0, true},               {-0.0, 0.0, true},             {kTiny, 0.0, false},
      {-kTiny, 0.0, true},            {kTiny, -0.0, false},
      // A NaN on either side is outside.
      {kNaN, 2.0, true},              {2.5, kNaN, true},             {kNaN, kNaN, true},
      // Infinities: +inf lies inside above a finite end, -inf never; an infinite end
      // leaves nothing inside (theta = -inf gives a NaN edge).
      {kInf, 2.0, false},             {-kInf, 2.0, true},            {kInf, kInf, true},
      {1e308, kInf, true},            {0.0, -kInf, true},            {kInf, -kInf, true},
  };
  for (const EdgeRow& r : rows) EXPECT_EQ(zbelow_support(r.x, r.end), r.outside) << r.x << " above " << r.end;
}

TEST(ZSupport, UpperEdge) {
  const EdgeRow rows[] = {
      {1.9999998, 2.0, true},         {down(1.9999998), 2.0, false}, {up(1.9999998), 2.0, true},
      {2.0, 2.0, true},               {3.0, 2.0, true},              {1.0, 2.0, false},
      {-2.0000002, -2.0, true},       {down(-2.0000002), -2.0, false}, {up(-2.0000002), -2.0, true},
      {9999999.0, 1e7, true},         {down(9999999.0), 1e7, false},
      {0.0, 0.0, true},               {-kTiny, 0.0, false},          {kTiny, 0.0, true},
      {kNaN, 2.0, true},              {1.5, kNaN, true},
      {-kInf, 2.0, false},            {kInf, 2.0, true},             {0.0, kInf, true},
      {-kInf, -kInf, true},           {-1e308, -kInf, true},
  };
  for (const EdgeRow& r : rows) EXPECT_EQ(zabove_support(r.x, r.end), r.outside) << r.x << " below " << r.end;
}

// The fits wrote the lower edge as x <= theta + 1e-7 |theta| and as
// !(x > theta + |1e-7 theta|), and the upper as x >= top - |1e-7 top|; for finite values
// each is the one edge, also for x one step either side of it.
TEST(ZSupport, SameEdgeAsBeforeForFiniteValues) {
  std::mt19937_64 gen(68);
  std::uniform_real_distribution<double> mant(-1.0, 1.0);
  std::uniform_int_distribution<int> expo(-1074, 1023);
  for (int i = 0; i < 20000; ++i) {
    const double end = std::ldexp(mant(gen), expo(gen));
    const double lo = end + 1e-7 * std::fabs(end), hi = end - std::fabs(1e-7 * end);
    if (!std::isfinite(lo) || !std::isfinite(hi)) continue;
    for (const double x : {down(lo), lo, up(lo), down(hi), hi, up(hi), end, -end}) {
      ASSERT_EQ(zbelow_support(x, end), x <= end + 1e-7 * std::fabs(end)) << x << " " << end;
      ASSERT_EQ(zbelow_support(x, end), !(x > end + std::fabs(1e-7 * end))) << x << " " << end;
      ASSERT_EQ(zabove_support(x, end), x >= end - std::fabs(1e-7 * end)) << x << " " << end;
      ASSERT_EQ(zabove_support(x, end), !(x < end - 1e-7 * std::fabs(end))) << x << " " << end;
    }
  }
}
