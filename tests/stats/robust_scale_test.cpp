// Robust measures of scale: reference values for every estimator, the percentile
// definitions behind the interquartile range, weights, the degenerate samples, and
// agreement of the Sn and Qn selections with a brute-force pass over all pairs.
// Reference values were computed once with R 4.2.2: IQR(x, type = t), Hmisc 4.7
// GiniMd(x), mad(x, constant = 1), robustbase 0.95 Sn(x, constant = 1.1926),
// Qn(x, constant = 2.2219), Sn(x) and Qn.old(x).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "engine_samples.h"
#include "numeric/zmissing.h"
#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"
#include "stats/kes_stats.h"
#include "stats/kesscl.h"

namespace {

using kes_test::obs;
using kes_test::value_list;

struct scl_out {
  double r[KES_SCL_NCELLS];
  int rc;
};

scl_out run(value_list& vl, int def = 5, int skipqn = 0) {
  const int m = vl.size();
  std::vector<double> dw(2 * static_cast<size_t>(m) + 1);
  std::vector<int> iw(6 * static_cast<size_t>(m) + 1);
  scl_out o;
  // The weighted definition reads the weight sums (0 for values without them).
  const std::vector<double> none(static_cast<size_t>(m), 0.0);
  const double* w = def == KES_PCTLDEF_WEIGHTED ? (vl.view()->w != nullptr ? vl.view()->w : none.data()) : nullptr;
  o.rc = kesscl_arrays(def, m, vl.view()->x, vl.view()->f, w, dw.data(), iw.data(), o.r, skipqn);
  return o;
}

scl_out run_values(const std::vector<double>& x, int def = 5, int skipqn = 0) {
  value_list vl = value_list::of(x);
  return run(vl, def, skipqn);
}

std::vector<obs> with_counts(const std::vector<double>& v, const std::vector<int>& f) {
  std::vector<obs> d;
  for (size_t i = 0; i < v.size(); ++i) d.push_back({v[i], f[i]});
  return d;
}

// R results, in order: IQR (type 2), GiniMd, mad(constant = 1), Sn(constant = 1.1926),
// Qn(constant = 2.2219), Sn, Qn.old.
struct scl_ref {
  double iqr, gini, mad, sn, qn, std_sn, std_qn;
};

void expect_ref(const scl_out& o, const scl_ref& r, const char* what) {
  SCOPED_TRACE(what);
  auto near = [](double got, double want) { EXPECT_NEAR(got, want, 1e-13 * std::fabs(want) + 1e-15); };
  EXPECT_EQ(o.rc, 0);
  near(o.r[KES_SCL_QRANGE], r.iqr);
  near(o.r[KES_SCL_GINI], r.gini);
  near(o.r[KES_SCL_MAD], r.mad);
  near(o.r[KES_SCL_SN], r.sn);
  near(o.r[KES_SCL_QN], r.qn);
  near(o.r[KES_SCL_STD_SN], r.std_sn);
  near(o.r[KES_SCL_STD_QN], r.std_qn);
  // The remaining normal-scale forms.
  near(o.r[KES_SCL_STD_QRANGE], r.iqr / 1.34898);
  near(o.r[KES_SCL_STD_GINI], r.gini * std::sqrt(3.14159265358979323846) / 2);
  near(o.r[KES_SCL_STD_MAD], 1.4826 * r.mad);
}

TEST(RobustScale, MatchesReferenceOnGeneratedSamples) {
  struct {
    int n;
    scl_ref r;
  } const cases[] = {
      {3, {1.4414536756389731, 0.96096911709264887, 0.31053206840379466, 0.37034054477836553,
           0.68997120278639146, 0.6855003483847546, 0.68583137556967311}},
      {4, {0.86907839276482191, 0.77017735613459837, 0.30361758914723269, 0.72418867363397921,
           1.3492158426524723, 0.69087599464681615, 0.69079851143806581}},
      {5, {0.2967031098906705, 0.63592209223372331, 0.27567217298348123, 0.35384812885561368,
           0.65924463986608084, 0.47804882208393407, 0.55640247604697224}},
      // n = 9: Qn from R's sort(dist(x))[10] * 2.2219 (and 0.872 times that): the
      // robustbase routines return 6e-9 (relative) more, a value that is no pairwise
      // difference of this sample.
      {9, {0.2967031098906705, 0.52839852591553338, 0.17298348104955696, 0.35384812885561368,
           0.5337832108503674, 0.40020223373569908, 0.46545895986152036}},
      {10, {0.2967031098906705, 0.48984006381314193, 0.14835155494533525, 0.31158847463457606,
            0.5337832108503674, 0.31158847463457606, 0.38679942815244012}},
      {11, {0.34711695864912406, 0.46940742814135183, 0.17298348104955696, 0.32876663350009977,
            0.38690717387847817, 0.35806267014862353, 0.34322410585994029}},
      {12, {0.31139456581630265, 0.44121460059862244, 0.14835155494533525, 0.31158847463457606,
            0.43235822392532852, 0.31158847463457606, 0.32837333462683177}},
      {37, {0.72060483818548526, 0.52041139372077383, 0.22477132568602287, 0.35384812885561368,
            0.41618284045147913, 0.36266982735893921, 0.40100950772668564}},
      {100, {0.72941981174056481, 0.53628808103474679, 0.35510793467619606, 0.50012008003976016,
             0.51773003150990504, 0.50012008003976016, 0.49877652361262526}},
  };
  for (const auto& c : cases) {
    const std::string what = "sum-of-three n=" + std::to_string(c.n);
    expect_ref(run_values(kes_test::gen_sum3(c.n)), c.r, what.c_str());
  }
}

TEST(RobustScale, TwoObservations) {
  // R, as above, on c(3, 7): Sn uses c_2 = 0.743 and Qn d_2 = 0.399.
  expect_ref(run_values({3, 7}),
             {4, 4, 2, 4.7704000000000004, 8.8876000000000008, 3.5444072000000002, 3.5461524000000004},
             "3 7");
}

// Values near the largest double gave a Qn of infinity, printed as "Inf" and written to
// the OUTPUT data set; a scale that overflows cannot be computed and stays missing.
TEST(RobustScale, ScalesBeyondTheLargestDoubleAreMissing) {
  const scl_out o = run_values({-1e308, 1.0});
  EXPECT_EQ(o.rc, 1);  // Qn missing
  EXPECT_TRUE(is_missing(o.r[KES_SCL_QN]));
  EXPECT_TRUE(is_missing(o.r[KES_SCL_STD_QN]));
  for (int i = 0; i < KES_SCL_NCELLS; ++i) EXPECT_FALSE(std::isinf(o.r[i])) << i;
  EXPECT_EQ(o.r[KES_SCL_QRANGE], 1e308 + 1.0);  // finite results stay
}

TEST(RobustScale, TiesAndFrequencies) {
  // c(1, 1, 1, 2): k falls among the zero differences, so Qn = 0.
  expect_ref(run_values({1, 1, 1, 2}), {0.5, 0.5, 0, 0, 0, 0, 0}, "1 1 1 2");
  // FREQ counts: R on rep(v, f), 8 distinct values (all pairs formed).
  value_list small(kes_test::freq_sample());
  expect_ref(run(small),
             {2, 1.4666666666666668, 1, 1.1926000000000001, 1.1109500000000001, 1.237136929460581,
              1.052035984848485},
             "freq 8");
  // 14 distinct values with heavy counts (the selection without all pairs).
  value_list big(with_counts({-3, -1.25, 0, 0.5, 1, 1.75, 2, 2.5, 3, 4.25, 5, 6, 8.5, 11},
                             {3, 1, 9, 2, 4, 6, 1, 8, 2, 5, 1, 3, 2, 1}));
  expect_ref(run(big),
             {3.625, 3.0802304964539009, 1.75, 2.9815000000000005, 2.7773750000000001,
              2.9815000000000005, 2.573629343629344},
             "freq 14");
  // 60 values rounded to quarters: round(x * 4) / 4 in R.
  std::vector<double> x = kes_test::gen_sum3(60);
  for (double& v : x) v = std::round(v * 4) / 4;
  expect_ref(run_values(x),
             {0.75, 0.57048022598870052, 0.375, 0.59630000000000005, 0.55547500000000005,
              0.59630000000000005, 0.5223902821316615},
             "ties 60");
}

TEST(RobustScale, InterquartileRangeFollowsThePercentileDefinition) {
  // R: IQR(x, type = t) with definitions 1..5 as types 4, 3, 1, 6, 2.
  const double n10[5] = {0.36576490270529183, 0.53694038917883258, 0.2967031098906705,
                         0.47072683781948665, 0.2967031098906705};
  const double n11[5] = {0.36936589190232438, 0.2967031098906705, 0.34711695864912406,
                         0.34711695864912406, 0.34711695864912406};
  for (int def = 1; def <= 5; ++def) {
    EXPECT_NEAR(run_values(kes_test::gen_sum3(10), def).r[KES_SCL_QRANGE], n10[def - 1], 1e-14) << def;
    EXPECT_NEAR(run_values(kes_test::gen_sum3(11), def).r[KES_SCL_QRANGE], n11[def - 1], 1e-14) << def;
  }
}

TEST(RobustScale, WeightedDefinitionUsesTheWeights) {
  // Values 1 2 3 4 with weights 3 1 1 3 (W = 8), by hand: the median sits on the step
  // at W/2 = 4 between 2 and 3, so 2.5; Q1 at 2 falls inside value 1 and Q3 at 6 inside
  // value 4: IQR = 3. Deviations from 2.5: 0.5 (weight 2 in all), then 1.5 (weight 6):
  // the cumulative weight passes 4 inside 1.5, so MAD = 1.5. Gini, Sn and Qn count
  // the four observations.
  value_list vl({{1, 1, 3.0}, {2, 1, 1.0}, {3, 1, 1.0}, {4, 1, 3.0}}, true);
  const scl_out o = run(vl, 6);
  EXPECT_EQ(o.r[KES_SCL_QRANGE], 3.0);
  EXPECT_EQ(o.r[KES_SCL_MAD], 1.5);
  const scl_out u = run_values({1, 2, 3, 4});
  EXPECT_EQ(o.r[KES_SCL_GINI], u.r[KES_SCL_GINI]);
  EXPECT_EQ(o.r[KES_SCL_SN], u.r[KES_SCL_SN]);
  EXPECT_EQ(o.r[KES_SCL_QN], u.r[KES_SCL_QN]);
  // Unweighted the same values have IQR 2 (definition 5) and MAD 1.
  EXPECT_EQ(u.r[KES_SCL_QRANGE], 2.0);
  EXPECT_EQ(u.r[KES_SCL_MAD], 1.0);
}

TEST(RobustScale, DegenerateSamples) {
  // One distinct value: all ten results 0, whatever the skip flag.
  for (int skip = 0; skip <= 1; ++skip) {
    value_list vl(with_counts({5.5}, {4}));
    const scl_out o = run(vl, 5, skip);
    EXPECT_EQ(o.rc, 0);
    for (double v : o.r) EXPECT_EQ(v, 0.0);
  }
  // Skip flag with several values: Qn and its normal form stay missing, result 0.
  const scl_out o = run_values({1, 2, 4}, 5, 1);
  EXPECT_EQ(o.rc, 0);
  EXPECT_TRUE(is_missing(o.r[KES_SCL_QN]));
  EXPECT_TRUE(is_missing(o.r[KES_SCL_STD_QN]));
  EXPECT_FALSE(is_missing(o.r[KES_SCL_SN]));
  // n = 10: even above 9, so c_n = 1 and d_n = 10 / 13.8.
  const scl_out t = run_values(kes_test::gen_sum3(10));
  EXPECT_EQ(t.r[KES_SCL_STD_SN], t.r[KES_SCL_SN]);
  EXPECT_DOUBLE_EQ(t.r[KES_SCL_STD_QN], t.r[KES_SCL_QN] * 10 / 13.8);
  // No values: everything missing, Qn reported missing.
  double r[KES_SCL_NCELLS];
  double dw[2];
  int iw[6];
  EXPECT_EQ(kesscl_arrays(5, 0, nullptr, nullptr, nullptr, dw, iw, r, 0), 1);
  for (double v : r) EXPECT_TRUE(is_missing(v));
}

TEST(RobustScale, QnBeyondTheIntRangeIsMissing) {
  // 2 * 1.2e9 observations: the pair counts no longer fit the selection.
  value_list vl(with_counts({1.0, 2.0}, {1200000000, 1200000000}));
  const scl_out o = run(vl);
  EXPECT_EQ(o.rc, 1);
  EXPECT_TRUE(is_missing(o.r[KES_SCL_QN]));
  EXPECT_TRUE(is_missing(o.r[KES_SCL_STD_QN]));
  // Sn still counts them: every distance of the majority is 0 or 1.
  EXPECT_FALSE(is_missing(o.r[KES_SCL_SN]));
}

TEST(Rsort, SortsCarriesCountsAndMergesEqualValues) {
  double v[7] = {3, -1, 3, 2, -1, 3, 0.5};
  int f[7] = {1, 2, 3, 4, 5, 6, 7};
  int n = 7;
  rsort(&n, v, f);
  ASSERT_EQ(n, 4);
  const double ev[4] = {-1, 0.5, 2, 3};
  const int ef[4] = {7, 7, 4, 10};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i], ev[i]);
    EXPECT_EQ(f[i], ef[i]);
  }
  int zero = 0;
  rsort(&zero, v, f);
  EXPECT_EQ(zero, 0);
}

}  // namespace
