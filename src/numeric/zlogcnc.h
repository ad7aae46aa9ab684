// zlogcnc.h - the log-scale noncentral chi-square service.
//
//   int zlogcnc(zcnc_req* r)
//     request 4: the quantile x with P(X <= x) = p (request word restored, bits 1 and 2
//     not served); otherwise request 1: log_lower and log_upper at x, then request 2:
//     log_density.  0 success; 1 for a request word of 0 or above 7, a refused argument
//     (tails: x <= 0, df < 1e-8, nc < 0; quantile: df <= 1e-8 or above 2147483647,
//     nc < 0, p = 0 or p > 1 - sqrt(2^-53)) or a failure.
//   int zqcl(double p, double df, double* q)
//     chi-square quantile through zlogcnc: 1 unless 0 <= p < 1 and df > 0; p = 0
//     gives *q = 0.
//   int zldncnc(double x, double df, double nc, double* ld)
//     ln of the noncentral chi-square density; 1 when x < 0, df <= 0, nc < 0 or the
//     Bessel function fails.  At x = 0: ln(e^(-nc/2)/2) for df = 2, the toolkit
//     missing value otherwise (a zero or infinite density).
//   int fntrcnc(double u, void* context, double* value)
//     the log-mode integrand (context: the zcnc_req whose integ record is in use):
//     the density at u as mantissa and exponent; 1 on a Bessel failure or an exponent
//     outside int range.
// Details: see zlogcnc.cpp.
#pragma once

#include "numeric/zcnc_req.h"

int zlogcnc(zcnc_req* r);
int zqcl(double p, double df, double* q);
int zldncnc(double x, double df, double nc, double* ld);
int fntrcnc(double u, void* context, double* value);
