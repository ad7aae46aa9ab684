// zvkern.h - vector maximum, scaling and axpy kernels over contiguous doubles.
//
//   double zvmx(const double* x, int n)
//     the largest element (the first of equal ones); n < 1: the toolkit missing value
//   double zvamx(const double* x, int n)
//     the largest |x[i]|; n < 1: 0.0.  A NaN element is taken (and then kept only
//     until a larger value follows)
//   void zvscl11(double* y, const double* x, int n, double a)
//     y[i] = a x[i]; y may be x; nothing for n <= 0
//   void zvaxpy(double* y, const double* x, const double* z, int n, double a)
//     y[i] = x[i] + a z[i] (each product and sum rounded to double); with a = 0 a
//     plain copy of x (z is not read, so NaNs in z do not spread), nothing when y is
//     x; nothing for n <= 0
//
// Plain loops: the compiler unrolls them, and unrolling does not change results.
#pragma once

double zvmx(const double* x, int n);
double zvamx(const double* x, int n);
void zvscl11(double* y, const double* x, int n, double a);
void zvaxpy(double* y, const double* x, const double* z, int n, double a);
