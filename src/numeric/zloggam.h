// zloggam.h - the log-scale gamma service: logarithms of both tails, the log density
// and the quantile of the gamma distribution of shape a (scale 1), with a status.
//
//   int zloggam(zgam_req* r)
//     flags 4: the quantile x with P(a, x) = p (flags restored, bits 1 and 2 not
//     served); otherwise flags 1: log_lower and log_upper at x, then flags 2:
//     log_density.  0 success; 1 flags 0 or above 7, a refused argument (x < 0,
//     a <= 1e-9; quantile: p = 0 or p > 1 - sqrt(2^-53)) or a failure.
//   int fntrgam(double t, void* context, double* value)
//     the log-mode integrand t^(A-1) e^-t of the integration fallback (context: the
//     zgam_req whose integ record is in use); 1 when the exponent leaves int range
// Details: see zloggam.cpp.
#pragma once

#include "numeric/zgam_req.h"

int zloggam(zgam_req* r);
int fntrgam(double t, void* context, double* value);
