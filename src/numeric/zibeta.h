// zibeta.h - regularized incomplete beta function I_x(a, b) and the beta density.
//   int zibeta(double x, double a, double b, double* p, double* d)
//     0  ok: *p = I_x(a, b) in [0, 1], *d = beta density at x (0 at x = 0 and x = 1)
//     1  a or b above 2147483647 (nothing written)
//    -1  bad argument or no convergence: *p = -1.0, *d = 0.0
// Details: see zibeta.cpp.
#pragma once

int zibeta(double x, double a, double b, double* p, double* d);
