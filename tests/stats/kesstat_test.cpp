// The statistics record: sum repair, messages, which engines run under which options,
// and statistics of values near the largest double. The empty shortcut, the quantile block, extremes, PCTLPTS= points, ranges,
// whiskers, basic and trimmed limits as the listing and OUTPUT show them are the
// example programs (option_rules, outputs, record_edges).
#include "stats/kesstat.h"

#include <gtest/gtest.h>

#include <limits>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "core/runtime.h"
#include "engine_host.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "value_list_builder.h"

using kes_test::obs;
using kes_test::value_list;

namespace {

std::vector<double> sample_b() { return {3.1, -2.4, 0.7, 5.5, 1.2, 9.8, 4.4, 0.7, 6.3, 2.2, 7.7, -1.0}; }

class StatRecord : public kes_test::engine_host {
 protected:
  void SetUp() override {
    engine_host::SetUp();
    ctx = std::make_unique<kes_ctx>();
    ctx->stats = &stats_;
    ctx->tables = &tables_;
    for (int i = 0; i < 2; ++i) {
      std::memset(names[i].text, ' ', sizeof names[i].text);
      const char* n = i == 0 ? "HEIGHT" : "WEIGHTKG";
      names[i].len = static_cast<std::uint16_t>(std::strlen(n));
      std::memcpy(names[i].text, n, names[i].len);
    }
    ctx->nvars = 2;
    ctx->varnames = names;
    st().pctldef = 5;
    std::memcpy(st().vardef, "DF      ", 8);
  }
  kes_stats& st() { return *ctx->stats; }
  bool run(value_list& v, int var = 0) { return kesstat(ctx.get(), &v.rec, ctx->stats, var); }
  bool logged(int number) const {
    for (const auto& m : messages)
      if (m.set == 189 && m.number == number) return true;
    return false;
  }

  std::unique_ptr<kes_ctx> ctx;
  kes_stats stats_{};
  kes_tables tables_{};
  kes_name32 names[2];
};

}  // namespace

// A variable without a nonmissing value (only its missing-value counts) is the example
// tables_edges, and missing values counted beside the values with their frequencies
// are datapass_sums.

// One-sided and two-sided limits, and none for one observation, are the example
// record_edges. A record without a standard error keeps the limits of the spread
// (the option pass never asks for them then).
TEST_F(StatRecord, BasicLimitsWithoutStandardErrorKeepStdLimits) {
  ctx->po.cibasic = 3;
  ctx->po.cibasic_alpha = 0.05;
  std::memcpy(st().vardef, "N       ", 8);
  auto v = value_list::of(sample_b());
  run(v);
  EXPECT_TRUE(is_missing(st().bcl[KES_BCL_LO_MEAN]) && is_missing(st().bcl[KES_BCL_UP_MEAN]));
  EXPECT_FALSE(is_missing(st().bcl[KES_BCL_LO_STD]) || is_missing(st().bcl[KES_BCL_UP_VAR]));
}

// ---- sums, messages and the return code -------------------------------------------

// Values one unit of rounding apart spread for real: CSS from the values, no note.
// A mean within the rounding of its sum is set to 0 with a note naming the variable.
TEST_F(StatRecord, RoundingMessagesNameTheVariable) {
  std::vector<obs> d(4, obs{5e8 + 0.25});
  const double next = std::nextafter(5e8 + 0.25, 1e9);
  d.push_back(obs{next});
  value_list v(d);
  v.rec.css = 1e-9;
  run(v, 1);
  const double u = next - (5e8 + 0.25);
  EXPECT_DOUBLE_EQ(st().mom.v[KES_MOM_CSS], 0.8 * u * u);  // weights 4 and 1: 4/5 u^2
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(ctx->rc, 0);

  auto m = value_list::of({-1, 1});
  m.rec.sum = 1e-17;
  m.rec.overflow = 1;
  run(m);
  ASSERT_TRUE(logged(180));
  EXPECT_EQ(messages[0].name, "HEIGHT");
  EXPECT_EQ(ctx->rc, 4);
}

TEST_F(StatRecord, ReturnCodeIsOnlyRaised) {
  ctx->rc = KES_RC_OUT_OF_MEMORY;
  auto m = value_list::of({-1, 1});
  m.rec.sum = 1e-17;
  m.rec.overflow = 1;
  run(m);
  EXPECT_FALSE(messages.empty());
  EXPECT_EQ(ctx->rc, KES_RC_OUT_OF_MEMORY);
}

// Overflow levels 1, 2 and 4 (USS, CSS, the sum of weights overflowed in the data
// pass) take the sums again from the values, divided by a power of two: {1, 2, 3}
// have USS 14, variance 1 and mean 2 whatever the level.
TEST_F(StatRecord, OverflowLevelsTakeTheSumsAgainFromTheValues) {
  for (int level : {1, 2, 4}) {
    auto v = value_list::of({1, 2, 3});
    v.rec.overflow = level;
    v.rec.sum = v.rec.uss = v.rec.css = std::numeric_limits<double>::infinity();
    run(v);
    EXPECT_DOUBLE_EQ(st().mom.v[KES_MOM_USS], 14) << level;
    EXPECT_DOUBLE_EQ(st().mom.v[KES_MOM_VAR], 1) << level;
    EXPECT_DOUBLE_EQ(st().mom.v[KES_MOM_MEAN], 2) << level;
    EXPECT_EQ(st().qnt[KES_Q_MEDIAN], 2) << level;
  }
}

// A sum far below the spread stays as summed: the mean is what it gives, set to 0
// (with the note) only within the rounding error of the sum (N units of rounding of
// the sum of |x|: 1.3e-16 here).
TEST_F(StatRecord, SumStaysAsSummedAndTheMeanFollowsIt) {
  auto v = value_list::of({-0.3, -0.1, 0.1, 0.3});
  v.rec.sum = 5e-17;  // what a running sum may leave
  run(v);
  EXPECT_EQ(st().mom.v[KES_MOM_SUM], 5e-17);
  EXPECT_EQ(st().mom.v[KES_MOM_MEAN], 0.0);
  EXPECT_TRUE(logged(180));

  messages.clear();
  auto w = value_list::of({-1e13, 1, 1e13});
  run(w);
  EXPECT_EQ(st().mom.v[KES_MOM_SUM], 1.0);
  EXPECT_EQ(st().mom.v[KES_MOM_MEAN], 1.0 / 3);
  EXPECT_TRUE(messages.empty());
}

// ---- which engines run --------------------------------------------------------------

TEST_F(StatRecord, RankTestsUnderNoprintOnlyWhenSomethingReadsThem) {
  ctx->noprint = 1;
  auto a = value_list::of(sample_b());
  run(a);
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_T]));
  EXPECT_TRUE(is_missing(st().loc.v[KES_LOC_S]));
  ctx->dp.nloc_vars = 1;
  auto b = value_list::of(sample_b());
  run(b, 0);
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_S]));
  auto c = value_list::of(sample_b());
  run(c, 1);  // beyond the OUTPUT demand
  EXPECT_TRUE(is_missing(st().loc.v[KES_LOC_S]));
  ctx->dp.inset_stats = 1;
  auto d = value_list::of(sample_b());
  run(d, 1);
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_S]));
}

// A WEIGHT variable's weighted percentiles and Student's t alone, and the percentile
// limits in their descending arrays, are the engines' tests and the option_rules example.

TEST_F(StatRecord, RobustScaleAndNormalityOnlyWhenAsked) {
  auto a = value_list::of(sample_b());
  for (double& x : st().scl) x = 42;
  st().nrm.w = 42;
  run(a);
  EXPECT_EQ(st().scl[KES_SCL_GINI], 42);
  EXPECT_EQ(st().nrm.w, 42);
  ctx->robustscale = 1;
  ctx->normal = 1;
  auto b = value_list::of(sample_b());
  run(b);
  EXPECT_NEAR(st().scl[KES_SCL_QRANGE], st().qnt[KES_Q_QRANGE], 1e-12);
  EXPECT_FALSE(is_missing(st().scl[KES_SCL_QN]));
  EXPECT_GT(st().nrm.w, 0);
  EXPECT_LE(st().nrm.w, 1);
  // An OUTPUT demand alone also runs them, for the leading variables only.
  ctx->robustscale = 0;
  ctx->normal = 0;
  ctx->dp.robust_k = 1;
  ctx->dp.nnormal_vars = 1;
  for (double& x : st().scl) x = 42;
  st().nrm.w = 42;
  auto c = value_list::of(sample_b());
  run(c, 1);
  EXPECT_EQ(st().scl[KES_SCL_GINI], 42);
  EXPECT_EQ(st().nrm.w, 42);
  run(c, 0);
  EXPECT_NE(st().scl[KES_SCL_GINI], 42);
  EXPECT_NE(st().nrm.w, 42);
}

// With a WEIGHT variable an OUTPUT row holds one interquartile range: QRANGE from the
// quantiles and STD_QRANGE, MAD and STD_MAD from the robust scale both use the
// weighted quartiles and median. By hand, x = 1 2 4 7 with weights 1 2 1 3 (W = 7,
// cumulative 1 3 4 7): Q1 at 1.75 and the median at 3.5 fall inside 2 and 4, Q3 at
// 5.25 inside 7; deviations from 4 are 0 (weight 1), 2 (2) and 3 (1 + 3), and 3.5
// falls inside 3. Unit weights (W = 4): Q1 at 1, the median at 2 and Q3 at 3 lie on
// steps and average their neighbours; the deviations from 3, 1 (weight 2) and 2,
// average on the step at 2 as well.
TEST_F(StatRecord, WeightedRobustScaleSharesTheQuartilesOfTheQuantiles) {
  struct weighted_case {
    std::vector<obs> data;
    double q1, median, q3, mad;
  };
  const weighted_case cases[] = {
      {{{1, 1, 1.0}, {2, 1, 2.0}, {4, 1, 1.0}, {7, 1, 3.0}}, 2, 4, 7, 3},
      {{{1, 1, 1.0}, {2, 1, 1.0}, {4, 1, 1.0}, {7, 1, 1.0}}, 1.5, 3, 5.5, 1.5},
  };
  for (const weighted_case& c : cases) {
    SCOPED_TRACE(c.q3);
    st().pctldef = 6;
    ctx->dp.robust_k = 1;  // an OUTPUT statement asks for the robust scale
    value_list v(c.data, true);
    run(v);
    EXPECT_EQ(st().qnt[KES_Q_Q1], c.q1);
    EXPECT_EQ(st().qnt[KES_Q_MEDIAN], c.median);
    EXPECT_EQ(st().qnt[KES_Q_Q3], c.q3);
    EXPECT_EQ(st().qnt[KES_Q_QRANGE], c.q3 - c.q1);
    EXPECT_EQ(st().scl[KES_SCL_QRANGE], st().qnt[KES_Q_QRANGE]);
    EXPECT_DOUBLE_EQ(st().scl[KES_SCL_STD_QRANGE], (c.q3 - c.q1) / 1.34898);
    EXPECT_EQ(st().scl[KES_SCL_MAD], c.mad);
    EXPECT_DOUBLE_EQ(st().scl[KES_SCL_STD_MAD], 1.4826 * c.mad);
  }
  // The first sample unweighted (definition 5) has IQR 4: (4 + 7)/2 - (1 + 2)/2.
  st().pctldef = 5;
  auto u = value_list::of({1, 2, 4, 7});
  run(u);
  EXPECT_EQ(st().scl[KES_SCL_QRANGE], 4);
  EXPECT_EQ(st().qnt[KES_Q_QRANGE], 4);
}

TEST_F(StatRecord, RobustScaleWithoutMemoryIsReported) {
  ctx->robustscale = 1;
  auto v = value_list::of(sample_b());
  for (double& x : st().scl) x = 42;
  plat::set_memory_cap(1);
  run(v);
  plat::set_memory_cap(0);
  ASSERT_EQ(memmsgs.size(), 1u);
  EXPECT_EQ(memmsgs[0], 8 * 11);  // the first request, a double per value, failed
  EXPECT_EQ(ctx->rc, KES_RC_OUT_OF_MEMORY);
  EXPECT_EQ(st().scl[KES_SCL_GINI], 42);  // skipped
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_T]));  // the later engines still run
}

// The engines read the record's view; a record whose view the data pass could not
// make (memory) is not computed, with the memory message, for an empty cell too.
TEST_F(StatRecord, ARecordWithoutItsViewIsNotComputed) {
  for (bool empty : {false, true}) {
    SCOPED_TRACE(empty ? "empty" : "values");
    auto v = empty ? value_list(std::vector<obs>{}, false, 2) : value_list::of(sample_b());
    v.rec.view = nullptr;
    memmsgs.clear();
    ctx->rc = 0;
    st().mom.v[KES_MOM_MEAN] = 42;  // the caller's preset: no engine runs
    EXPECT_FALSE(run(v));
    EXPECT_EQ(memmsgs.size(), 1u);
    EXPECT_EQ(ctx->rc, KES_RC_OUT_OF_MEMORY);
    EXPECT_EQ(st().mom.v[KES_MOM_MEAN], 42);
  }
}

TEST(StatMessages, EveryKeyIsInTheCatalogue) {
  for (int n : {179, 180, 183}) {  // 153 is in the example record_edges
    const std::string* t = plat::catalogue_text(189, n);
    ASSERT_NE(t, nullptr) << n;
    EXPECT_NE(t->find("{L}"), std::string::npos) << n;
  }
}

// ---- values near the largest double --------------------------------------------
// No partial product (k x_high, mean - mu0, std t, x + y) may pass the largest double
// where the result does not: a hand table against values from R, then the rule "x
// times 2^k gives the statistic times 2^k" over generated data near 1.7e308 against
// the same data times 2^-1000.

namespace {

// 5e307, 5.6e307, ..., 1.64e308.
std::vector<double> twenty_large() {
  std::vector<double> x;
  for (int i = 0; i < 20; ++i) x.push_back(5e307 + i * 6e306);
  return x;
}

// Trimmed and winsorized means of 2 a side, MU0= per run, two-sided 95 % normal
// percentile limits.
class LargestDoubles : public StatRecord {
 protected:
  void SetUp() override {
    StatRecord::SetUp();
    ctx->nvars = 1;
    ctx->po.mu0 = &mu0_;
    ctx->po.trimmed = &amount_;
    ctx->po.winsorized = &amount_;
    ctx->ntrimmed = ctx->nwinsorized = 1;
    ctx->po.trim_kind = ctx->po.winsor_kind = 3;
    ctx->po.trim_alpha = ctx->po.winsor_alpha = 0.05;
    ctx->po.cipctlnormal = 3;
    ctx->po.cipctlnormal_alpha = 0.05;
    st().trimmed = &trimmed_;
    st().winsorized = &winsorized_;
  }
  void run(const std::vector<double>& x, double mu0, bool weighted = false) {
    mu0_ = mu0;
    std::vector<obs> d;
    for (double v : x) d.push_back(obs{v});
    st().pctldef = weighted ? 6 : 5;
    value_list v(d, weighted);
    ASSERT_TRUE(StatRecord::run(v));
  }

  double mu0_ = 0, amount_ = 2;
  kes_twmres trimmed_{}, winsorized_{};
};

void expect_rel(double got, double want, double tol, const char* what) {
  EXPECT_NEAR(got, want, tol * std::fabs(want)) << what;
}

// R 4.2.2 on the same values in units of 1e307 (x <- 5 + (0:19)*0.6; k = 2): the
// trimmed and winsorized means by hand from x[3:18] and the winsorized copy, their
// standard errors sqrt(SSW/(df (df + 1))) and sqrt(SSW/(n (n - 1))) (n - 1)/df, df 15,
// limits with qt(0.975, 15); Student's t (mean - mu0)/(sd/sqrt(20)).
TEST_F(LargestDoubles, TrimmedWinsorizedAndLocationTAgainstR) {
  const struct {
    double mu0;
    double t_trim, t_wins, t_student;
  } rows[] = {
      {0, 11.622884557102363, 11.546165008735269, 13.480732870662438},
      {-1.7e308, 30.089149741283688, 29.890539321679153, 34.898719674518652},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.mu0);
    run(twenty_large(), r.mu0);
    const double* tr = trimmed_.cell;
    const double* wi = winsorized_.cell;
    expect_rel(tr[KES_TWM_MEAN], 1.07e308, 1e-15, "trimmed mean");
    expect_rel(tr[KES_TWM_SE], 0.92059763197609845e307, 1e-13, "trimmed SE");
    expect_rel(tr[KES_TWM_T], r.t_trim, 1e-13, "trimmed t");
    expect_rel(tr[KES_TWM_LCL], 8.7377925956811389e307, 1e-12, "trimmed LCL");
    expect_rel(tr[KES_TWM_UCL], 12.66220740431886e307, 1e-12, "trimmed UCL");
    expect_rel(wi[KES_TWM_MEAN], 1.07e308, 1e-15, "winsorized mean");
    expect_rel(wi[KES_TWM_SE], 0.92671462705624752e307, 1e-13, "winsorized SE");
    expect_rel(wi[KES_TWM_T], r.t_wins, 1e-13, "winsorized t");
    expect_rel(wi[KES_TWM_LCL], 8.7247545292973641e307, 1e-12, "winsorized LCL");
    expect_rel(wi[KES_TWM_UCL], 12.675245470702635e307, 1e-12, "winsorized UCL");
    expect_rel(st().loc.v[KES_LOC_T], r.t_student, 1e-13, "Student's t");
    if (r.mu0 == 0) expect_rel(tr[KES_TWM_PT], 6.6794903836272624e-09, 1e-6, "p of the trimmed t");  // 2*pt(-t, 15)
  }
}

// Normal-theory limits, 95 % two-sided, R 4.2.2 (mean + sd qt(a, 19, z sqrt(20))/sqrt(20),
// the same data in units of 1e307): those beyond the largest double are missing; the
// others are found though std times t passes it.
TEST_F(LargestDoubles, NormalPercentileLimitsAgainstR) {
  run(twenty_large(), 0);
  const double miss = NAN;
  const struct {
    int pos;  // place in the descending arrays: 0 is P99
    double lo, hi;
  } rows[] = {
      {0, 16.570952592819062e307, miss},  // P99
      {1, 14.588591462460631e307, miss},  // P95 (upper 1.98e308)
      {3, 11.527263323599605e307, 15.242469232708508e307},
      {4, 9.038713659187847e307, 12.361286340812152e307},
      {5, 6.1575307672914903e307, 9.8727366764003932e307},
      {7, 1.5561780232854048e307, 6.8114085375393678e307},
      {8, -1.8269409495124371e307, 4.8290474071809388e307},  // P1
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.pos);
    expect_rel(st().pct_ntlower[r.pos], r.lo, 1e-9, "lower");
    if (std::isnan(r.hi))
      EXPECT_TRUE(is_missing(st().pct_ntupper[r.pos]));
    else
      expect_rel(st().pct_ntupper[r.pos], r.hi, 1e-9, "upper");
  }
}

// Weighted quartiles on steps of the cumulative weight are the midpoints of two values
// whose sum passes the largest double: 1.6e308, 1.61e308, ..., 1.75e308 at weight 1.
TEST_F(LargestDoubles, WeightedMidpointsOfTheLargestValues) {
  std::vector<double> x;
  for (int i = 0; i < 16; ++i) x.push_back(1.6e308 + i * 1e306);
  run(x, 0, true);
  auto mid = [&](int i) { return static_cast<double>((static_cast<long double>(x[i]) + x[i + 1]) / 2); };
  EXPECT_EQ(st().qnt[KES_Q_Q1], mid(3));
  EXPECT_EQ(st().qnt[KES_Q_MEDIAN], mid(7));
  EXPECT_EQ(st().qnt[KES_Q_Q3], mid(11));
  // QRANGE from the values the quartiles lie between, exact here, not from the
  // midpoints as rounded.
  EXPECT_EQ(st().qnt[KES_Q_QRANGE],
            static_cast<double>((static_cast<long double>(x[11] - x[3]) + (x[12] - x[4])) / 2));
}

// -9e307 and 9e307: the pair's difference 1.8e308 is a double, but Qn = 2.2219 times it
// is not; its estimate of sigma, 0.399 Qn = 1.5957e308, is (robustbase's Qn with the
// small-sample factor, 1.595e308). The order statistics take the values divided by
// 2^2: with two bits less room the values stand as they are, the product overflows
// and the estimate is lost with it.
TEST_F(LargestDoubles, QnOfTwoValuesNearTheLargestDouble) {
  ctx->robustscale = 1;
  run({-9e307, 9e307}, 0);
  const long double qn = 2.2219L * 1.8e308L;
  EXPECT_TRUE(is_missing(st().scl[KES_SCL_QN]));
  expect_rel(st().scl[KES_SCL_STD_QN], static_cast<double>(0.399L * qn), 1e-15, "STD_QN");
  expect_rel(st().scl[KES_SCL_MAD], 9e307, 1e-15, "MAD");
}

// The rule of scale over generated data near the largest double, several sizes and
// signs: each statistic of x is that of x times 2^-1000 times 2^1000 (to a few units of
// rounding: the two are found from sums taken apart).
TEST_F(LargestDoubles, ScalingByAPowerOfTwoScalesTheStatistics) {
  std::mt19937_64 rng(20261208);
  std::uniform_real_distribution<double> u(0.3, 1.7);
  for (int n : {5, 20, 101}) {
    for (int sign : {1, -1, 0}) {  // all positive, all negative, both
      SCOPED_TRACE(testing::Message() << n << " values, sign " << sign);
      std::vector<double> big;
      for (int i = 0; i < n; ++i) {
        const double s = sign != 0 ? sign : (i % 2 ? 1 : -1);
        big.push_back(s * std::ldexp(u(rng), 1023) * 0.55);
      }
      std::sort(big.begin(), big.end());
      std::vector<double> small;
      for (double v : big) small.push_back(std::ldexp(v, -1000));
      const double mu0 = -1.7e308 * (sign == 0 ? 0.01 : 1);

      auto collect = [&](bool weighted) {
        std::vector<double> c;
        for (int i : {KES_TWM_MEAN, KES_TWM_SE, KES_TWM_LCL, KES_TWM_UCL}) {
          c.push_back(trimmed_.cell[i]);
          c.push_back(winsorized_.cell[i]);
        }
        if (!weighted) {
          for (int i = 0; i < KES_NSTDPCT; ++i) {
            c.push_back(st().pct_ntlower[i]);
            c.push_back(st().pct_ntupper[i]);
          }
          c.push_back(st().scl[KES_SCL_STD_QN]);
          c.push_back(st().scl[KES_SCL_MAD]);
        }
        for (int q : {KES_Q_Q1, KES_Q_MEDIAN, KES_Q_Q3}) c.push_back(st().qnt[q]);
        return c;
      };
      auto scale_free = [&] {
        return std::vector<double>{trimmed_.cell[KES_TWM_T], winsorized_.cell[KES_TWM_T], st().loc.v[KES_LOC_T]};
      };
      for (bool weighted : {false, true}) {
        SCOPED_TRACE(weighted ? "weights 1" : "no weights");
        ctx->robustscale = weighted ? 0 : 1;
        run(big, mu0, weighted);
        const std::vector<double> a = collect(weighted), ta = scale_free();
        run(small, std::ldexp(mu0, -1000), weighted);
        const std::vector<double> b = collect(weighted), tb = scale_free();
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
          const double want = std::ldexp(b[i], 1000);
          if (is_missing(b[i]) || std::isinf(want))  // none (n = 5 leaves no df), or beyond the doubles
            EXPECT_TRUE(is_missing(a[i])) << "cell " << i;
          else
            EXPECT_NEAR(a[i], want, 1e-13 * std::fabs(want)) << "cell " << i;
        }
        for (std::size_t i = 0; i < ta.size(); ++i) {
          if (is_missing(tb[i]))
            EXPECT_TRUE(is_missing(ta[i])) << "t " << i;
          else
            EXPECT_NEAR(ta[i], tb[i], 1e-13 * std::fabs(tb[i])) << "t " << i;
        }
      }
    }
  }
}

}  // namespace
