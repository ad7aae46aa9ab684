// zibeta.h - regularized incomplete beta function I_x(a, b) and the beta density.
//
//   int zibeta(double x, double a, double b, double* p, double* d)
//     0  *p = I_x(a, b) in [0, 1]; *d = beta density at x (0 at x = 0, at x = 1, and when
//        the log density is below -708.3964185, where *p is exactly 0 or 1)
//     1  a or b above 2147483647 (nothing written)
//    -1  x outside [0, 1], a <= 0, b <= 0, or no convergence for moderate shapes:
//        *p = -1.0, *d = 0.0
//
// Method: a continued fraction for I_X(P, Q) on the tail chosen by region (Abramowitz &
// Stegun 26.5.8 family), forward recurrence with binary rescaling, 399 passes plus
// 4 sqrt(a + b) for very large shapes, a first shape below 1 raised by one; for very large
// shapes whose fraction still does not settle, the cube-root normal approximation
// (A&S 26.6.15).
// Measured accuracy (tests/numeric/zibeta_test.cpp, against mpmath and R pbeta/dbeta):
// relative error of the evaluated tail and of the density below 2.3e-14 for shapes 1e-3
// to 3e5 (tails down to 1e-99), below 1.7e-12 for shapes 1e6 to 1e7; the returned 1 - T
// where the upper tail T was evaluated keeps T's absolute error.
#pragma once

int zibeta(double x, double a, double b, double* p, double* d);
