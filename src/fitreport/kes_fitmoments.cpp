// Fitted laws' means and standard deviations that keep their digits at any offset.
#include "fitreport/kes_fitmoments.h"

#include <cmath>

#include "fit/kes_estframe.h"
#include "numeric/zgamma.h"
#include "numeric/zmissing.h"

namespace {
// zeta(k) for k = 2, 3, ..., 65 (to the double nearest; from a 40-digit evaluation).
constexpr double kZeta[64] = {
    1.6449340668482264, 1.2020569031595942, 1.0823232337111381, 1.03692775514337,
    1.0173430619844492, 1.008349277381923, 1.0040773561979444, 1.0020083928260821,
    1.000994575127818, 1.0004941886041194, 1.000246086553308, 1.0001227133475785,
    1.0000612481350588, 1.000030588236307, 1.0000152822594086, 1.0000076371976379,
    1.000003817293265, 1.0000019082127165, 1.0000009539620338, 1.0000004769329869,
    1.0000002384505027, 1.000000119219926, 1.000000059608189, 1.0000000298035034,
    1.0000000149015549, 1.0000000074507118, 1.000000003725334, 1.0000000018626598,
    1.0000000009313275, 1.0000000004656628, 1.000000000232831, 1.0000000001164155,
    1.0000000000582077, 1.0000000000291038, 1.000000000014552, 1.000000000007276,
    1.000000000003638, 1.000000000001819, 1.0000000000009095, 1.0000000000004547,
    1.0000000000002274, 1.0000000000001137, 1.0000000000000568, 1.0000000000000284,
    1.0000000000000142, 1.000000000000007, 1.0000000000000036, 1.0000000000000018,
    1.0000000000000009, 1.0000000000000004, 1.0000000000000002, 1.0000000000000002,
    1.0, 1.0, 1.0, 1.0,
    1.0, 1.0, 1.0, 1.0,
    1.0, 1.0, 1.0, 1.0};

// Below it the series; above it the ratio's gammas, whose difference there loses no
// more than a few units of the last digit.
constexpr double kSeriesTop = 0.25;

// ln Gamma(1 + 2t) - 2 ln Gamma(1 + t) = sum over k >= 2 of
// (-1)^k zeta(k) (2^k - 2) / k t^k: Euler's terms in t cancel before anything is
// rounded.  At t <= 1/4 the terms shrink by half a step at least; 64 of them reach far
// past the last digit.
double log_ratio_series(double t) {
  double sum = 0.0;
  for (int k = 65; k >= 2; --k) {
    const double a = kZeta[k - 2] * (std::ldexp(1.0, k) - 2.0) / k;
    sum = (sum + ((k & 1) ? -a : a)) * t;
  }
  return sum * t;
}
}  // namespace

double kes_gamma_ratio_m1(double t) {
  if (!(t >= 0.0) || !std::isfinite(t)) return std::nan("");
  if (t <= kSeriesTop) return std::expm1(log_ratio_series(t));
  double g1 = 0.0, g2 = 0.0;
  if (zgamma(1.0 + t, &g1) != 0 || zgamma(1.0 + 2.0 * t, &g2) != 0) return std::nan("");
  return g2 / (g1 * g1) - 1.0;
}

kes_fit_moments kes_lognormal_moments(double theta, double zeta, double sigma) {
  const double miss = kes_fit_missing(), s2 = sigma * sigma;
  // e^(zeta + s2/2) as e^zeta e^(s2/2): the exponential of the sum carries the sum's
  // rounding, |zeta| units of the last digit.
  const double a = std::exp(zeta), b = std::exp(s2 / 2.0), ab = a * b;
  const bool normal = std::fmin(std::fmin(a, b), ab) >= ZDBL_MINNORM && std::isfinite(ab);
  const double scale = normal ? ab : std::exp(zeta + s2 / 2.0);
  const double mean = zeta + s2 / 2.0 >= ZEXP_OVER ? miss : theta + scale;
  // e^zeta sqrt(e^(2 s2) - e^s2) = e^(zeta + s2/2) sqrt(e^s2 - 1): the difference of
  // the first form is 0 for s2 below 2^-53 (a lognormal law of data at 1e9 with a
  // threshold of 0).
  const double std = 2.0 * s2 >= ZEXP_OVER || zeta >= ZEXP_OVER ? miss : scale * std::sqrt(std::expm1(s2));
  return {mean, std};
}

kes_fit_moments kes_weibull_moments(double theta, double sigma, double c) {
  const double miss = kes_fit_missing();
  double g1 = 0.0, g2 = 0.0;
  if (zgamma(1.0 + 1.0 / c, &g1) != 0 || zgamma(1.0 + 2.0 / c, &g2) != 0) return {miss, miss};
  // Gamma(1 + 2/c) - Gamma(1 + 1/c)^2 = Gamma(1 + 1/c)^2 (ratio - 1): for a large c (a
  // threshold far below the data) the plain difference is of two numbers near 1.
  const double t = 1.0 / c;
  const double var = t <= kSeriesTop && t >= 0.0 ? g1 * g1 * kes_gamma_ratio_m1(t) : g2 - g1 * g1;
  return {theta + sigma * g1, sigma * std::sqrt(var)};
}
