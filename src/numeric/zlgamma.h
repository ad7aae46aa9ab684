// zlgamma.h - log-gamma, Stirling remainder and log-beta.
//   double zlgamma(double x)          ln Gamma(x), x > 0; sentinel -99.0 for x <= 2.225073858507202e-308
//   double zlgbern(double x)          ln Gamma(x) - ((x - 0.5) ln x - x + ln sqrt(2 pi)), large x
//   double zlbeta(double a, double b) ln B(a, b); sentinel 99.0 when a <= 0 or b <= 0
// Extended-precision companions used inside the toolkit where ln Gamma or ln B is large
// and cancels against other large terms (the incomplete beta and gamma densities); same
// sentinels, same values to double rounding, but the Stirling branch is formed in long
// double so that its absolute error stays near 1e-19 |ln Gamma| instead of 1e-16 |ln Gamma|:
//   long double zlgammal(double x)
//   long double zlbetal(double a, double b)
// Details: see zlgamma.cpp.
#pragma once

double zlgamma(double x);
double zlgbern(double x);
double zlbeta(double a, double b);
long double zlgammal(double x);
long double zlbetal(double a, double b);
