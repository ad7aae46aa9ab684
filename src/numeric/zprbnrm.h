// zprbnrm.h - standard normal distribution function and the logarithms of its tails.
//
//   double zprbnrm(double x)
//     Phi(x): (1 + erf(x/sqrt 2))/2 for x > 0, erfc(-x/sqrt 2)/2 otherwise (the lower tail
//     is never formed by subtraction).  zprbnrm(0) = 0.5, (-40) = 0, (40) = 1 exactly.
//   int zlognrm(double x, double* log_cdf, double* log_sf, double* log_pdf)
//     ln Phi(x), ln(1 - Phi(x)), ln phi(x); the far tail through the Mills ratio (Laplace's
//     continued fraction, zmillsr) from |x| = 5, the other tail by zln1px.
//     0 ok; 1 when the Mills ratio does not converge (log_pdf written, the others untouched).
//
// Measured accuracy (tests/numeric/znormal_test.cpp, against mpmath and R pnorm):
// zprbnrm relative error below (8 + x^2) * 2^-53 (1.1e-13 at x = -37); zlognrm absolute
// error of the log tails below 1.8e-15 over |x| <= 37.
#pragma once

double zprbnrm(double x);
int zlognrm(double x, double* log_cdf, double* log_sf, double* log_pdf);
