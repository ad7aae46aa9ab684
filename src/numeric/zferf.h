// zferf.h - error function and complementary error function.
//
//   double zferf(double x)                         erf(x)
//   double zferfc(double x)                        erfc(x) = 1 - erf(x)
//   void   calerf(double x, int mode, double* out) shared kernel: mode 0 erf, any other erfc
//   double zferfcx(double x)                       erfc(x) e^(x^2) (Cody's forms without
//                                                  the exponential; overflows for x < -26.6)
//
// Method: W. J. Cody's rational Chebyshev approximations (Math. Comp. 23 (1969) 631-637;
// CALERF of SPECFUN) on |x| <= 0.46875, (0.46875, 4] and beyond, with the exponential of
// -x^2 taken once (no splitting of x^2).
// Measured accuracy (tests/numeric/znormal_test.cpp, against mpmath): erf within 1.7e-16
// relative; erfc within 8 ulp up to |x| = 4 and about x^2 * 2^-53 relative beyond
// (1.8e-14 at x = 26.6).
// No status: zferf(x) is exactly +-1 for |x| > 1003.784, zferfc(x) exactly 0 for
// x > 26.6157 and 2 for x < -26.6157; a NaN gives a NaN.
#pragma once

double zferf(double x);
double zferfc(double x);
void calerf(double x, int mode, double* out);
double zferfcx(double x);
