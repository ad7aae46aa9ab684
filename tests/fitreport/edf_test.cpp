// EDF statistics and p-values of fitted normal and exponential curves: statistics
// against independent references, p-values against the critical-value tables by
// hand, the exponential drop rules and the small-sample rules.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/family/kes_families.h"
#include "fit_ref.h"
#include "fitreport/kes_edftab.h"
#include "fitreport/kes_fitrep.h"
#include "fitreport/kes_fitreport.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"

namespace {

using kes_test::fit_fixture;

class Edf : public fit_fixture {
 protected:
  const kes_edfres& tested(kes_cell* c, int k = 0) {
    EXPECT_EQ(estimate(c, k), 0);
    kesgof(ctx);
    return curve(c, k).edf;
  }
  void expect_stats(const kes_edfres& r, const std::string& key) {
    const std::vector<double>& ref = fit_ref::get(key);
    ASSERT_EQ(ref.size(), 3u) << key;
    EXPECT_NEAR(r.d, ref[0], 1e-12) << key;
    EXPECT_NEAR(r.wsq, ref[1], 1e-12) << key;
    EXPECT_NEAR(r.asq, ref[2], 1e-10) << key;
  }
};

TEST_F(Edf, NormalStatisticsInEachCaseMatchTheReferences) {
  request({{KES_DIST_NORMAL, 0}, {KES_DIST_NORMAL, 1}, {KES_DIST_NORMAL, 2}, {KES_DIST_NORMAL, 3}});
  // Curve 0 estimates both; curve 1 is given both; curve 2 gives MU=5 and SIGMA=EST;
  // curve 3 MU=EST and SIGMA=0.7.
  param(KES_PLOT_SLOT_NORMAL_MU, KES_PLOT_SLOT_NORMAL_MU_MARKS, {0, 5, 5, 0}, {1, 0, 0, 1});
  param(KES_PLOT_SLOT_NORMAL_SIGMA, KES_PLOT_SLOT_NORMAL_SIGMA_MARKS, {0, 0.7, 0, 0.7}, {1, 0, 1, 0});
  kes_cell* c = cell(fit_ref::s1);
  bins(4, 0.5, 6);
  for (int k = 0; k < 4; ++k) ASSERT_EQ(estimate(c, k), 0);
  kesgof(ctx);
  expect_stats(curve(c, 0).edf, "normal_est");
  expect_stats(curve(c, 1).edf, "normal_given");
  // Case 2: the engine forms sigma about the given mean with the divisor N.
  EXPECT_NEAR(curve(c, 2).params[1], fit_ref::get("normal_mu5_sigma")[0], 1e-14);
  // The normality engine has no D table with one parameter estimated: D goes, with
  // its p-value, and the other two tests stay.
  for (int k : {2, 3}) {
    const kes_edfres& r = curve(c, k).edf;
    const std::vector<double>& ref = fit_ref::get(k == 2 ? "normal_mu5" : "normal_sd07");
    EXPECT_TRUE(std::isnan(r.d) && std::isnan(r.p_d));
    EXPECT_EQ(r.p_d_missing, 1);
    EXPECT_NEAR(r.wsq, ref[1], 1e-12);
    EXPECT_NEAR(r.asq, ref[2], 1e-10);
    EXPECT_EQ(r.tested, 1);
  }
  for (int k = 0; k < 2; ++k) {
    const kes_edfres& r = curve(c, k).edf;
    EXPECT_EQ(r.tested, 1);
    EXPECT_EQ(r.p_d_missing, 0);
    EXPECT_FALSE(std::isnan(r.p_d) || std::isnan(r.p_wsq) || std::isnan(r.p_asq));
    EXPECT_DOUBLE_EQ(r.mean, curve(c, k).params[0]);
    EXPECT_TRUE(std::isnan(r.params[2]));
  }
  // A good fit: every p-value is above the largest level of its table.
  EXPECT_EQ(curve(c, 0).edf.rel_d, '>');
  EXPECT_EQ(slot(c).curve, 4);
}

TEST_F(Edf, ExponentialStatisticsInTheFourCases) {
  const struct {
    const char* key;
    std::vector<double> theta;
    std::vector<int> theta_est;
    std::vector<double> sigma;
    std::vector<int> sigma_est;
  } rows[] = {
      {"expo_given", {0}, {0}, {1.5}, {0}},
      {"expo_scale_est", {}, {}, {}, {}},
      {"expo_both_est", {0}, {1}, {0}, {1}},
      {"expo_theta_est", {0}, {1}, {1.5}, {0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    restart();
    request({{KES_DIST_EXPONENTIAL, 0}});
    if (!row.theta.empty())
      param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, row.theta, row.theta_est);
    if (!row.sigma.empty())
      param(KES_PLOT_SLOT_EXPONENTIAL_SIGMA, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS, row.sigma, row.sigma_est);
    kes_cell* c = cell(fit_ref::s2);
    bins(0, 1, 6);
    const kes_edfres& r = tested(c);
    expect_stats(r, row.key);
    EXPECT_EQ(r.tested, 1);
    EXPECT_DOUBLE_EQ(r.mean, r.params[0] + r.params[1]);
    EXPECT_DOUBLE_EQ(r.std, r.params[1]);
  }
}

TEST_F(Edf, ThresholdEqualToTheMinimumDropsItsTiedValues) {
  // Theta 1 and sigma 2 given; the two values at 1 leave: the test runs on 5 values.
  request({{KES_DIST_EXPONENTIAL, 0}});
  param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, {1});
  param(KES_PLOT_SLOT_EXPONENTIAL_SIGMA, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS, {2});
  kes_cell* c = cell({1, 1, 1.5, 2, 3, 4, 7});
  bins(1, 1, 7);
  const kes_edfres& r = tested(c);
  // By hand: z_i = 1 - exp(-(x - 1)/2) over the five values left, n = 5.
  const double x[5] = {1.5, 2, 3, 4, 7};
  double d = 0, w = 0, a = 0;
  for (int i = 1; i <= 5; ++i) {
    const double z = 1 - std::exp(-(x[i - 1] - 1) / 2);
    d = std::fmax(d, std::fmax(i / 5.0 - z, z - (i - 1) / 5.0));
    w += std::pow(z - (2 * i - 1) / 10.0, 2);
    a += (2 * i - 1) * std::log(z) + (11 - 2 * i) * std::log(1 - z);
  }
  EXPECT_NEAR(r.d, d, 1e-15);
  EXPECT_NEAR(r.wsq, w + 1 / 60.0, 1e-15);
  EXPECT_NEAR(r.asq, -a / 5 - 5, 1e-13);
  EXPECT_EQ(log().find("statistic cannot be computed"), std::string::npos);
  EXPECT_NE(log().find("leave out 2 observations equal to the known threshold"), std::string::npos) << log();
}

TEST_F(Edf, EstimatedThresholdAtTheMinimumLosesOnlyTheAndersonDarlingTest) {
  // Both estimated and given as THETA=EST: no drop; theta below the minimum here, so
  // give the threshold as the known minimum with a known scale estimated instead.
  request({{KES_DIST_EXPONENTIAL, 0}});
  param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, {0}, {1});
  param(KES_PLOT_SLOT_EXPONENTIAL_SIGMA, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS, {0}, {1});
  kes_cell* c = cell(fit_ref::s2);
  bins(0, 1, 6);
  ASSERT_EQ(estimate(c, 0), 0);
  curve(c, 0).params[0] = 0.1;  // the threshold the tests meet equals the minimum
  kesgof(ctx);
  const kes_edfres& r = curve(c, 0).edf;
  EXPECT_NE(log().find("A value equals the threshold"), std::string::npos);
  EXPECT_TRUE(std::isnan(r.asq));
  EXPECT_TRUE(std::isnan(r.p_asq));
  EXPECT_FALSE(std::isnan(r.p_d));
  EXPECT_FALSE(std::isnan(r.p_wsq));
  EXPECT_EQ(r.tested, 1);
}

TEST_F(Edf, FourValuesKeepDAndWOnlyForAKnownLaw) {
  // All known: D and W-Sq with the note for A-Sq; anything estimated: no tests.
  for (bool known : {true, false}) {
    SCOPED_TRACE(known);
    restart();
    request({{KES_DIST_EXPONENTIAL, 0}});
    if (known) {
      param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, {0});
      param(KES_PLOT_SLOT_EXPONENTIAL_SIGMA, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS, {1});
    }
    kes_cell* c = cell({0.2, 0.5, 1.1, 2});
    bins(0, 1, 3);
    const kes_edfres& r = tested(c);
    EXPECT_EQ(log().find("needs at least 5 observations") != std::string::npos, known);
    EXPECT_TRUE(std::isnan(r.asq));
    EXPECT_EQ(std::isnan(r.d), !known);
    EXPECT_EQ(std::isnan(r.wsq), !known);
    EXPECT_EQ(r.p_d_missing, known ? 0 : 1);
    EXPECT_EQ(r.tested, known ? 1 : 0);
    // The expected percents exist either way.
    EXPECT_NE(curve(c, 0).expected, nullptr);
  }
}

TEST(EdfTables, FixedTableEndsAndInterpolation) {
  const struct {
    double s;
    double p;
    char rel;
  } rows[] = {{1.0, 0.25, '>'},  {1.019, 0.25, ' '}, {1.358, 0.05, ' '}, {1.95, 0.001, ' '},
              {1.96, 0.001, '<'}, {(1.358 + 1.48) / 2, 0.0375, ' '}};
  for (const auto& row : rows) {
    const kes_edfp p = kes_edf_fixed_d(row.s);
    EXPECT_NEAR(p.p, row.p, 1e-15) << row.s;
    EXPECT_EQ(p.rel, row.rel) << row.s;
  }
  EXPECT_EQ(kes_edf_fixed_a(7).rel, '<');
  EXPECT_NEAR(kes_edf_fixed_w(0.461).p, 0.05, 1e-15);
  EXPECT_TRUE(std::isnan(kes_edf_fixed_a(std::nan("")).p));
}

// A case-2 critical value of D at n from its column (c0, c1, c2) by hand.
double crit_d2(const double (&c)[3], double n) { return std::exp(c[0] + c[1] / std::sqrt(n) + c[2] / (n * n)); }

TEST(EdfTables, CoefficientTableLookupsAtAndBeyondTheEnds) {
  const double l50[3] = {-0.34884625, -0.2237514, 0.17486795};
  const double l25[3] = {-0.16567106, -0.21533671, 0.0811213};
  const double l05[3] = {0.09382164, -0.21179441, -0.22651095};
  const double l025[3] = {0.1753938, -0.22531372, -0.27868198};
  const double l001[3] = {0.43764642, -0.22806409, -1.8113455};
  const double n = 10;
  const struct {
    double s, p;
    char rel;
  } rows[] = {{crit_d2(l50, n) * 0.9, 0.5, '>'},
              {(crit_d2(l50, n) + crit_d2(l25, n)) / 2, 0.25, '>'},
              {crit_d2(l05, n), 0.05, ' '},
              {(crit_d2(l05, n) + crit_d2(l025, n)) / 2, 0.0375, ' '},
              {crit_d2(l001, n) * 1.01, 0.001, '<'}};
  for (const auto& row : rows) {
    const kes_edfp p = kes_expo_p(2, 0, n, row.s);
    EXPECT_NEAR(p.p, row.p, 1e-12) << row.s;
    EXPECT_EQ(p.rel, row.rel) << row.s;
  }
}

TEST(EdfTables, CaseOneDPValuesFallAsTheStatisticGrows) {
  // With the .005 coefficient as mended, the case-1 D critical values rise from level
  // to level for the small samples too: p-values fall as sqrt(n) D grows.
  for (int n = 5; n <= 8; ++n) {
    double last = 1.0;
    for (double s = 0.5; s < 2.2; s += 0.01) {
      const double p = kes_expo_p(1, 0, n, s).p;
      EXPECT_LE(p, last + 1e-15) << n << " " << s;
      last = p;
    }
  }
}

// The table p-value with its relation against a Monte Carlo p-value: the simulated
// value lies on the stated side of a bound, or between the two table levels that
// bracket an interpolated value (within three simulation standard errors).
void expect_bracketed(double p, char rel, double mc, const char* what) {
  static const double levels[9] = {1.0, .25, .15, .10, .05, .025, .01, .005, .001};
  const double m = 3 * std::sqrt(mc * (1 - mc) / 20000) + 1e-3;
  if (rel == '>') {
    EXPECT_GE(mc, p - m) << what;
  } else if (rel == '<') {
    EXPECT_LE(mc, p + m) << what;
  } else {
    int k = 1;
    while (k < 8 && p < levels[k]) ++k;
    EXPECT_LE(mc, levels[k - 1] + m) << what << " p " << p;
    EXPECT_GE(mc, levels[k] - m) << what << " p " << p;
  }
}

TEST_F(Edf, TablePValuesBracketSimulatedOnes) {
  const struct {
    const char* key;
    int dist;
    double p0, p1;
    const std::vector<double>* x;
  } rows[] = {{"mc_normal_mu53_sd06", KES_DIST_NORMAL, 5.3, 0.6, &fit_ref::s1},
              {"mc_expo_sigma09", KES_DIST_EXPONENTIAL, 0, 0.9, &fit_ref::s2},
              {"mc_expo_sigma1", KES_DIST_EXPONENTIAL, 0, 1.0, &fit_ref::s2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    restart();
    request({{row.dist, 0}});
    if (row.dist == KES_DIST_NORMAL) {
      param(KES_PLOT_SLOT_NORMAL_MU, KES_PLOT_SLOT_NORMAL_MU_MARKS, {row.p0});
      param(KES_PLOT_SLOT_NORMAL_SIGMA, KES_PLOT_SLOT_NORMAL_SIGMA_MARKS, {row.p1});
    } else {
      param(KES_PLOT_SLOT_EXPONENTIAL_THETA, KES_PLOT_SLOT_EXPONENTIAL_THETA_MARKS, {row.p0});
      param(KES_PLOT_SLOT_EXPONENTIAL_SIGMA, KES_PLOT_SLOT_EXPONENTIAL_SIGMA_MARKS, {row.p1});
    }
    kes_cell* c = cell(*row.x);
    bins(0, 1, 8);
    const kes_edfres& r = tested(c);
    const std::vector<double>& mc = fit_ref::get(row.key);
    ASSERT_EQ(mc.size(), 3u);
    expect_bracketed(r.p_d, r.rel_d, mc[0], "D");
    expect_bracketed(r.p_wsq, r.rel_wsq, mc[1], "W-Sq");
    expect_bracketed(r.p_asq, r.rel_asq, mc[2], "A-Sq");
  }
}

TEST_F(Edf, AnEmptyVariableIsReportedUnlessTheLayoutDidSo) {
  request({{KES_DIST_NORMAL, 0}});
  cell({});
  EXPECT_EQ(kesgof(ctx), 0);
  EXPECT_EQ(count("Variable x has no nonmissing values", log()), 1);
  req.nodata_noted = 1;
  EXPECT_EQ(kesgof(ctx), 0);
  EXPECT_EQ(count("Variable x has no nonmissing values", log()), 1);
}

}  // namespace
