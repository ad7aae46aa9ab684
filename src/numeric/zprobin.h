// zprobin.h - inverse of the regularized incomplete beta function.
//
//   int zprobin(double p, double a, double b, double* x)
//     0 with I_x(a, b) = p (p = 0 gives 0, p = 1 gives 1); 1 with *x = -1 when zibeta fails
//     or 30 evaluations do not settle.  No argument checks of its own.
//   double zstartdev(double P)
//     the toolkit's starting deviate: the normal deviate exceeded with probability P,
//     0 < P <= 0.5 (Hastings, Abramowitz & Stegun 26.2.22, |error| < 3e-3); shared by
//     zprobin and zqc.
//
// Method: AS 109 (Cran, Martin and Thomas, Appl. Statist. 26 (1977) 111-114) with the AS 64
// start, Halley steps when both shapes exceed 1, Newton otherwise; reflection for p > 0.5.
// Measured accuracy (tests/numeric/zquant_test.cpp, against mpmath from R qbeta): relative
// error below 7.8e-15 over shapes 0.2 to 1e4 and p from 1e-6 to 1 - 1e-6.
#pragma once

int zprobin(double p, double a, double b, double* x);
double zstartdev(double P);
