// zplbcnc.h - the noncentral chi-square distribution function as a Poisson mixture of
// central ones, plain and in log scale.
//
//   int zplbcnc(double x, double df, double nc, double* lower, double* upper)
//     *lower = P(X <= x), *upper = 1 - *lower.  0 ok; 1 on a bad argument (x < 0,
//     df <= 0, nc < 0: *lower and *upper the toolkit missing value) or a failure;
//     -1 when the series needs 1000 terms (the partial sums are stored).
//   int zsercnc(zcnc_req* r)
//     the same series in scaled form: r->log_lower and r->log_upper at r->x; nc = 0
//     gives the central log tails and r->log_density; x = 0 gives ln P = the most
//     negative double, ln Q = 0.  0 ok; 1 on a bad argument or a failure; -1 when the
//     series needs 1000 terms (nothing stored).
// Details: see zplbcnc.cpp.
#pragma once

#include "numeric/zcnc_req.h"

int zplbcnc(double x, double df, double nc, double* lower, double* upper);
int zsercnc(zcnc_req* r);
