// Every curve with a threshold ends at the one support edge (numeric/zsupport.h): 0 at
// 1e-7 of the law's scale from the threshold (or from a bounded law's upper end), a
// height one step inside, and 0 for a NaN point or threshold.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fit/family/kes_families.h"
#include "fit/zfit.h"
#include "fit/zfit_fams.h"
#include "fit/zfit_johnson.h"

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The threshold is 2 and every law's unit is 1 (the lognormal's e^zeta with zeta 0), so
// the last point outside is 2.0000001, whose distance from 2 is 9.99999998e-8 as a
// double, and the next double up is inside; the bounded laws' upper end is 3, the last
// point outside below it 2.9999999 (distances as doubles, found once by stepping).
struct Curve {
  const char* name;
  double params[4];
  double (*family)(double x, double c, const double* params);
  zfit_curvefn fit;
  bool bounded;
};

double at(const Curve& k, double x, double theta, bool fit_form) {
  zfit_work w{};
  w.c = 1.0;
  for (int j = 0; j < 4; ++j) w.params[j] = k.params[j];
  w.params[0] = theta;
  return fit_form ? k.fit(x, &w) : k.family(x, 1.0, w.params);
}

const Curve kCurves[] = {
    {"lognormal", {2, 0, 5, 0}, keslplt, lognormplot, false},
    {"weibull", {2, 1, 2, 0}, keswplt, weibullplot, false},
    {"gamma", {2, 1, 3, 0}, kesgplt, gammaplot, false},
    {"beta", {2, 1, 2, 2}, kesbplt, betaplot, true},
    {"sb", {2, 1, 1, 0}, kesvplt, sbplot, true},
};
}  // namespace

TEST(SupportEdge, EveryCurveEndsAtTheOneEdge) {
  for (const Curve& k : kCurves) {
    for (const bool fit_form : {false, true}) {
      SCOPED_TRACE(std::string(k.name) + (fit_form ? " (fit)" : " (family)"));
      EXPECT_EQ(at(k, 2.0000001, 2, fit_form), 0.0);
      EXPECT_GT(at(k, std::nextafter(2.0000001, kInf), 2, fit_form), 0.0);
      EXPECT_EQ(at(k, 1.0, 2, fit_form), 0.0);
      EXPECT_EQ(at(k, kNaN, 2, fit_form), 0.0);
      EXPECT_EQ(at(k, 2.5, kNaN, fit_form), 0.0);
      if (k.bounded) {
        EXPECT_EQ(at(k, 2.9999999, 2, fit_form), 0.0);
        EXPECT_GT(at(k, std::nextafter(2.9999999, -kInf), 2, fit_form), 0.0);
        EXPECT_EQ(at(k, 4.0, 2, fit_form), 0.0);
      }
    }
  }
}

// Curve heights of x + c are the heights of x: every threshold curve, in both forms, at
// the threshold 2 moved by 0, 1e6, 1.7e9 and 1e15, at distances of whole eighths (the
// spacing of the doubles at 1e15), so that the moved values are exact.  A margin of
// 1e-7 |theta| made each 0 within 170 of a threshold at 1.7e9.
TEST(SupportEdge, MovedCurvesHaveTheHeightsAsRead) {
  for (const Curve& k : kCurves) {
    for (const bool fit_form : {false, true}) {
      SCOPED_TRACE(std::string(k.name) + (fit_form ? " (fit)" : " (family)"));
      int inside = 0;
      for (int e = -8; e <= 40; ++e) {
        const double d = e / 8.0, read = at(k, 2.0 + d, 2.0, fit_form);
        inside += read > 0.0;
        for (const double c : {1e6, 1.7e9, 1e15})
          ASSERT_EQ(at(k, (2.0 + c) + d, 2.0 + c, fit_form), read) << d << " " << c;
      }
      EXPECT_GE(inside, k.bounded ? 7 : 15);
    }
  }
}

// The beta distribution function is 0 up to the threshold and 1 from the upper end,
// without a margin (a small shape puts mass within any), and 0 for a NaN point, like
// every family's distribution function.
TEST(SupportEdge, BetaDistributionFunctionAtItsEdges) {
  const double p[4] = {2, 1, 2, 2};
  EXPECT_EQ(kesbcdf(p, 2.0), 0.0);
  EXPECT_GT(kesbcdf(p, std::nextafter(2.0, kInf)), 0.0);
  EXPECT_EQ(kesbcdf(p, 3.0), 1.0);
  EXPECT_LT(kesbcdf(p, 2.9999), 1.0);  // 1 - 3e-8 (one step below 3 rounds to 1)
  // Moved by 1.7e9: the same values at the same distances (a margin of 1e-7 |theta|
  // made it 0 within 170 of the threshold).
  const double q[4] = {1.7e9 + 2, 1, 2, 2};
  for (const double d : {0.0, 0.125, 0.5, 0.875, 1.0}) EXPECT_EQ(kesbcdf(q, q[0] + d), kesbcdf(p, 2.0 + d)) << d;
  EXPECT_EQ(kesbcdf(p, kNaN), 0.0);
  EXPECT_EQ(keswcdf(p, kNaN), 0.0);
  EXPECT_EQ(kesgcdf(p, kNaN), 0.0);
  EXPECT_EQ(keslcdf(p, kNaN), 0.0);
}
