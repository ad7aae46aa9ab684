// zexpm1.cpp - e^x - 1 without cancellation near 0.
//
//   double zexpm1(double x)
//     |x| > 0.01: exp(x) - 1 (the subtraction loses nothing that matters there).
//     |x| <= 0.01: the Taylor series of e^x - 1 to the x^6 term, nested as
//       x (1 + x/2 (1 + x/3 (1 + x/4 (1 + x/5 (1 + x/6)))))
//     (Abramowitz and Stegun 4.2.1); the truncation error is below x^7/5040, i.e.
//     below 2e-16 relative at |x| = 0.01.
//     Measured accuracy (tests/numeric/zgamma_fn_test.cpp, against R's expm1 and
//     mpmath at 40 digits): relative error below 4e-16 on |x| <= 0.01; just above the
//     switch the library exp(x) - 1 cancels about two digits, so the relative error
//     there is bounded by 2^-53 e^x/(e^x - 1), about 1.1e-14 (4e-15 measured at
//     |x| = 0.0100001); below 4e-16 again for |x| >= 0.1.
//
//   No status: a NaN argument gives a NaN, large x gives +inf like exp.
#include "numeric/zexpm1.h"

#include <cmath>

namespace {
constexpr double ZEXPM1_SWITCH = 0.01;
}  // namespace

double zexpm1(double x) {
  if (std::fabs(x) > ZEXPM1_SWITCH) return std::exp(x) - 1.0;
  double t = 1.0 + x / 6.0;
  t = 1.0 + x / 5.0 * t;
  t = 1.0 + x / 4.0 * t;
  t = 1.0 + x / 3.0 * t;
  t = 1.0 + x / 2.0 * t;
  return x * t;
}
