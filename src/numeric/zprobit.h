// zprobit.h - standard normal quantile (probit).
//
//   double zprobit(double p)
//     Phi^-1(p).  zprobit(0) = -sqrt(2 * 708.3964185) = -37.6403..., zprobit(1) =
//     7.941345326170997 (the ends are not symmetric), zprobit(0.5) = 0.  Two rational forms
//     in r = sqrt(-2 ln min(p, 1-p)) - sqrt(2 ln 2) (central for q > 0.01, tail otherwise),
//     of the type of Wichura's AS 241 (Appl. Statist. 37 (1988) 477-484).
//   double szprobit(double p)
//     p < 1e-16: Newton's method on ln Phi(x) = ln p (at most 29 steps; fallback
//     -sqrt(-2 ln(100 * 2.225073858507202e-308)) = -37.5178...).  Used by zprobit.
//
// Measured accuracy (tests/numeric/znormal_test.cpp, against mpmath from R qnorm):
// absolute error below 1.8e-15 (one ulp at |z| = 8.2) for p >= 1e-16, relative error
// below 2e-16 in the far tail.  No status; a NaN or p outside [0, 1] gives a NaN.
#pragma once

double zprobit(double p);
double szprobit(double p);
