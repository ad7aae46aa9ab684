// The test-side log densities against values computed apart (mpmath 1.2.1 at 40 digits
// from the same doubles; scipy 1.10.1's logpdf agrees to 1e-15 but for the gamma shape
// 3548, where it loses 1e-12), at the edges of their support, and summed over data.
#include <gtest/gtest.h>

#include <cmath>

#include "metamorphic/flat_maximum_data.h"
#include "support/log_density.h"

namespace {

using kes_test::ml_family;

TEST(LogDensity, MatchesReferenceValues) {
  struct point {
    ml_family family;
    kes_test::ml_params p;
    double x, want;
  };
  const kes_test::ml_params normal = {{"Mu", 78.81994912790698}, {"Sigma", 14.518054409864874}};
  const kes_test::ml_params lognormal = {
      {"Theta", 27.093243062496185}, {"Zeta", 3.9064253992321456}, {"Sigma", 0.28827815065562806}};
  const kes_test::ml_params weibull = {{"Theta", 49.980346140309464}, {"Sigma", 32.543908800088566}, {"C", 2.110441099391522}};
  const kes_test::ml_params gamma = {{"Theta", 34.860514322137476}, {"Sigma", 4.856138892361367}, {"Alpha", 9.052342978681486}};
  // A shape of 3548 far from its threshold: parts of 1e4 that cancel to about 1.
  const kes_test::ml_params steep_gamma = {
      {"Theta", -57.614756704456234}, {"Sigma", 0.016533151288815089}, {"Alpha", 3548.0776561564562}};
  const point points[] = {
      {ml_family::normal, normal, 53.24609375, -5.1458093721022488877},
      {ml_family::normal, normal, 1000.0, -2016.5870944804260471},
      {ml_family::normal, {{"Mu", -3e-300}, {"Sigma", 2.5e-301}}, -1e-300, 659.24288372612891775},
      {ml_family::lognormal, lognormal, 118.62109375, -6.4321053270473230057},
      {ml_family::lognormal, lognormal, 27.1, -471.63456090968597587},
      {ml_family::lognormal, {{"Theta", 0.0}, {"Zeta", -690.5}, {"Sigma", 0.75}}, 1e-300, 690.07679088395498058},
      {ml_family::exponential, {{"Theta", 52.637192431478404}, {"Sigma", 26.182756696428573}}, 52.637192431478404,
       -3.2651010527392681818},
      {ml_family::exponential, {{"Theta", 52.637192431478404}, {"Sigma", 26.182756696428573}}, 118.62109375,
       -5.785229169253525439},
      {ml_family::weibull, weibull, 53.24609375, -5.2965218539978771301},
      {ml_family::weibull, weibull, 118.62109375, -6.7377847092516560846},
      {ml_family::weibull, {{"Theta", -1.5}, {"Sigma", 0.25}, {"C", 0.6}}, -1.4999, 3.9959410406579150488},
      {ml_family::weibull, {{"Theta", -1.5}, {"Sigma", 0.25}, {"C", 0.6}}, 3.0, -5.9452050335739775719},
      {ml_family::gamma, gamma, 53.24609375, -5.3628344734408399937},
      {ml_family::gamma, gamma, 118.62109375, -6.6146364394078626261},
      {ml_family::gamma, steep_gamma, -2.10546875, -6.1603021080802526625},
      {ml_family::gamma, steep_gamma, 1.0, -0.90396638704072174448},
      {ml_family::gamma, steep_gamma, 4.46875, -6.774463249501290465},
      {ml_family::gamma, {{"Theta", 0.0}, {"Sigma", 2e-301}, {"Alpha", 0.5}}, 1e-303, 694.45675955099712383},
  };
  for (const point& pt : points) {
    const kes_test::log_term t = kes_test::log_density(pt.family, pt.p, pt.x);
    EXPECT_EQ(t.n, 1);
    EXPECT_GE(t.size, std::fabs(t.value));
    // The reference is a double (1e-16 relative); the sum rounds relative to its parts.
    EXPECT_NEAR(static_cast<double>(t.value), pt.want, 1e-16 * std::fabs(pt.want) + 1e-17 * static_cast<double>(t.size))
        << static_cast<int>(pt.family) << " at " << pt.x;
  }
}

TEST(LogDensity, KeepsToTheSupport) {
  const double inf = INFINITY;
  struct edge {
    ml_family family;
    kes_test::ml_params p;
    double x, want;
  };
  const edge edges[] = {
      // At the threshold: the exponential's density is 1 / sigma, Weibull's and the
      // gamma's that too for shape 1, 0 above it and without bound below.
      {ml_family::exponential, {{"Theta", 2}, {"Sigma", 4}}, 2, -std::log(4.0)},
      {ml_family::exponential, {{"Theta", 2}, {"Sigma", 4}}, 1.5, -inf},
      {ml_family::weibull, {{"Theta", 2}, {"Sigma", 4}, {"C", 1}}, 2, -std::log(4.0)},
      {ml_family::weibull, {{"Theta", 2}, {"Sigma", 4}, {"C", 1.5}}, 2, -inf},
      {ml_family::weibull, {{"Theta", 2}, {"Sigma", 4}, {"C", 0.5}}, 2, inf},
      {ml_family::weibull, {{"Theta", 2}, {"Sigma", 4}, {"C", 0.5}}, 1, -inf},
      {ml_family::gamma, {{"Theta", 2}, {"Sigma", 4}, {"Alpha", 1}}, 2, -std::log(4.0)},
      {ml_family::gamma, {{"Theta", 2}, {"Sigma", 4}, {"Alpha", 3}}, 2, -inf},
      {ml_family::gamma, {{"Theta", 2}, {"Sigma", 4}, {"Alpha", 0.5}}, 2, inf},
      {ml_family::gamma, {{"Theta", 2}, {"Sigma", 4}, {"Alpha", 0.5}}, -7, -inf},
      {ml_family::lognormal, {{"Theta", 2}, {"Zeta", 0}, {"Sigma", 1}}, 2, -inf},
      // A parameter missing: no density.
      {ml_family::gamma, {{"Theta", 2}, {"Sigma", 4}}, 3, NAN},
      {ml_family::lognormal, {{"Theta", 2}, {"Sigma", 4}}, 3, NAN},
      {ml_family::normal, {{"Sigma", 4}}, 3, NAN},
  };
  for (const edge& e : edges) {
    const long double got = kes_test::log_density(e.family, e.p, e.x).value;
    if (std::isnan(e.want))
      EXPECT_TRUE(std::isnan(got)) << static_cast<int>(e.family) << " at " << e.x;
    else
      EXPECT_EQ(static_cast<double>(got), e.want) << static_cast<int>(e.family) << " at " << e.x;
  }
}

TEST(LogDensity, SumsOverTheValuesPresent) {
  // The gamma log-likelihood of flat_gamma_maximum_values() (43 values present) at the
  // fit of x and at that of x + 192 taken back: mpmath 1.3.0 at 40 digits.
  const std::vector<double> x = kes_meta::flat_gamma_maximum_values();
  const kes_test::log_term a = kes_test::log_likelihood(
      ml_family::gamma, {{"Theta", 34.860514322137476}, {"Sigma", 4.856138892361367}, {"Alpha", 9.052342978681486}}, x);
  const kes_test::log_term b = kes_test::log_likelihood(
      ml_family::gamma,
      {{"Theta", static_cast<long double>(226.86056910419418) - 192}, {"Sigma", 4.8561472610163925}, {"Alpha", 9.052316097702539}}, x);
  EXPECT_EQ(a.n, 43);
  EXPECT_NEAR(static_cast<double>(a.value), -174.70214179905966998, 1e-13);
  EXPECT_NEAR(static_cast<double>(b.value), -174.70214179906220113, 1e-13);
  // Their difference, 2.5e-12, is resolved: the sums are good to 1e-15 (their parts add
  // to 3000, rounded in long double).
  EXPECT_NEAR(static_cast<double>(b.value - a.value), -2.5311487e-12, 1e-15);
  EXPECT_EQ(kes_test::log_likelihood(ml_family::gamma, {{"Theta", 0}}, {}).n, 0);

  // Frequencies count each value as often as their whole part; one below 1, or
  // missing, drops it.
  const kes_test::ml_params p = {{"Mu", 1}, {"Sigma", 2}};
  const auto at = [&](double v) { return kes_test::log_density(ml_family::normal, p, v).value; };
  const kes_test::log_term counted =
      kes_test::log_likelihood(ml_family::normal, p, {0.5, 3, 4, 7, NAN}, {2, 0.9, NAN, 3.7, 1});
  EXPECT_EQ(counted.n, 5);
  EXPECT_NEAR(static_cast<double>(counted.value), static_cast<double>(2 * at(0.5) + 3 * at(7)), 1e-15);
}

}  // namespace
