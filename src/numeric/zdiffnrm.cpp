// zdiffnrm.cpp - DiffNormal (see zdiffnrm.h).
#include "numeric/zdiffnrm.h"

#include <cmath>

#include "numeric/zmissing.h"
#include "numeric/zprbnrm.h"

namespace {
constexpr double ZD_SHORT = 0.0001;
}  // namespace

double DiffNormal(double a, double b, double w) {
  if (std::fabs(a - b) < ZD_SHORT) {
    const double b2 = b * b;
    const double phi = ZRSQRT_2PI * std::exp(-b2 / 2.0);
    const double c4 = b2 * b2 / 120.0 - 0.05 * b2 + 0.025;
    const double c3 = b / 8.0 - b2 * b / 24.0;
    const double c2 = (b2 - 1.0) / 6.0;
    const double c1 = -b / 2.0;
    return phi * w * (1.0 + w * (c1 + w * (c2 + w * (c3 + w * c4))));
  }
  if (a > 0.0 && b > 0.0) return zprbnrm(-b) - zprbnrm(-a);
  return zprbnrm(a) - zprbnrm(b);
}
