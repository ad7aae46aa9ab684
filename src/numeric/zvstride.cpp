// zvstride.cpp - strided vector kernels (see zvstride.h).
#include "numeric/zvstride.h"

#include <cmath>
#include <cstddef>

#include "numeric/zvkern.h"

namespace {
// Element i of a strided vector (the stride may be any int; the index is widened
// first so that i * inc cannot overflow int).
inline std::ptrdiff_t at(int i, int inc) {
  return static_cast<std::ptrdiff_t>(i) * static_cast<std::ptrdiff_t>(inc);
}
}  // namespace

double zinner(const double* x, const double* y, int n) {
  return zvdotj1(x, 1, y, n);
}

double zvdotj1(const double* x, int incx, const double* y, int n) {
  long double s = 0.0L;
  for (int i = 0; i < n; ++i) {
    s += static_cast<long double>(x[at(i, incx)]) * static_cast<long double>(y[i]);
  }
  return static_cast<double>(s);
}

void zvz111(double* z, const double* y, const double* x, int n, double a) {
  zvaxpy(z, y, x, n, a);
}

void zvxayj1(double* y, int incy, const double* x, int n, double a) {
  if (a == 0.0) return;
  for (int i = 0; i < n; ++i) y[at(i, incy)] += a * x[i];
}

void zvxay1j(double* y, const double* x, int incx, int n, double a) {
  if (a == 0.0) return;
  for (int i = 0; i < n; ++i) y[i] += a * x[at(i, incx)];
}

double zvamxj(const double* x, int inc, int n) {
  double m = std::fabs(x[0]);
  for (int i = 1; i < n; ++i) {
    const double v = std::fabs(x[at(i, inc)]);
    if (!(v < m)) m = v;
  }
  return m;
}

double zvenorm(int n, int inc, const double* x) {
  if (n < 1) return 0.0;
  const double amax = inc == 1 ? zvamx(x, n) : zvamxj(x, inc, n);
  if (amax == 0.0) return 0.0;
  // Elements negligible against the scale s add nothing; s = sqrt(amax) above 1 keeps
  // the test meaningful for huge vectors.
  const double s = amax <= 1.0 ? amax : std::sqrt(amax);
  long double sum = 0.0L;
  for (int i = 0; i < n; ++i) {
    const double xi = x[at(i, inc)];
    const double v = std::fabs(xi) + s == s ? 0.0 : xi / amax;
    if (1.0 + v != 1.0) sum += static_cast<long double>(v) * v;
  }
  return amax * std::sqrt(static_cast<double>(sum));
}
