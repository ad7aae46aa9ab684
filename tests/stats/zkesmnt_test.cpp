// Moments under every VARDEF= divisor, with frequencies and weights, and the rounding
// rules that zero a noisy CSS or a negligible mean.
#include "stats/zkesmnt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "core/runtime.h"
#include "engine_host.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"
#include "stats/kes_stats.h"
#include "value_list_builder.h"

using kes_test::obs;
using kes_test::value_list;

namespace {

constexpr double kRel = 1e-13;

struct moments_of {
  kes_moments m{};
  int rc = -1;
  moments_of(value_list& v, const char* vardef) { rc = zkesmnt_arrays(&v.rec, vardef, v.view(), &m); }
  double operator[](int c) const { return m.v[c]; }
};

// Sample A: values with ties given through frequencies (13 observations).
std::vector<obs> sample_a() { return {{1.5, 2}, {2.0, 1}, {3.5, 3}, {7.0, 1}, {10.0, 2}, {12.25, 4}}; }
// Weighted sample: value, frequency, clamped weight.
std::vector<obs> sample_w() { return {{1.5, 2, 0.5}, {2.0, 1, 2}, {3.5, 3, 1.5}, {7.0, 1, 3}, {10.0, 2, 1}}; }

}  // namespace

TEST(MomentsDivisor, ChosenBySecondCharacter) {
  EXPECT_EQ(zvardiv("DF      ", 10, 1, 7.5), 9);
  EXPECT_EQ(zvardiv("N       ", 10, 1, 7.5), 10);
  EXPECT_EQ(zvardiv("WEIGHT  ", 10, 1, 7.5), 7.5);
  EXPECT_EQ(zvardiv("WGT     ", 10, 1, 7.5), 7.5);
  EXPECT_EQ(zvardiv("WDF     ", 10, 1, 7.5), 6.5);
  // A divisor lost in rounding, and a negative one, become 0.
  EXPECT_EQ(zvardiv("WDF     ", 10, 1, 1.0), 0.0);
  EXPECT_EQ(zvardiv("WDF     ", 10, 1, 1.0 + 1e-17), 0.0);
  EXPECT_EQ(zvardiv("DF      ", 0.5, 1, 7.5), 0.0);
}

class MomentsHost : public kes_test::engine_host {};

TEST_F(MomentsHost, UnknownVardefEndsTheStep) {
  try {
    zvardiv("XQ      ", 10, 1, 10);
    FAIL() << "no step end";
  } catch (const plat::step_exit& e) {
    EXPECT_EQ(e.code, KES_RC_INTERNAL);
  }
}

// R 4.x: x <- rep(c(1.5,2,3.5,7,10,12.25), c(2,1,3,1,2,4)); mean, var, sd; skewness
// n/((n-1)(n-2)) sum z^3 and kurtosis n(n+1)/((n-1)(n-2)(n-3)) sum z^4 - 3(n-1)^2/((n-2)(n-3))
// under DF; under N: sum((x-m)^2)/n, mean(z^3), mean(z^4) - 3 with z on that sd, and no
// standard error (it belongs to DF alone). Weighted (w = c f): skewness and kurtosis
// with the weights' f c^1.5 and f c^2 sums, standard error s/sqrt(W). NaN: not checked.
TEST(Moments, AgainstR) {
  const double u = NAN;
  const struct {
    bool weighted;
    const char* vardef;
    double mean, var, std, skew, kurt, stdmean, cv, uss, css;
  } rows[] = {
      {false, "DF      ", 7.0384615384615383, 20.873397435897434, 4.5687413404456851, 0.01810876259935449,
       -1.9965345422527785, 1.2671408590237689, 64.911079153873118, 894.5, 250.48076923076923},
      {false, "N       ", u, 19.267751479289942, u, 0.0159484749750111, -1.7358261883797959, u, u, u, u},
      {true, "DF      ", u, u, u, 0.60853780485192155, -1.5596559168766677, 1.0117806086301515, 71.831017011589594, u,
       u},
      {true, "N       ", u, u, u, 0.50201807648903141, -1.41881935636025, u, u, u, u},
  };
  for (const auto& r : rows) {
    value_list v(r.weighted ? sample_w() : sample_a(), r.weighted);
    moments_of m(v, r.vardef);
    SCOPED_TRACE(testing::Message() << r.vardef << (r.weighted ? " weighted" : ""));
    EXPECT_EQ(m.rc, 0);
    EXPECT_EQ(std::memcmp(m.m.vardef, r.vardef, 8), 0);
    const std::pair<int, double> want[] = {{KES_MOM_MEAN, r.mean}, {KES_MOM_VAR, r.var},   {KES_MOM_STD, r.std},
                                           {KES_MOM_SKEW, r.skew}, {KES_MOM_KURT, r.kurt}, {KES_MOM_STDMEAN, r.stdmean},
                                           {KES_MOM_CV, r.cv},     {KES_MOM_USS, r.uss},   {KES_MOM_CSS, r.css}};
    for (const auto& [cell, value] : want)
      EXPECT_TRUE(std::isnan(value) || std::fabs(m[cell] - value) <= std::max(1e-12, 1e-13 * std::fabs(value)))
          << "cell " << cell << ": " << m[cell];
    EXPECT_EQ(m[KES_MOM_N], r.weighted ? 9 : 13);
    EXPECT_TRUE(r.weighted || m[KES_MOM_SUMWGT] == 13);
    EXPECT_EQ(is_missing(m[KES_MOM_STDMEAN]), r.vardef[0] == 'N');
  }
}

// R: weights w = c*f; W = 12.5, mean 4.98, CSS 102.37; var = CSS / divisor.
TEST(Moments, WeightedUnderEveryDivisor) {
  value_list v(sample_w(), true);
  struct {
    const char* vardef;
    double var, std;
  } cases[] = {{"DF      ", 12.796250000000001, 3.5771846471771624},
               {"N       ", 11.374444444444444, 3.3726020287671719},
               {"WEIGHT  ", 8.1896000000000004, 2.8617477177417299},
               {"WGT     ", 8.1896000000000004, 2.8617477177417299},
               {"WDF     ", 8.9017391304347822, 2.9835782427204389}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vardef);
    moments_of m(v, c.vardef);
    EXPECT_NEAR(m[KES_MOM_MEAN], 4.98, 1e-14);
    EXPECT_NEAR(m[KES_MOM_VAR], c.var, 1e-13);
    EXPECT_NEAR(m[KES_MOM_STD], c.std, 1e-14);
    EXPECT_EQ(m[KES_MOM_SUMWGT], 12.5);
    const bool weight_divisor = c.vardef[0] == 'W';
    EXPECT_EQ(is_missing(m[KES_MOM_SKEW]), weight_divisor);
    EXPECT_EQ(is_missing(m[KES_MOM_KURT]), weight_divisor);
    EXPECT_EQ(is_missing(m[KES_MOM_STDMEAN]), c.vardef[0] != 'D');
  }
}

TEST(Moments, SmallSamplesLeaveShapeMissing) {
  auto two = value_list::of({1, 3});
  moments_of m2(two, "DF      ");
  EXPECT_TRUE(is_missing(m2[KES_MOM_SKEW]));
  EXPECT_TRUE(is_missing(m2[KES_MOM_KURT]));
  EXPECT_EQ(m2[KES_MOM_VAR], 2);
  auto three = value_list::of({1, 3, 8});
  moments_of m3(three, "DF      ");
  EXPECT_FALSE(is_missing(m3[KES_MOM_SKEW]));
  EXPECT_TRUE(is_missing(m3[KES_MOM_KURT]));
  // One value: no variance under DF, 0 under N.
  auto one = value_list::of({5});
  moments_of m1(one, "DF      ");
  EXPECT_EQ(m1[KES_MOM_MEAN], 5);
  EXPECT_TRUE(is_missing(m1[KES_MOM_VAR]));
  moments_of n1(one, "N       ");
  EXPECT_EQ(n1[KES_MOM_VAR], 0);
}

TEST(Moments, SymmetricDataHasSkewnessExactlyZero) {
  // Shifted symmetric samples: the cubes do not cancel exactly in floating point, and
  // the noise must still come out as 0.
  for (double shift : {0.0, 0.1, 0.7, -2.3}) {
    SCOPED_TRACE(shift);
    auto v = value_list::of({shift + 0.1, shift + 0.2, shift + 0.3, shift + 0.45, shift - 0.05});
    moments_of m(v, "DF      ");
    EXPECT_EQ(m[KES_MOM_SKEW], 0.0);
  }
  // Far from 0 the mean's own rounding is real asymmetry of the computed z: small, not 0.
  auto far = value_list::of({1e6 + 0.1, 1e6 + 0.2, 1e6 + 0.3, 1e6 + 0.45, 1e6 - 0.05});
  moments_of m(far, "DF      ");
  EXPECT_LT(std::fabs(m[KES_MOM_SKEW]), 1e-8);
}

// Values one unit of rounding apart about 1e9 spread for real: CSS from the values is
// exact (weights 4 and 1: 4/5 u^2) and nothing is zeroed. Without the values the
// pass's CSS is judged against the mean as designed: zeroed, with result 1.
TEST(Moments, ValuesOneUnitApartSpreadForReal) {
  std::vector<obs> d(4, obs{1e9 + 0.5});
  const double next = std::nextafter(1e9 + 0.5, 2e9);
  d.push_back(obs{next});
  value_list v(d);
  v.rec.css = 1e-10;  // what a one-pass sum might leave
  moments_of m(v, "DF      ");
  const double u = next - (1e9 + 0.5);
  EXPECT_EQ(m.rc, KES_MNT_OK);
  EXPECT_DOUBLE_EQ(m[KES_MOM_CSS], 0.8 * u * u);
  EXPECT_DOUBLE_EQ(m[KES_MOM_VAR], 0.2 * u * u);
  // Deviations -u/5 (four times) and 4u/5 over std u sqrt(0.2): skewness 5/12 (4 (-0.2)^3
  // + 0.8^3) / 0.2^1.5, exactly root 5.
  EXPECT_NEAR(m[KES_MOM_SKEW], std::sqrt(5.0), 1e-12);
  kes_moments without{};
  EXPECT_EQ(zkesmnt_arrays(&v.rec, "DF      ", nullptr, &without), KES_MNT_VAR_ZEROED);
  EXPECT_EQ(without.v[KES_MOM_CSS], 0);
  EXPECT_EQ(without.v[KES_MOM_STD], 0);
}

TEST(Moments, NegligibleMeanIsZeroedAndCvMissing) {
  auto v = value_list::of({-1, 1});
  v.rec.sum = 2e-17;
  moments_of m(v, "DF      ");
  EXPECT_EQ(m.rc, KES_MNT_MEAN_ZEROED);
  EXPECT_EQ(m[KES_MOM_MEAN], 0.0);
  EXPECT_TRUE(is_missing(m[KES_MOM_CV]));
  EXPECT_DOUBLE_EQ(m[KES_MOM_VAR], 2.0);
}

TEST(Moments, MissingOrTinyWeightsLeaveEverythingMissing) {
  auto v = value_list::of({1, 2, 3});
  v.rec.sumwgt = 0;
  moments_of m(v, "DF      ");
  EXPECT_EQ(m.rc, 0);
  EXPECT_EQ(m[KES_MOM_N], 3);
  EXPECT_TRUE(is_missing(m[KES_MOM_MEAN]));
  EXPECT_TRUE(is_missing(m[KES_MOM_STD]));
  // WDF with a sum of weights of 1: divisor 0, no variance.
  value_list w({{2, 1, 0.5}, {4, 1, 0.5}}, true);
  moments_of mw(w, "WDF     ");
  EXPECT_EQ(mw[KES_MOM_MEAN], 3);
  EXPECT_TRUE(is_missing(mw[KES_MOM_VAR]));
  // A missing sum (overflowed) leaves the mean missing but not the counts.
  auto o = value_list::of({1, 2});
  o.rec.sum = zmissing();
  o.rec.css = zmissing();
  moments_of mo(o, "DF      ");
  EXPECT_TRUE(is_missing(mo[KES_MOM_MEAN]));
  EXPECT_TRUE(is_missing(mo[KES_MOM_VAR]));
  EXPECT_EQ(mo[KES_MOM_NOBS], 2);
}

TEST(Moments, MissingCountsAreCopied) {
  value_list v(sample_a(), false, 3);
  moments_of m(v, "DF      ");
  EXPECT_EQ(m[KES_MOM_NMISS], 3);
  EXPECT_EQ(m[KES_MOM_NOBS], 16);
  EXPECT_EQ(v.view()->nkinds, 1);
  EXPECT_EQ(v.view()->kcount[0], 3);
}

// Without the copy of the value list (no memory for it) the moments that need only
// the running sums are still given, from the pass's CSS; skewness and kurtosis stay
// missing.
TEST(Moments, WithoutTheValueCopyOnlyTheShapeIsMissing) {
  value_list v(sample_a());
  kes_moments with{}, without{};
  zkesmnt_arrays(&v.rec, "DF      ", v.view(), &with);
  EXPECT_EQ(zkesmnt_arrays(&v.rec, "DF      ", nullptr, &without), KES_MNT_OK);
  for (int c = 0; c < KES_MOM_NCELLS; ++c) {
    if (c == KES_MOM_SKEW || c == KES_MOM_KURT) {
      EXPECT_TRUE(is_missing(without.v[c])) << c;
      EXPECT_FALSE(is_missing(with.v[c])) << c;
    } else {
      // The CSS of the pass, not of the values: the same within its rounding.
      EXPECT_NEAR(without.v[c], with.v[c], 1e-13 * std::fabs(with.v[c])) << c;
    }
  }
}

// The mean of many values at an offset is the values' mean, not the running sum's
// ratio: n values c + k u (k whole, 0..100; u a power of two, so every value is exact)
// summed in row order lose k to the sum's rounding as n and c grow (200,000 values
// 1e15 + 0..100 gave a mean of 1e15 + 0.4).
TEST(Moments, TheMeanAtAnOffsetIsTheValuesMean) {
  struct offset {
    double c, u;
  };
  const offset offsets[] = {{1e9, 0x1p-20}, {1e15, 1}, {-1e15, 1}, {1733650000.0, 0x1p-10},
                            {0x1p52, 1},    {3e-300, 0x1p-1020}, {7.5, 0x1p-40}};
  std::mt19937_64 gen(20261208);
  for (const offset& o : offsets)
    for (long n : {1000L, 20000L, 200000L}) {
      std::uniform_int_distribution<int> k(0, 100);
      std::vector<long> freq(101, 0);
      double running = 0.0;  // the data pass's sum, in row order
      long long ksum = 0;
      for (long i = 0; i < n; ++i) {
        const int d = k(gen);
        freq[static_cast<std::size_t>(d)] += 1;
        ksum += d;
        running += o.c + d * o.u;
      }
      std::vector<obs> data;
      for (int d = 0; d <= 100; ++d)
        if (freq[static_cast<std::size_t>(d)] > 0) data.push_back(obs{o.c + d * o.u, static_cast<int>(freq[static_cast<std::size_t>(d)])});
      value_list v(data);
      v.rec.sum = running;
      moments_of m(v, "DF      ");
      const double exact = static_cast<double>(static_cast<long double>(o.c) +
                                               static_cast<long double>(ksum) / n * static_cast<long double>(o.u));
      const double ulp = std::nextafter(std::fabs(exact), INFINITY) - std::fabs(exact);
      EXPECT_LE(std::fabs(m[KES_MOM_MEAN] - exact), ulp) << o.c << " n=" << n << " running mean " << running / n;
      EXPECT_EQ(m[KES_MOM_SUM], running);  // the sum stays as summed
    }
}
