// log_compare.h - the comparison of logarithms used by the log-scale service tests: an
// absolute error up to |value| = 1 and a relative one beyond, so that ln of a tail near
// 1 (a value near 0) and ln of a far tail (-700) are judged alike.
#pragma once
#include <cmath>

#include "accuracy_check.h"

inline Cmp logcmp(double got, double want, double tol) {
  const double s = std::fmax(1.0, std::fabs(want));
  return {got / s, want / s, tol, Err::absolute};
}
