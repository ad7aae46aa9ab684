// zqc.h - chi-square quantile.
//
//   int zqc(double p, double df, double* q)
//     0 and P(X <= *q) = p for X chi-square on df degrees of freedom (p = 0 gives 0);
//     1 (*q untouched) unless 0 <= p < 0.9999999999999 and 0 < df < 1e14, or when the
//     iteration fails.
//
// Method: the gamma quantile of shape df/2 from a Wilson-Hilferty start, at most 11 Newton
// (on ln P or ln Q) or Halley steps with zigamma (cf. AS 91, Best and Roberts 1975).
// Measured accuracy (tests/numeric/zquant_test.cpp, against mpmath from R qchisq):
// relative error below 1.4e-13 for df 0.1 to 1e7 and p 1e-10 to 0.999; 1e5, 1e6 and 1e7
// degrees of freedom (which failed with the classic incomplete gamma limits) within 3e-16.
#pragma once

int zqc(double p, double df, double* q);
