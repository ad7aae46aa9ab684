// Student's t, sign and signed rank tests against R (t.test, binom.test,
// wilcox.test) and hand-enumerated null distributions with ties.
#include "stats/zkesloc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "numeric/zmissing.h"
#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"
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
    zkesmnt_arrays(&v.rec, vardef, v.view(), &mom);
    double p = 0.5, e;
    kes_qntblk q{};
    q.mode = 1;
    q.count = 1;
    q.prob = &p;
    q.est = &e;
    zkesqnt_arrays(weighted ? 6 : 5, &mom, v.view(), &q);
    zkesloc_arrays(&mom, v.view(), mu0, weighted, ranks, &res);
  }
  double operator[](int c) const { return res.v[c]; }
};

std::vector<double> sample_l1() { return {3.1, -2.4, 0.75, 5.5, 1.2, 9.8, 4.4, 0.7, 6.3, 2.25, 7.7, -1.0}; }
std::vector<double> sample_l20() {
  return {0.31, -1.2, 2.5, 3.7, -0.45, 1.9, 4.4, -2.05, 0.77, 5.1,
          1.33, -0.6, 2.9, 6.2, 0.05,  3.3, -1.75, 7.4, 1.05, 2.15};
}

}  // namespace

std::vector<obs> each(const std::vector<double>& xs) {
  std::vector<obs> d;
  for (double x : xs) d.push_back({x});
  return d;
}

// Reference values, NaN where a row does not check a cell:
// - sample L1 about 2, R: wilcox.test(x, mu = 2, exact = TRUE): V = 50 (S = V - n(n+1)/4),
//   p = 0.423828125; binom.test(7, 12): p = 0.7744140625; t.test(x, mu = 2);
// - L20 about 0.5, R: wilcox.test: V = 157, p = 0.05316925048828125 (n = 20 is still
//   enumerated); binom.test(13, 20);
// - L20 and 8.15 about 0.5: S = 62.5 and the t approximation 2 pt(-|S| / sqrt(D), n - 1),
//   D = (n V - S^2)/(n - 1), V = n(n+1)(2n+1)/24;
// - ties and counts about 1, R with midranks (rank()) and the tie correction
//   sum (t+1)t(t-1): 22 differences after dropping the two values at mu0; binom.test(13,
//   22); t.test(y, mu = 1);
// - by hand: -1.2, 2.2 about 0.5 tie across the sides (their computed distances differ in
//   the last bit); 11, 9, 12 about 10: differences 1, -1, 2, midranks 1.5, 1.5, 3, S+ = 4.5,
//   S = 1.5, doubled ranks {3, 3, 6} reflected at K = 3: sums <= 3 are {}, {3}, {3}, so
//   p = 2 * 3/8; 1 (twice), -2, 3 about 0: midranks 1.5, 1.5, 3, 4, S+ = 7, S = 2, 2S+ = 14
//   reflects to 6, subsets of {3, 3, 6, 8} with sum <= 6: 5 of 16;
// - a relative tolerance ties 10 + d and 10 - d(1 + 1e-14), not 1e-12 apart (ranks 1 (+),
//   2 (-), 3 (+): S+ = 4, S = 1); symmetric ranks give probability 1.
TEST(LocationTests, AgainstReferences) {
  std::vector<double> l21 = sample_l20();
  l21.push_back(8.15);
  const double u = NAN;
  const struct {
    std::vector<obs> data;
    double mu0, ndiff, nabove, t, pt, m, pm, s, ps;
  } rows[] = {
      {each(sample_l1()), 2.0, 12, 7, 1.1318752614073397, 0.28175830134684887, 1, 0.7744140625, 11, 0.423828125},
      {each(sample_l20()), 0.5, 20, u, u, u, 3, 0.26317596435546875, 52, 0.05316925048828125},
      {each(l21), 0.5, 21, u, u, u, 3.5, 0.18924713134765619, 62.5, 0.025825343818285058},
      {{{2, 4}, {0, 3}, {1, 2}, {3.5}, {-1.5}, {4}, {-2}, {0.5}, {1.5, 2}, {6}, {-3}, {2.25}, {-0.25}, {5}, {7},
        {0.75}, {8}},
       1.0, 22, 13, 1.4539107784165615, 0.15948165212358925, 2, 0.5234670639038087, 36.5, 0.24274567636506739},
      {each({-1.2, 2.2}), 0.5, u, u, u, u, u, u, 0, u},
      {each({11, 9, 12}), 10, u, u, u, u, u, u, 1.5, 0.75},
      {{{1, 2}, {-2, 1}, {3, 1}}, 0, 4, u, u, u, u, u, 2, 0.625},
      {each({10.5, 10 - 0.5 * (1 + 1e-14), 12}), 10, u, u, u, u, u, u, 1.5, u},
      {each({10.5, 10 - 0.5 * (1 + 1e-12), 12}), 10, u, u, u, u, u, u, 1.0, u},
      {each({-3, -1, 1, 3}), 0, u, u, u, u, u, 1.0, 0, 1.0},
  };
  for (const auto& r : rows) {
    value_list v(r.data);
    located l(v, r.mu0);
    SCOPED_TRACE(testing::Message() << r.data.size() << " values about " << r.mu0);
    EXPECT_EQ(l[KES_LOC_MU0], r.mu0);
    const std::pair<int, double> want[] = {{KES_LOC_NDIFF, r.ndiff}, {KES_LOC_NABOVE, r.nabove}, {KES_LOC_T, r.t},
                                           {KES_LOC_PT, r.pt},       {KES_LOC_M, r.m},           {KES_LOC_PM, r.pm},
                                           {KES_LOC_S, r.s},         {KES_LOC_PS, r.ps}};
    for (const auto& [cell, value] : want)
      EXPECT_TRUE(std::isnan(value) || std::fabs(l[cell] - value) <= 1e-12 * std::fabs(value))
          << "cell " << cell << ": " << l[cell] << " for " << value;
  }
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
  zkesloc_arrays(&mom, nullptr, 0, 0, 1, &res);
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
