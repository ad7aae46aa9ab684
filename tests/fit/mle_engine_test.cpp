// The maximum-likelihood engine: the Johnson SU, four-parameter beta and threshold
// fits against R's maxima (ref/mle_ref.tsv, made by ref/mle_ref.R: R's optim from a
// grid of starts), each reported fit checked to be an interior local maximum by finite
// differences of the full log-likelihood; the engine's own test of an interior maximum
// on likelihoods built to start at a saddle or to peak on a bound; and the Weibull
// shape past 1000.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "fit/zfit_ml.h"
#include "kes_gram_names.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"
#include "support/fit_fixture.h"
#include "support/ml_check.h"
#include "support/ref_tables.h"

namespace {

using kes_test::fit_fixture;
using kes_test::interior_maximum;
using kes_test::loglik;

const std::vector<double>& mref(const std::string& key) {
  static auto t = kes_test::ref_keyed("fit/ref/mle_ref.tsv");
  return t.at(key);
}

// Sample skewness and excess kurtosis with the procedure's divisors.
void moments(const std::vector<double>& x, double* skew, double* kurt) {
  const double n = x.size();
  double m = 0, m2 = 0, m3 = 0, m4 = 0;
  for (double v : x) m += v / n;
  for (double v : x) {
    const double d = v - m;
    m2 += d * d, m3 += d * d * d, m4 += d * d * d * d;
  }
  const double s2 = m2 / (n - 1);
  *skew = n / ((n - 1) * (n - 2)) * m3 / std::pow(s2, 1.5);
  *kurt = n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * m4 / (s2 * s2) - 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
}

class MleEngine : public fit_fixture {
 protected:
  // Fits the family to x with every parameter estimated (SU by maximum likelihood, beta
  // with THETA=EST SIGMA=EST, Weibull and gamma with THETA=EST): the estimate's result,
  // the parameters in p (curve order).
  int fit(int dist, const std::vector<double>& x, double* p) {
    restart();
    request({{dist, 0}});
    switch (dist) {
      case KES_DIST_SU:
        stmt.slots[KES_PLOT_SLOT_SU_FITMETHOD].given = 1;
        stmt.slots[KES_PLOT_SLOT_SU_FITMETHOD].v.num = 1;
        break;
      case KES_DIST_BETA:
        param(KES_PLOT_SLOT_BETA_THETA, KES_PLOT_SLOT_BETA_THETA_MARKS, {0}, {1});
        param(KES_PLOT_SLOT_BETA_SIGMA, KES_PLOT_SLOT_BETA_SIGMA_MARKS, {0}, {1});
        break;
      case KES_DIST_WEIBULL:
        param(KES_PLOT_SLOT_WEIBULL_THETA, KES_PLOT_SLOT_WEIBULL_THETA_MARKS, {0}, {1});
        break;
      default:
        param(KES_PLOT_SLOT_GAMMA_THETA, KES_PLOT_SLOT_GAMMA_THETA_MARKS, {0}, {1});
        break;
    }
    std::vector<double> sorted = x;
    std::sort(sorted.begin(), sorted.end());
    kes_cell* c = cell(sorted);
    moments(x, &c->varsums[0].summary[3], &c->varsums[0].summary[4]);
    const int rc = estimate(c, 0);
    for (int i = 0; i < 4; ++i) p[i] = curve(c, 0).params[i];
    return rc;
  }
};

TEST_F(MleEngine, ReachesRsMaxima) {
  // SU by maximum likelihood on rivers, Nile and geyser duration was refused before
  // any iteration (the percentile start needs m n / p^2 above 1 + tolerance: 0.861,
  // 0.874 and 0.040 there); beta with THETA=EST SIGMA=EST was refused on faithful and
  // geyser even with MAXITER=2000. Rows: sample, family, reference key, R's parameters
  // in the reference's order (SU: theta sigma delta gamma; beta: theta sigma alpha
  // beta; threshold: theta shape scale), scale of the values (the gamma samples are
  // also fitted a 10^18 times larger).
  const struct {
    const char* sample;
    int dist;
    const char* key;
    double unit;
  } rows[] = {
      {"rivers", KES_DIST_SU, "su_rivers", 1},
      {"Nile", KES_DIST_SU, "su_Nile", 1},
      {"geyser_duration", KES_DIST_SU, "su_geyser_duration", 1},
      {"su200", KES_DIST_SU, "su_su200", 1},
      {"faithful_waiting", KES_DIST_BETA, "beta_faithful_waiting", 1},
      {"geyser_waiting", KES_DIST_BETA, "beta_geyser_waiting", 1},
      {"geyser_duration", KES_DIST_BETA, "beta_geyser_duration", 1},
      {"w10_3", KES_DIST_WEIBULL, "weibull_w10_3", 1},
      {"w10_7", KES_DIST_WEIBULL, "weibull_w10_7", 1},
      {"w10_8", KES_DIST_WEIBULL, "weibull_w10_8", 1},
      {"g10_1", KES_DIST_GAMMA, "gamma_g10_1", 1e-9},
      {"g10_2", KES_DIST_GAMMA, "gamma_g10_2", 1e-9},
      {"g10_1", KES_DIST_GAMMA, "gamma_g10_1", 1e9},
      {"g10_2", KES_DIST_GAMMA, "gamma_g10_2", 1e9},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.key) + " in units of " + std::to_string(row.unit));
    std::vector<double> x = mref(std::string("sample_") + row.sample);
    // The gamma samples are kept in units of 1e-9, which R's fit takes away.
    if (row.unit == 1e9)
      for (double& v : x) v *= 1e18;
    const std::vector<double>& r = mref(row.key);
    double p[4];
    ASSERT_EQ(fit(row.dist, x, p), 0) << log();
    // In R's unit: thresholds and scales divided by the unit, shapes as they are.
    const int n = row.dist == KES_DIST_SU || row.dist == KES_DIST_BETA ? 4 : 3;
    std::vector<double> xr = x;
    if (row.unit != 1)
      for (double& v : xr) v /= row.unit;
    const double q[4] = {p[0] / row.unit, p[1] / row.unit, p[2], p[3]};
    const long double ql[4] = {q[0], q[1], q[2], q[3]};
    const double ll = static_cast<double>(loglik(row.dist, xr, ql));
    const double rll = n == 4 ? r[4] : r[3];
    EXPECT_NEAR(ll, rll, 1e-7);
    // R's parameters in curve order.
    const double want[4] = {r[0], n == 4 ? r[1] : r[2], n == 4 ? r[2] : r[1], n == 4 ? r[3] : 0};
    for (int j = 0; j < n; ++j) EXPECT_NEAR(q[j], want[j], 2e-3 * (std::fabs(want[j]) + std::fabs(want[1]))) << j;
    std::string why;
    EXPECT_TRUE(interior_maximum(row.dist, xr, q, n, &why)) << why;
  }
}

TEST_F(MleEngine, BetaSaddlesAndValleysAreNoFits) {
  // 30 t(5) values each (ref/mle_ref.R). The design took the optimiser's status 4 for a
  // fit: t5_257 was reported at alpha 75.2, a saddle 0.080 below its maximum at alpha
  // 9.55, and t5_166, without an interior maximum, at alpha 13.4 (a Hessian eigenvalue
  // -7e-5 there).
  double p[4];
  const std::vector<double>& x = mref("sample_t5_257");
  ASSERT_EQ(fit(KES_DIST_BETA, x, p), 0) << log();
  const std::vector<double>& r = mref("beta_t5_257");
  const long double q[4] = {p[0], p[1], p[2], p[3]};
  EXPECT_NEAR(static_cast<double>(loglik(KES_DIST_BETA, x, q)), r[4], 1e-7);
  EXPECT_NEAR(p[2], r[2], 1e-3 * r[2]);
  std::string why;
  EXPECT_TRUE(interior_maximum(KES_DIST_BETA, x, p, 4, &why)) << why;

  EXPECT_EQ(fit(KES_DIST_BETA, mref("sample_t5_166"), p), 1);
  EXPECT_EQ(count("The Beta distribution could not be fitted to x: no", log()), 1) << log();
}

TEST_F(MleEngine, WeibullShapePastAThousand) {
  // 50 values 1000 (1 + 0.001 z): the shape of the threshold-0 fit is about 1080, where
  // the powers y^c of the design's Newton iteration overflow and it stopped ("cannot go
  // on"). The fit is the score's root: 1/c + mean ln y = sum y^c ln y / sum y^c, with
  // sigma^c = mean y^c; checked here in long double.
  std::mt19937_64 gen(71);
  std::vector<double> x(50);
  for (double& v : x) v = 1000 * (1 + 0.001 * std::normal_distribution<>(0, 1)(gen));
  restart();
  request({{KES_DIST_WEIBULL, 0}});
  std::vector<double> sorted = x;
  std::sort(sorted.begin(), sorted.end());
  kes_cell* c = cell(sorted);
  ASSERT_EQ(estimate(c, 0), 0) << log();
  const double* p = curve(c, 0).params;
  EXPECT_GT(p[2], 700);
  const long double cc = p[2], m = *std::max_element(x.begin(), x.end());
  long double s0 = 0, s1 = 0, sl = 0;
  for (double v : x) {
    const long double q = std::pow(v / m, cc);
    s0 += q, s1 += q * std::log(v), sl += std::log(v);
  }
  EXPECT_NEAR(static_cast<double>(1 / cc + sl / 50 - s1 / s0), 0, 1e-5 / p[2]);
  EXPECT_NEAR(p[1], static_cast<double>(m * std::pow(s0 / 50, 1 / cc)), 1e-9 * p[1]);
}

// Likelihoods built for the engine's own test: the negative log-likelihood is
// f(x, y) = x^2 + k x y + y^2 + (x^2 + y^2)^2 / 4, whose origin is a saddle for k = 3
// (unit diagonal, negative determinant) with minima away from it; with bounds the
// caller places the minimum of (x + 1)^2 + (y - 2)^2 on the bound x >= 0.
double saddle_obj(void* d) {
  auto* o = static_cast<zfit_optrec*>(d);
  const double x = o->x[0], y = o->x[1], r = x * x + y * y;
  o->f = x * x + 3 * x * y + y * y + r * r / 4 + 10;
  return o->f;
}
int saddle_deriv(void* d) {
  auto* o = static_cast<zfit_optrec*>(d);
  const double x = o->x[0], y = o->x[1], r = x * x + y * y;
  o->grad[0] = 2 * x + 3 * y + r * x;
  o->grad[1] = 2 * y + 3 * x + r * y;
  o->hess[0] = 2 + r + 2 * x * x;
  o->hess[1] = 3 + 2 * x * y;
  o->hess[2] = 2 + r + 2 * y * y;
  return 0;
}
double bound_obj(void* d) {
  auto* o = static_cast<zfit_optrec*>(d);
  const double x = o->x[0], y = o->x[1];
  o->f = (x + 1) * (x + 1) + (y - 2) * (y - 2) + 10;
  return o->f;
}
int bound_deriv(void* d) {
  auto* o = static_cast<zfit_optrec*>(d);
  o->grad[0] = 2 * (o->x[0] + 1);
  o->grad[1] = 2 * (o->x[1] - 2);
  o->hess[0] = 2, o->hess[1] = 0, o->hess[2] = 2;
  return 0;
}

zfit_ml_spec spec2(double (*obj)(void*), int (*deriv)(void*), double xlo) {
  zfit_ml_spec s{};
  s.n = 2;
  s.flags[0] = s.flags[1] = 1;
  s.lo[0] = xlo, s.lo[1] = -ZDBL_BIG;
  s.hi[0] = s.hi[1] = ZDBL_BIG;
  s.obj = obj, s.deriv = deriv;
  s.tol = 1e-12, s.maxiter = 100;
  return s;
}

TEST(MleEngineRule, ASaddleIsNoMaximum) {
  zfit_work w{};
  zfit_ml_spec s = spec2(saddle_obj, saddle_deriv, -ZDBL_BIG);
  const double origin[2] = {0, 0};
  // The unit diagonal is positive; only the determinant tells the saddle.
  EXPECT_FALSE(zfit_ml_interior(&w, s, origin));
  // The optimiser started on the saddle converges there on a ridged Hessian: that is
  // not a fit.
  zfit_ml_add_start(&s, origin);
  double x[2];
  zfit_ml_end why;
  EXPECT_EQ(zfit_ml(&w, s, x, &why), 1);
  EXPECT_EQ(why, ZFIT_ML_NO_MAXIMUM);
  // A further start reaches a minimum of f (x = -y, 2 x^2 = 1): a maximum of log L.
  const double off[2] = {0.5, -0.3};
  zfit_ml_add_start(&s, off);
  ASSERT_EQ(zfit_ml(&w, s, x, &why), 0);
  EXPECT_EQ(why, ZFIT_ML_MAXIMUM);
  EXPECT_NEAR(x[0], -x[1], 1e-6);
  EXPECT_NEAR(x[0] * x[0], 0.5, 1e-6);
  EXPECT_TRUE(zfit_ml_interior(&w, s, x));
}

TEST(MleEngineRule, AMaximumOnABoundIsNoFit) {
  zfit_work w{};
  zfit_ml_spec s = spec2(bound_obj, bound_deriv, 0.0);
  const double on[2] = {0, 2}, in[2] = {0.5, 2};
  EXPECT_FALSE(zfit_ml_interior(&w, s, on));
  EXPECT_TRUE(zfit_ml_interior(&w, s, in));
  const double x0[2] = {3, -1};
  zfit_ml_add_start(&s, x0);
  double x[2];
  zfit_ml_end why;
  EXPECT_EQ(zfit_ml(&w, s, x, &why), 1);
  EXPECT_EQ(why, ZFIT_ML_AT_BOUND);
  // Without the bound the same likelihood has its interior maximum.
  s.lo[0] = -ZDBL_BIG;
  ASSERT_EQ(zfit_ml(&w, s, x, &why), 0);
  EXPECT_NEAR(x[0], -1, 1e-9);
  EXPECT_NEAR(x[1], 2, 1e-9);
}

}  // namespace
