// zqunf.h - upper percent point of the F distribution.
//   double zqunf(double p, double nu1, double nu2)   f with P(F > f) = p;
//     -1.0 bad argument or failure; 1.7976931348623157e308 when the beta quantile is 0
// Details: see zqunf.cpp.
#pragma once

double zqunf(double p, double nu1, double nu2);
