// zhouse.cpp - Householder reflections (see zhouse.h).
#include "numeric/zhouse.h"

#include <cstddef>

#include "numeric/zvstride.h"

namespace {
// Offset of reflection vector k in the Householder store of order n.
inline std::ptrdiff_t slot(int k, int n) {
  return static_cast<std::ptrdiff_t>(k) * n - static_cast<std::ptrdiff_t>(k) * (k - 1) / 2;
}
}  // namespace

int zhh1(double* a, double* h, double* beta, int k, int lda, int n) {
  const int m = n - k;
  double* x = a + static_cast<std::ptrdiff_t>(k) * lda;
  const double amax = zvamxj(x, lda, m);
  if (amax == 0.0) {
    *beta = 0.0;
    return 1;
  }
  double* v = h + slot(k, n);
  for (int i = 0; i < m; ++i) v[i] = 0.0;
  zvxay1j(v, x, lda, m, 1.0 / amax);
  const double nu = zvenorm(m, 1, v);
  for (int i = 0; i < m; ++i) x[static_cast<std::ptrdiff_t>(i) * lda] = 0.0;
  const double d = v[0];
  const double sigma = d > 0.0 ? nu : -nu;
  v[0] = d + sigma;
  *beta = sigma * (d + sigma);
  x[0] = -amax * sigma;
  return 0;
}

int zhh2(double* a, const double* h, int k, double beta, int lda, int n) {
  if (beta == 0.0) return 1;
  const int m = n - k;
  double* y = a + static_cast<std::ptrdiff_t>(k) * lda;
  const double* v = h + slot(k, n);
  const double s = -zvdotj1(y, lda, v, m) / beta;
  zvxayj1(y, lda, v, m, s);
  return 0;
}
