// Tests for normality: Shapiro-Wilk W and p, the EDF statistics D, W-Sq and A-Sq,
// their table p-values with qualifiers, the parameter cases and the degenerate data.
// Reference values were computed once with R 4.2.2 (stats::shapiro.test, ks.test,
// pnorm; nortest 1.0 lillie.test, cvm.test, ad.test) on the same generated samples.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine_samples.h"
#include "numeric/zmissing.h"
#include "numeric/zprobit.h"
#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"
#include "stats/zkesnrm.h"

namespace {

using kes_test::value_list;

kes_nrmres run_list(value_list& vl, int ncase = KES_NRM_BOTH_EST, int print = 1,
                    double mu = zmissing(), double sigma = zmissing()) {
  const kes_moments m = kes_test::moments_of(vl);
  kes_nrmres r;
  zkesnrm_arrays(vl.size(), &m, vl.view()->x, vl.view()->f, ncase, print, mu, sigma, &r);
  return r;
}

kes_nrmres run_values(const std::vector<double>& x, int ncase = KES_NRM_BOTH_EST, int print = 1,
                      double mu = zmissing(), double sigma = zmissing()) {
  value_list vl = value_list::of(x);
  return run_list(vl, ncase, print, mu, sigma);
}

// --------------------------------------------------------------------------- W
TEST(ShapiroWilkCoefficients, TableRowsAndApproximationHaveUnitSumOfSquares) {
  double a[1001];
  for (int n = 3; n <= 2000; n += (n < 40 ? 1 : 97)) {
    ASSERT_EQ(kes_swcoef(n, a), 0) << n;
    double ss = 0;
    for (int i = 0; i < n / 2; ++i) ss += 2 * a[i] * a[i];
    // The table rows are rounded to 12 digits.
    EXPECT_NEAR(ss, 1.0, n < 12 ? 1e-11 : 1e-13) << n;
    for (int i = 1; i < n / 2; ++i) EXPECT_LT(a[i], a[i - 1]) << n;
    if (n % 2 == 1) {
      EXPECT_EQ(a[n / 2], 0.0) << n;
    }
  }
  EXPECT_EQ(kes_swcoef(2, a), 1);
  EXPECT_EQ(kes_swcoef(2001, a), 1);
  ASSERT_EQ(kes_swcoef(4, a), 0);
  EXPECT_EQ(a[0], 0.687264285908);
  EXPECT_EQ(a[1], 0.166336410069);
  ASSERT_EQ(kes_swcoef(11, a), 0);
  EXPECT_EQ(a[4], 0.069763824771);
}

struct sw_ref {
  int n;
  double w, p;
};

struct sw_ref2 {
  int n;
  double w, p;    // R: W = L^2 / sum (x - mean)^2 with the coefficients formed as here,
                  // p = pnorm(log(1 - W), mu(n), sigma(n), lower.tail = FALSE)
  double rw, rp;  // R: shapiro.test(x)
};

// The sum-of-three sample of size n. From 12 on the coefficients are the normal scores
// with the two outermost corrected by polynomials in 1/sqrt(n). The first W/p pair was
// formed in R with a slipped constant (-3.582663 for -3.582633 in the polynomial for
// a_(n-1)), so it is only a loose check; shapiro.test's values are the tight one.
constexpr sw_ref2 SW_SUM3[] = {
    {12, 0.89852569374192293, 0.15181866162588686, 0.89852573398174274, 0.1518188432292058},
    {13, 0.89381337956759832, 0.10999924993016318, 0.89381341386459545, 0.10999936890483726},
    {20, 0.90894517582862933, 0.060855009581691155, 0.90894517476522596, 0.060855006746747528},
    {50, 0.96236157886306672, 0.11164557378481674, 0.96236157857497429, 0.1116455706825676},
    {100, 0.98776004325371336, 0.49068632469132711, 0.98776004323532951, 0.49068632336245299},
    {500, 0.99313916073165864, 0.022191408137318128, 0.99313916073154707, 0.022191408135251289},
    {1000, 0.99750307805703142, 0.13038264908949868, 0.99750307805701388, 0.13038264908580097},
    {2000, 0.99771008938879646, 0.0055195241386062745, 0.99771008938878813, 0.0055195241384596175},
};
// The skewed sample of size n, as above.
constexpr sw_ref2 SW_SKEW[] = {
    {12, 0.85245562849303214, 0.039372664315365714, 0.85245563118222867, 0.039372667336574969},
    {30, 0.87184184412864263, 0.0018415228371023882, 0.87184184282809885, 0.0018415227136790902},
    {200, 0.91240397276220775, 1.6736996758783149e-09, 0.91240397275127094, 1.673699672957781e-09},
    {2000, 0.89310202193706867, 3.6198571812028676e-35, 0.89310202193704624, 3.6198571811786326e-35},
};

void expect_sw(const kes_nrmres& r, const sw_ref2& ref) {
  EXPECT_EQ(r.ntests, 4);
  EXPECT_NEAR(r.w, ref.w, 5e-8) << ref.n;
  EXPECT_NEAR(r.w, ref.rw, 1e-12) << ref.n;
  // 0.5 - 0.5 erf(z) keeps absolute, not relative, accuracy in the far tail.
  EXPECT_NEAR(r.pw, ref.rp, 1e-9 * ref.rp + 1e-15) << ref.n;
  EXPECT_EQ(r.first_stat, &r.w);
  EXPECT_EQ(r.out_stat, r.w);
  EXPECT_EQ(r.out_prob, r.pw);
}

TEST(ShapiroWilk, MatchesReferenceOnGeneratedSamples) {
  for (const sw_ref2& ref : SW_SUM3) expect_sw(run_values(kes_test::gen_sum3(ref.n)), ref);
  for (const sw_ref2& ref : SW_SKEW) expect_sw(run_values(kes_test::gen_skew(ref.n)), ref);
  // n = 4 and 5: exact coefficients and shapiro.test's approximation agree (R:
  // shapiro.test(x)). For n = 6..11, R: W = (sum a_i (x_(n+1-i) - x_(i)))^2 /
  // sum (x - mean)^2 with the exact coefficients, and p = pnorm(-log(gamma - log(1 - W)),
  // mu, sigma, lower = FALSE) with the small-sample polynomials; shapiro.test's
  // approximate coefficients differ from these by up to 1.1e-7 in W.
  const struct {
    bool skew;
    sw_ref r;
    double wtol, ptol;
  } small[] = {
      {false, {4, 0.93934090003885007, 0.65031164363214955}, 2e-8, 1e-7},
      {false, {5, 0.87996068257734394, 0.30913286553669528}, 2e-8, 1e-7},
      {true, {4, 0.93872476141241012, 0.64656595906792491}, 2e-8, 1e-7},
      {true, {5, 0.92015448007940559, 0.53093677152054486}, 2e-8, 1e-7},
      {false, {6, 0.86769321462057258, 0.21716382583185745}, 1e-12, 1e-11},
      {false, {7, 0.93507690337951199, 0.59485404838564926}, 1e-12, 1e-11},
      {false, {8, 0.91310115114811718, 0.37641944059087534}, 1e-12, 1e-11},
      {false, {9, 0.91118865846710717, 0.32428290534315496}, 1e-12, 1e-11},
      {false, {10, 0.89411943589837906, 0.18860015537371455}, 1e-12, 1e-11},
      {false, {11, 0.91486717737193946, 0.2781775320629965}, 1e-12, 1e-11},
  };
  for (const auto& c : small) {
    const kes_nrmres r = run_values(c.skew ? kes_test::gen_skew(c.r.n) : kes_test::gen_sum3(c.r.n));
    EXPECT_NEAR(r.w, c.r.w, c.wtol) << c.r.n << c.skew;
    EXPECT_NEAR(r.pw, c.r.p, c.ptol) << c.r.n << c.skew;
  }
}

TEST(ShapiroWilk, TiesWithFrequenciesEqualTheExpandedSample) {
  value_list vl(kes_test::freq_sample());
  const kes_nrmres r = run_list(vl);
  // R: shapiro.test(rep(v, f)), 25 observations.
  EXPECT_NEAR(r.w, 0.88556692034734941, 1e-13);
  EXPECT_NEAR(r.pw, 0.0090205441306925663, 1e-15);
}

TEST(ShapiroWilk, SmallSamples) {
  // Two observations: W = 1, p = 1 without computation; the EDF tests still run.
  kes_nrmres r = run_values({1.0, 3.0});
  EXPECT_EQ(r.w, 1.0);
  EXPECT_EQ(r.pw, 1.0);
  EXPECT_FALSE(is_missing(r.d));
  // n = 3 with W = 0.75 (the smallest possible): p = 0.
  r = run_values({0.0, 0.0, 1.0});
  EXPECT_NEAR(r.w, 0.75, 1e-12);
  EXPECT_NEAR(r.pw, 0.0, 1e-6);
  EXPECT_GE(r.pw, 0.0);
  // n = 3, evenly spaced: W = 1.
  r = run_values({1.0, 2.0, 3.0});
  EXPECT_NEAR(r.w, 1.0, 1e-12);
  EXPECT_NEAR(r.pw, 1.0, 1e-6);
  // The p-value routine outside its range.
  EXPECT_TRUE(is_missing(kes_swprob(0.9, 2)));
  EXPECT_TRUE(is_missing(kes_swprob(0.9, 2001)));
  EXPECT_EQ(kes_swprob(1.0, 50), 1.0);
}

TEST(ShapiroWilk, PrintFlagClearSkipsTheEdfTests) {
  const kes_nrmres r = run_values(kes_test::gen_sum3(50), KES_NRM_BOTH_EST, 0);
  EXPECT_FALSE(is_missing(r.w));
  EXPECT_TRUE(is_missing(r.d));
  EXPECT_TRUE(is_missing(r.wsq));
  EXPECT_TRUE(is_missing(r.asq));
  EXPECT_EQ(r.out_stat, r.w);
}

// --------------------------------------------------------------------------- EDF
struct edf_ref {
  double d, wsq, asq;
};

void expect_edf(const kes_nrmres& r, const edf_ref& ref) {
  EXPECT_NEAR(r.d, ref.d, 1e-12 * ref.d);
  EXPECT_NEAR(r.wsq, ref.wsq, 1e-11 * ref.wsq);
  EXPECT_NEAR(r.asq, ref.asq, 1e-11 * ref.asq);
}

TEST(EdfStatistics, MatchReferenceWithEstimatedParameters) {
  // nortest: lillie.test(x)$statistic, cvm.test(x)$statistic, ad.test(x)$statistic.
  expect_edf(run_values(kes_test::gen_sum3(50)),
             {0.12919999460726039, 0.15828299901534532, 0.802744938387562});
  expect_edf(run_values(kes_test::gen_skew(30)),
             {0.17634406048944234, 0.21381105204465833, 1.3333243387326199});
  value_list vl(kes_test::freq_sample());
  expect_edf(run_list(vl), {0.17293656241756949, 0.15656319815525976, 0.99190230826475556});
}

TEST(EdfStatistics, FarTailUsesAccurateLogProbabilities) {
  // 49 values in (0, 0.01) and one at 100: z of the outlier is 6.93.
  std::vector<double> x;
  for (int i = 1; i <= 49; ++i) x.push_back(kes_test::gen_u(i) / 100.0);
  x.push_back(100.0);
  const kes_nrmres r = run_values(x);
  // nortest, as above.
  expect_edf(r, {0.53609121312678742, 4.0243842671757166, 18.85989376555986});
  // Far outside every table: lower bounds with '<'.
  EXPECT_EQ(r.pd, 0.01);
  EXPECT_EQ(r.qual[1], '<');
  EXPECT_EQ(r.pwsq, 0.005);
  EXPECT_EQ(r.qual[2], '<');
  EXPECT_EQ(r.pasq, 0.005);
  EXPECT_EQ(r.qual[3], '<');
}

TEST(EdfStatistics, MoreThan2000ObservationsReportDFirst) {
  const kes_nrmres r = run_values(kes_test::gen_skew(2001));
  EXPECT_EQ(r.ntests, 3);
  EXPECT_TRUE(is_missing(r.w));
  EXPECT_TRUE(is_missing(r.pw));
  EXPECT_EQ(r.first_stat, &r.d);
  EXPECT_EQ(r.first_prob, &r.pd);
  EXPECT_EQ(r.out_stat, r.d);
  EXPECT_EQ(r.out_prob, r.pd);
  // nortest, as above.
  expect_edf(r, {0.13502991597243791, 10.525749605975129, 67.768102282619111});
}

TEST(EdfStatistics, TableValuesAndQualifiers) {
  // Hand-computed from the sum-of-three sample of 50 (statistics above), case 3:
  // D* = D (sqrt 50 - 0.01 + 0.85/sqrt 50) = 0.927820 between 0.895 (0.05) and 0.955
  // (0.025): p = 0.05 - 0.025 (D* - 0.895)/0.06. W-Sq* = 1.01 W-Sq = 0.159866 between
  // 0.148 (0.025) and 0.178 (0.01). A-Sq* = A-Sq (1 + 0.015 + 0.0009) = 0.815509 between
  // 0.752 (0.05) and 0.873 (0.025).
  const kes_nrmres r = run_values(kes_test::gen_sum3(50));
  const double rn = std::sqrt(50.0);
  const double ds = r.d * (rn - 0.01 + 0.85 / rn);
  const double ws = r.wsq * 1.01;
  const double as = r.asq * (1 + 0.75 / 50 + 2.25 / 2500);
  EXPECT_NEAR(ds, 0.92782, 1e-5);
  EXPECT_NEAR(r.pd, 0.05 - 0.025 * (ds - 0.895) / 0.06, 1e-15);
  EXPECT_NEAR(r.pwsq, 0.025 - 0.015 * (ws - 0.148) / 0.03, 1e-15);
  EXPECT_NEAR(r.pasq, 0.05 - 0.025 * (as - 0.752) / 0.121, 1e-15);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(r.qual[i], ' ');
  EXPECT_EQ(r.qual[0], ' ');

  // The interpolation rule on its own: {statistic, p-value, qualifier}.
  const double c[3] = {1.0, 2.0, 4.0};
  const double p[3] = {0.2, 0.1, 0.05};
  const struct {
    double stat, p;
    char qual;
  } rows[] = {{1.0, 0.2, '>'}, {0.1, 0.2, '>'}, {3.0, 0.075, ' '}, {4.0, 0.05, ' '}, {4.5, 0.05, '<'}};
  for (const auto& row : rows) {
    char q = '?';
    EXPECT_NEAR(kes_edfinterp(row.stat, c, p, 3, &q), row.p, 1e-16) << row.stat;
    EXPECT_EQ(q, row.qual) << row.stat;
  }
}

TEST(EdfStatistics, NearNormalSampleGivesUpperBounds) {
  // Normal scores of 40: every statistic falls below its table.
  std::vector<double> x;
  for (int i = 1; i <= 40; ++i) x.push_back(zprobit((i - 0.5) / 40));
  const kes_nrmres r = run_values(x);
  EXPECT_EQ(r.pd, 0.15);
  EXPECT_EQ(r.qual[1], '>');
  EXPECT_EQ(r.pwsq, 0.25);
  EXPECT_EQ(r.qual[2], '>');
  EXPECT_EQ(r.pasq, 0.25);
  EXPECT_EQ(r.qual[3], '>');
  EXPECT_GT(r.w, 0.99);
}

// ----------------------------------------------------------------- parameter cases
TEST(EdfCases, GivenParameters) {
  const std::vector<double> x = kes_test::gen_sum3(20);
  // R: D, W-Sq, A-Sq from pnorm((x - mu)/sigma) of the sorted sample; D also equals
  // ks.test(x, "pnorm", 1.4, 0.6)$statistic.
  kes_nrmres r = run_values(x, KES_NRM_BOTH_GIVEN, 1, 1.4, 0.6);
  EXPECT_EQ(r.ntests, 3);
  EXPECT_TRUE(is_missing(r.w));
  EXPECT_EQ(r.mu, 1.4);
  EXPECT_EQ(r.sigma, 0.6);
  expect_edf(r, {0.17972726204766939, 0.12998201500425099, 0.79781244398537865});
  // Case 0 modifications, hand-computed: D* = D (sqrt 20 + 0.12 + 0.11/sqrt 20) =
  // 0.8276 below 1.019: '>' 0.25; A-Sq unmodified 0.7978 below 1.248: '>' 0.25.
  EXPECT_EQ(r.pd, 0.25);
  EXPECT_EQ(r.qual[1], '>');
  EXPECT_EQ(r.pasq, 0.25);
  EXPECT_EQ(r.out_stat, r.d);

  // Mean estimated, sigma given.
  r = run_values(x, KES_NRM_MEAN_EST, 1, zmissing(), 0.6);
  expect_edf(r, {0.19033707321349508, 0.13847199502962079, 0.77683948749348275});
  EXPECT_TRUE(is_missing(r.pd));  // no D table in this case
  EXPECT_EQ(r.qual[1], ' ');
  // W-Sq unmodified 0.13847 between 0.134 (0.10) and 0.165 (0.05).
  EXPECT_NEAR(r.pwsq, 0.10 - 0.05 * (r.wsq - 0.134) / 0.031, 1e-15);

  // Sigma estimated about a given mean: sqrt(mean((x - 1.4)^2)) in R.
  r = run_values(x, KES_NRM_SIGMA_EST, 1, 1.4, zmissing());
  EXPECT_NEAR(r.sigma, 0.48682200717138607, 1e-14);
  expect_edf(r, {0.16184623336659898, 0.13202300305413223, 0.85234231985173636});
}

TEST(EdfCases, CaseZeroNeedsFiveObservationsForTheADTable) {
  kes_nrmres r = run_values({1, 2, 4, 7}, KES_NRM_BOTH_GIVEN, 1, 3.0, 2.0);
  EXPECT_FALSE(is_missing(r.asq));
  EXPECT_FALSE(is_missing(r.pd));
  EXPECT_FALSE(is_missing(r.pwsq));
  EXPECT_TRUE(is_missing(r.pasq));
  r = run_values({1, 2, 4, 7, 8}, KES_NRM_BOTH_GIVEN, 1, 3.0, 2.0);
  EXPECT_FALSE(is_missing(r.pasq));
}

TEST(EdfCases, NothingComputedWithoutSpreadOrParameters) {
  auto all_missing = [](const kes_nrmres& r) {
    for (double v : {r.w, r.d, r.wsq, r.asq, r.pw, r.pd, r.pwsq, r.pasq, r.out_stat, r.out_prob})
      if (!is_missing(v)) return false;
    for (char q : r.qual)
      if (q != ' ') return false;
    return true;
  };
  // All values equal, with a large mean: CSS is rounding noise at most.
  EXPECT_TRUE(all_missing(run_values({1e6 + 0.1, 1e6 + 0.1, 1e6 + 0.1, 1e6 + 0.1})));
  // One observation: no standard deviation.
  EXPECT_TRUE(all_missing(run_values({2.5})));
  // Given sigma not positive, or missing.
  EXPECT_TRUE(all_missing(run_values({1, 2, 3}, KES_NRM_BOTH_GIVEN, 1, 0.0, 0.0)));
  EXPECT_TRUE(all_missing(run_values({1, 2, 3}, KES_NRM_BOTH_GIVEN, 1, 0.0, zmissing())));
  // An unknown case.
  const kes_nrmres r = run_values({1, 2, 3}, 7, 1, 0.0, 1.0);
  EXPECT_TRUE(all_missing(r));
  EXPECT_TRUE(is_missing(r.mu));
  EXPECT_NE(r.first_stat, nullptr);
}

}  // namespace
