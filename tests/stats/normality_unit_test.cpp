// The tests for normality in any unit: where the data pass leaves CSS missing (its
// squares beyond the range of doubles, values near 2^900 or 2^-1000), W, D, W-Sq,
// A-Sq and their p-values are those of the same values times a power of two that
// keeps CSS, for both parameters estimated and for sigma estimated about a given mu;
// all values equal stay without tests at every scale.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine_samples.h"
#include "numeric/zmissing.h"
#include "stats/kes_stats.h"
#include "stats/zkesnrm.h"

namespace {

using kes_test::value_list;

// The moments of the values at unit 1, taken to 2^k as the data pass gives them where
// the squares do not fit: mean, std and sums scaled, CSS, USS and VAR missing.
kes_moments scaled(const kes_moments& m, int k) {
  kes_moments s = m;
  for (int i : {KES_MOM_MEAN, KES_MOM_STD, KES_MOM_SUM, KES_MOM_STDMEAN}) s.v[i] = std::ldexp(m.v[i], k);
  s.pivot = std::ldexp(m.pivot, k);
  s.pivot_dev = std::ldexp(m.pivot_dev, k);
  for (int i : {KES_MOM_CSS, KES_MOM_USS, KES_MOM_VAR}) s.v[i] = zmissing();
  return s;
}

kes_nrmres run(const std::vector<double>& x, const kes_moments& m, int ncase, double mu) {
  value_list vl = value_list::of(x);
  kes_nrmres r;
  zkesnrm_arrays(vl.size(), &m, vl.view()->x, vl.view()->f, ncase, 1, mu, zmissing(), &r);
  return r;
}

TEST(NormalityUnits, MissingCssGivesTheTestsOfEveryOtherUnit) {
  // Everyday forms: small integers with ties, values at an offset of 1e9 + 0.05, and
  // a skewed sample on a grid of 1/64.
  std::vector<std::vector<double>> samples = {{3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8, 9, 7, 9}, {}, {}};
  for (int i = 0; i < 30; ++i) samples[1].push_back(1e9 + 0.05 + 0.25 * ((i * 7) % 13));
  for (int i = 0; i < 40; ++i) samples[2].push_back(std::round(64 * (1 + 8 * std::pow((i + 0.5) / 40, 3))) / 64);
  for (const std::vector<double>& x : samples) {
    value_list vl = value_list::of(x);
    const kes_moments m = kes_test::moments_of(vl);
    for (int ncase : {KES_NRM_BOTH_EST, KES_NRM_SIGMA_EST}) {
      const double mu = ncase == KES_NRM_SIGMA_EST ? x[0] : zmissing();
      const kes_nrmres want = run(x, m, ncase, mu);
      ASSERT_FALSE(is_missing(want.d)) << x[0];
      for (int k : {-1000, -530, 520, 900}) {
        SCOPED_TRACE("sample from " + std::to_string(x[0]) + ", case " + std::to_string(ncase) + ", 2^" +
                     std::to_string(k));
        std::vector<double> y;
        for (double v : x) y.push_back(std::ldexp(v, k));
        const kes_nrmres got = run(y, scaled(m, k), ncase, is_missing(mu) ? mu : std::ldexp(mu, k));
        // Rounding of the offset sample's mean in its own unit, a few units in the last place.
        const double tol = 1e-9;
        EXPECT_NEAR(got.sigma, std::ldexp(want.sigma, k), tol * std::ldexp(want.sigma, k));
        for (auto [g, w] : {std::pair{got.d, want.d}, {got.wsq, want.wsq}, {got.asq, want.asq},
                            {got.pd, want.pd}, {got.pwsq, want.pwsq}, {got.pasq, want.pasq}})
          if (is_missing(w))
            EXPECT_TRUE(is_missing(g));
          else
            EXPECT_NEAR(g, w, tol * std::fabs(w));
        if (ncase == KES_NRM_BOTH_EST) {
          EXPECT_NEAR(got.w, want.w, tol);
          EXPECT_NEAR(got.pw, want.pw, tol);
        }
        for (int q = 0; q < 4; ++q) EXPECT_EQ(got.qual[q], want.qual[q]) << q;
      }
    }
  }
}

TEST(NormalityUnits, AllValuesEqualHaveNoTestsAtAnyScale) {
  const std::vector<double> x(12, 1e9 + 0.05);
  value_list vl = value_list::of(x);
  const kes_moments m = kes_test::moments_of(vl);
  for (int k : {-1000, 900}) {
    std::vector<double> y;
    for (double v : x) y.push_back(std::ldexp(v, k));
    const kes_nrmres r = run(y, scaled(m, k), KES_NRM_BOTH_EST, zmissing());
    EXPECT_TRUE(is_missing(r.d)) << k;
    EXPECT_TRUE(is_missing(r.w)) << k;
  }
}

}  // namespace
