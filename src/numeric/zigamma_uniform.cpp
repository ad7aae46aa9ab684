// zigamma_uniform.cpp - the incomplete gamma function of a large shape near its centre
// (zigamma_uniform.h).
#include "numeric/zigamma_uniform.h"

#include <cmath>

#include "numeric/zferf.h"
#include "numeric/zmissing.h"

namespace {
constexpr double kMinShape = 20.0;
constexpr long double kMuLow = -0.5L, kMuHigh = 1.0L;
constexpr long double kMaxExponent = 700.0L;
// Below this |mu|, mu - ln(1 + mu) comes from its series: the difference of the
// logarithm would lose the digits that a large shape multiplies.
constexpr long double kSeriesMu = 0.01L;

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

// The coefficients of S = sum_n (sum_k d_{k,n} a^-k) eta^n for the shape a. A run of
// calls shares one shape (a fit's transform of every value), so each thread keeps the
// last shape's coefficients; they depend on a alone, whichever thread computes them.
const double* series_in_eta(double a) {
  thread_local double shape = 0.0;
  thread_local double c[ZGAM_UNIFORM_TERMS];
  if (a != shape) {
    const double ra = 1.0 / a;
    const int orders = orders_for(a);
    for (int n = 0; n < ZGAM_UNIFORM_TERMS; ++n) c[n] = zgam_uniform_coef[(orders - 1) * ZGAM_UNIFORM_TERMS + n];
    for (int k = orders - 2; k >= 0; --k)
      for (int n = 0; n < ZGAM_UNIFORM_TERMS; ++n) c[n] = c[n] * ra + zgam_uniform_coef[k * ZGAM_UNIFORM_TERMS + n];
    shape = a;
  }
  return c;
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

  const double* c = series_in_eta(a);
  const double h = std::fabs(eta);
  int n = h <= 0.3 ? 15 : h <= 0.5 ? 19 : ZGAM_UNIFORM_TERMS;
  double S = c[--n];
  while (n > 0) S = S * eta + c[--n];
  const double y = eta * std::sqrt(0.5 * a);
  const double r = S * (ZRSQRT_2PI / std::sqrt(a));
  const double e = exp_neg(af);
  *lower = mu <= 0.0L;
  *T = *lower ? e * (0.5 * zferfcx(-y) - r) : e * (0.5 * zferfcx(y) + r);
  return true;
}
