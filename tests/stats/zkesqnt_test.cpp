// Percentiles under the five definitions and the weighted one, modes, back links, and
// the normal-theory and distribution-free percentile limits.
#include "stats/zkesqnt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "numeric/zmissing.h"
#include "records/kes_ctx.h"
#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"
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
    zkesmnt_arrays(&v.rec, vardef, v.view(), &mom);
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
  void run(value_list& v) { zkesqnt_arrays(def, &mom, v.view(), &q); }
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

// R 4.x quantile(x, p, type = t) under the five definitions: sample B at the standard
// points; x <- rep(c(1.5,2,3.5,7,10,12.25), c(2,1,3,1,2,4)) at the standard points; and
// sample B at c(0, 1/3, 0.125, 1, 0.6), asked in that (unsorted) order through a
// ranking index, the results coming back in the asked order.
TEST(Percentiles, EveryDefinitionMatchesR) {
  const std::vector<double> std_points(kStd, kStd + 9), asked{0.0, 1.0 / 3.0, 0.125, 1.0, 0.6};
  const std::vector<obs> counted{{1.5, 2}, {2.0, 1}, {3.5, 3}, {7.0, 1}, {10.0, 2}, {12.25, 4}};
  std::vector<obs> b;
  for (double x : sample_b()) b.push_back({x});
  const struct {
    const std::vector<obs>& data;
    const std::vector<double>& p;
    std::vector<double> ref[5];  // PCTLDEF=1..5: R types 4, 3, 1, 6, 2
  } cases[] = {
      {b, std_points,
       {{-2.4, -2.4, -2.1199999999999997, 0.7, 2.2, 5.5, 7.4200000000000008, 8.5399999999999974, 9.548},
        {-2.4, -2.4, -2.4, 0.7, 2.2, 5.5, 7.7, 7.7, 9.8},
        {-2.4, -2.4, -1, 0.7, 2.2, 5.5, 7.7, 9.8, 9.8},
        {-2.4, -2.4, -1.98, 0.7, 2.6500000000000004, 6.0999999999999996, 9.1700000000000035, 9.8, 9.8},
        {-2.4, -2.4, -1, 0.7, 2.6500000000000004, 5.9000000000000004, 7.7, 9.8, 9.8}}},
      {counted, std_points,
       {{1.5, 1.5, 1.5, 2.375, 5.25, 11.6875, 12.25, 12.25, 12.25},
        {1.5, 1.5, 1.5, 2, 3.5, 12.25, 12.25, 12.25, 12.25},
        {1.5, 1.5, 1.5, 3.5, 7, 12.25, 12.25, 12.25, 12.25},
        {1.5, 1.5, 1.5, 2.75, 7, 12.25, 12.25, 12.25, 12.25},
        {1.5, 1.5, 1.5, 3.5, 7, 12.25, 12.25, 12.25, 12.25}}},
      {b, asked,
       {{-2.4, 0.7, -1.7, 9.8, 3.359999999999999},
        {-2.4, 0.7, -1, 9.8, 3.1},
        {-2.4, 0.7, -1, 9.8, 4.4},
        {-2.4, 0.86666666666666647, -1.5249999999999999, 9.8, 4.1400000000000006},
        {-2.4, 0.95, -1, 9.8, 4.4}}},
  };
  for (const auto& c : cases) {
    for (int d = 0; d < 5; ++d) {
      SCOPED_TRACE(testing::Message() << "PCTLDEF=" << kDefs[d].def << ", " << c.p.size() << " points");
      value_list v(c.data);
      const bool ranked = &c.p == &asked;
      request r(v, kDefs[d].def, c.p, ranked ? 0 : 1);
      r.index = {0, 2, 1, 4, 3};  // ascending: 0, .125, 1/3, .6, 1
      if (ranked) r.q.index = r.index.data();
      r.run(v);
      for (size_t i = 0; i < c.p.size(); ++i) EXPECT_NEAR(r.est[i], c.ref[d][i], 1e-13) << "point " << i;
    }
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
  // The view the request read holds the values ascending with their counts.
  EXPECT_EQ(std::vector<double>(v.view()->x, v.view()->x + 5), (std::vector<double>{1, 2, 3, 5, 8}));
  EXPECT_EQ(std::vector<int>(v.view()->f, v.view()->f + 5), (std::vector<int>{1, 3, 1, 3, 2}));
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
  EXPECT_EQ(v.view()->x[r.q.distinct - 1], 7);
  EXPECT_EQ(r.q.modeval, 7);
  EXPECT_EQ(r.q.distinct, 7);
}

// ---- weighted percentiles -------------------------------------------------------

// Where W p falls exactly on a cumulative weight the estimate averages the values on
// either side, skipping values of weight 0.
TEST(WeightedPercentiles, AverageWhereTheCumulativeWeightHitsExactly) {
  const struct {
    std::vector<obs> data;
    std::vector<double> p, want;
  } cases[] = {
      {{{1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {4, 1, 1}}, {0.25, 0.3, 0.5, 1.0}, {1.5, 2, 2.5, 4}},
      {{{1, 1, 1}, {2, 1, 0}, {3, 1, 1}}, {0.5}, {2}},  // (1 + 3) / 2, not (1 + 2) / 2
      // Weights w = c f: 1 -> 0.5, 2 -> 3, 5 -> 1.5; W = 5, W p = 0.25, 0.5, 2.5, 3.5, ...
      {{{1, 1, 0.5}, {2, 1, 3}, {5, 3, 0.5}}, {0.05, 0.1, 0.5, 0.7, 0.71, 0.99}, {1, 1.5, 2, 3.5, 5, 5}},
  };
  for (const auto& c : cases) {
    value_list v(c.data, true);
    request r(v, 6, c.p);
    r.q.ntkind = 3;  // asked for, but weighted percentiles have no limits
    r.q.ntalpha = 0.05;
    r.q.dfkind = 4;
    r.q.dfalpha = 0.05;
    r.run(v);
    EXPECT_EQ(r.est, c.want);
    EXPECT_TRUE(is_missing(r.ntl[0]) && is_missing(r.dfl[0]));
    EXPECT_EQ(r.q.distinct, static_cast<int>(c.data.size()));
    EXPECT_EQ(v.view()->x[r.q.distinct - 1], c.data.back().x);
  }
}

// Equal weights c on 1..10 at 90 scales from 1 to 1e30: W p falls on a cumulative
// weight at p = 0.1 .. 0.9, whose sums round differently at each scale; every
// percentile is the average of its two values.
TEST(WeightedPercentiles, SameAtEveryCommonScale) {
  const std::vector<double> p = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
  const std::vector<double> want = {1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5};
  for (int k = 0; k < 90; ++k) {
    const double c = std::pow(10.0, k / 3.0);
    std::vector<obs> data;
    for (int x = 1; x <= 10; ++x) data.push_back({static_cast<double>(x), 1, c});
    value_list v(data, true);
    request r(v, 6, p);
    r.run(v);
    EXPECT_EQ(r.est, want) << c;
  }
}

// A tie is an exact equality of the cumulative weight and W p: a weight of 1 beside
// 1e16 or 1e300 still counts, so P0 is the smallest value, P100 the largest and the
// median of 1, 2, 3 under 1, 1e16, 1e16 is 2 (W p = 1e16 + 0.5).
TEST(WeightedPercentiles, TiesOnlyOnExactSums) {
  const std::vector<double> p = {0.0, 0.5, 1.0};
  for (double big : {1e16, 1e22, 1e300}) {
    value_list light_first({{1, 1, 1}, {2, 1, big}, {3, 1, big}}, true);
    request r(light_first, 6, p);
    r.run(light_first);
    EXPECT_EQ(r.est, std::vector<double>({1, 2, 3})) << big;
    value_list light_last({{1, 1, big}, {2, 1, big}, {3, 1, 1}}, true);
    request s(light_last, 6, p);
    s.run(light_last);
    EXPECT_EQ(s.est, std::vector<double>({1, 2, 3})) << big;
  }
}

// The cumulative weights are set against the view's own sum of weights: a SUMWGT past
// the largest double (missing) leaves the percentiles as they are (weights 1 and 2,
// W p = 1.5 falls in the second value).
TEST(WeightedPercentiles, MissingSumOfWeightsLeavesThePercentiles) {
  value_list v({{1, 1, 1}, {2, 2, 1}}, true);
  request r(v, 6, {0.5});
  r.mom.v[KES_MOM_SUMWGT] = zmissing();
  r.run(v);
  EXPECT_EQ(r.est[0], 2);
  EXPECT_EQ(v.view()->x[r.q.distinct - 1], 2);
  EXPECT_EQ(r.q.modeval, 2);
}

// ---- confidence limits ----------------------------------------------------------

// R: mean(x) + sd(x) * qt(a, n-1, ncp = qnorm(p) * sqrt(n)) / sqrt(n), sample B, n = 12,
// two-sided at alpha 0.05 and one-sided at a' = alpha = 0.10; limits are stored in
// descending percentile order, and a one-sided request leaves the other end missing.
TEST(PercentileLimits, NormalTheoryMatchesNoncentralT) {
  const struct {
    int kind;
    double alpha, lo[9], hi[9];
  } cases[] = {
      {3, 0.05,
       {-11.873738744498723, -7.8558563192985638, -5.7699459958586523, -2.4407904676204497, 0.86337035965144437,
        3.5825613172186634, 5.6106586353224035, 6.7138957809908675, 8.6691134262356755},
       {-2.3024467595691229, -0.34722911432403381, 0.75600803134414907, 2.7841053494480077, 5.503296307015221,
        8.8074571342873931, 12.136612662525209, 14.222522985965087, 18.240405411165245}},
      {1, 0.10,
       {-9.1241989433771185, -5.7561122382561916, -3.9959638416147802, -1.1553567433557612, 1.7462005837098518,
        4.2873339407472839, 6.3326503560314755, 7.493422284075594, 9.6027719715157147},
       {}},
      {2, 0.10,
       {},
       {-3.2361053048490227, -1.1267556174089721, 0.034016310635180513, 2.0793327259193877, 4.6204660829568152,
        7.5220234100226788, 10.362630508281372, 12.122778904922656, 15.490865610043473}},
  };
  for (const auto& c : cases) {
    auto v = value_list::of(sample_b());
    request r(v, 5, {kStd, kStd + 9});
    r.q.ntkind = c.kind;
    r.q.ntalpha = c.alpha;
    r.run(v);
    for (int i = 0; i < 9; ++i) {
      SCOPED_TRACE(testing::Message() << c.kind << " p=" << kStd[i]);
      auto limit = [](bool absent, double got, double want) {
        return absent ? is_missing(got) : std::fabs(got - want) <= 1e-6 * std::fabs(want) + 1e-9;
      };
      EXPECT_TRUE(limit(c.kind == 2, r.ntl[8 - i], c.lo[i])) << r.ntl[8 - i];
      EXPECT_TRUE(limit(c.kind == 1, r.ntu[8 - i], c.hi[i])) << r.ntu[8 - i];
    }
  }
}

// Distribution-free limits, B ~ binom(n, p): R pbinom(14, 20, .5) - pbinom(5, 20, .5) =
// 0.95861053466796875 for ranks 6 and 15; one-sided lower, the largest l with
// P(B >= l) >= 0.95: 1 - pbinom(5, 20, .5) = 0.97930526733398438 (from l = 7 it is
// 0.9423). At n = 10, p = 0.99 no symmetric interval reaches 95 percent: kind 4 gives
// none, the asymmetric fallback (5) ends at the extreme order statistic with its
// short coverage. Ranks count frequencies. -1: missing; -2: not checked.
TEST(PercentileLimits, DistributionFree) {
  std::vector<obs> tens, ones, counts{{1, 5}, {2, 5}, {3, 4}, {4, 5}, {5, 1}}, ten;
  for (int i = 1; i <= 20; ++i) tens.push_back({10.0 * i}), ones.push_back({1.0 * i});
  for (int i = 1; i <= 10; ++i) ten.push_back({1.0 * i});
  const struct {
    const char* what;
    const std::vector<obs>& data;
    double p;
    int kind;
    double lr, ur, cov, dfl, dfu;
  } cases[] = {
      {"median of 20", tens, 0.5, 4, 6, 15, 95.861053466796875, 60, 150},
      {"counted ranks", counts, 0.5, 4, -2, -2, -2, 2, 4},
      {"one-sided lower", ones, 0.5, 1, 6, -2, 97.930526733398438, 6, -1},
      {"one-sided upper", ones, 0.5, 2, -2, -2, -2, -1, 15},
      {"no symmetric interval", ten, 0.99, 4, -2, -2, -1, -2, -1},
      {"asymmetric fallback", ten, 0.99, 5, -2, 10, -2, -2, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    value_list v(c.data);
    request r(v, 5, {c.p});
    r.q.dfkind = c.kind;
    r.q.dfalpha = 0.05;
    r.run(v);
    const double got[5] = {r.lr[0], r.ur[0], r.cov[0], r.dfl[0], r.dfu[0]};
    const double want[5] = {c.lr, c.ur, c.cov, c.dfl, c.dfu};
    for (int i = 0; i < 5; ++i)
      EXPECT_TRUE(want[i] == -1 ? is_missing(got[i]) : want[i] == -2 || std::fabs(got[i] - want[i]) <= 1e-10)
          << i << ": " << got[i];
    EXPECT_TRUE(c.kind != 5 || (r.cov[0] > 0 && r.cov[0] < 95)) << r.cov[0];
  }
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
