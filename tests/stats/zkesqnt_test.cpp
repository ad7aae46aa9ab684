// Percentiles under the five definitions and the weighted one, modes, back links, and
// the normal-theory and distribution-free percentile limits.
#include "stats/zkesqnt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "driver/kes_ctx.h"
#include "numeric/zmissing.h"
#include "stats/engine_list_forms.h"
#include "stats/kes_stats.h"
#include "stats/zkesmnt.h"
#include "value_list_builder.h"

using kes_test::obs;
using kes_test::value_list;

namespace {

const double kStd[9] = {0.01, 0.05, 0.10, 0.25, 0.50, 0.75, 0.90, 0.95, 0.99};

// The PCTLDEF= definition that each R quantile type reproduces.
struct def_type {
  int def, rtype;
};
constexpr def_type kDefs[] = {{1, 4}, {2, 3}, {3, 1}, {4, 6}, {5, 2}};

// Runs one request with every result array present and preset missing.
struct request {
  kes_qntblk q{};
  kes_moments mom{};
  std::vector<double> est, ntl, ntu, dfl, dfu, lr, ur, cov;
  std::vector<double> prob;
  std::vector<int> index;

  request(value_list& v, int def, std::vector<double> p, int mode = 1, const char* vardef = "DF      ")
      : prob(std::move(p)) {
    kes_valnode *h, *m;
    zkesmnt(&v.rec, vardef, &h, &m, &mom);
    const size_t n = prob.size();
    for (auto* a : {&est, &ntl, &ntu, &dfl, &dfu, &lr, &ur, &cov}) a->assign(n, zmissing());
    q.mode = mode;
    q.count = static_cast<int>(n);
    q.prob = prob.data();
    q.est = est.data();
    q.ntlower = ntl.data();
    q.ntupper = ntu.data();
    q.dflower = dfl.data();
    q.dfupper = dfu.data();
    q.lrank = lr.data();
    q.urank = ur.data();
    q.coverage = cov.data();
    q.modeval = zmissing();
    this->def = def;
  }
  void run(value_list& v) { zkesqnt(0, def, &mom, v.head(), 0, &q); }
  int def;
};

// Sample B (12 values, one tie).
std::vector<double> sample_b() { return {3.1, -2.4, 0.7, 5.5, 1.2, 9.8, 4.4, 0.7, 6.3, 2.2, 7.7, -1.0}; }

}  // namespace

// ---- positions ------------------------------------------------------------------

// Order-statistic positions (from 0) and interpolation fractions, by hand: n p and
// (n + 1) p against the rule of each definition.
TEST(PercentilePositions, HandComputedCases) {
  struct row {
    int def;
    double n, p;
    double g, j;  // fraction and lower position
    double k;     // upper position, or -1 when not checked
  };
  const row rows[] = {
      {1, 10, 0.5, 0, 4, -1},
      {2, 10, 0.5, 0, 4, 4},
      {3, 10, 0.5, 0, 4, -1},
      {4, 10, 0.5, 0.5, 4, 5},  // (n + 1) p = 5.5
      {5, 10, 0.5, 0.5, 4, 5},
      {2, 10, 0.25, 0, 1, -1},      // n p = 2.5: the even neighbour x(2)
      {2, 10, 0.35, 0, 3, -1},      // n p = 3.5: x(4)
      {2, 10, 0.23, 0, 1, -1},      // n p = 2.3: x(2)
      {3, 3, 1.0 / 3.0, 0, 0, -1},  // 3 * (1/3) may round below 1: within the fuzz it is 1
      {1, 100, 0.29 - 1e-17, 0, 28, -1},
  };
  for (const row& r : rows) {
    double j, k;
    const double g = zkesfct(r.def, r.n, r.p, &j, &k);
    if (r.def != 2) {
      EXPECT_EQ(g, r.g) << r.def << " " << r.p;
    }
    EXPECT_EQ(j, r.j) << r.def << " " << r.p;
    if (r.k >= 0) {
      EXPECT_EQ(k, r.k) << r.def << " " << r.p;
    }
  }
}

TEST(PercentilePositions, ClampedToTheObservations) {
  for (int def = 1; def <= 5; ++def) {
    SCOPED_TRACE(def);
    double j, k;
    zkesfct(def, 7, 0.0, &j, &k);
    EXPECT_GE(j, 0);
    EXPECT_GE(k, 0);
    zkesfct(def, 7, 1.0, &j, &k);
    EXPECT_EQ(j, 6);
    EXPECT_EQ(k, 6);
    zkesfct(def, 7, 0.999, &j, &k);
    EXPECT_LE(k, 6);
  }
}

TEST(PercentilePositions, WeightedBoundsAreCumulativeWeights) {
  double lo, hi;
  const double g = zkesfct(6, 8.0, 0.25, &lo, &hi);
  EXPECT_EQ(g, 0.5);
  EXPECT_LT(lo, 2.0);
  EXPECT_GT(hi, 2.0);
  EXPECT_NEAR(hi - lo, 2 * 1000 * 8 * 1.110223024625157e-16, 1e-20);
}

TEST(PercentilePositions, FittedTableRule) {
  auto ctx = std::make_unique<kes_ctx>();
  int j, k;
  ctx->pctldef = 2;
  // np = 2.5 takes order statistic 3 here (no even rule).
  EXPECT_EQ(kesfrac(ctx.get(), &j, &k, 10, 0.25), 0);
  EXPECT_EQ(j, 2);
  ctx->pctldef = 5;
  EXPECT_EQ(kesfrac(ctx.get(), &j, &k, 10, 0.5), 0.5);
  EXPECT_EQ(j, 4);
  EXPECT_EQ(k, 5);
  EXPECT_EQ(kesfrac(ctx.get(), &j, &k, 10, 0.55), 1.0);
  ctx->pctldef = 1;
  EXPECT_NEAR(kesfrac(ctx.get(), &j, &k, 10, 0.37), 0.7, 1e-8);
  EXPECT_EQ(j, 2);
  EXPECT_EQ(k, 3);
  kesfrac(ctx.get(), &j, &k, 10, 1.0);
  EXPECT_EQ(j, 9);
  EXPECT_EQ(k, 9);  // clamped to the last index
}

TEST(PercentilePositions, FittedTableUnderWeightsUsesPctldefOrFive) {
  auto ctx = std::make_unique<kes_ctx>();
  ctx->pctldef = 6;
  int j, k;
  // No PROC statement options: definition 5.
  EXPECT_EQ(kesfrac(ctx.get(), &j, &k, 10, 0.5), 0.5);
  kes_optslot slots[12]{};
  slots[11].given = 1;
  slots[11].v.num = 2.9;  // truncated to 2
  kes_stmt proc{};
  proc.slots = slots;
  proc.nslots = 12;
  ctx->proc = &proc;
  EXPECT_EQ(kesfrac(ctx.get(), &j, &k, 10, 0.25), 0.0);
  EXPECT_EQ(j, 2);
  slots[11].v.num = 9;  // clamped to 5
  EXPECT_EQ(kesfrac(ctx.get(), &j, &k, 10, 0.5), 0.5);
}

// ---- estimates against R's quantile() -------------------------------------------

// R 4.x quantile(x, c(.01,.05,.10,.25,.5,.75,.9,.95,.99), type = t) for sample B.
TEST(Percentiles, EveryDefinitionMatchesR) {
  const double ref[5][9] = {
      // type 4 (PCTLDEF=1)
      {-2.4, -2.4, -2.1199999999999997, 0.7, 2.2, 5.5, 7.4200000000000008, 8.5399999999999974, 9.548},
      // type 3 (PCTLDEF=2)
      {-2.4, -2.4, -2.4, 0.7, 2.2, 5.5, 7.7, 7.7, 9.8},
      // type 1 (PCTLDEF=3)
      {-2.4, -2.4, -1, 0.7, 2.2, 5.5, 7.7, 9.8, 9.8},
      // type 6 (PCTLDEF=4)
      {-2.4, -2.4, -1.98, 0.7, 2.6500000000000004, 6.0999999999999996, 9.1700000000000035, 9.8, 9.8},
      // type 2 (PCTLDEF=5)
      {-2.4, -2.4, -1, 0.7, 2.6500000000000004, 5.9000000000000004, 7.7, 9.8, 9.8}};
  for (int d = 0; d < 5; ++d) {
    SCOPED_TRACE(kDefs[d].def);
    auto v = value_list::of(sample_b());
    request r(v, kDefs[d].def, {kStd, kStd + 9});
    r.run(v);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(r.est[i], ref[d][i], 1e-13) << "p=" << kStd[i];
  }
}

// R: x <- rep(c(1.5,2,3.5,7,10,12.25), c(2,1,3,1,2,4)); quantile(x, p, type = t).
TEST(Percentiles, FrequencyCountsMatchR) {
  const double ref[5][9] = {{1.5, 1.5, 1.5, 2.375, 5.25, 11.6875, 12.25, 12.25, 12.25},
                            {1.5, 1.5, 1.5, 2, 3.5, 12.25, 12.25, 12.25, 12.25},
                            {1.5, 1.5, 1.5, 3.5, 7, 12.25, 12.25, 12.25, 12.25},
                            {1.5, 1.5, 1.5, 2.75, 7, 12.25, 12.25, 12.25, 12.25},
                            {1.5, 1.5, 1.5, 3.5, 7, 12.25, 12.25, 12.25, 12.25}};
  for (int d = 0; d < 5; ++d) {
    SCOPED_TRACE(kDefs[d].def);
    value_list v({{1.5, 2}, {2.0, 1}, {3.5, 3}, {7.0, 1}, {10.0, 2}, {12.25, 4}});
    request r(v, kDefs[d].def, {kStd, kStd + 9});
    r.run(v);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(r.est[i], ref[d][i], 1e-13) << "p=" << kStd[i];
  }
}

// R: quantile(x, c(0, 1/3, 0.125, 1, 0.6), type = t) for sample B, asked in that
// (unsorted) order through a ranking index; results come back in the asked order.
TEST(Percentiles, RankedPointsReturnInCallersOrder) {
  const double ref[5][5] = {{-2.4, 0.7, -1.7, 9.8, 3.359999999999999},
                            {-2.4, 0.7, -1, 9.8, 3.1},
                            {-2.4, 0.7, -1, 9.8, 4.4},
                            {-2.4, 0.86666666666666647, -1.5249999999999999, 9.8, 4.1400000000000006},
                            {-2.4, 0.95, -1, 9.8, 4.4}};
  for (int d = 0; d < 5; ++d) {
    SCOPED_TRACE(kDefs[d].def);
    auto v = value_list::of(sample_b());
    request r(v, kDefs[d].def, {0.0, 1.0 / 3.0, 0.125, 1.0, 0.6}, 0);
    r.index = {0, 2, 1, 4, 3};  // ascending: 0, .125, 1/3, .6, 1
    r.q.index = r.index.data();
    r.run(v);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(r.est[i], ref[d][i], 1e-13) << "point " << i;
  }
}

TEST(Percentiles, OneValueAndOneObservation) {
  for (int def = 1; def <= 5; ++def) {
    value_list v({{4.25, 7}});
    request r(v, def, {kStd, kStd + 9});
    r.run(v);
    for (double e : r.est) EXPECT_EQ(e, 4.25);
    EXPECT_EQ(r.q.modeval, 4.25);
    EXPECT_EQ(r.q.nmodes, 1);
    EXPECT_EQ(r.q.maxfreq, 7);
    EXPECT_EQ(r.q.distinct, 1);
  }
  auto one = value_list::of({-3});
  request r(one, 5, {kStd, kStd + 9});
  r.run(one);
  EXPECT_EQ(r.q.modeval, -3);  // a single observation is its own mode
  EXPECT_EQ(r.q.nmodes, 1);
}

// ---- modes, tail and back links -------------------------------------------------

TEST(Modes, SmallestOfTheMostFrequentAndTheirCount) {
  value_list v({{1, 1}, {2, 3}, {3, 1}, {5, 3}, {8, 2}});
  request r(v, 5, {0.5});
  r.run(v);
  EXPECT_EQ(r.q.modeval, 2);
  EXPECT_EQ(r.q.nmodes, 2);
  EXPECT_EQ(r.q.maxfreq, 3);
  EXPECT_EQ(r.q.distinct, 5);
  // The tail and the back links let the list be walked from the end.
  std::vector<double> back;
  for (const kes_valnode* p = r.q.tail; p; p = p->right) back.push_back(p->key.value);
  EXPECT_EQ(back, (std::vector<double>{8, 5, 3, 2, 1}));
}

TEST(Modes, AllDistinctGivesNoMode) {
  auto v = value_list::of(sample_b());  // has one tie: mode 0.7
  request r(v, 5, {0.5});
  r.run(v);
  EXPECT_EQ(r.q.modeval, 0.7);
  EXPECT_EQ(r.q.nmodes, 1);
  auto u = value_list::of({4, 1, 3});
  request ru(u, 5, {0.5});
  ru.run(u);
  EXPECT_TRUE(is_missing(ru.q.modeval));
  EXPECT_EQ(ru.q.nmodes, 0);
  EXPECT_EQ(ru.q.maxfreq, 1);
}

TEST(Modes, WalkFinishesEvenWhenPercentilesStopEarly) {
  auto v = value_list::of({1, 2, 3, 4, 5, 6, 7, 7});
  request r(v, 3, {0.01});
  r.run(v);
  EXPECT_EQ(r.q.tail->key.value, 7);
  EXPECT_EQ(r.q.modeval, 7);
  EXPECT_EQ(r.q.distinct, 7);
}

// ---- weighted percentiles -------------------------------------------------------

TEST(WeightedPercentiles, AverageWhereTheCumulativeWeightHitsExactly) {
  value_list v({{1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {4, 1, 1}}, true);
  request r(v, 6, {0.25, 0.3, 0.5, 1.0});
  r.run(v);
  EXPECT_EQ(r.est[0], 1.5);  // W p = 1 at the first node
  EXPECT_EQ(r.est[1], 2.0);
  EXPECT_EQ(r.est[2], 2.5);
  EXPECT_EQ(r.est[3], 4.0);
  // Weighted: no confidence limits even when asked.
}

TEST(WeightedPercentiles, ZeroWeightValuesAreSkippedWhenAveraging) {
  value_list v({{1, 1, 1}, {2, 1, 0}, {3, 1, 1}}, true);
  request r(v, 6, {0.5});
  r.q.ntkind = 3;
  r.q.ntalpha = 0.05;
  r.q.dfkind = 4;
  r.q.dfalpha = 0.05;
  r.run(v);
  EXPECT_EQ(r.est[0], 2.0);  // (1 + 3) / 2, not (1 + 2) / 2
  EXPECT_TRUE(is_missing(r.ntl[0]));
  EXPECT_TRUE(is_missing(r.dfl[0]));
  EXPECT_EQ(r.q.distinct, 3);
  EXPECT_EQ(r.q.tail->key.value, 3);
}

TEST(WeightedPercentiles, UnequalWeightsWithFrequencies) {
  // Weights w = c f: 1 -> 0.5, 2 -> 3, 5 -> 1.5; W = 5.
  value_list v({{1, 1, 0.5}, {2, 1, 3}, {5, 3, 0.5}}, true);
  request r(v, 6, {0.05, 0.1, 0.5, 0.7, 0.71, 0.99});
  r.run(v);
  EXPECT_EQ(r.est[0], 1);    // W p = 0.25 < 0.5
  EXPECT_EQ(r.est[1], 1.5);  // W p = 0.5: between 1 and 2
  EXPECT_EQ(r.est[2], 2);
  EXPECT_EQ(r.est[3], 3.5);  // W p = 3.5 = cumulative through 2
  EXPECT_EQ(r.est[4], 5);
  EXPECT_EQ(r.est[5], 5);
}

TEST(WeightedPercentiles, MissingSumOfWeightsEstimatesNothing) {
  value_list v({{1, 1, 1}, {2, 2, 1}}, true);
  request r(v, 6, {0.5});
  r.mom.v[KES_MOM_SUMWGT] = zmissing();
  r.run(v);
  EXPECT_TRUE(is_missing(r.est[0]));
  EXPECT_EQ(r.q.tail->key.value, 2);
  EXPECT_EQ(r.q.modeval, 2);
}

// ---- confidence limits ----------------------------------------------------------

// R: mean(x) + sd(x) * qt(a, n-1, ncp = qnorm(p) * sqrt(n)) / sqrt(n), sample B, n = 12;
// limits are stored in descending percentile order.
TEST(PercentileLimits, NormalTheoryTwoSidedMatchesNoncentralT) {
  const double lo[9] = {-11.873738744498723, -7.8558563192985638, -5.7699459958586523,
                        -2.4407904676204497, 0.86337035965144437, 3.5825613172186634,
                        5.6106586353224035,  6.7138957809908675,  8.6691134262356755};
  const double hi[9] = {-2.3024467595691229, -0.34722911432403381, 0.75600803134414907,
                        2.7841053494480077,  5.503296307015221,    8.8074571342873931,
                        12.136612662525209,  14.222522985965087,   18.240405411165245};
  auto v = value_list::of(sample_b());
  request r(v, 5, {kStd, kStd + 9});
  r.q.ntkind = 3;
  r.q.ntalpha = 0.05;
  r.run(v);
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(kStd[i]);
    EXPECT_NEAR(r.ntl[8 - i], lo[i], 1e-6 * std::fabs(lo[i]) + 1e-9);
    EXPECT_NEAR(r.ntu[8 - i], hi[i], 1e-6 * std::fabs(hi[i]) + 1e-9);
  }
}

// R: the same with a' = alpha = 0.10 for one-sided bounds.
TEST(PercentileLimits, NormalTheoryOneSidedUseTheFullAlpha) {
  const double lo[9] = {-9.1241989433771185, -5.7561122382561916, -3.9959638416147802,
                        -1.1553567433557612, 1.7462005837098518,  4.2873339407472839,
                        6.3326503560314755,  7.493422284075594,   9.6027719715157147};
  const double hi[9] = {-3.2361053048490227, -1.1267556174089721, 0.034016310635180513,
                        2.0793327259193877,  4.6204660829568152,  7.5220234100226788,
                        10.362630508281372,  12.122778904922656,  15.490865610043473};
  auto v = value_list::of(sample_b());
  request lower(v, 5, {kStd, kStd + 9});
  lower.q.ntkind = 1;
  lower.q.ntalpha = 0.10;
  lower.run(v);
  auto v2 = value_list::of(sample_b());
  request upper(v2, 5, {kStd, kStd + 9});
  upper.q.ntkind = 2;
  upper.q.ntalpha = 0.10;
  upper.run(v2);
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(kStd[i]);
    EXPECT_NEAR(lower.ntl[8 - i], lo[i], 1e-6 * std::fabs(lo[i]) + 1e-9);
    EXPECT_TRUE(is_missing(lower.ntu[8 - i]));
    EXPECT_NEAR(upper.ntu[8 - i], hi[i], 1e-6 * std::fabs(hi[i]) + 1e-9);
    EXPECT_TRUE(is_missing(upper.ntl[8 - i]));
  }
}

// R: pbinom(14, 20, .5) - pbinom(5, 20, .5) = 0.95861053466796875 for ranks 6 and 15.
TEST(PercentileLimits, DistributionFreeMedianOfTwenty) {
  std::vector<double> xs;
  for (int i = 1; i <= 20; ++i) xs.push_back(10.0 * i);
  auto v = value_list::of(xs);
  request r(v, 5, {0.5});
  r.q.dfkind = 4;
  r.q.dfalpha = 0.05;
  r.run(v);
  EXPECT_EQ(r.lr[0], 6);
  EXPECT_EQ(r.ur[0], 15);
  EXPECT_NEAR(r.cov[0], 95.861053466796875, 1e-10);
  EXPECT_EQ(r.dfl[0], 60);
  EXPECT_EQ(r.dfu[0], 150);
}

TEST(PercentileLimits, DistributionFreeRanksCountFrequencies) {
  // Twenty observations in five values: ranks 6 and 15 fall on 2 and 4.
  value_list v({{1, 5}, {2, 5}, {3, 4}, {4, 5}, {5, 1}});
  request r(v, 5, {0.5});
  r.q.dfkind = 4;
  r.q.dfalpha = 0.05;
  r.run(v);
  EXPECT_EQ(r.dfl[0], 2);
  EXPECT_EQ(r.dfu[0], 4);
}

TEST(PercentileLimits, DistributionFreeOneSidedKeepOneEnd) {
  std::vector<double> xs;
  for (int i = 1; i <= 20; ++i) xs.push_back(i);
  auto v = value_list::of(xs);
  request lo(v, 5, {0.5});
  lo.q.dfkind = 1;
  lo.q.dfalpha = 0.05;
  lo.run(v);
  EXPECT_FALSE(is_missing(lo.dfl[0]));
  EXPECT_TRUE(is_missing(lo.dfu[0]));
  // Lower bound: the largest l with P(B >= l) >= 0.95, B ~ binom(20, .5).
  // R: 1 - pbinom(5, 20, .5) = 0.97930526733398438; from l = 7 it is 0.9423.
  EXPECT_EQ(lo.lr[0], 6);
  EXPECT_EQ(lo.dfl[0], 6);
  EXPECT_NEAR(lo.cov[0], 97.930526733398438, 1e-10);
  auto v2 = value_list::of(xs);
  request up(v2, 5, {0.5});
  up.q.dfkind = 2;
  up.q.dfalpha = 0.05;
  up.run(v2);
  EXPECT_TRUE(is_missing(up.dfl[0]));
  EXPECT_EQ(up.dfu[0], 15);
}

TEST(PercentileLimits, AsymmetricFallbackWhenSymmetricMisses) {
  // n = 10, p = 0.99: no symmetric interval reaches 95 percent.
  std::vector<double> xs;
  for (int i = 1; i <= 10; ++i) xs.push_back(i);
  auto v = value_list::of(xs);
  request sym(v, 5, {0.99});
  sym.q.dfkind = 4;
  sym.q.dfalpha = 0.05;
  sym.run(v);
  auto v2 = value_list::of(xs);
  request asym(v2, 5, {0.99});
  asym.q.dfkind = 5;
  asym.q.dfalpha = 0.05;
  asym.run(v2);
  EXPECT_TRUE(is_missing(sym.cov[0]));
  EXPECT_TRUE(is_missing(sym.dfu[0]));
  // The fallback ends at the extreme order statistic, with its (short) coverage.
  EXPECT_EQ(asym.ur[0], 10);
  EXPECT_EQ(asym.dfu[0], 10);
  EXPECT_GT(asym.cov[0], 0);
  EXPECT_LT(asym.cov[0], 95);
}

TEST(PercentileLimits, NoLimitsForASingleObservation) {
  auto v = value_list::of({3});
  request r(v, 5, {0.5});
  r.q.ntkind = 3;
  r.q.ntalpha = 0.05;
  r.q.dfkind = 4;
  r.q.dfalpha = 0.05;
  r.run(v);
  EXPECT_EQ(r.est[0], 3);
  EXPECT_TRUE(is_missing(r.ntl[0]));
  EXPECT_TRUE(is_missing(r.dfl[0]));
  EXPECT_TRUE(is_missing(r.cov[0]));
}

TEST(PercentileLimits, NoncentralQuantileHelper) {
  double t = 0;
  // R: qt(0.975, 11) = 2.2009851600916384 (central case).
  ASSERT_EQ(zkesqnc(&t, 0.975, 11, 0), 0);
  EXPECT_NEAR(t, 2.2009851600916384, 1e-12);
}
