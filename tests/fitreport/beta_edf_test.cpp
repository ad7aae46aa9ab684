// EDF tests of the beta fit: statistics against R's goftest (fit/ref/beta_ref.tsv),
// the cases, the critical-value model by hand, the sample-size and shape limits,
// expected percents of bins past the support, CLASS cells and fitted percentiles.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/kes_families.h"
#include "fitreport/kes_fitreport.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"
#include "support/ref_tables.h"

namespace {

using kes_test::fit_fixture;

const std::vector<double>& bref(const std::string& key) {
  static const auto t = kes_test::ref_keyed("fit/ref/beta_ref.tsv");
  return t.at(key);
}

const std::vector<double> sb = {0.12, 0.31, 0.08, 0.45, 0.22, 0.27, 0.19, 0.36, 0.05, 0.51,
                                0.29, 0.14, 0.33, 0.41, 0.17, 0.24, 0.62, 0.21, 0.27, 0.38};

class BetaEdf : public fit_fixture {
 protected:
  // One beta curve on x; a missing value of a list marks it EST, an empty list is
  // not given.
  kes_curve& tested(std::vector<double> theta, std::vector<double> sigma, std::vector<double> a,
                    std::vector<double> b, const std::vector<double>& x = sb) {
    request({{KES_DIST_BETA, 0}});
    const int slots[4][2] = {{KES_PLOT_SLOT_BETA_THETA, KES_PLOT_SLOT_BETA_THETA_MARKS},
                             {KES_PLOT_SLOT_BETA_SIGMA, KES_PLOT_SLOT_BETA_SIGMA_MARKS},
                             {KES_PLOT_SLOT_BETA_ALPHA, KES_PLOT_SLOT_BETA_ALPHA_MARKS},
                             {KES_PLOT_SLOT_BETA_BETA, KES_PLOT_SLOT_BETA_BETA_MARKS}};
    const std::vector<double>* v[4] = {&theta, &sigma, &a, &b};
    for (int i = 0; i < 4; ++i)
      if (!v[i]->empty()) param(slots[i][0], slots[i][1], {std::isnan((*v[i])[0]) ? 0.0 : (*v[i])[0]},
                                {std::isnan((*v[i])[0]) ? 1 : 0});
    kes_cell* c = cell(x);
    c->varsums[0].summary[3] = 0.5;
    c->varsums[0].summary[4] = 0.1;
    bins(-0.3, 0.5, 2, true);
    EXPECT_EQ(estimate(c, 0), 0) << log();
    kesgof(ctx);
    return curve(c, 0);
  }
  static bool none(const kes_curve& c) {
    return c.edf.tested == 0 && std::isnan(c.edf.d) && std::isnan(c.edf.wsq) && std::isnan(c.edf.asq);
  }
};

TEST_F(BetaEdf, StatisticsMatchGoftestAtTheFittedAndGivenLaws) {
  // The fixed tables with every parameter given; the shapes' model, whose .5 points
  // (0.591, 0.0530, 0.346 at n = 20) lie above the statistics of the estimated law.
  const struct {
    const char* key;
    std::vector<double> theta, sigma, a, b;
    double pd;
  } rows[] = {{"edf_given", {0}, {1}, {2}, {5}, 0.25},
              {"edf_-0.5_2", {-0.5}, {2}, {bref("mle_-0.5_2")[0]}, {bref("mle_-0.5_2")[1]}, 0.25},
              {"edf_0_0.7", {0}, {0.7}, {NAN}, {NAN}, 0.5}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    restart();
    const kes_curve& c = tested(row.theta, row.sigma, row.a, row.b);
    EXPECT_NEAR(c.edf.d, bref(row.key)[0], 1e-8);
    EXPECT_NEAR(c.edf.wsq, bref(row.key)[1], 1e-8);
    EXPECT_NEAR(c.edf.asq, bref(row.key)[2], 1e-7);
    EXPECT_EQ(c.edf.tested, 1);
    EXPECT_FALSE(std::isnan(c.edf.p_wsq) || std::isnan(c.edf.p_asq));
    EXPECT_EQ(c.edf.p_d, row.pd);
    EXPECT_EQ(c.edf.rel_d, '>');
    const double* p = c.params;
    EXPECT_NEAR(c.edf.mean, p[0] + p[1] * p[2] / (p[2] + p[3]), 1e-15);
  }
}

TEST_F(BetaEdf, CriticalValuesFollowTheModelWhicheverShapeIsLarger) {
  // Levels .5, .05 and .001 of D (as sqrt(n) D), W-Sq and A-Sq, worked by hand.
  const struct {
    double a, b, n, want[3][3];
  } rows[] = {
      {2, 3, 10,
       {{0.577130466127124, 0.855281916004397, 1.1513805351864},
        {0.0534823399276718, 0.127315637247901, 0.252237893789603},
        {0.345139284491558, 0.735614487704383, 1.37461613627999}}},
      {0.5, 4, 50,
       {{0.620100784441447, 0.937508342782656, 1.29924343150958},
        {0.05577291634887, 0.144876762345876, 0.310202065527768},
        {0.357461475068491, 0.814902546946193, 1.62751295591084}}},
  };
  for (const auto& row : rows) {
    double c[3][11], s[3][11];
    kes_beta_crit(row.a, row.b, row.n, c);
    kes_beta_crit(row.b, row.a, row.n, s);
    for (int t = 0; t < 3; ++t) {
      for (int j = 0; j < 3; ++j) EXPECT_NEAR(c[t][j * 5], row.want[t][j], 1e-14) << row.a << " " << t << " " << j;
      for (int j = 0; j < 11; ++j) EXPECT_EQ(c[t][j], s[t][j]);
    }
  }
}

TEST_F(BetaEdf, CasesWithoutPValues) {
  // Shapes estimated on n = 9 (note) against n = 10 (tests); the other refusals.
  std::vector<double> nine(sb.begin(), sb.begin() + 9), ten(sb.begin(), sb.begin() + 10);
  // Piled at both ends: shapes near 0.15.
  const std::vector<double> ends = {2e-5, 1e-4, 5e-4, 1e-3, 3e-3, 0.01, 0.05, 0.97, 0.995, 0.999, 0.9995, 0.9999};
  const struct {
    const char* what;
    std::vector<double> theta, sigma, a, b, x;
    const char* note;  // null: no note, and no tests
  } rows[] = {
      {"n = 9", {0}, {0.7}, {NAN}, {NAN}, nine, "The Beta goodness-of-fit tests with estimated parameters need"},
      {"a shape of 5 or more", {0}, {1}, {NAN}, {NAN}, sb, nullptr},
      {"one shape given", {0}, {1}, {2}, {NAN}, sb, nullptr},
      {"scale estimated", {0}, {NAN}, {NAN}, {NAN}, sb, nullptr},
      {"shape below 0.2", {0}, {1}, {NAN}, {NAN}, ends, "no p-values for a shape below 0.2"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    restart();
    const kes_curve& c = tested(row.theta, row.sigma, row.a, row.b, row.x);
    EXPECT_TRUE(none(c));
    if (row.note != nullptr) EXPECT_NE(log().find(row.note), std::string::npos) << log();
    else EXPECT_EQ(log().find("goodness-of-fit tests"), std::string::npos) << log();
  }
  restart();
  EXPECT_EQ(tested({0}, {0.7}, {NAN}, {NAN}, ten).edf.tested, 1);
}

TEST_F(BetaEdf, FewGivenObservationsDropOnlyTheAndersonDarlingTest) {
  const kes_curve& c = tested({0}, {1}, {2}, {5}, {0.1, 0.2, 0.3, 0.4});
  EXPECT_TRUE(std::isnan(c.edf.asq));
  EXPECT_FALSE(std::isnan(c.edf.d) || std::isnan(c.edf.wsq));
  EXPECT_NE(log().find("needs at least 5 observations"), std::string::npos);
}

TEST_F(BetaEdf, BinsPastTheSupportKeepTheirExpectedPercents) {
  // End points -0.3, 0.2, 0.7 on the support (0, 0.65): the first bin reaches below
  // the threshold, the second past the upper end. I_x(2, 2) = 3x^2 - 2x^3.
  const kes_curve& c = tested({0}, {0.65}, {2}, {2});
  ASSERT_NE(c.expected, nullptr);
  const double u = 0.2 / 0.65, f = 3 * u * u - 2 * u * u * u;
  EXPECT_NEAR(c.expected[0], 100 * f, 1e-12);
  EXPECT_NEAR(c.expected[1], 100 * (1 - f), 1e-12);
}

TEST_F(BetaEdf, AnUnfittableCellLeavesTheOthersTested) {
  class_vars(1);
  request({{KES_DIST_BETA, 0}});
  param(KES_PLOT_SLOT_BETA_SIGMA, KES_PLOT_SLOT_BETA_SIGMA_MARKS, {0.7});
  kes_cell* good = cell(sb, "a");
  kes_cell* bad = cell({0.2, 0.5, 1.4}, "b");
  bins(-0.3, 0.5, 4, true);
  EXPECT_EQ(estimate(good, 0), 0);
  EXPECT_EQ(estimate(bad, 0), 1);
  kesgof(ctx);
  EXPECT_NE(log().find("does not lie above the largest value"), std::string::npos) << log();
  EXPECT_NE(log().find("the Beta distribution could not be fitted"), std::string::npos) << log();
  EXPECT_EQ(curve(good, 0).edf.tested, 1);
  EXPECT_EQ(curve(bad, 0).expected, nullptr);
}

TEST_F(BetaEdf, FittedPercentilesInvertTheDistributionFunction) {
  tested({-1}, {4}, {2}, {2});
  kes_cell* c = cv.keycell;
  slot(c).curve = 0;
  EXPECT_NEAR(kesbpct(ctx, c, 50), 1.0, 1e-12);
  for (double pct : {1.0, 25.0, 90.0}) {
    const double x = kesbpct(ctx, c, pct), u = (x + 1) / 4;
    EXPECT_NEAR(100 * (3 * u * u - 2 * u * u * u), pct, 1e-9) << pct;
  }
}

}  // namespace
