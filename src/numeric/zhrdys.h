// zhrdys.h - numerical integration of a scalar integrand (transformed trapezoidal rule
// with step halving), controlled by a zhrdy_rec.
//   int zhrdys(zhrdy_rec* rec, double* result)
//     0 converged: *result = rec->integral (in log mode the mantissa: the integral is
//       *result * radix^(rec->sum_exp))
//     1 failure of any kind (*result untouched; rec->integral holds the last estimate,
//       rec->error = 1 for a sum overflow; level, counts, relative change and the
//       collision fields are left for the caller)
// Details: see zhrdys.cpp.
#pragma once

#include "numeric/zhrdy_rec.h"

int zhrdys(zhrdy_rec* rec, double* result);
