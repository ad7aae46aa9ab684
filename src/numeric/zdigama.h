// zdigama.h - the digamma function psi(x) = d ln Gamma(x) / dx.
//   int zdigama(double x, double* out)
//     0 ok, *out = psi(x)
//     1 x within 1e-12 max(1, |x|) of a pole (0, -1, -2, ...) or x <= -2147483647:
//       *out = the toolkit missing value (zmissing())
// Details: see zdigama.cpp.
#pragma once

int zdigama(double x, double* out);
