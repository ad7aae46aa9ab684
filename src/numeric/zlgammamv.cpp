// zlgammamv.cpp - multivariate log-gamma and log-beta (see zlgammamv.h).
#include "numeric/zlgammamv.h"

#include <cmath>

#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"

namespace {
constexpr double ZMV_LN_PI = 1.1447298858494002;
constexpr double ZMV_LGAMMA_SENTINEL = -99.0;
}  // namespace

int zlgammaMV(double x, int p, double* out) {
  *out = zmissing();
  const double y0 = x - (p - 1) * 0.5;
  if (p < 1 || !(y0 > 0.0)) return 1;
  const double c = static_cast<double>(p - 1) * p * 0.25 * ZMV_LN_PI;
  double L1 = zlgamma(y0);
  if (L1 == ZMV_LGAMMA_SENTINEL) return 1;
  long double sum = c + static_cast<long double>(L1);
  if (p == 1) {
    *out = static_cast<double>(sum);
    return 0;
  }
  double L2 = zlgamma(y0 + 0.5);
  if (L2 == ZMV_LGAMMA_SENTINEL) return 1;
  sum += L2;
  // ln Gamma(x - (j-1)/2) for j = p - 2 down to 1: each ladder climbs by one.
  double y = y0;
  for (int j = 3; j <= p; ++j) {
    if (j % 2 == 1) {
      L1 += std::log(y);
      sum += L1;
    } else {
      L2 += std::log(y);
      sum += L2;
    }
    y += 0.5;
  }
  *out = static_cast<double>(sum);
  return 0;
}

int zlbetaMV(double a, double b, int p, double* out) {
  const double half = (p - 1) * 0.5;
  if (p < 1 || !(a > half) || !(b > half)) return 1;
  if (p == 1) {
    *out = zlbeta(a, b);
    return 0;
  }
  double la, lb, lab;
  if (zlgammaMV(a, p, &la) != 0 || zlgammaMV(b, p, &lb) != 0 || zlgammaMV(a + b, p, &lab) != 0) return 1;
  *out = la + lb - lab;
  return 0;
}
