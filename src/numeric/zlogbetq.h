// zlogbetq.h - the quantile request of the log-scale beta service.
//   int zlogbetq(zbeta_req* r)
//     x with P(X <= x) = p for X beta(a, b), into r->x.  0 success; 1 failure (p outside
//     the distribution function's values at 2.225073858507202e-293 and
//     0.999999999999889, or no convergence), r->x holding the last point tried (-1.0
//     after a failed Newton/Halley phase that the secant phase did not take over).
//     Called by zlogbet for flags with bit 4 and not bit 1 after its argument check.
// Details: see zlogbetq.cpp.
#pragma once

#include "numeric/zbeta_req.h"

int zlogbetq(zbeta_req* r);
