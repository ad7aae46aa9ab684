// The beta family against R's fitdistrplus and goftest, scipy and the digamma
// equations (ref/beta_ref.tsv, ref/beta_scipy.tsv), and its EDF tests.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/family/kes_families.h"
#include "fitreport/kes_fitrep.h"
#include "fitreport/kes_fitreport.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"
#include "support/ref_tables.h"

namespace {

const std::vector<double>& bref(const std::string& key) {
  static auto t = kes_test::ref_keyed("fitreport/ref/beta_ref.tsv");
  static auto u = kes_test::ref_keyed("fitreport/ref/beta_scipy.tsv");
  return key.rfind("scipy_", 0) == 0 ? u.at(key.substr(6)) : t.at(key);
}

const std::vector<double>& sb = bref("sample_sb");  // 20 values in (0.05, 0.62), one tie
constexpr double E = NAN;       // the entry is EST
constexpr double X = INFINITY;  // the list is not given

double loglik(const std::vector<double>& x, const double* p) {
  double l = x.size() * (std::lgamma(p[2] + p[3]) - std::lgamma(p[2]) - std::lgamma(p[3]) - std::log(p[1]));
  for (double v : x) l += (p[2] - 1) * std::log((v - p[0]) / p[1]) + (p[3] - 1) * std::log((p[0] + p[1] - v) / p[1]);
  return l;
}

class Beta : public kes_test::fit_fixture {
 protected:
  // THETA=, SIGMA=, ALPHA=, BETA= lists: curve 0's entries, and curve 1's when given.
  void lists(std::vector<double> p, std::vector<double> q = {}) {
    for (int i = 0; i < 4; ++i) {
      std::vector<double> v{std::isnan(p[i]) ? 0 : p[i]};
      std::vector<int> m{std::isnan(p[i])};
      if (!q.empty()) v.push_back(q[i]), m.push_back(0);
      if (p[i] != X) param(KES_PLOT_SLOT_BETA_THETA + i, KES_PLOT_SLOT_BETA_THETA_MARKS + i, v, m);
    }
  }
  // A cell with a skewness and excess kurtosis in its summary (by default sb's).
  kes_cell* moments_cell(const std::vector<double>& x, double skew = 0.5560015857, double kurt = 0.1580406512) {
    kes_cell* c = cell(x);
    c->varsums[0].summary[3] = skew, c->varsums[0].summary[4] = kurt;
    return c;
  }
  // One curve fitted and tested on x.
  kes_curve& tested(std::vector<double> p, const std::vector<double>& x = sb) {
    request({{KES_DIST_BETA, 0}});
    lists(p);
    kes_cell* c = moments_cell(x);
    bins(-0.3, 0.5, 2, true);
    EXPECT_EQ(estimate(c, 0), 0) << log();
    kesgof(ctx);
    return curve(c, 0);
  }
};

TEST_F(Beta, ShapesMatchTheReferences) {
  // first: the first shape compared (the other, when not given, is next).
  const struct { std::vector<double> p; const char* key; int first; double tol; } rows[] = {
      {{X, X, X, X}, "mle_0_1", 2, 1e-7}, {{-0.5, 2, X, X}, "mle_-0.5_2", 2, 1e-7},
      {{0, 1, 2, X}, "beta_alpha2", 3, 1e-10}, {{0, 1, X, 3}, "alpha_beta3", 2, 1e-10},
      // The equal-shape solve stops at a residual of sqrt(tolerance).
      {{0, 1, X, X}, "sym", 2, 1e-5}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    restart();
    request({{KES_DIST_BETA, 0}});
    lists(row.p);
    kes_cell* c = cell(bref(row.key[0] == 's' ? "sample_sym" : "sample_sb"));
    ASSERT_EQ(estimate(c, 0), 0) << log();
    estimate(c, 0);
    // The default support is noted once per curve.
    EXPECT_EQ(count("THETA= is not given for the beta curve of x; the threshold 0", log()), row.p[0] == X);
    EXPECT_EQ(count("SIGMA= is not given for the beta curve of x; the scale 1", log()), row.p[1] == X);
    const kes_curve& k = curve(c, 0);
    const bool both = row.p[2] == X && row.p[3] == X;
    for (int j = row.first; j < (both ? 4 : row.first + 1); ++j) {
      EXPECT_NEAR(k.params[j], bref(row.key)[j - row.first], row.tol * k.params[j]);
      if (row.key[0] == 'm') {
        EXPECT_NEAR(k.params[j], bref(std::string("scipy_") + row.key)[j - 2], 1e-6 * k.params[j]);
      }
    }
    EXPECT_EQ(k.estimated[2] + k.estimated[3], both ? 2 : 1);
  }
}

TEST_F(Beta, EqualShapesAtTheGridEnd) {
  // g1 = g2 = 0.69335 asks for shapes near 1250, past the grid's last point 1000.
  request({{KES_DIST_BETA, 0}});
  EXPECT_EQ(estimate(cell({0.49, 0.51}), 0), 1);
  EXPECT_NE(log().find("The beta shapes could not be estimated"), std::string::npos) << log();
}

TEST_F(Beta, RefusalsAndFailuresAreNoted) {
  const struct { std::vector<double> p; double maxiter; bool moments; const char *note, *also; } rows[] = {
      {{0.05, 1, X, X}, E, true, "is not below the smallest value", "The smallest value is 0.05"},
      {{0, 0.62, X, X}, E, true, "does not lie above the largest value", "SIGMA= must exceed 0.62"},
      {{E, 0.5, X, X}, E, true, "SIGMA= must exceed 0.57", nullptr},
      {{E, E, X, X}, E, false, "could not be fitted to x: ", nullptr},
      {{E, E, X, X}, 1, true, "could not be fitted to x: ", nullptr},
      {{E, E, 2, X}, 1, true, "could not be fitted to x: ", "One beta shape was given"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.note);
    restart();
    request({{KES_DIST_BETA, 0}});
    lists(row.p);
    stmt.slots[KES_PLOT_SLOT_BETA_MAXITER].given = !std::isnan(row.maxiter);
    stmt.slots[KES_PLOT_SLOT_BETA_MAXITER].v.num = row.maxiter;
    EXPECT_EQ(estimate(row.moments ? moments_cell(sb) : cell(sb), 0), 1);
    for (const char* t : {row.note, row.also, "The Beta distribution could not be fitted"})
      EXPECT_TRUE(t == nullptr || log().find(t) != std::string::npos) << t << "\n" << log();
  }
}

TEST_F(Beta, EstimatedSupportStaysFeasibleAndBeatsTheGivenOne) {
  // 200 quantiles of shapes 3 and 4 on (0, 1); curve 1 holds the support at (0, 1).
  std::vector<double> law(200);
  const double p34[4] = {0, 1, 3, 4};
  for (int i = 0; i < 200; ++i) kesbx(p34, (i + 0.5) / 200, &law[i]);
  for (const auto& p : {std::vector<double>{E, E, X, X}, {0, E, X, X}, {E, 1.02, X, X}}) {
    restart();
    request({{KES_DIST_BETA, 0}, {KES_DIST_BETA, 1}});
    lists(p, {0, std::isnan(p[1]) ? 1 : p[1], X, X});
    kes_cell* c = moments_cell(law, 0.1814, -0.5556);  // the law's
    ASSERT_EQ(estimate(c, 0), 0) << log();
    ASSERT_EQ(estimate(c, 1), 0) << log();
    const double* q = curve(c, 0).params;
    EXPECT_TRUE(q[0] < law.front() && q[0] + q[1] > law.back() && std::fmin(q[2], q[3]) >= 0.001);
    EXPECT_GE(loglik(law, q), loglik(law, curve(c, 1).params) - 1e-9);
  }
}

TEST_F(Beta, EstimatedSupportReachesRsMaximumLikelihood) {
  // ref/beta4_ref.R: R's optim from 18 starts. The stopping rule (g'H^-1 g below 1e-8
  // |log L|) leaves -log L within about 1e-7 of the maximum; along the flat valleys of
  // large shapes (b33_50) the parameters move by up to 1e-3 for that. b153_200's
  // threshold lies 0.0006 below the smallest value, 0.0007 of the range.
  static auto t = kes_test::ref_keyed("fitreport/ref/beta4_ref.tsv");
  const struct { const char* name; bool interior; double sigma; } rows[] = {
      {"b25_80", true, E}, {"b52_60", true, E}, {"b33_50", true, E}, {"b24_200", true, E}, {"b24_50", true, E},
      {"b153_200", true, E}, {"b25_80", true, 1}, {"b25_30", false, E}, {"b153_30", false, E}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + (std::isnan(row.sigma) ? "" : " sigma given"));
    restart();
    request({{KES_DIST_BETA, 0}});
    lists({E, row.sigma, X, X});
    const std::vector<double>& x = t.at(std::string("sample_") + row.name);
    const std::vector<double>& m = t.at(std::string("moments_") + row.name);
    kes_cell* c = moments_cell(x, m[0], m[1]);
    if (!row.interior) {
      // The likelihood grows without bound towards an end of the data: no fit.
      EXPECT_EQ(estimate(c, 0), 1);
      EXPECT_NE(log().find("could not be fitted to x: "), std::string::npos) << log();
      continue;
    }
    ASSERT_EQ(estimate(c, 0), 0) << log();
    const std::vector<double>& r = t.at((std::isnan(row.sigma) ? "mle4_" : "mle3_") + std::string(row.name));
    const double* q = curve(c, 0).params;
    const double want[4] = {r[2], r[3], r[0], r[1]};  // theta, sigma, alpha, beta
    EXPECT_NEAR(-loglik(x, q), r[4], 2e-7 * (1 + std::fabs(r[4])));
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(q[j], want[j], 2e-3 * (std::fabs(want[j]) + want[1])) << j;
  }
}

TEST_F(Beta, EstimatedSupportDoesNotDependOnTheUnit) {
  // The same sample in units a million times smaller, shifted: the same shapes.
  static auto t = kes_test::ref_keyed("fitreport/ref/beta4_ref.tsv");
  const std::vector<double>& x = t.at("sample_b25_80");
  const std::vector<double>& m = t.at("moments_b25_80");
  std::vector<double> fits[2];
  for (double unit : {1.0, 1e-6}) {
    restart();
    request({{KES_DIST_BETA, 0}});
    lists({E, E, X, X});
    std::vector<double> y;
    for (double v : x) y.push_back(3 + v * unit);
    kes_cell* c = moments_cell(y, m[0], m[1]);
    ASSERT_EQ(estimate(c, 0), 0) << log();
    const double* q = curve(c, 0).params;
    fits[unit == 1.0 ? 0 : 1] = {(q[0] - 3) / unit, q[1] / unit, q[2], q[3]};
  }
  for (int j = 0; j < 4; ++j) EXPECT_NEAR(fits[1][j], fits[0][j], 1e-6 * (std::fabs(fits[0][j]) + 1)) << j;
}

TEST_F(Beta, HeightsModesAndTheScaleConstant) {
  // Support (-1, 3), bin width 0.5, percent scale: the height is 50 x density, the
  // drawing constant 50 / B(alpha, beta). Shapes 2, 3: mode 1/3, density 4/9.
  const struct { double a, b, mode, h, c; } rows[] = {
      {2, 3, 1.0 / 3, 200.0 / 9, 600}, {1, 1, E, 12.5, 50}, {0.5, 2, E, E, 37.5}};
  for (const auto& r : rows) {
    restart();
    request({{KES_DIST_BETA, 0}});
    lists({-1, 4, r.a, r.b});
    kes_cell* c = cell(sb);
    bins(0.25, 0.5, 2);
    double h, cst = 0;
    ASSERT_EQ(estimate(c, 0, -1, 3, &h), 0) << log();
    for (auto [got, want] : {std::pair{curve(c, 0).mode, r.mode}, {h, r.h}})
      EXPECT_TRUE(std::isnan(want) ? std::isnan(got) : std::fabs(got - want) < 1e-12) << r.a << " " << got;
    EXPECT_TRUE(kescnst(ctx, &req, c, 0, &cst) == 0 && std::fabs(cst - r.c) < 1e-12) << cst;
  }
}

TEST_F(Beta, MembersAtTheEndsAndQuantileRoundTrips) {
  const double p[4] = {0, 1, 2, 5}, q[4] = {-1, 2, 2, 2};
  EXPECT_TRUE(kesbp(p, 1e-7) == 0 && kesbp(p, 1.5) == 100 && kesbplt(-1, 1, q) == 0 && kesbplt(1, 1, q) == 0);
  EXPECT_NEAR(kesbp(q, 0.3), 100 * (3 * 0.09 - 2 * 0.027), 1e-12);  // I_x(2, 2) = 3x^2 - 2x^3
  for (double pr : {0.001, 0.1, 0.5, 0.9, 0.999}) {
    double z = -1;
    EXPECT_TRUE(kesbx(p, pr, &z) == 0 && std::fabs(kesbp(p, z) - 100 * pr) < 1e-9) << pr;
  }
}

TEST_F(Beta, EdfStatisticsMatchGoftest) {
  // Every parameter given: the fixed tables. Shapes estimated: the model, whose .5
  // points (0.591, 0.0530, 0.346 at n = 20) lie above these statistics.
  const struct { const char* key; std::vector<double> p; double pd; } rows[] = {{"edf_given", {0, 1, 2, 5}, 0.25},
              {"edf_-0.5_2", {-0.5, 2, bref("mle_-0.5_2")[0], bref("mle_-0.5_2")[1]}, 0.25},
              {"edf_0_0.7", {0, 0.7, E, E}, 0.5}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    restart();
    const kes_curve& c = tested(row.p);
    for (int t = 0; t < 3; ++t) EXPECT_NEAR((&c.edf.asq)[2 * ((t + 1) % 3)], bref(row.key)[t], 1e-7);
    EXPECT_TRUE(c.edf.tested && !std::isnan(c.edf.p_wsq + c.edf.p_asq) && c.edf.p_d == row.pd && c.edf.rel_d == '>');
  }
}

TEST_F(Beta, CriticalValuesFollowTheModelWhicheverShapeIsLarger) {
  // Levels .5, .05 and .001 of sqrt(n) D, W-Sq and A-Sq, worked by hand.
  const struct { double a, b, n, want[3][3]; } rows[] = {
      {2, 3, 10, {{0.5771304661, 0.8552819160, 1.151380535}, {0.05348233993, 0.1273156372, 0.2522378938},
                  {0.3451392845, 0.7356144877, 1.374616136}}},
      {0.5, 4, 50, {{0.6201007844, 0.9375083428, 1.299243432}, {0.05577291635, 0.1448767623, 0.3102020655},
                    {0.3574614751, 0.8149025469, 1.627512956}}}};
  for (const auto& row : rows) {
    double c[3][11], s[3][11];
    kes_beta_crit(row.a, row.b, row.n, c);
    kes_beta_crit(row.b, row.a, row.n, s);
    for (int t = 0; t < 3; ++t)
      for (int j = 0; j < 11; ++j) {
        EXPECT_TRUE(j % 5 != 0 || std::fabs(c[t][j] - row.want[t][j / 5]) < 1e-9) << row.a << " " << t << " " << j;
        EXPECT_EQ(c[t][j], s[t][j]);
      }
  }
}

TEST_F(Beta, CasesWithoutPValues) {
  const std::vector<double> nine(sb.begin(), sb.begin() + 9), ten(sb.begin(), sb.begin() + 10);
  const std::vector<double> ends = {2e-5, 1e-4, 5e-4, 1e-3, 3e-3, 0.01, 0.05, 0.97, 0.995, 0.999, 0.9995, 0.9999};
  const struct { std::vector<double> p, x; const char* note; } rows[] = {  // note null: none
      {{0, 0.7, E, E}, nine, "The Beta goodness-of-fit tests with estimated parameters need at least 10"},
      {{0, 1, E, E}, sb, nullptr},  // beta 6.4: the model stops at 5
      {{0, 1, E, E}, ends, "no p-values for a shape below 0.2"},  // shapes near 0.15
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.x.size());
    restart();
    const kes_curve& c = tested(row.p, row.x);
    EXPECT_TRUE(!c.edf.tested && std::isnan(c.edf.d) && std::isnan(c.edf.wsq) && std::isnan(c.edf.asq));
    EXPECT_EQ(log().find(row.note ? row.note : "goodness-of-fit tests") != std::string::npos, row.note != nullptr);
  }
  restart();
  EXPECT_EQ(tested({0, 0.7, E, E}, ten).edf.tested, 1);
}

TEST_F(Beta, BinsPastTheSupportKeepTheirExpectedPercents) {
  // End points -0.3, 0.2, 0.7 on the support (0, 0.65).
  const kes_curve& c = tested({0, 0.65, 2, 2});
  ASSERT_NE(c.expected, nullptr);
  const double u = 0.2 / 0.65, f = 3 * u * u - 2 * u * u * u;
  EXPECT_NEAR(c.expected[0], 100 * f, 1e-12);
  EXPECT_NEAR(c.expected[1], 100 * (1 - f), 1e-12);
}

TEST_F(Beta, AnUnfittableCellLeavesTheOthersTested) {
  class_vars(1);
  request({{KES_DIST_BETA, 0}});
  lists({X, 0.7, X, X});
  kes_cell* good = cell(sb, "a");
  kes_cell* bad = cell({0.2, 0.5, 1.4}, "b");
  bins(-0.3, 0.5, 4, true);
  EXPECT_EQ(estimate(good, 0), 0);
  EXPECT_EQ(estimate(bad, 0), 1);
  kesgof(ctx);
  EXPECT_NE(log().find("SIGMA= must exceed 1.4 for the beta curve to cover the data.\nNOTE: For g = b, the Beta"),
            std::string::npos) << log();
  EXPECT_EQ(curve(good, 0).edf.tested, 1);
  EXPECT_EQ(curve(bad, 0).expected, nullptr);
}

}  // namespace
