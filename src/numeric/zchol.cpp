// zchol.cpp - packed Cholesky factor, triangular solves and packing (see zchol.h).
#include "numeric/zchol.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "numeric/zvstride.h"

namespace {
// Offset of column j of a packed triangle.
inline std::ptrdiff_t col(int j) {
  return static_cast<std::ptrdiff_t>(j) * (j + 1) / 2;
}
}  // namespace

double zchol(int j, double* a, double tol) {
  if (j < 0) return 0.0;
  double* c = a + col(j);
  double s = 0.0;
  for (int i = 0; i <= j; ++i) {
    const double* ri = a + col(i);
    s = c[i] - zinner(ri, c, i);
    if (i < j) {
      c[i] = ri[i] == 0.0 ? 0.0 : s / ri[i];
    } else {
      c[j] = (s > tol || std::isnan(s)) ? std::sqrt(s) : 0.0;
    }
  }
  return s;
}

void zchol2(int n, const double* r, double* b) {
  for (int j = 0; j < n; ++j) {
    const double* rj = r + col(j);
    const double s = b[j] - zinner(rj, b, j);
    b[j] = rj[j] == 0.0 ? 0.0 : s / rj[j];
  }
}

void zbaksub(int n, const double* r, double* x) {
  for (int i = n - 1; i >= 0; --i) {
    long double s = x[i];
    for (int k = i + 1; k < n; ++k) s -= static_cast<long double>(r[col(k) + i]) * x[k];
    const double d = r[col(i) + i];
    x[i] = d == 0.0 ? 0.0 : static_cast<double>(s) / d;
  }
}

void zmmovrs(const double* sq, double* packed, int from, int to, int lda) {
  for (int j = from - 1; j < to; ++j) {
    for (int i = from - 1; i <= j; ++i) {
      *packed++ = sq[static_cast<std::ptrdiff_t>(j) * lda + i];
    }
  }
}

void zmmovsr(const double* packed, double* sq, int n) {
  // Last column first: column j moves from j(j+1)/2 up to j n, never over a packed
  // column still to be moved.
  for (int j = n - 1; j >= 0; --j) {
    std::memmove(sq + static_cast<std::ptrdiff_t>(j) * n, packed + col(j),
                 static_cast<std::size_t>(j + 1) * sizeof(double));
  }
  for (int i = 0; i < n; ++i) {
    for (int k = i + 1; k < n; ++k) {
      sq[static_cast<std::ptrdiff_t>(i) * n + k] = sq[static_cast<std::ptrdiff_t>(k) * n + i];
    }
  }
}
