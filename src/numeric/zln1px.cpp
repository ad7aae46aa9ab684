// zln1px.cpp - ln(1 + x) and ln(e^a + e^b).
//
//   double zln1px(double x)
//     ln(1 + x).  For |x| > 0.03125 the library logarithm of 1 + x.  Otherwise
//     ln(1 + x) = 2 artanh(u) with u = 2x/(2 + x): u + u s (c1 - c2 s)/(1 - c3 s), s = u^2,
//     a (1,1) rational approximation of the odd series beyond its first term
//     (see e.g. W. J. Cody and W. Waite, Software Manual for the Elementary Functions,
//     1980, ch. 5).  No argument check: x <= -1 gives what log gives.
//     Measured accuracy (tests/numeric/zln1px_test.cpp, against mpmath at 50 digits):
//     relative error below 3 * 2^-53 on |x| <= 0.03125; above, that of log(1 + x) with
//     1 + x rounded, up to 2^-53 (1 + x)/|ln(1 + x)| (7.3e-16 at x = 0.1); at the switch
//     points the two branches agree to about 1e-16 relative.
//
//   double zlnSumOfExp(double a, double b)
//     ln(e^a + e^b) = max + ln(1 + e^(min - max)); a = b gives a + ln 2.  Never overflows.
//
// Neither routine has a status; a NaN argument gives a NaN.
#include "host/kes_math_constants.h"
#include "numeric/zln1px.h"

#include <cmath>

namespace {
constexpr double ZLN1PX_SWITCH = 0.03125;
constexpr double ZLN1PX_C1 = 0.08333333333333427;
constexpr double ZLN1PX_C2 = 0.0023812878804825234;
constexpr double ZLN1PX_C3 = 0.178575454351365;
}  // namespace

double zln1px(double x) {
  if (std::fabs(x) > ZLN1PX_SWITCH) return std::log(1.0 + x);
  const double u = x / (0.5 * x + 1.0);
  const double s = u * u;
  return u + u * s * (ZLN1PX_C1 - ZLN1PX_C2 * s) / (1.0 - ZLN1PX_C3 * s);
}

double zlnSumOfExp(double a, double b) {
  if (a > b) return a + zln1px(std::exp(b - a));
  if (a == b) return a + KES_LN2;
  return b + zln1px(std::exp(a - b));
}
