// Student's t, sign and signed rank tests against R (t.test, binom.test,
// wilcox.test) and hand-enumerated null distributions with ties.
#include "stats/zkesloc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "numeric/zmissing.h"
#include "stats/engine_list_forms.h"
#include "stats/kes_stats.h"
#include "stats/zkesmnt.h"
#include "stats/zkesqnt.h"
#include "value_list_builder.h"

using kes_test::obs;
using kes_test::value_list;

namespace {

// Moments and the back links (the quantile pass), then the tests.
struct located {
  kes_moments mom{};
  kes_locres res{};
  located(value_list& v, double mu0, const char* vardef = "DF      ", int weighted = 0, int ranks = 1) {
    kes_valnode *h, *m;
    zkesmnt(&v.rec, vardef, &h, &m, &mom);
    double p = 0.5, e;
    kes_qntblk q{};
    q.mode = 1;
    q.count = 1;
    q.prob = &p;
    q.est = &e;
    zkesqnt(0, weighted ? 6 : 5, &mom, v.head(), 0, &q);
    zkesloc(&mom, v.head(), mu0, weighted, ranks, &res);
  }
  double operator[](int c) const { return res.v[c]; }
};

std::vector<double> sample_l1() { return {3.1, -2.4, 0.75, 5.5, 1.2, 9.8, 4.4, 0.7, 6.3, 2.25, 7.7, -1.0}; }
std::vector<double> sample_l20() {
  return {0.31, -1.2, 2.5, 3.7, -0.45, 1.9, 4.4, -2.05, 0.77, 5.1,
          1.33, -0.6, 2.9, 6.2, 0.05,  3.3, -1.75, 7.4, 1.05, 2.15};
}

}  // namespace

// R: wilcox.test(x, mu = 2, exact = TRUE): V = 50, p = 0.423828125; binom.test(7, 12):
// p = 0.7744140625; t.test(x, mu = 2): t = 1.1318752614073397, p = 0.28175830134684887.
TEST(LocationTests, TwelveDistinctDifferences) {
  auto v = value_list::of(sample_l1());
  located l(v, 2.0);
  EXPECT_EQ(l[KES_LOC_MU0], 2.0);
  EXPECT_EQ(l[KES_LOC_NDIFF], 12);
  EXPECT_EQ(l[KES_LOC_NABOVE], 7);
  EXPECT_NEAR(l[KES_LOC_T], 1.1318752614073397, 1e-13);
  EXPECT_NEAR(l[KES_LOC_PT], 0.28175830134684887, 1e-12);
  EXPECT_EQ(l[KES_LOC_M], 1);
  EXPECT_NEAR(l[KES_LOC_PM], 0.7744140625, 1e-13);
  EXPECT_EQ(l[KES_LOC_S], 11);  // V - n(n+1)/4
  EXPECT_NEAR(l[KES_LOC_PS], 0.423828125, 1e-14);
}

// R: wilcox.test(x20, mu = 0.5, exact = TRUE): V = 157, p = 0.05316925048828125;
// binom.test(13, 20): p = 0.26317596435546875. n = 20 is still enumerated.
TEST(LocationTests, TwentyIsStillExact) {
  auto v = value_list::of(sample_l20());
  located l(v, 0.5);
  EXPECT_EQ(l[KES_LOC_NDIFF], 20);
  EXPECT_EQ(l[KES_LOC_S], 52);
  EXPECT_NEAR(l[KES_LOC_PS], 0.05316925048828125, 1e-15);
  EXPECT_EQ(l[KES_LOC_M], 3);
  EXPECT_NEAR(l[KES_LOC_PM], 0.26317596435546875, 1e-13);
}

// R: S = 62.5 and the t approximation 2 * pt(-|S| / sqrt(D), n - 1) with
// D = (n V - S^2)/(n - 1), V = n(n+1)(2n+1)/24: p = 0.025825343818285058.
TEST(LocationTests, TwentyOneUsesTheTApproximation) {
  auto xs = sample_l20();
  xs.push_back(8.15);
  auto v = value_list::of(xs);
  located l(v, 0.5);
  EXPECT_EQ(l[KES_LOC_NDIFF], 21);
  EXPECT_EQ(l[KES_LOC_S], 62.5);
  EXPECT_NEAR(l[KES_LOC_PS], 0.025825343818285058, 1e-13);
  EXPECT_EQ(l[KES_LOC_M], 3.5);
  EXPECT_NEAR(l[KES_LOC_PM], 0.18924713134765619, 1e-13);
}

// R with midranks (rank()) and the tie correction sum (t+1)t(t-1): 22 differences
// after dropping the two values equal to mu0 = 1; S = 36.5, p = 0.24274567636506739;
// binom.test(13, 22): p = 0.5234670639038087; t.test(y, mu = 1).
TEST(LocationTests, TiesFrequenciesAndValuesAtMu0) {
  value_list v({{2, 4}, {0, 3}, {1, 2}, {3.5}, {-1.5}, {4}, {-2}, {0.5}, {1.5, 2}, {6}, {-3},
                {2.25}, {-0.25}, {5}, {7}, {0.75}, {8}});
  located l(v, 1.0);
  EXPECT_EQ(l[KES_LOC_NDIFF], 22);
  EXPECT_EQ(l[KES_LOC_NABOVE], 13);
  EXPECT_EQ(l[KES_LOC_S], 36.5);
  EXPECT_NEAR(l[KES_LOC_PS], 0.24274567636506739, 1e-13);
  EXPECT_EQ(l[KES_LOC_M], 2);
  EXPECT_NEAR(l[KES_LOC_PM], 0.5234670639038087, 1e-13);
  EXPECT_NEAR(l[KES_LOC_T], 1.4539107784165615, 1e-13);
  EXPECT_NEAR(l[KES_LOC_PT], 0.15948165212358925, 1e-12);
}

// Hand enumeration: differences 1, -1, 2 give midranks 1.5, 1.5, 3; S+ = 4.5, S = 1.5;
// doubled ranks {3, 3, 6}, reflected K = 3: sums <= 3 are {}, {3}, {3}: p = 2 * 3/8.
TEST(LocationTests, TieAcrossTheTwoSidesSharesAMidrank) {
  // (0.5 - 1.2 and 2.2 - 0.5 also tie, though their computed distances differ in the
  // last bit.)
  auto w = value_list::of({-1.2, 2.2});
  located t(w, 0.5);
  EXPECT_EQ(t[KES_LOC_S], 0);

  auto v = value_list::of({11, 9, 12});
  located l(v, 10);
  EXPECT_EQ(l[KES_LOC_S], 1.5);
  EXPECT_EQ(l[KES_LOC_PS], 0.75);
}

// Frequencies: 1 (twice), -2, 3 about 0: midranks 1.5, 1.5, 3, 4; S+ = 7, S = 2;
// 2S+ = 14 reflects to 6; subsets of {3, 3, 6, 8} with sum <= 6: 5 of 16.
TEST(LocationTests, FrequencyTiesEnumerated) {
  value_list v({{1, 2}, {-2, 1}, {3, 1}});
  located l(v, 0);
  EXPECT_EQ(l[KES_LOC_NDIFF], 4);
  EXPECT_EQ(l[KES_LOC_S], 2);
  EXPECT_EQ(l[KES_LOC_PS], 0.625);
}

TEST(LocationTests, RelativeToleranceMakesNearEqualDistancesTied) {
  // 10 + d and 10 - d(1 + 1e-14) are one tie group; 1e-12 apart they are not.
  auto tied = value_list::of({10.5, 10 - 0.5 * (1 + 1e-14), 12});
  located a(tied, 10);
  EXPECT_EQ(a[KES_LOC_S], 1.5);
  auto apart = value_list::of({10.5, 10 - 0.5 * (1 + 1e-12), 12});
  located b(apart, 10);
  EXPECT_EQ(b[KES_LOC_S], 1.0);  // ranks 1 (+), 2 (-), 3 (+): S+ = 4, S = 4 - 3
}

TEST(LocationTests, SymmetricRanksGiveProbabilityOne) {
  auto v = value_list::of({-3, -1, 1, 3});
  located l(v, 0);
  EXPECT_EQ(l[KES_LOC_S], 0);
  EXPECT_EQ(l[KES_LOC_PS], 1.0);
  EXPECT_EQ(l[KES_LOC_PM], 1.0);
}

TEST(LocationTests, AllValuesAtMu0) {
  value_list v({{4, 6}});
  located l(v, 4);
  EXPECT_EQ(l[KES_LOC_NDIFF], 0);
  EXPECT_EQ(l[KES_LOC_NABOVE], 0);
  for (int c : {KES_LOC_T, KES_LOC_M, KES_LOC_S, KES_LOC_PT, KES_LOC_PM, KES_LOC_PS})
    EXPECT_TRUE(is_missing(l[c])) << c;
}

TEST(LocationTests, WeightsLeaveOnlyStudentsT) {
  value_list v({{1, 1, 2}, {2, 1, 1}, {4, 2, 0.5}, {7, 1, 1}}, true);
  located l(v, 0, "DF      ", 1);
  EXPECT_FALSE(is_missing(l[KES_LOC_T]));
  EXPECT_FALSE(is_missing(l[KES_LOC_PT]));
  EXPECT_TRUE(is_missing(l[KES_LOC_NDIFF]));
  EXPECT_TRUE(is_missing(l[KES_LOC_S]));
  // Weighted t: (mean - mu0) / sqrt(CSS / ((N - 1) W)).
  const double w = 2 + 1 + 1 + 1, mean = (2 * 1 + 2 + 4 + 7) / w;
  const double css = 2 * (1 - mean) * (1 - mean) + (2 - mean) * (2 - mean) + (4 - mean) * (4 - mean) +
                     (7 - mean) * (7 - mean);
  EXPECT_NEAR(l[KES_LOC_T], mean / std::sqrt(css / (4 * w)), 1e-13);
}

TEST(LocationTests, RankFlagClearLeavesOnlyT) {
  auto v = value_list::of(sample_l1());
  located l(v, 2.0, "DF      ", 0, 0);
  EXPECT_FALSE(is_missing(l[KES_LOC_T]));
  EXPECT_TRUE(is_missing(l[KES_LOC_M]));
  EXPECT_TRUE(is_missing(l[KES_LOC_PS]));
}

TEST(LocationTests, TNeedsTheDfDivisor) {
  for (const char* vd : {"N       ", "WDF     ", "WEIGHT  "}) {
    auto v = value_list::of(sample_l1());
    located l(v, 2.0, vd);
    EXPECT_TRUE(is_missing(l[KES_LOC_T])) << vd;
    EXPECT_TRUE(is_missing(l[KES_LOC_PT])) << vd;
    EXPECT_EQ(l[KES_LOC_S], 11) << vd;  // the rank tests do not depend on it
  }
}

TEST(LocationTests, FailedProbabilityIsMissingNotASentinel) {
  // Overflowed sums: t is inf/inf, for which the t probability routine fails. Its
  // failure value must not be reported as a p-value.
  kes_moments mom{};
  std::memcpy(mom.vardef, "DF      ", 8);
  for (double& x : mom.v) x = zmissing();
  const double inf = std::numeric_limits<double>::infinity();
  mom.v[KES_MOM_N] = 5;
  mom.v[KES_MOM_SUMWGT] = 5;
  mom.v[KES_MOM_MEAN] = inf;
  mom.v[KES_MOM_CSS] = inf;
  kes_locres res{};
  zkesloc(&mom, nullptr, 0, 0, 1, &res);
  EXPECT_TRUE(is_missing(res.v[KES_LOC_PT]));
}

TEST(LocationTests, ExactCountsFromTheEnumeration) {
  // Ranks 1..4 doubled: sums of subsets of {2,4,6,8}; count those <= 6: {}, {2}, {4},
  // {6}, {2,4} = 5.
  const int r[4] = {2, 4, 6, 8}, c[4] = {2, 6, 12, 20};
  double w1[211], w2[211];
  EXPECT_EQ(hfcn(4, 6, 0, r, c, w1, w2), 5);
  EXPECT_EQ(hfcn(4, 20, 0, r, c, w1, w2), 16);
  EXPECT_EQ(hfcn(4, 0, 0, r, c, w1, w2), 1);
  // The same with the ties flag visits odd sums too, with the same result.
  EXPECT_EQ(hfcn(4, 7, 1, r, c, w1, w2), 5);
}
