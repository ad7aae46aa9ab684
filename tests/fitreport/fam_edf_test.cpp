// EDF tests of the lognormal, Weibull and gamma fits: statistics against R (goftest
// at the same parameters, ref/fam_ref.tsv), the cases of given and estimated
// parameters, the fixed tables of a known threshold, coefficient tables the test supplies
// (forms, cut-offs, missing tables). (The listing tables of each
// family are in examples/plot_families.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fam_ref.h"
#include "fit/family/kes_families.h"
#include "fitreport/kes_edfcoef.h"
#include "fitreport/kes_edftab.h"
#include "fitreport/kes_famsets.h"
#include "fitreport/kes_fitreport.h"
#include "kes_gram_names.h"
#include "support/fit_fixture.h"

namespace {

using kes_test::fit_fixture;

const std::vector<double>& ref(const std::string& key) { return fam_ref::get(key); }
const std::vector<double>& s3 = fam_ref::s3;

struct slots3 {
  int theta[2], scale[2], shape[2];
};
const slots3 kLognormal = {{KES_PLOT_SLOT_LOGNORMAL_THETA, KES_PLOT_SLOT_LOGNORMAL_THETA_MARKS},
                           {KES_PLOT_SLOT_LOGNORMAL_ZETA, KES_PLOT_SLOT_LOGNORMAL_ZETA_MARKS},
                           {KES_PLOT_SLOT_LOGNORMAL_SIGMA, KES_PLOT_SLOT_LOGNORMAL_SIGMA_MARKS}};
const slots3 kWeibull = {{KES_PLOT_SLOT_WEIBULL_THETA, KES_PLOT_SLOT_WEIBULL_THETA_MARKS},
                         {KES_PLOT_SLOT_WEIBULL_SIGMA, KES_PLOT_SLOT_WEIBULL_SIGMA_MARKS},
                         {KES_PLOT_SLOT_WEIBULL_C, KES_PLOT_SLOT_WEIBULL_C_MARKS}};
const slots3 kGamma = {{KES_PLOT_SLOT_GAMMA_THETA, KES_PLOT_SLOT_GAMMA_THETA_MARKS},
                       {KES_PLOT_SLOT_GAMMA_SIGMA, KES_PLOT_SLOT_GAMMA_SIGMA_MARKS},
                       {KES_PLOT_SLOT_GAMMA_ALPHA, KES_PLOT_SLOT_GAMMA_ALPHA_MARKS}};

// A table of the given size whose row r0 holds the logarithms of crit and whose
// other entries are 0: its critical values are crit at every n and shape.
std::string flat_table(const std::string& name, int size, const double* crit) {
  std::string t = name;
  for (int i = 0; i < size; ++i) t += " " + std::to_string(i < 11 ? std::log(crit[i]) : 0.0);
  return t + "\n";
}
constexpr double kCrit[11] = {0.1, 0.2, 0.25, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0};

class FamEdf : public fit_fixture {
 protected:
  void SetUp() override {
    fit_fixture::SetUp();
    kes_edf_coef_clear();
  }
  // One curve of dist on the values; each parameter given (a value) or estimated (NAN).
  kes_curve& tested(int dist, const slots3& s, double theta, double scale, double shape,
                    const std::vector<double>& x = s3) {
    request({{dist, 0}});
    const double v[3] = {theta, scale, shape};
    const int* sl[3] = {s.theta, s.scale, s.shape};
    for (int i = 0; i < 3; ++i)
      param(sl[i][0], sl[i][1], {std::isnan(v[i]) ? 0.0 : v[i]}, {std::isnan(v[i]) ? 1 : 0});
    kes_cell* c = cell(x);
    bins(0.5, 1, 7);
    EXPECT_EQ(estimate(c, 0), 0) << log();
    kesgof(ctx);
    return curve(c, 0);
  }
};

TEST_F(FamEdf, StatisticsOfGivenLawsMatchTheReference) {
  const struct {
    int dist;
    const slots3* s;
    std::vector<double> p;
    const char* edf;
  } rows[] = {
      {KES_DIST_LOGNORMAL, &kLognormal, {0, ref("lnorm_theta0")[0], ref("lnorm_theta0")[1]}, "lnorm_theta0_edf"},
      {KES_DIST_WEIBULL, &kWeibull, {0.5, ref("weib_theta0.5")[1], ref("weib_theta0.5")[0]}, "weib_theta0.5_edf"},
      {KES_DIST_GAMMA, &kGamma, {0, ref("gamma_theta0")[1], ref("gamma_theta0")[0]}, "gamma_theta0_edf"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.edf);
    restart();
    const kes_curve& c = tested(row.dist, *row.s, row.p[0], row.p[1], row.p[2]);
    // Case 0: the fixed tables, every p-value present.
    EXPECT_NEAR(c.edf.d, ref(row.edf)[0], 1e-12);
    EXPECT_NEAR(c.edf.wsq, ref(row.edf)[1], 1e-12);
    EXPECT_NEAR(c.edf.asq, ref(row.edf)[2], 1e-11);
    EXPECT_EQ(c.edf.tested, 1);
    EXPECT_FALSE(std::isnan(c.edf.p_d) || std::isnan(c.edf.p_wsq) || std::isnan(c.edf.p_asq));
    EXPECT_NEAR(c.edf.params[1], row.p[1], 1e-15);
  }
}

TEST_F(FamEdf, KnownThresholdCasesUseTheFixedTables) {
  // Lognormal, zeta and sigma estimated (case 3): D with its own table.
  kes_curve& l3 = tested(KES_DIST_LOGNORMAL, kLognormal, 0, NAN, NAN);
  EXPECT_NEAR(l3.edf.d, ref("lnorm_theta0_edf")[0], 1e-12);
  EXPECT_NEAR(l3.edf.asq, ref("lnorm_theta0_edf")[2], 1e-11);
  EXPECT_EQ(l3.edf.p_d_missing, 0);
  // 0.0626... x (sqrt(20) - 0.01 + 0.85/sqrt(20)) = 0.291 is below the .15 point.
  EXPECT_EQ(l3.edf.p_d, 0.15);
  EXPECT_EQ(l3.edf.rel_d, '>');
  restart();
  // Weibull, scale and shape estimated (case 3): W-Sq and A-Sq scaled.
  kes_curve& w3 = tested(KES_DIST_WEIBULL, kWeibull, 0, NAN, NAN);
  // SciPy 1.10's anderson(log(x), 'gumbel_l') gives the same A-Sq, 0.26226811309.
  EXPECT_NEAR(w3.edf.asq, ref("weib_theta0_edf")[2], 1e-10);
  // 0.262 x (1 + 0.2/sqrt(20)) = 0.274 is below the .25 point 0.474.
  EXPECT_EQ(w3.edf.p_asq, 0.25);
  EXPECT_EQ(w3.edf.rel_asq, '>');
}

TEST_F(FamEdf, EveryKnownThresholdCaseKeepsItsPValuesInItsTable) {
  // Scale and shape given near their fitted values, or estimated (NAN); D only where
  // its table exists.
  const double z = ref("lnorm_theta0")[0], sl = ref("lnorm_theta0")[1];
  const double sw = ref("weib_theta0")[1], cw = ref("weib_theta0")[0];
  const struct {
    int dist;
    const slots3* s;
    double scale, shape;
    bool d;
    double top, bottom;  // the W-Sq and A-Sq levels at the table's ends
  } rows[] = {
      {KES_DIST_LOGNORMAL, &kLognormal, NAN, sl, false, 0.25, 0.0025},
      {KES_DIST_LOGNORMAL, &kLognormal, z, NAN, false, 0.25, 0.0025},
      {KES_DIST_LOGNORMAL, &kLognormal, NAN, NAN, true, 0.5, 0.005},
      {KES_DIST_WEIBULL, &kWeibull, NAN, cw, false, 0.25, 0.01},
      {KES_DIST_WEIBULL, &kWeibull, sw, NAN, false, 0.25, 0.01},
      {KES_DIST_WEIBULL, &kWeibull, NAN, NAN, false, 0.25, 0.01},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(&r - rows);
    restart();
    const kes_curve& c = tested(r.dist, *r.s, 0, r.scale, r.shape);
    EXPECT_EQ(c.edf.p_d_missing, r.d ? 0 : 1);
    EXPECT_EQ(std::isnan(c.edf.d), !r.d);
    for (auto [p, rel] : {std::pair{c.edf.p_wsq, c.edf.rel_wsq}, std::pair{c.edf.p_asq, c.edf.rel_asq}}) {
      EXPECT_GE(p, r.bottom);
      EXPECT_LE(p, r.top);
      // A relation only at the ends of the table.
      if (rel != ' ') {
        EXPECT_EQ(p, rel == '>' ? r.top : r.bottom);
      }
    }
  }
}

TEST_F(FamEdf, TableLookupsAtAndPastTheEnds) {
  const double crit[5] = {1, 2, 3, 4, 5}, lev[5] = {.25, .10, .05, .025, .01};
  const struct {
    double s, p;
    char rel;
  } rows[] = {{0.5, .25, '>'}, {1, .25, ' '}, {2.5, .075, ' '}, {5, .01, ' '}, {5.5, .01, '<'}};
  for (const auto& r : rows) {
    const kes_edfp p = kes_edf_table(r.s, crit, lev, 5);
    EXPECT_NEAR(p.p, r.p, 1e-15) << r.s;
    EXPECT_EQ(p.rel, r.rel) << r.s;
  }
  EXPECT_TRUE(std::isnan(kes_edf_table(NAN, crit, lev, 5).p));
}

TEST_F(FamEdf, CoefficientFormsEvaluateTheirTerms) {
  // Gamma dcoef1: rows r0..r4 then k0, k1; every entry of row r is 0.1 (r + 1).
  std::string t = "# rows then scalars\ndcoef1";
  for (int r = 0; r < 5; ++r)
    for (int j = 0; j < 11; ++j) t += " " + std::to_string(0.1 * (r + 1));
  t += " 0.5 0.7\n";
  const char* bad = nullptr;
  ASSERT_EQ(kes_edf_coef_read(KES_COEF_GAMMA, t.c_str(), &bad), 0) << bad;
  double crit[11];
  ASSERT_TRUE(kes_edf_coef_crit(KES_COEF_GAMMA, 1, 0, 2.0, 16.0, crit));
  const double a = 2, n = 16;
  const double e = 0.1 + 0.2 / a + 0.3 / (a * a) + 0.4 / 4 + 0.5 / n + 0.5 / (n * a) + 0.7 / (n * a * a);
  for (double c : crit) EXPECT_NEAR(c, std::exp(e), 1e-14);
  EXPECT_FALSE(kes_edf_coef_crit(KES_COEF_GAMMA, 1, 1, 2.0, 16.0, crit));
  // Lognormal dcoef7: r0 + r1 s^2 + r2 s^3 + r3/n + r4/n^2 + k0 s/ln n + k1 s^3/n (55 + 2 used of 57).
  t = "dcoef7";
  for (int i = 0; i < 57; ++i) t += i < 55 ? (i / 11 == 1 ? " 1" : " 0") : i == 55 ? " 2" : " 0";
  ASSERT_EQ(kes_edf_coef_read(KES_COEF_LOGNORMAL, t.c_str(), &bad), 0) << bad;
  ASSERT_TRUE(kes_edf_coef_crit(KES_COEF_LOGNORMAL, 7, 0, 0.5, 20.0, crit));
  EXPECT_NEAR(crit[3], std::exp(0.25 + 2 * 0.5 / std::log(20.0)), 1e-14);
}

TEST_F(FamEdf, EveryTableOfTheLayoutIsAccepted) {
  // The sizes of every family's tables; all zero, so every critical value is 1.
  const struct {
    int family;
    std::vector<int> sets, d, w, a;
  } rows[] = {
      {KES_COEF_GAMMA, {1, 2, 3, 4, 5, 6, 7}, {57, 45, 45, 69, 46, 58, 58}, {45, 44, 45, 47, 47, 47, 58},
       {44, 45, 45, 56, 48, 35, 60}},
      {KES_COEF_LOGNORMAL, {4, 5, 6, 61, 7}, {70, 58, 68, 56, 57}, {79, 57, 56, 58, 46}, {69, 58, 56, 58, 46}},
      {KES_COEF_WEIBULL, {4, 5, 6, 7}, {68, 45, 69, 45}, {59, 48, 47, 47}, {46, 46, 36, 45}},
  };
  const double one[11] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  for (const auto& r : rows) {
    std::string t;
    for (size_t i = 0; i < r.sets.size(); ++i) {
      const std::string k = std::to_string(r.sets[i]);
      t += flat_table("dcoef" + k, r.d[i], one) + flat_table("w2coef" + k, r.w[i], one) +
           flat_table("a2coef" + k, r.a[i], one);
    }
    const char* bad = nullptr;
    ASSERT_EQ(kes_edf_coef_read(r.family, t.c_str(), &bad), 0) << r.family << " " << bad;
    for (int set : r.sets)
      for (int stat = 0; stat < 3; ++stat) {
        double crit[11];
        ASSERT_TRUE(kes_edf_coef_crit(r.family, set, stat, 1.5, 30, crit)) << set;
        EXPECT_EQ(crit[10], 1.0);
      }
  }
}

TEST_F(FamEdf, BadTableFilesAreRefusedWithTheirFault) {
  const struct {
    int family;
    std::string text, fault;
  } rows[] = {
      {KES_COEF_WEIBULL, "dcoef7 1 2 3", "dcoef7"},           // 3 values, not 45
      {KES_COEF_WEIBULL, "dcoef1 1", "dcoef1"},               // no such table for Weibull
      {KES_COEF_GAMMA, "1 2 3", "1"},                         // numbers before a name
      {KES_COEF_LOGNORMAL, "zcoef4 1", "zcoef4"},
  };
  for (const auto& r : rows) {
    const char* bad = nullptr;
    EXPECT_EQ(kes_edf_coef_read(r.family, r.text.c_str(), &bad), 1) << r.text;
    EXPECT_EQ(std::string(bad), r.fault);
  }
}

TEST_F(FamEdf, CoefficientCasesFollowTheirCutOffs) {
  std::string t = flat_table("dcoef3", 45, kCrit) + flat_table("w2coef3", 45, kCrit) + flat_table("a2coef3", 45, kCrit);
  ASSERT_EQ(kes_edf_coef_read(KES_COEF_GAMMA, t.c_str(), nullptr), 0);
  // Gamma, threshold given, scale and shape estimated: case 3 through the tables.
  kes_curve& g = tested(KES_DIST_GAMMA, kGamma, 0, NAN, NAN);
  ASSERT_EQ(g.edf.tested, 1);
  // The p-value of sqrt(n) D in the flat table's critical values.
  const double sd = std::sqrt(20.0) * ref("gamma_theta0_edf")[0];
  EXPECT_NEAR(g.edf.d, ref("gamma_theta0_edf")[0], 1e-6);
  const kes_edfp want = kes_edf_crit11(kCrit, sd);
  EXPECT_NEAR(g.edf.p_d, want.p, 1e-6);
  EXPECT_EQ(g.edf.p_wsq, 0.5);  // W-Sq 0.018 is below the .5 point 0.1
  EXPECT_EQ(g.edf.rel_wsq, '>');
  const struct {
    std::vector<double> x;
    double alpha;
    const char* note;
  } rows[] = {
      {std::vector<double>(s3.begin(), s3.begin() + 9), NAN, "need at least 10 observations"},
      {s3, 1.0, nullptr},  // shape at the tables' edge: no tests, no message
  };
  for (const auto& r : rows) {
    restart();
    ASSERT_EQ(kes_edf_coef_read(KES_COEF_GAMMA, t.c_str(), nullptr), 0);
    kes_curve& c = tested(KES_DIST_GAMMA, kGamma, 0, NAN, r.alpha, r.x);
    EXPECT_EQ(c.edf.tested, 0);
    EXPECT_TRUE(std::isnan(c.edf.d) && std::isnan(c.edf.wsq) && std::isnan(c.edf.asq));
    const std::string note = std::string("The Gamma goodness-of-fit tests with estimated parameters ");
    if (r.note != nullptr) {
      EXPECT_NE(log().find(note + r.note), std::string::npos) << log();
    } else {
      EXPECT_EQ(log().find("goodness-of-fit"), std::string::npos) << log();
    }
  }
}

TEST_F(FamEdf, ShapesPastTheTablesGetNoTests) {
  // Threshold and scale estimated, the shape given: case 5 of each family.
  const struct {
    int dist, family;
    const slots3* s;
    double shape;
    int tested;
    std::vector<int> sizes;
  } rows[] = {
      {KES_DIST_LOGNORMAL, KES_COEF_LOGNORMAL, &kLognormal, 2.99, 1, {58, 57, 58}},
      {KES_DIST_LOGNORMAL, KES_COEF_LOGNORMAL, &kLognormal, 3.0, 0, {58, 57, 58}},
      {KES_DIST_WEIBULL, KES_COEF_WEIBULL, &kWeibull, 2.01, 1, {45, 48, 46}},
      {KES_DIST_WEIBULL, KES_COEF_WEIBULL, &kWeibull, 2.0, 0, {45, 48, 46}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.shape);
    restart();
    const std::string t = flat_table("dcoef5", r.sizes[0], kCrit) + flat_table("w2coef5", r.sizes[1], kCrit) +
                          flat_table("a2coef5", r.sizes[2], kCrit);
    ASSERT_EQ(kes_edf_coef_read(r.family, t.c_str(), nullptr), 0);
    const kes_curve& c = tested(r.dist, *r.s, NAN, NAN, r.shape);
    EXPECT_EQ(c.edf.tested, r.tested);
    EXPECT_EQ(std::isnan(c.edf.wsq), r.tested == 0);
    EXPECT_EQ(log().find("goodness-of-fit tests"), std::string::npos) << log();
  }
}

TEST_F(FamEdf, MissingTablesGiveNoPValuesAndOneNote) {
  // A family read before its first need has only the tables read: here none.
  ASSERT_EQ(kes_edf_coef_read(KES_COEF_GAMMA, "# none", nullptr), 0);
  kes_curve& g = tested(KES_DIST_GAMMA, kGamma, 0, NAN, NAN);
  kesgof(ctx);
  EXPECT_EQ(g.edf.tested, 0);
  EXPECT_TRUE(std::isnan(g.edf.p_d) && std::isnan(g.edf.p_wsq) && std::isnan(g.edf.p_asq));
  EXPECT_EQ(count("No critical-value table is available for the gamma fit with estimated parameters, set 3", log()),
            1);
}

TEST_F(FamEdf, LognormalSigmaOfOneTakesTheSecondSetOfCaseSix) {
  const double high[11] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  std::string t = flat_table("dcoef6", 68, high) + flat_table("w2coef6", 56, high) + flat_table("a2coef6", 56, high) +
                  flat_table("dcoef61", 56, kCrit) + flat_table("w2coef61", 58, kCrit) +
                  flat_table("a2coef61", 58, kCrit);
  for (double sigma : {0.999, 1.0}) {
    SCOPED_TRACE(sigma);
    restart();
    ASSERT_EQ(kes_edf_coef_read(KES_COEF_LOGNORMAL, t.c_str(), nullptr), 0);
    // Threshold and sigma estimated, zeta given (case 6); the fitted sigma is then set.
    kes_curve& c = tested(KES_DIST_LOGNORMAL, kLognormal, NAN, 0.5, NAN);
    c.params[2] = sigma;
    kes_cell* cl = req.classvars->keycell;
    slot(cl).curve = 0;
    kesedfl(ctx, &req, cl);
    // Every statistic lies below 10 (the first set's .5 point) but not all below 0.1.
    if (sigma < 1) {
      EXPECT_EQ(c.edf.p_asq, 0.5);
    } else {
      EXPECT_LT(c.edf.p_asq, 0.5);
    }
  }
}

TEST_F(FamEdf, FitsAndStatisticsAreTheSameWithOneThreadAndEight) {
  // More distinct values than one round of the threaded transforms, with ties.
  std::vector<double> x;
  for (int i = 0; i < 300000; ++i) x.push_back(10.0 + std::round(std::sin(i * 0.7) * 1.5e6 + (i % 7)) / 1e6);
  const struct {
    int dist;
    const slots3* s;
  } rows[] = {{KES_DIST_LOGNORMAL, &kLognormal}, {KES_DIST_WEIBULL, &kWeibull}, {KES_DIST_GAMMA, &kGamma}};
  for (const auto& r : rows) {
    kes_curve got[2];
    for (int t = 0; t < 2; ++t) {
      restart();
      ctx->threads = t == 0 ? 1 : 8;
      got[t] = tested(r.dist, *r.s, 0.0, NAN, NAN, x);
    }
    EXPECT_TRUE(got[0].fitted && got[0].edf.asq > 0.0) << r.dist;
    const kes_edfres &a = got[0].edf, &b = got[1].edf;
    const double one[] = {a.params[0], a.params[1], a.params[2], a.mean, a.std, a.d, a.wsq, a.asq};
    const double eight[] = {b.params[0], b.params[1], b.params[2], b.mean, b.std, b.d, b.wsq, b.asq};
    EXPECT_EQ(std::memcmp(one, eight, sizeof one), 0) << r.dist;
  }
}

}  // namespace
