// ztigama.cpp - the trigamma function psi'(x).
//
//   double ztigama(double x, int* status)
//
// Method.  For x < 0.5 the reflection psi'(x) = pi^2 / sin^2(pi x) - psi'(1 - x)
// (Abramowitz and Stegun 6.4.7) with y = 1 - x; otherwise y = x.
//   - y > 1e35: psi'(y) = 1/y (to double precision).
//   - y > 25: the asymptotic series 1/y + 1/(2y^2) + sum B_2k / y^(2k+1), k = 1..6
//     (A&S 6.4.12).
//   - otherwise the recurrence psi'(y) = psi'(y + 1) + 1/y^2 (A&S 6.4.6) moves y into
//     [5, 6), where psi'(y) = N(t)/(1 + t D(t)), t = y - 6.5, a degree 5 over degree 5
//     rational minimax fit.
//
// Measured accuracy (tests/numeric/zdigamma_test.cpp, against mpmath psi(1, x) at 40
// digits; R's trigamma as a cross-check): relative error at most 1.2e-15 for x from 0.5
// to 1e20.  For x < 0.5 the reflected (pi/sin(pi x))^2 carries the rounding of pi x, a
// relative error of about 2 pi |x| 2^-53 |cot(pi x)| in that term: 1.4e-15 at -2.7,
// 7.6e-15 at -10.25, 3.2e-9 at -3.0000001.
//
// Status: *status = 0 and the value; at a pole (|sin(pi x)| < 1e-12: x within about
// 3e-13 of 0, -1, -2, ...) *status = 1 and the result is -1e35.  A NaN gives a NaN with
// status 0.
#include "numeric/ztigama.h"

#include <cmath>

#include "host/kes_math_constants.h"
#include "numeric/zhorner.h"

namespace {
constexpr double ZTG_POLE = 1e-12;
constexpr double ZTG_POLE_VALUE = -1e35;
constexpr double ZTG_HUGE = 1e35;
constexpr double ZTG_ASYM_FROM = 25.0;
constexpr double ZTG_CENTRE = 6.5;

constexpr double ZTG_N[6] = {-1.3926211662443963e-15, 8.552400851648394e-05, 0.002253271559834363,
                             0.0223858766303939,      0.0993741848240434,    0.16628453574995825};
constexpr double ZTG_D[5] = {8.552400846207363e-05, 0.002766415611841837, 0.035912632976248214,
                             0.23383445541222814,   0.7635231680342955};

}  // namespace

double ztigama(double x, int* status) {
  *status = 0;
  double y = x, r = 0.0;
  bool reflected = false;
  if (x < 0.5) {
    const double s = std::sin(KES_PI * x);
    if (std::fabs(s) < ZTG_POLE) {
      *status = 1;
      return ZTG_POLE_VALUE;
    }
    r = (KES_PI / s) * (KES_PI / s);
    y = 1.0 - x;
    reflected = true;
  }
  if (y > ZTG_HUGE) return 1.0 / y;
  double v;
  if (y > ZTG_ASYM_FROM) {
    const double w = 1.0 / y, w2 = w * w;
    v = w * (1.0 + w * (0.5 + w * (0.16666666666666666 +
                                   w2 * (-0.03333333333333333 +
                                         w2 * (0.023809523809523808 +
                                               w2 * (-0.03333333333333333 +
                                                     w2 * (0.07575757575757576 -
                                                           0.2531135531135531 * w2)))))));
  } else {
    double acc = 0.0;
    while (y < 6.0) {
      acc = acc + 1.0 / (y * y);
      y = y + 1.0;
    }
    while (y >= 6.0) {
      y = y - 1.0;
      acc = acc - 1.0 / (y * y);
    }
    const double t = y - ZTG_CENTRE;
    v = acc + zhorner(ZTG_N, t) / (1.0 + t * zhorner(ZTG_D, t));
  }
  return reflected ? r - v : v;
}
