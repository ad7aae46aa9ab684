// zigamma_core.h - the pieces of the incomplete gamma function (zigamma.cpp) shared
// with the log-scale gamma service (zloggam.cpp).
//
//   long double zgam_lnf(double x, double A, long double Am1)
//     ln(x^(A-1) e^-x / Gamma(A)), Am1 = A - 1 given exactly (the unshifted shape when
//     A = a + 1); the Stirling form for A >= 10 with x within 30 % of A
//   bool zgam_series(double x, double A, double tol, double* V)
//     lower tail P(A, x) = V e^lnf by the power series (A&S 6.5.29)
//   bool zgam_upper_cf(double x, double A, double tol, double* V)
//     upper tail Q(A, x) = V e^lnf by Legendre's continued fraction (A&S 6.5.31)
//   bool zgam_lower_cf(double x, double A, double tol, double* V)
//     lower tail P(A, x) = V e^lnf by the lower continued fraction (for A >= 1e9)
// Each returns false without convergence within its step limit (the classic limit
// grown by a multiple of sqrt(A)); tol is the relative stopping tolerance.
#pragma once

long double zgam_lnf(double x, double A, long double Am1);
bool zgam_series(double x, double A, double tol, double* V);
bool zgam_upper_cf(double x, double A, double tol, double* V);
bool zgam_lower_cf(double x, double A, double tol, double* V);
