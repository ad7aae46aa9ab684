// Every curve with a threshold ends at the one support edge (numeric/zsupport.h): 0 at
// 1e-7 |theta| from the threshold (or from a bounded law's upper end), a height one step
// inside, and 0 for a NaN point or threshold.
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

// The threshold is 2, so the lower edge is 2 + 2e-7 = 2.0000002; the bounded laws have
// scale 1, so their upper edge is 3 - 3e-7 = 2.9999997 (both to the last bit).
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
}  // namespace

TEST(SupportEdge, EveryCurveEndsAtTheOneEdge) {
  const Curve curves[] = {
      {"lognormal", {2, 0, 5, 0}, keslplt, lognormplot, false},
      {"weibull", {2, 1, 2, 0}, keswplt, weibullplot, false},
      {"gamma", {2, 1, 3, 0}, kesgplt, gammaplot, false},
      {"beta", {2, 1, 2, 2}, kesbplt, betaplot, true},
      {"sb", {2, 1, 1, 0}, kesvplt, sbplot, true},
  };
  for (const Curve& k : curves) {
    for (const bool fit_form : {false, true}) {
      SCOPED_TRACE(std::string(k.name) + (fit_form ? " (fit)" : " (family)"));
      EXPECT_EQ(at(k, 2.0000002, 2, fit_form), 0.0);
      EXPECT_GT(at(k, std::nextafter(2.0000002, kInf), 2, fit_form), 0.0);
      EXPECT_EQ(at(k, 1.0, 2, fit_form), 0.0);
      EXPECT_EQ(at(k, kNaN, 2, fit_form), 0.0);
      EXPECT_EQ(at(k, 2.5, kNaN, fit_form), 0.0);
      if (k.bounded) {
        EXPECT_EQ(at(k, 2.9999997, 2, fit_form), 0.0);
        EXPECT_GT(at(k, std::nextafter(2.9999997, -kInf), 2, fit_form), 0.0);
        EXPECT_EQ(at(k, 4.0, 2, fit_form), 0.0);
      }
    }
  }
}

// The beta distribution function is 0 up to the lower edge and 1 from the upper one,
// and 0 for a NaN point, like every family's distribution function.
TEST(SupportEdge, BetaDistributionFunctionAtItsEdges) {
  const double p[4] = {2, 1, 2, 2};
  EXPECT_EQ(kesbcdf(p, 2.0000002), 0.0);
  EXPECT_GT(kesbcdf(p, std::nextafter(2.0000002, kInf)), 0.0);
  EXPECT_EQ(kesbcdf(p, 2.9999997), 1.0);
  EXPECT_LT(kesbcdf(p, std::nextafter(2.9999997, -kInf)), 1.0);
  EXPECT_EQ(kesbcdf(p, kNaN), 0.0);
  EXPECT_EQ(keswcdf(p, kNaN), 0.0);
  EXPECT_EQ(kesgcdf(p, kNaN), 0.0);
  EXPECT_EQ(keslcdf(p, kNaN), 0.0);
}
