// The beta estimate: shapes against R's fitdistrplus, scipy and the digamma equations
// solved by R (ref/beta_ref.tsv, ref/beta_scipy.tsv), the support refusals and notes,
// the optimiser with the threshold or the scale estimated, heights, and the members.
#include <gtest/gtest.h>

#include <cmath>

#include "driver/kes_valnode.h"
#include "fit/kes_families.h"
#include "fit/zfit.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"
#include "support/ref_tables.h"

namespace {

using kes_test::fit_fixture;

const std::vector<double>& bref(const std::string& key) {
  static const auto t = [] {
    auto r = kes_test::ref_keyed("fit/ref/beta_ref.tsv");
    for (auto& [k, v] : kes_test::ref_keyed("fit/ref/beta_scipy.tsv")) r["scipy_" + k] = v;
    return r;
  }();
  return t.at(key);
}

const std::vector<double> sb = {0.12, 0.31, 0.08, 0.45, 0.22, 0.27, 0.19, 0.36, 0.05, 0.51,
                                0.29, 0.14, 0.33, 0.41, 0.17, 0.24, 0.62, 0.21, 0.27, 0.38};
const std::vector<double> sym = {0.2, 0.35, 0.5, 0.65, 0.8, 0.3, 0.7, 0.45, 0.55, 0.1, 0.9};

// Log-likelihood of the four-parameter law at p (theta, sigma, alpha, beta).
double loglik(const std::vector<double>& x, const double* p) {
  double l = 0;
  for (double v : x)
    l += (p[2] - 1) * std::log(v - p[0]) + (p[3] - 1) * std::log(p[0] + p[1] - v) -
         (p[2] + p[3] - 1) * std::log(p[1]) - (std::lgamma(p[2]) + std::lgamma(p[3]) - std::lgamma(p[2] + p[3]));
  return l;
}

class Beta : public fit_fixture {
 protected:
  void support(std::vector<double> theta, std::vector<double> sigma, std::vector<int> theta_est = {},
               std::vector<int> sigma_est = {}) {
    if (!theta.empty()) param(KES_PLOT_SLOT_BETA_THETA, KES_PLOT_SLOT_BETA_THETA_MARKS, theta, theta_est);
    if (!sigma.empty()) param(KES_PLOT_SLOT_BETA_SIGMA, KES_PLOT_SLOT_BETA_SIGMA_MARKS, sigma, sigma_est);
  }
  void shapes(std::vector<double> a, std::vector<double> b) {
    if (!a.empty()) param(KES_PLOT_SLOT_BETA_ALPHA, KES_PLOT_SLOT_BETA_ALPHA_MARKS, a);
    if (!b.empty()) param(KES_PLOT_SLOT_BETA_BETA, KES_PLOT_SLOT_BETA_BETA_MARKS, b);
  }
  void number(int slot, double v) {
    stmt.slots[slot].given = 1;
    stmt.slots[slot].v.num = v;
  }
  // A cell with the sample's skewness and excess kurtosis in its summary.
  kes_cell* moments_cell(const std::vector<double>& x) {
    kes_cell* c = cell(x);
    const double n = x.size();
    double m = 0, m2 = 0, m3 = 0, m4 = 0;
    for (double v : x) m += v / n;
    for (double v : x) m2 += std::pow(v - m, 2), m3 += std::pow(v - m, 3), m4 += std::pow(v - m, 4);
    const double s2 = m2 / (n - 1);
    c->varsums[0].summary[3] = n / ((n - 1) * (n - 2)) * m3 / std::pow(s2, 1.5);
    c->varsums[0].summary[4] = n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * m4 / (s2 * s2) -
                               3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
    return c;
  }
};

TEST_F(Beta, BothShapesMatchTheReferenceMaximumLikelihood) {
  // Curve 0 on the default support (0, 1), noted once each; curve 1 on (-0.5, 1.5).
  request({{KES_DIST_BETA, 0}, {KES_DIST_BETA, 1}});
  kes_cell* c = cell(sb);
  ASSERT_EQ(estimate(c, 0), 0) << log();
  ASSERT_EQ(estimate(c, 0), 0);
  EXPECT_EQ(count("THETA= is not given for the beta curve of x", log()), 1);
  EXPECT_EQ(count("SIGMA= is not given for the beta curve of x", log()), 1);
  support({0, -0.5}, {1, 2});
  ASSERT_EQ(estimate(c, 1), 0) << log();
  const char* keys[2] = {"mle_0_1", "mle_-0.5_2"};
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE(keys[k]);
    for (int j = 0; j < 2; ++j) {
      const double a = curve(c, k).params[2 + j];
      EXPECT_NEAR(a, bref(keys[k])[j], 1e-7 * a);
      EXPECT_NEAR(a, bref(std::string("scipy_") + keys[k])[j], 1e-6 * a);
    }
    EXPECT_EQ(curve(c, k).estimated[0] + curve(c, k).estimated[1], 0);
    EXPECT_EQ(curve(c, k).estimated[2] + curve(c, k).estimated[3], 2);
  }
}

TEST_F(Beta, OneShapeAndEqualShapesSolveTheirDigammaEquations) {
  const struct {
    std::vector<double> a, b, x;
    const char* key;
    int solved;  // parameter index of the found shape (the other is given), or -1: both
  } rows[] = {{{2}, {}, sb, "beta_alpha2", 3}, {{}, {3}, sb, "alpha_beta3", 2}, {{}, {}, sym, "sym", -1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    restart();
    request({{KES_DIST_BETA, 0}});
    shapes(row.a, row.b);
    kes_cell* c = cell(row.x);
    ASSERT_EQ(estimate(c, 0), 0) << log();
    const double* p = curve(c, 0).params;
    if (row.solved < 0) {
      // The equal-shape solve stops at a residual of sqrt(tolerance).
      EXPECT_NEAR(p[2], bref(row.key)[0], 1e-5 * p[2]);
      EXPECT_EQ(p[2], p[3]);
    } else {
      EXPECT_NEAR(p[row.solved], bref(row.key)[0], 1e-10);
      EXPECT_EQ(p[5 - row.solved], row.solved == 3 ? 2.0 : 3.0);
    }
  }
}

TEST_F(Beta, EqualShapesBeyondTheGridEndFailPromptly) {
  // g1 = g2 = 0.69335 asks for equal shapes near 1250, past the grid's last point.
  request({{KES_DIST_BETA, 0}});
  kes_cell* c = cell({0.49, 0.51});
  EXPECT_EQ(estimate(c, 0), 1);
  EXPECT_NE(log().find("The beta shapes could not be estimated"), std::string::npos) << log();
  EXPECT_NE(log().find("The Beta distribution could not be fitted"), std::string::npos);
  // Just inside the grid (shapes near 970) the equal-shape root is found; the engine
  // is asked without a height, whose constant N / B(a, a) would overflow.
  kes_valnode v[2];
  v[0].key.value = 0.4887;
  v[1].key.value = 0.5113;
  v[0].count = v[1].count = 1;
  v[0].next = &v[1];
  v[1].next = nullptr;
  zfit_req r{};
  r.mode = 1;
  r.family = ZFIT_BETA;
  r.values = v;
  r.params[0] = 0;
  r.params[1] = 1;
  r.params[2] = r.params[3] = r.tol = r.maxiter = NAN;
  r.n = 2;
  r.min = 0.4887;
  r.max = 0.5113;
  ASSERT_EQ(zfit(&r), 0) << log();
  const double a = r.params[2];
  EXPECT_EQ(a, r.params[3]);
  // psi(2a) - psi(a) = ln 2 + 1/(4a) + 1/(16a^2) + O(a^-4) = -ln(0.4887 x 0.5113) / 2.
  EXPECT_NEAR(std::log(2.0) + 1 / (4 * a) + 1 / (16 * a * a), -std::log(0.4887 * 0.5113) / 2, 1e-6);
  EXPECT_GT(a, 800);
  EXPECT_LT(a, 1000);
}

TEST_F(Beta, SupportRefusalsWriteTheirNotes) {
  const struct {
    const char* what;
    std::vector<double> theta, sigma;
    std::vector<int> theta_est;
    const char* note;
  } rows[] = {
      {"threshold at the minimum", {0.05}, {1}, {}, "is not below the smallest value"},
      {"upper end at the maximum", {0}, {0.62}, {}, "does not lie above the largest value"},
      {"scale within the range, threshold estimated", {0}, {0.5}, {1}, "SIGMA= must exceed 0.57"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    restart();
    request({{KES_DIST_BETA, 0}});
    support(row.theta, row.sigma, row.theta_est);
    kes_cell* c = cell(sb);
    EXPECT_EQ(estimate(c, 0), 1);
    EXPECT_NE(log().find(row.note), std::string::npos) << log();
  }
}

TEST_F(Beta, HeightsModesAndTheScaleConstant) {
  const struct {
    double a, b;
    bool peak;  // height at the mode; else alpha = beta = 1 gives c / sigma, others none
  } rows[] = {{2, 3, true}, {1, 1, false}, {0.5, 2, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.a);
    restart();
    request({{KES_DIST_BETA, 0}});
    support({-1}, {4});
    shapes({row.a}, {row.b});
    kes_cell* c = cell(sb);
    bins(0.25, 0.5, 2);
    double h;
    ASSERT_EQ(estimate(c, 0, -1, 3, &h), 0) << log();
    const kes_curve& k = curve(c, 0);
    // Percent scale: 100/N x N x w x density.
    const double ib = std::exp(std::lgamma(row.a + row.b) - std::lgamma(row.a) - std::lgamma(row.b));
    if (row.peak) {
      const double mode = -1 + 4 * (row.a - 1) / (row.a + row.b - 2), u = (mode + 1) / 4;
      EXPECT_NEAR(k.mode, mode, 1e-15);
      EXPECT_NEAR(h, 100 * 0.5 * ib * std::pow(u, row.a - 1) * std::pow(1 - u, row.b - 1) / 4, 1e-12);
    } else {
      EXPECT_TRUE(std::isnan(k.mode));
      EXPECT_EQ(std::isnan(h), row.a != 1);
      if (row.a == 1) {
        EXPECT_NEAR(h, 100 * 0.5 / 4, 1e-13);
      }
    }
    // The drawing constant is N w / B(alpha, beta) on the vertical scale.
    double cst = 0;
    ASSERT_EQ(kescnst(ctx, &req, c, 0, &cst), 0);
    EXPECT_NEAR(cst, 100 * 0.5 * ib, 1e-12);
    EXPECT_NEAR(kesbplt(1.0, cst, k.params), cst * std::pow(2, row.a + row.b - 2) / std::pow(4, row.a + row.b - 1),
                1e-12);
  }
}

TEST_F(Beta, EstimatedSupportStaysFeasibleAndBeatsTheGivenOne) {
  // 200 quantiles of the law with shapes 3 and 4 on (0, 1).
  std::vector<double> law;
  const double shapes34[4] = {0, 1, 3, 4};
  for (int i = 0; i < 200; ++i) {
    double z = 0;
    kesbx(shapes34, (i + 0.5) / 200, &z);
    law.push_back(z);
  }
  const struct {
    const char* what;
    std::vector<double> theta, sigma;
    std::vector<int> theta_est, sigma_est;
  } rows[] = {
      {"threshold and scale", {0}, {0}, {1}, {1}},
      {"scale only", {0}, {0}, {0}, {1}},
      {"threshold only", {0}, {1.02}, {1}, {0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    restart();
    request({{KES_DIST_BETA, 0}, {KES_DIST_BETA, 1}});
    // Curve 1 holds the support at (0, 1) or the given scale: the two-shape fit there.
    support({row.theta[0], 0}, {row.sigma[0], row.sigma_est[0] ? 1.0 : row.sigma[0]}, {row.theta_est[0], 0},
            {row.sigma_est[0], 0});
    kes_cell* c = moments_cell(law);
    ASSERT_EQ(estimate(c, 0), 0) << log();
    ASSERT_EQ(estimate(c, 1), 0) << log();
    const double* p = curve(c, 0).params;
    EXPECT_LT(p[0], law.front());
    EXPECT_GT(p[0] + p[1], law.back());
    EXPECT_GE(std::fmin(p[2], p[3]), 0.001);
    EXPECT_GE(loglik(law, p), loglik(law, curve(c, 1).params) - 1e-9);
    EXPECT_EQ(curve(c, 0).estimated[0], row.theta_est[0]);
    EXPECT_EQ(curve(c, 0).estimated[1], row.sigma_est[0]);
  }
}

TEST_F(Beta, OptimiserFailuresAreNoted) {
  const struct {
    const char* what;
    double maxiter;
    bool moments;
    bool one_shape;
  } rows[] = {{"no moments", NAN, false, false},
              {"one iteration allowed", 1, true, false},
              {"one shape estimated", 1, true, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    restart();
    request({{KES_DIST_BETA, 0}});
    support({0}, {0}, {1}, {1});
    if (row.one_shape) shapes({2}, {});
    if (!std::isnan(row.maxiter)) number(KES_PLOT_SLOT_BETA_MAXITER, row.maxiter);
    kes_cell* c = row.moments ? moments_cell(sb) : cell(sb);
    EXPECT_EQ(estimate(c, 0), 1);
    EXPECT_NE(log().find("could not be estimated by maximum likelihood"), std::string::npos) << log();
    EXPECT_EQ(log().find("One beta shape was given") != std::string::npos, row.one_shape);
  }
}

TEST_F(Beta, MembersAtTheEndsAndQuantileRoundTrips) {
  const double p[4] = {0, 1, 2, 5};
  EXPECT_EQ(kesbp(p, 1e-7), 0.0);
  EXPECT_EQ(kesbp(p, 1.0), 100.0);
  EXPECT_EQ(kesbp(p, 1.5), 100.0);
  // I_x(2, 2) = 3x^2 - 2x^3.
  const double q[4] = {0, 1, 2, 2};
  EXPECT_NEAR(kesbp(q, 0.3), 100 * (3 * 0.09 - 2 * 0.027), 1e-12);
  const double r[4] = {-1, 2, 2, 3};
  EXPECT_EQ(kesbplt(-1, 1, r), 0.0);
  EXPECT_EQ(kesbplt(1, 1, r), 0.0);
  EXPECT_GT(kesbplt(0, 1, r), 0.0);
  for (double pr : {0.001, 0.1, 0.5, 0.9, 0.999}) {
    double z = -1;
    ASSERT_EQ(kesbx(p, pr, &z), 0);
    EXPECT_NEAR(kesbp(p, z), 100 * pr, 1e-9) << pr;
  }
}

}  // namespace
