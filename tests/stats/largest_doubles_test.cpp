// Statistics of values near the largest double whose results are doubles: no partial
// product (k x_high, mean - mu0, std t, x + y) may pass the largest double on the way.
// A hand table against values from R, then the rule "x times 2^k gives the statistic
// times 2^k" over generated data near 1.7e308 against the same data times 2^-1000.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "engine_host.h"
#include "numeric/zmissing.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "stats/kesstat.h"
#include "value_list_builder.h"

using kes_test::obs;
using kes_test::value_list;

namespace {

// 5e307, 5.6e307, ..., 1.64e308.
std::vector<double> twenty_large() {
  std::vector<double> x;
  for (int i = 0; i < 20; ++i) x.push_back(5e307 + i * 6e306);
  return x;
}

class LargestDoubles : public kes_test::engine_host {
 protected:
  void SetUp() override {
    engine_host::SetUp();
    ctx = std::make_unique<kes_ctx>();
    ctx->stats = &stats_;
    ctx->tables = &tables_;
    std::memset(name_.text, ' ', sizeof name_.text);
    name_.len = 1;
    name_.text[0] = 'X';
    ctx->nvars = 1;
    ctx->varnames = &name_;
    st().pctldef = 5;
    std::memcpy(st().vardef, "DF      ", 8);
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
  kes_stats& st() { return *ctx->stats; }
  void run(const std::vector<double>& x, double mu0, bool weighted = false) {
    mu0_ = mu0;
    std::vector<obs> d;
    for (double v : x) d.push_back(obs{v});
    st().pctldef = weighted ? 6 : 5;
    value_list v(d, weighted);
    ASSERT_TRUE(kesstat(ctx.get(), &v.rec, ctx->stats, 0));
  }

  std::unique_ptr<kes_ctx> ctx;
  kes_stats stats_{};
  kes_tables tables_{};
  kes_name32 name_;
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
  EXPECT_EQ(st().qnt[KES_Q_QRANGE], mid(11) - mid(3));
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
