// zvstride.h - strided vector kernels of the packed linear-algebra routines.
//
//   double zinner(const double* x, const double* y, int n)
//     sum x[i] y[i]; 0 when n < 1
//   double zvdotj1(const double* x, int incx, const double* y, int n)
//     sum x[i incx] y[i]; 0 when n < 1
//   void zvz111(double* z, const double* y, const double* x, int n, double a)
//     z[i] = y[i] + a x[i]; a = 0 copies y (x not read); nothing when n <= 0
//   void zvxayj1(double* y, int incy, const double* x, int n, double a)
//     y[i incy] += a x[i]; nothing when a = 0 or n <= 0
//   void zvxay1j(double* y, const double* x, int incx, int n, double a)
//     y[i] += a x[i incx]; nothing when a = 0 or n <= 0
//   double zvamxj(const double* x, int inc, int n)
//     the largest |x[i inc]| (n at least 1; |x[0]| for n = 1)
//   double zvenorm(int n, int inc, const double* x)
//     Euclidean norm sqrt(sum x[i inc]^2), scaled by the largest |x| so that it neither
//     overflows nor underflows (norm of (1e200, 1e200) = 1.414e200); 0 when n < 1 or
//     every element is 0
//
// Sums of products are accumulated in long double (the x86 extended format) and
// rounded to double once at the end.
#pragma once

double zinner(const double* x, const double* y, int n);
double zvdotj1(const double* x, int incx, const double* y, int n);
void zvz111(double* z, const double* y, const double* x, int n, double a);
void zvxayj1(double* y, int incy, const double* x, int n, double a);
void zvxay1j(double* y, const double* x, int incx, int n, double a);
double zvamxj(const double* x, int inc, int n);
double zvenorm(int n, int inc, const double* x);
