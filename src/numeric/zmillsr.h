// zmillsr.h - normal Mills ratio R(x) = (1 - Phi(x)) / phi(x).
//   int zmillsr(double x, double* m)    0 ok; 1 continued fraction not converged (*m = last value)
//   int zcnfmill(double x, double* m)   Laplace continued fraction, x >= 5; used by zmillsr
// Details: see zmillsr.cpp.
#pragma once

int zmillsr(double x, double* m);
int zcnfmill(double x, double* m);
