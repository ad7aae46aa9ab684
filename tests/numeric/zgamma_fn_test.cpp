// zexpm1 and zgamma.
// References: ref/gamma.tsv, ref/expm1.tsv (mpmath at 40 digits; the R column is kept in
// the files as the cross-check made when they were written: R's gamma() drifts by up to
// 1.3e-12 relative above 50, so the tests compare with mpmath only).
#include <gtest/gtest.h>

#include <cmath>

#include "accuracy_check.h"
#include "numeric/zexpm1.h"
#include "numeric/zgamma.h"
#include "numeric/zmissing.h"

TEST(Zexpm1, MatchesReferences) {
  // The series branch (|x| <= 0.01) is good to a few ulps; just above the switch the
  // library exp(x) - 1 cancels about two digits (2^-53 e^x / (e^x - 1) ~ 1.1e-14).
  check_accuracy("zexpm1", ref_table("expm1.tsv"), [](const RefRow& r) -> Cmp {
    const double y = std::fabs(r["x"]);
    return {zexpm1(r["x"]), r["expm1"], y > 0.01 && y < 0.1 ? 1.2e-14 : 4e-16};
  });
}

TEST(Zexpm1, BranchSwitchIsAtOneHundredth) {
  // 0.01 takes the series, 0.0100001 the exponential: reproduce both formulas exactly.
  const auto series = [](double x) {
    double t = 1.0 + x / 6.0;
    for (double k : {5.0, 4.0, 3.0, 2.0}) t = 1.0 + x / k * t;
    return x * t;
  };
  check_exact({{"zexpm1(0.01)", zexpm1(0.01), series(0.01)},
               {"zexpm1(-0.01)", zexpm1(-0.01), series(-0.01)},
               {"zexpm1(0.0100001)", zexpm1(0.0100001), std::exp(0.0100001) - 1.0},
               {"zexpm1(0)", zexpm1(0.0), 0.0},
               {"zexpm1(nan)", zexpm1(NAN), NAN},
               {"zexpm1(-1000)", zexpm1(-1000.0), -1.0}});
}

TEST(Zgamma, MatchesReferences) {
  // Positive x below 20: a few ulps.  From 20 on exp() amplifies the absolute error of
  // ln Gamma (2^-53 * ln Gamma(x) ~ 1.5e-13 at 171).  Negative x: the reflection adds
  // about 2^-53 / distance-to-integer (the rounding of pi x inside sin).
  check_accuracy("zgamma", ref_table("gamma.tsv"), [](const RefRow& r) -> Cmp {
    const double x = r["x"];
    double g = 0.0;
    EXPECT_EQ(zgamma(x, &g), 0);
    const double y = x >= 0.5 ? x : 1.0 - x;
    double tol = y < 20.0 ? 3e-15 : 4e-16 * std::lgamma(y) + 2e-15;
    if (x < 0.5) tol += 4e-16 * std::fabs(x) / std::fabs(x - std::nearbyint(x)) + 1e-15;
    return {g, r["gamma"], tol};
  });
}

TEST(Zgamma, EdgesPolesAndOverflow) {
  struct Case { double x, g, tol; } exact[] = {
      {5.0, 24.0, 24.0 * 4e-16},  // upward recurrence 2 -> 5
      {0.5, std::sqrt(M_PI), 4e-16 * 1.8},  // no reflection at 0.5
      {-0.5, -2.0 * std::sqrt(M_PI), 4e-16 * 3.6},
      {1.0, 1.0, 0.0}, {2.0, 1.0, 0.0},
      // just outside the pole window: about -1/(6 e) with e = x + 3 (exact); the reflection
      // costs 2^-53 / e relative
      {-3.0 + 1e-11, -1.0 / (6.0 * ((-3.0 + 1e-11) + 3.0)), 1e-4 / (6.0 * 1e-11)},
      {171.0, 7.257415615307994e306, 3e-13 * 7.257415615307994e306},  // 2^-53 * 706 amplified by exp
  };
  for (const Case& c : exact) {
    double g = 0.0;
    ASSERT_EQ(zgamma(c.x, &g), 0) << c.x;
    EXPECT_NEAR(g, c.g, c.tol) << c.x;
  }
  // Poles, |sin(pi x)| <= 1e-12 (within about 3.2e-13 of a pole), ln Gamma(172) = 711.7
  // >= 709.782712893384, and a reflected y = 181.5 that overflows: status 1, missing.
  const double m = zmissing();
  check_refusals("zgamma", {{{-1.0}, 1, {m}}, {{0.0}, 1, {m}}, {{-7.0}, 1, {m}}, {{-3.0 + 1e-13}, 1, {m}},
                            {{172.0}, 1, {m}}, {{-180.5}, 1, {m}}},
                 [](const std::vector<double>& a, std::vector<double>& out) {
                   out = {0.0};
                   return zgamma(a[0], &out[0]);
                 });
}

TEST(Zgamma, StirlingSwitchAtTwentyIsContinuous) {
  double a = 0.0, b = 0.0;
  ASSERT_EQ(zgamma(std::nextafter(20.0, 0.0), &a), 0);
  ASSERT_EQ(zgamma(20.0, &b), 0);
  EXPECT_NEAR(a / b, 1.0, 2e-14);
}
