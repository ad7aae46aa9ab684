// zgamma.h - the gamma function with an overflow and pole status.
//   int zgamma(double x, double* out)
//     0 ok, *out = Gamma(x)
//     1 overflow (ln Gamma(|x|-ish) >= 709.782712893384) or a pole (x a non-positive
//       integer), *out = the toolkit missing value (zmissing())
// Details: see zgamma.cpp.
#pragma once

int zgamma(double x, double* out);
