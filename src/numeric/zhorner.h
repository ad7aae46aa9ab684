// Polynomial value by Horner's rule, the coefficients from the highest power down,
// carried in the precision of the argument (double, or long double where a caller
// wants the extra digits).
#pragma once

template <typename T, int N>
inline T zhorner(const double (&c)[N], T t) {
  T s = c[0];
  for (int i = 1; i < N; ++i) s = s * t + c[i];
  return s;
}
