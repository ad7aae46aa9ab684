// zqunf.h - upper percent point of the F distribution.
//
//   double zqunf(double p, double nu1, double nu2)
//     f with P(F > f) = p for F on (nu1, nu2) degrees of freedom; -1.0 unless nu2 > 0,
//     nu1 > 0 and 0 < p <= 1, or when the beta inversion fails; 1.7976931348623157e308
//     when the beta quantile is 0.
//
// Method: f = (1 - x) nu2 / (x nu1) with x = I^-1_p(nu2/2, nu1/2) (zprobin; A&S 26.6.2).
// Measured accuracy (tests/numeric/zquant_test.cpp, against mpmath from R qf): relative
// error below 1.3e-13 over degrees of freedom 1 to 1e4 and p from 1e-6 to 0.999.
#pragma once

double zqunf(double p, double nu1, double nu2);
