// zlogtnc.h - the log-scale noncentral t service.
//   int zlogtnc(ztnc_req* r)
//     flags 4: the quantile x with P(T <= x) = p (flags restored, bits 1 and 2 not
//     served); otherwise flags 1: log_lower and log_upper at x, then flags 2: log_density.
//     0 success; 1 flags 0 or a bit above 4, or a failure of the request
//   int zldntnc(double x, double df, double nc, double* out)
//     ln f(x) of the noncentral t density; 0 ok, 1 failure
// Details: see zlogtnc.cpp.
#pragma once

#include "numeric/ztnc_req.h"

int zlogtnc(ztnc_req* r);
int zldntnc(double x, double df, double nc, double* out);
