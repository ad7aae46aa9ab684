// zigamma_uniform.cpp - the incomplete gamma function of a large shape near its centre
// (zigamma_uniform.h).
#include "numeric/zigamma_uniform.h"

#include <cmath>

#include "numeric/zferf.h"

namespace {
constexpr double kMinShape = 20.0;
constexpr long double kMuLow = -0.5L, kMuHigh = 1.0L;
constexpr long double kMaxExponent = 700.0L;
// Below this |mu|, mu - ln(1 + mu) comes from its series: the difference of the
// logarithm would lose the digits that a large shape multiplies.
constexpr long double kSeriesMu = 0.01L;
constexpr double kRsqrt2Pi = 0.3989422804014327;

// Orders of the expansion that bring its rest below rounding over the region.
int orders_for(double a) {
  if (a >= 1e5) return 3;
  if (a >= 2000.0) return 4;
  if (a >= 150.0) return 6;
  if (a >= 40.0) return 8;
  return ZGAM_UNIFORM_ORDERS;
}

long double mu_minus_log1p(long double mu) {
  if (std::fabs(mu) >= kSeriesMu) return mu - std::log1p(mu);
  long double s = 0.0L, term = mu * mu;
  for (int j = 2; j < 30; ++j) {
    const long double t = term / j;
    s += t;
    if (std::fabs(t) <= 1e-21L * s) break;
    term *= -mu;
  }
  return s;
}

// e^-z for a long double z, through the double exponential and the rounded-off rest.
double exp_neg(long double z) {
  const double hi = static_cast<double>(z);
  const double lo = static_cast<double>(z - hi);
  return std::exp(-hi) * (1.0 - lo);
}
}  // namespace

bool zgam_uniform(double x, double a, double* T, bool* lower) {
  if (!(a >= kMinShape) || !std::isfinite(a)) return false;
  const long double la = a;
  const long double mu = (static_cast<long double>(x) - la) / la;
  if (!(mu >= kMuLow && mu <= kMuHigh)) return false;
  const long double f = mu_minus_log1p(mu);
  const long double af = la * f;
  if (af > kMaxExponent) return false;
  const double eta = static_cast<double>(std::copysign(std::sqrt(2.0L * f), mu));

  const int orders = orders_for(a);
  const double ra = 1.0 / a;
  double S = 0.0;
  for (int k = orders - 1; k >= 0; --k) {
    const double* d = zgam_uniform_coef + k * ZGAM_UNIFORM_TERMS;
    double p = d[ZGAM_UNIFORM_TERMS - 1];
    for (int n = ZGAM_UNIFORM_TERMS - 2; n >= 0; --n) p = p * eta + d[n];
    S = S * ra + p;
  }
  const double y = eta * std::sqrt(0.5 * a);
  const double r = S * (kRsqrt2Pi / std::sqrt(a));
  const double e = exp_neg(af);
  *lower = mu <= 0.0L;
  *T = *lower ? e * (0.5 * zferfcx(-y) - r) : e * (0.5 * zferfcx(y) + r);
  return true;
}
