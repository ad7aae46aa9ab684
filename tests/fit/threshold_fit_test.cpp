// The Weibull and gamma fits with THETA=EST against R's maxima of the likelihood
// (ref/thresh_ref.tsv, made by ref/thresh_ref.R: R's rivers, MASS's galaxies and
// generated three-parameter samples), and the rule behind them: a reported fit is an
// interior local maximum of the likelihood (gradient zero, Hessian negative definite,
// checked here by finite differences of the full three-parameter log-likelihood), and
// a sample without one is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "kes_gram_names.h"
#include "support/fit_fixture.h"
#include "support/ml_check.h"
#include "support/ref_tables.h"

namespace {

using kes_test::fit_fixture;
constexpr double E = NAN;

const std::vector<double>& tref(const std::string& key) {
  static auto t = kes_test::ref_keyed("fit/ref/thresh_ref.tsv");
  static const std::vector<double> none;
  auto it = t.find(key);
  return it == t.end() ? none : it->second;
}

// The three-parameter law's log-likelihood at (threshold, scale, shape), and whether p
// is an interior local maximum (the shape held when given).
long double loglik(int dist, const std::vector<double>& x, long double theta, long double sigma, long double shape) {
  const long double p[4] = {theta, sigma, shape, 0};
  return kes_test::loglik(dist, x, p);
}
bool interior_maximum(int dist, const std::vector<double>& x, const double* p, bool shape_free, std::string* why) {
  const double q[4] = {p[0], p[1], p[2], 0};
  return kes_test::interior_maximum(dist, x, q, shape_free ? 3 : 2, why);
}

// Sample skewness with divisor n - 1, as the summaries give it to the fits.
double skewness(const std::vector<double>& x) {
  const double n = x.size();
  double m = 0, m2 = 0, m3 = 0;
  for (double v : x) m += v / n;
  for (double v : x) m2 += (v - m) * (v - m), m3 += (v - m) * (v - m) * (v - m);
  const double s = std::sqrt(m2 / (n - 1));
  return n / ((n - 1) * (n - 2)) * m3 / (s * s * s);
}

class ThresholdFit : public fit_fixture {
 protected:
  // Fits the family to x with THETA=EST and the shape given or estimated (E): the
  // estimate's result; the parameters in p.
  int fit(int dist, const std::vector<double>& x, double shape, double* p) {
    restart();
    request({{dist, 0}});
    const bool weibull = dist == KES_DIST_WEIBULL;
    param(weibull ? KES_PLOT_SLOT_WEIBULL_THETA : KES_PLOT_SLOT_GAMMA_THETA,
          weibull ? KES_PLOT_SLOT_WEIBULL_THETA_MARKS : KES_PLOT_SLOT_GAMMA_THETA_MARKS, {0}, {1});
    if (!std::isnan(shape))
      param(weibull ? KES_PLOT_SLOT_WEIBULL_C : KES_PLOT_SLOT_GAMMA_ALPHA,
            weibull ? KES_PLOT_SLOT_WEIBULL_C_MARKS : KES_PLOT_SLOT_GAMMA_ALPHA_MARKS, {shape});
    std::vector<double> sorted = x;
    std::sort(sorted.begin(), sorted.end());
    kes_cell* c = cell(sorted);
    c->varsums[0].summary[3] = skewness(x);
    const int rc = estimate(c, 0);
    for (int i = 0; i < 3; ++i) p[i] = curve(c, 0).params[i];
    return rc;
  }
};

TEST_F(ThresholdFit, ReachesRsMaximaOfRealAndGeneratedSamples) {
  // R's rivers (141 river lengths) and galaxies (82 velocities) refused with
  // "could not be fitted" even with MAXITER=500; the small-unit gamma sample stopped
  // at its start, 0.1 below the data (a fifth of its range).
  const struct {
    const char* sample;
    int dist;
    double shape;  // given, or E
    const char* key;
  } rows[] = {
      {"rivers", KES_DIST_WEIBULL, E, "weibull_rivers"},     {"rivers", KES_DIST_GAMMA, E, "gamma_rivers"},
      {"galaxies", KES_DIST_WEIBULL, E, "weibull_galaxies"}, {"rivers", KES_DIST_WEIBULL, 1.1268, "weibullc_rivers"},
      {"rivers", KES_DIST_GAMMA, 1.456, "gammaa_rivers"},    {"wlarge", KES_DIST_WEIBULL, E, "weibull_wlarge"},
      {"wlarge", KES_DIST_GAMMA, E, "gamma_wlarge"},         {"gsmall", KES_DIST_GAMMA, E, "gamma_gsmall"},
      {"w15", KES_DIST_WEIBULL, E, "weibull_w15"},           {"w15", KES_DIST_GAMMA, E, "gamma_w15"},
      {"g2", KES_DIST_WEIBULL, E, "weibull_g2"},             {"g2", KES_DIST_GAMMA, E, "gamma_g2"},
      {"wneg", KES_DIST_WEIBULL, E, "weibull_wneg"},         {"gsmall", KES_DIST_WEIBULL, E, "weibull_gsmall"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    const std::vector<double>& x = tref(std::string("sample_") + row.sample);
    const std::vector<double>& want = tref(row.key);  // threshold, shape, scale, log L
    ASSERT_EQ(want.size(), 4u);
    double p[3];
    ASSERT_EQ(fit(row.dist, x, row.shape, p), 0) << log();
    const double range = *std::max_element(x.begin(), x.end()) - *std::min_element(x.begin(), x.end());
    EXPECT_GE(loglik(row.dist, x, p[0], p[1], p[2]), want[3] - 1e-5);
    EXPECT_NEAR(p[0], want[0], 1e-4 * range);
    EXPECT_NEAR(p[2], want[1], 1e-3 * want[1]);
    EXPECT_NEAR(p[1], want[2], 1e-3 * want[2]);
    std::string why;
    EXPECT_TRUE(interior_maximum(row.dist, x, p, std::isnan(row.shape), &why)) << why;
  }
}

TEST_F(ThresholdFit, SamplesWithoutAnInteriorMaximumAreRefused) {
  // R finds no interior maximum for these: the likelihood rises towards the smallest
  // value (shapes below 1), or along a valley without end. (The gamma fit of wneg,
  // once listed here, has one: R's profile over the threshold peaks 51 below the
  // data, log L -42.66179508 above the normal limit's -42.6630; see
  // profile_search_test.cpp.)
  const struct {
    const char* sample;
    int dist;
    const char* family;
  } rows[] = {{"g08", KES_DIST_WEIBULL, "Weibull"}, {"g08", KES_DIST_GAMMA, "Gamma"},
              {"galaxies", KES_DIST_GAMMA, "Gamma"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.sample) + " " + row.family);
    ASSERT_TRUE(tref(std::string(row.family[0] == 'W' ? "weibull_" : "gamma_") + row.sample).empty());
    double p[3];
    EXPECT_EQ(fit(row.dist, tref(std::string("sample_") + row.sample), E, p), 1) << p[0] << " " << p[1] << " " << p[2];
    EXPECT_EQ(count(std::string("The ") + row.family + " distribution could not be fitted to x: ",
                    log()),
              1)
        << log();
  }
}

TEST_F(ThresholdFit, EveryReportedFitIsAnInteriorMaximum) {
  // Generated three-parameter samples of both laws, shapes 0.7 to 6, thresholds far
  // from and near the data, in units from 1e-3 to 1e4: whichever family is fitted,
  // a fit that is reported is an interior local maximum of the likelihood.
  std::mt19937_64 gen(67);
  int fitted = 0, refused = 0;
  for (int s = 0; s < 24; ++s) {
    const double shape = 0.7 + 5.3 * std::uniform_real_distribution<>(0, 1)(gen);
    const double unit = std::pow(10.0, std::uniform_int_distribution<>(-3, 4)(gen));
    const double theta = unit * std::uniform_real_distribution<>(-50, 50)(gen);
    const int n = 30 + 20 * (s % 4);
    std::vector<double> x(n);
    for (double& v : x) {
      const double z =
          s % 2 == 0 ? std::weibull_distribution<>(shape, 1.0)(gen) : std::gamma_distribution<>(shape, 1.0)(gen);
      v = theta + unit * z;
    }
    for (int dist : {KES_DIST_WEIBULL, KES_DIST_GAMMA}) {
      SCOPED_TRACE("sample " + std::to_string(s) + (dist == KES_DIST_WEIBULL ? " Weibull" : " gamma"));
      double p[3];
      const int rc = fit(dist, x, E, p);
      if (rc != 0) {
        ++refused;
        EXPECT_NE(log().find("could not be fitted to x: "), std::string::npos) << log();
        continue;
      }
      ++fitted;
      std::string why;
      EXPECT_TRUE(interior_maximum(dist, x, p, true, &why)) << why << " at " << p[0] << " " << p[1] << " " << p[2];
    }
  }
  // Both outcomes occur among these samples.
  EXPECT_GT(fitted, 10);
  EXPECT_GT(refused, 2);
}

}  // namespace
