// zferf.h - error function and its complement (Cody's rational Chebyshev approximations).
//   double zferf(double x)                    erf(x)
//   double zferfc(double x)                   erfc(x) = 1 - erf(x)
//   void   calerf(double x, int mode, double* out)   kernel: mode 0 erf, otherwise erfc
// Details, accuracy and method: see zferf.cpp.
#pragma once

double zferf(double x);
double zferfc(double x);
void calerf(double x, int mode, double* out);
