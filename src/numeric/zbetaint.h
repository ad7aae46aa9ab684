// zbetaint.h - the log tails of the beta distribution by numerical integration.
//
//   int BetaIntegration(zbeta_req* r)
//     r->log_lower = ln I_x(a, b), r->log_upper = ln(1 - I_x(a, b)).  0 ok; 1 when
//     a <= 0, b <= 0, x outside [0, 1] (or NaN) or the integration fails.  The work
//     fields a_plus_b, int_mark, int_p_m1, int_q_m1, int_lbeta and int_rec are written;
//     x, a and b are left as given.
//   int BetaIntegrand(double u, void* context, double* value)
//     u^(Q-1) (1 + u)^-(a+b) / B(P, Q) in log mode (context: the zbeta_req); always 0
// Details: see zbetaint.cpp.
#pragma once

#include "numeric/zbeta_req.h"

int BetaIntegration(zbeta_req* r);
int BetaIntegrand(double u, void* context, double* value);
