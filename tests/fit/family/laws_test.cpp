// The laws of codes 0 to 8 over one table: their order, quantile and distribution
// function inverting each other from 1e-12 to 1 - 1e-12, and every derived member
// (x, q, p, the fitted quantile) refusing exactly where the others refuse.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

#include "fit/family/kes_law.h"
#include "fit/kes_estframe.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"

namespace {

struct law_case {
  int code;
  std::vector<double> params;  // threshold, scale, shapes
};

// Parameters in the body of each law and at its edges, where a quantile overflows
// (lognormal sigma 200, Weibull c 0.003, SU delta 0.004) or a shape is small.
const law_case kCases[] = {
    {KES_DIST_NORMAL, {0, 1}},
    {KES_DIST_NORMAL, {3, 2}},
    {KES_DIST_LOGNORMAL, {0, 0, 0.5}},
    {KES_DIST_LOGNORMAL, {1, 0.3, 2}},
    {KES_DIST_LOGNORMAL, {0, 0, 200}},
    {KES_DIST_EXPONENTIAL, {0, 1}},
    {KES_DIST_EXPONENTIAL, {2, 3}},
    {KES_DIST_WEIBULL, {0, 1, 2}},
    {KES_DIST_WEIBULL, {1, 2, 0.5}},
    {KES_DIST_WEIBULL, {0, 1, 0.003}},
    {KES_DIST_GAMMA, {0, 1, 2}},
    {KES_DIST_GAMMA, {0, 1, 0.1}},
    {KES_DIST_GAMMA, {5, 2, 50}},
    {KES_DIST_BETA, {0, 1, 2, 3}},
    {KES_DIST_BETA, {0, 1, 0.5, 0.5}},
    {KES_DIST_BETA, {1, 4, 0.3, 5}},
    {KES_DIST_SB, {0, 1, 1, 0}},
    {KES_DIST_SB, {0, 2, 0.7, 1}},
    {KES_DIST_SU, {0, 1, 1, 0}},
    {KES_DIST_SU, {1, 2, 0.5, -1}},
    {KES_DIST_SU, {0, 1, 0.004, 0}},
    {KES_DIST_WEIBULL2, {0, 1}},
    {KES_DIST_WEIBULL2, {0.5, 2}},
};

std::vector<double> probabilities() {
  std::vector<double> p;
  for (double e = -12; e <= -1; e += 0.5) p.push_back(std::pow(10.0, e));
  for (double v : {0.2, 0.3, 0.5, 0.7, 0.8}) p.push_back(v);
  for (double e = -1; e >= -12; e -= 0.5) p.push_back(1.0 - std::pow(10.0, e));
  return p;
}

std::vector<double> full(const law_case& c) {
  std::vector<double> v = c.params;
  v.resize(4, kes_fit_missing());
  return v;
}

TEST(FamilyLaws, TableFollowsTheDistributionCodes) {
  for (int code = 0; code < KES_DIST_KERNEL; ++code) {
    const kes_law* law = kes_law_of(code);
    ASSERT_NE(law, nullptr) << code;
    EXPECT_EQ(law->code, code);
    EXPECT_EQ(law, kes_laws[code]);
    EXPECT_NE(law->cdf, nullptr);
    EXPECT_NE(law->quantile, nullptr);
    // Code 8 alone draws no curve.
    EXPECT_EQ(law->density == nullptr, code == KES_DIST_WEIBULL2) << code;
  }
  for (int code : {-1, int(KES_DIST_KERNEL), 10}) EXPECT_EQ(kes_law_of(code), nullptr) << code;
}

TEST(FamilyLaws, QuantileAndDistributionFunctionInvertEachOther) {
  for (const law_case& c : kCases) {
    const kes_law& law = *kes_laws[c.code];
    // Standardized: a threshold added to a quantile near it takes the digits a
    // distribution function would need to invert it.
    const std::vector<double> given = full(c);
    double par[4];
    kes_law_standard(law, given.data(), par);
    for (double p : probabilities()) {
      const double y = kes_law_quantile(law, par, p);
      if (std::isnan(y)) continue;
      // An underflowed power (Weibull c 0.003 in its low tail) sits on the threshold.
      if (std::fabs(y) < DBL_MIN) continue;
      // The beta law counts the last 1e-7 of its support as reached.
      if (c.code == KES_DIST_BETA && y >= 1.0 - 1e-7) continue;
      const double f = law.cdf(par, y);
      EXPECT_NEAR(f, p, 1e-12 * p) << "code " << c.code << " shape " << par[2] << " p " << p << " y " << y;
    }
  }
}

TEST(FamilyLaws, EveryMemberRefusesWhereTheOthersRefuse) {
  int refused = 0;
  for (const law_case& c : kCases) {
    const kes_law& law = *kes_laws[c.code];
    std::vector<double> par = full(c);
    std::vector<double> std_par(4);
    kes_law_standard(law, par.data(), std_par.data());
    kes_curve curve{};
    for (int i = 0; i < 4; ++i) curve.params[i] = par[i];
    kes_plotslot slot{};
    slot.curves = &curve;
    slot.ncurves = 1;
    slot.curve = 0;
    for (double p : probabilities()) {
      const double sentinel = -12345.0;
      double x = sentinel;
      const int status = kes_law_x(law, par.data(), p, &x);
      const double q = kes_law_q(law, &slot, p);
      const double s = kes_law_quantile(law, std_par.data(), p);
      const double fitted = kes_law_quantile(law, par.data(), p);
      SCOPED_TRACE(testing::Message() << "code " << c.code << " shape " << par[2] << " p " << p);
      if (status != 0) {
        ++refused;
        EXPECT_EQ(x, sentinel);  // left as it was
        EXPECT_TRUE(std::isnan(q));
        EXPECT_TRUE(std::isnan(s));
      } else {
        EXPECT_TRUE(std::isfinite(x));
        EXPECT_EQ(q, x);
        EXPECT_EQ(s, x);
        // The fitted quantile is the standardized one placed by threshold and scale.
        if (!std::isnan(fitted)) {
          const double placed = par[0] + kes_law_scale(law, par.data()) * x;
          EXPECT_NEAR(fitted, placed, 1e-13 * std::fabs(placed) + 1e-300);
        }
      }
      // Every scale here is at least 1: what the standardized member refuses the
      // fitted one refuses too.
      if (status != 0) {
        EXPECT_TRUE(std::isnan(fitted));
      }
      // No member hands out an infinite value.
      EXPECT_FALSE(std::isinf(q));
      EXPECT_FALSE(std::isinf(fitted));
    }
  }
  // The overflowing cases above are refused somewhere.
  EXPECT_GT(refused, 0);
}

TEST(FamilyLaws, PercentDistributionFunctionIsCutAtTheSupportsEnds) {
  struct row {
    int code;
    std::vector<double> params;
    double z, percent;
  };
  // Hand values: 100 (1 - e^-1); 100 Phi(0) = 50; a point within 1e-7 of an end.
  const row rows[] = {
      {KES_DIST_EXPONENTIAL, {0, 1}, 1.0, 63.212055882855767},
      {KES_DIST_EXPONENTIAL, {0, 1}, 1e-7, 0.0},
      {KES_DIST_NORMAL, {0, 1}, 0.0, 50.0},
      {KES_DIST_BETA, {0, 1, 2, 3}, 1.0 - 5e-8, 100.0},
      {KES_DIST_SB, {0, 1, 1, 0}, 0.5, 50.0},
      {KES_DIST_SB, {0, 1, 1, 0}, 5e-8, 0.0},
      {KES_DIST_WEIBULL2, {0, 1}, 0.0, 63.212055882855767},
  };
  for (const row& r : rows) {
    std::vector<double> par = r.params;
    par.resize(4, 0.0);
    EXPECT_NEAR(kes_law_p(*kes_laws[r.code], par.data(), r.z), r.percent, 1e-13) << r.code << " " << r.z;
  }
}

TEST(FamilyLaws, StandardizedQuantilesKeepTheirDigitsInBothTails) {
  struct row {
    int code;
    std::vector<double> params;
    double p, quantile;
  };
  // mpmath at 40 digits: -log1p(-p), sqrt(-log1p(-p)), log(-log1p(-p)), -log(p), and
  // the root of betainc(2, 3, 0, x, regularized=True) = p (1 - p).
  const row rows[] = {
      {KES_DIST_EXPONENTIAL, {0, 1}, 1e-10, 1.00000000005e-10},
      {KES_DIST_EXPONENTIAL, {0, 1}, 1 - 1e-10, 23.02585092994045684},
      {KES_DIST_WEIBULL, {0, 1, 2}, 1e-10, 1.000000000025e-5},
      {KES_DIST_WEIBULL2, {0, 1}, 1e-10, -23.02585092989045684},
      {KES_DIST_BETA, {0, 1, 2, 3}, 1e-10, 4.0824940158083328453e-6},
      {KES_DIST_BETA, {0, 1, 2, 3}, 1 - 1e-10, 0.99970757684679054695},
  };
  for (const row& r : rows) {
    std::vector<double> par = r.params;
    par.resize(4, 0.0);
    double y = 0.0;
    ASSERT_EQ(kes_law_x(*kes_laws[r.code], par.data(), r.p, &y), 0) << r.code;
    // 1 - p is exact only to 1e-16 absolute: above the median the quantile's own
    // condition bounds the digits.
    const double tol = r.p < 0.5 ? 1e-12 : 1e-8;
    EXPECT_NEAR(y, r.quantile, tol * std::fabs(r.quantile)) << r.code << " " << r.p;
  }
}

}  // namespace
