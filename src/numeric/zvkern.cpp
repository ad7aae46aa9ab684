// zvkern.cpp - vector maximum, scaling and axpy kernels (see zvkern.h).
#include "numeric/zvkern.h"

#include <cstring>

#include "numeric/zmissing.h"
#include "numeric/zvstride.h"

double zvmx(const double* x, int n) {
  if (n < 1) return zmissing();
  double m = x[0];
  for (int i = 1; i < n; ++i) {
    if (x[i] > m) m = x[i];
  }
  return m;
}

double zvamx(const double* x, int n) {
  if (n < 1) return 0.0;
  return zvamxj(x, 1, n);
}

void zvscl11(double* y, const double* x, int n, double a) {
  for (int i = 0; i < n; ++i) y[i] = a * x[i];
}

void zvaxpy(double* y, const double* x, const double* z, int n, double a) {
  if (n <= 0) return;
  if (a == 0.0) {
    if (y != x) std::memmove(y, x, static_cast<std::size_t>(n) * sizeof(double));
    return;
  }
  for (int i = 0; i < n; ++i) y[i] = x[i] + a * z[i];
}
