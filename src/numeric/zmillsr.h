// zmillsr.h - Mills ratio of the standard normal distribution, R(x) = (1 - Phi(x))/phi(x).
//
//   int zmillsr(double x, double* m)
//     x >= 5: zcnfmill; else *m = Phi(-x)/phi(x) (just 1/phi(x) below -10).
//     0, or zcnfmill's status.
//   int zcnfmill(double x, double* m)
//     Laplace's continued fraction (Abramowitz & Stegun 26.2.14) by the forward recurrence;
//     0 when successive convergents agree to 5 * 2^-53 within 100 steps, else 1 with the
//     last convergent in *m (at most 101 steps).
//
// Measured accuracy (tests/numeric/zmillsr_test.cpp, against mpmath): relative error below
// 8 * 2^-53 for x >= 5 and below (8 + x^2) * 2^-53 for -10 <= x < 5 (2.3e-15 at x = 4).
#pragma once

int zmillsr(double x, double* m);
int zcnfmill(double x, double* m);
