// zdigama.cpp - the digamma function psi(x).
//
//   int zdigama(double x, double* out)
//
// Method.  For x < 0.5 the reflection psi(x) = psi(1 - x) - pi cot(pi x) (Abramowitz
// and Stegun 6.3.7) with y = 1 - x; otherwise y = x.  For y < 20 the recurrence
// psi(y + 1) = psi(y) + 1/y (A&S 6.3.5) brings y into [1, 2], where
// psi(y) = t N(t)/(1 + t D(t)), t = y - 1.4616321449683622 (the positive zero of psi),
// a degree 6 over degree 6 rational minimax fit.  For y >= 20 the asymptotic series
// psi(y) = ln y - 1/(2y) - sum B_2k / (2k y^2k), k = 1..8 (A&S 6.3.18).
//
// Measured accuracy (tests/numeric/zdigamma_test.cpp, against mpmath psi at 40
// digits; R's digamma as a cross-check): absolute error at most 2.2e-16 for
// 0.5 <= x <= 3 (psi has its zero at 1.4616, so the guarantee there is absolute),
// relative error at most 3e-16 from 3 to 1e20.  For x < 0.5 the reflection term
// pi cot(pi x) carries the rounding of pi x, an absolute error of about
// pi^2 |x| 2^-53 / sin^2(pi x): 7e-15 at -0.9, 2.4e-14 at -10.25, 9.9e-11 at -99999.5,
// 0.016 (1.6e-9 relative) at -3.0000001.
//
// Status: 0 with *out = psi(x).  1 with *out = the toolkit missing value when
// -x >= 2147483647 or when x lies within 1e-12 max(1, -x) of a non-positive integer
// (a pole, or too close to one for the reflection to keep any digits).  A NaN argument
// gives a NaN with status 0.
#include "numeric/zdigama.h"

#include <cmath>

#include "host/kes_math_constants.h"
#include "numeric/zhorner.h"
#include "numeric/zmissing.h"

namespace {
constexpr double ZDG_ROOT = 1.4616321449683622;
constexpr double ZDG_ASYM_FROM = 20.0;
constexpr double ZDG_NEG_LIMIT = 2147483647.0;
constexpr double ZDG_POLE = 1e-12;

constexpr double ZDG_N[7] = {4.6358835743887255e-07, 0.0002457423193842438, 0.008905175232167111,
                             0.10584618401804752,    0.5378360457327382,    1.204498326430075,
                             0.9676722454476212};
constexpr double ZDG_D[6] = {5.07487259536148e-05, 0.002693446899164847, 0.04399281485507783,
                             0.31252643484142645,  1.067560678680108,    1.7022927992025696};
constexpr double ZDG_S[8] = {-0.443259803921569,  0.08333333333333333,  -0.0210927960927961,
                             0.007575757575757576, -0.004166666666666666, 0.003968253968253968,
                             -0.008333333333333333, 0.08333333333333333};

}  // namespace

int zdigama(double x, double* out) {
  double acc = 0.0, y = x;
  if (x < 0.5) {
    if (-x >= ZDG_NEG_LIMIT) {
      *out = zmissing();
      return 1;
    }
    const double d = x + std::floor(0.5 - x);
    const double scale = -x > 1.0 ? -x : 1.0;
    if (std::fabs(d) < ZDG_POLE * scale) {
      *out = zmissing();
      return 1;
    }
    acc = -KES_PI * std::cos(KES_PI * x) / std::sin(KES_PI * x);
    y = 1.0 - x;
  }
  if (y < ZDG_ASYM_FROM) {
    while (y > 2.0) {
      y = y - 1.0;
      acc = acc + 1.0 / y;
    }
    while (y < 1.0) {
      acc = acc - 1.0 / y;
      y = y + 1.0;
    }
    const double t = y - ZDG_ROOT;
    *out = acc + t * zhorner(ZDG_N, t) / (1.0 + t * zhorner(ZDG_D, t));
  } else if (y >= ZDG_ASYM_FROM) {
    const double w = 1.0 / (y * y);
    *out = acc + std::log(y) - 0.5 / y - w * zhorner(ZDG_S, w);
  } else {  // NaN
    *out = y;
  }
  return 0;
}
