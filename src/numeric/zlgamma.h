// zlgamma.h - log-gamma, Stirling remainder and log-beta.
//
//   double zlgamma(double x)
//     ln Gamma(x) for x > 0; sentinel -99.0 for x <= 2.225073858507202e-308 (and x <= 0);
//     exactly 0 within 2^-53 of 1 and 2.  Stirling's series from 15 on; below, reduction
//     to [1, 2] and degree-6 rational forms about Gamma(1) and Gamma(2).
//   double zlgbern(double x)
//     ln Gamma(x) - ((x - 0.5) ln x - x + ln sqrt(2 pi)): six terms of Stirling's series
//     (Abramowitz & Stegun 6.1.41), for x >= 10.  No argument check.
//   double zlbeta(double a, double b)
//     ln B(a, b); sentinel 99.0 when a <= 0 or b <= 0.  Cancellation-free Stirling form
//     once the larger argument reaches 15.
//   long double zlgammal(double x), long double zlbetal(double a, double b)
//     Extended-precision companions (same sentinels) used inside the toolkit where ln Gamma
//     or ln B is large and cancels against other large terms (the incomplete beta and gamma
//     densities): the Stirling branches are formed in long double, zlbetal with both
//     arguments >= 15 as (s - 1/2) ln(s/n) + (L - 1/2) ln(L/n) - ln(n)/2 + ..., n = s + L.
//
// Measured accuracy (tests/numeric/zlgamma_test.cpp, against mpmath and R lgamma/lbeta):
// zlgamma and zlgammal within 2.2e-16 max(1, |ln Gamma|); zlgbern within 8 * 2^-53
// relative from 15 on (6e-16 absolute at 10); zlbeta within 1.9e-15 max(1, |ln B|),
// zlbetal within 5.1e-16 max(1, |ln B|).
#pragma once

double zlgamma(double x);
double zlgbern(double x);
double zlbeta(double a, double b);
long double zlgammal(double x);
long double zlbetal(double a, double b);
