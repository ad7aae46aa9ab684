// zlogbet.h - the log-scale beta distribution service.
//   int zlogbet(zbeta_req* r)
//     by the first request bit set (flags 0 counts as 1): 1 the distribution function
//     (log_lower, log_upper and log_density), else 4 the quantile (x), else 2 the log
//     density; only bits above 4: nothing computed.  0 success; 1 a refused argument
//     (a <= 0, b <= 0; with bit 1 x outside [0, 1]; with bit 4 p outside [0, 1]) or a
//     failure of the request
//   int zlogbetd(zbeta_req* r)
//     the distribution-function request alone (no flag handling): 0, or 1 when a or b is
//     not in (0, 2147483647], x is outside [0, 1], or x = 0 with a != 1 or x = 1 with b != 1
//   int zldnbet(double x, double a, double b, double* out)
//     ln of the beta(a, b) density at x; 1 (out untouched) when x < 0, x > 1, a <= 0 or
//     b <= 0; at x = 0 (x = 1) ln b (ln a) when a = 1 (b = 1), else the toolkit missing value
// Details: see zlogbet.cpp.
#pragma once

#include "numeric/zbeta_req.h"

int zlogbet(zbeta_req* r);
int zlogbetd(zbeta_req* r);
int zldnbet(double x, double a, double b, double* out);
