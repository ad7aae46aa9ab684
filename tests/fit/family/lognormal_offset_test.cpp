// The lognormal's standardized values far from zero: readings near 1e9 with a log
// spread of 3.5e-10 (a spread of 0.35 in the values), where ln x itself rounds to
// 5e-6 of sigma. The distribution function and its log tails must follow
// (ln(x - theta) - zeta) / sigma taken in extended precision, not the rounding of
// ln x.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/family/kes_law.h"

namespace {

// ln x0 as a double and the rest of it (mpmath 1.3.0, 50 digits): the reference
// takes u = (log1p((y - x0) / x0) + (ln x0 - zeta)) / sigma in long double, with
// zeta the double nearest ln x0. Every x0 lies in the binade of x, so that
// y = x - theta is exact.
struct log_of {
  double x0, hi, lo;
};
constexpr log_of kLogs[] = {{1e9, 20.72326583694641, 7.108546580563512e-16},
                            {9e8, 20.617905321288585, -5.857632938556424e-16},
                            {1.05e9, 20.772056001115843, 5.541957945976e-16}};

TEST(LognormalOffset, StandardizedValuesNearOneBillionFollowTheirExactLogs) {
  const double sigma = 3.5e-10;
  for (const log_of& l : kLogs) {
    const double theta = 1e9 - l.x0;
    const double p[3] = {theta, l.hi, sigma};
    for (int i = -40; i <= 40; ++i) {
      const double x = 1e9 + 0.0437 * i;  // from -5 to 5 sigma
      const long double y = static_cast<long double>(x) - theta;
      const double u = static_cast<double>((std::log1p((y - l.x0) / l.x0) + ((l.hi - p[1]) + l.lo)) / sigma);
      const kes_pit t = kes_law_lognormal.tails(p, x);
      const double want = 0.5 * std::erfc(-u / std::sqrt(2.0));
      SCOPED_TRACE("theta " + std::to_string(theta) + ", x - 1e9 = " + std::to_string(x - 1e9));
      // A standardized value off by 5e-6 (ln x's rounding) moves F by up to 2e-6.
      EXPECT_NEAR(t.z, want, 1e-10);
      EXPECT_NEAR(t.lnz, std::log(want), 1e-10 / want);
      EXPECT_NEAR(t.ln1z, std::log1p(-want), 1e-10 / (1 - want));
    }
  }
}

// Far from e^zeta (values below a tenth or above ten times it) the log itself is
// used, and the functions keep their tails.
TEST(LognormalOffset, ValuesFarFromTheScaleKeepTheirTails) {
  const double p[3] = {0.0, 0.0, 1.0};
  for (double x : {1e-300, 1e-3, 0.05, 20.0, 1e6, 1e300}) {
    const kes_pit t = kes_law_lognormal.tails(p, x);
    const double u = std::log(x);
    EXPECT_NEAR(t.z, 0.5 * std::erfc(-u / std::sqrt(2.0)), 1e-15) << x;
    EXPECT_TRUE(std::isfinite(t.lnz) && std::isfinite(t.ln1z)) << x;
  }
}

}  // namespace

// The lognormal quantile keeps its digits at any offset (every derived quantity of a
// fit does): theta + e^zeta e^(sigma z), not e^(zeta + sigma z), whose sum's rounding
// put the quantiles of R's LakeHuron moved to 1.7e9 (threshold 0, the fit's zeta and
// sigma) ten units of the last digit off, and those of a lognormal of zeta 4.29 three.
// References: mpmath 1.3.0 at 50 digits, exp(zeta + sigma sqrt(2) erfinv(2p - 1)) at
// the doubles given.
TEST(LognormalOffset, QuantilesKeepTheirDigits) {
  struct Row {
    double zeta, sigma, p, want;
  };
  const Row rows[] = {
      {21.25389442859916, 7.754694544075266e-10, 0.01, 1700000575.937261765513724},
      {21.25389442859916, 7.754694544075266e-10, 0.05, 1700000576.835674622474119},
      {21.25389442859916, 7.754694544075266e-10, 0.25, 1700000578.11490388536035},
      {21.25389442859916, 7.754694544075266e-10, 0.75, 1700000579.893261566251402},
      {21.25389442859916, 7.754694544075266e-10, 0.95, 1700000581.172490831438429},
      {21.25389442859916, 7.754694544075266e-10, 0.99, 1700000582.070903691165527},
      {4.287223960764303, 0.16553383087234846, 0.01, 49.5080204247673953089306},
      {4.287223960764303, 0.16553383087234846, 0.05, 55.42024934821542463508398},
      {4.287223960764303, 0.16553383087234846, 0.25, 65.07712392970645907481539},
      {4.287223960764303, 0.16553383087234846, 0.75, 81.35927437439396254221654},
      {4.287223960764303, 0.16553383087234846, 0.95, 95.5359754523355935927277},
      {4.287223960764303, 0.16553383087234846, 0.99, 106.9448452163254198582231},
  };
  for (const Row& r : rows) {
    const double p[3] = {0.0, r.zeta, r.sigma};
    double q = 0.0;
    ASSERT_EQ(kes_law_lognormal.quantile(p, r.p, &q), 0);
    const double ulp = std::nextafter(r.want, HUGE_VAL) - r.want;
    EXPECT_LE(std::fabs(q - r.want), 2 * ulp) << r.zeta << " " << r.p << " " << q;
  }
}
