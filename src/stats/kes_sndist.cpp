// Sn distances on weighted distinct values.
//
// For each distinct value x_i the wanted distance is the H-th smallest of its n
// distances to all observations (H = floor(n/2) + 1; its own f_i copies count as
// distance 0). It is the smallest candidate distance v, taken from either side, whose
// count of observations within v reaches H. Counting within v is two binary searches
// over prefix sums of the frequencies, and the candidate on each side is found by a
// binary search as well, so each value costs O(log^2 m): no pair is ever formed.
// Distances are the rounded differences x_i - x_j and x_j - x_i throughout, so the
// result equals the distance a direct computation would pick.
#include <limits>
#include <memory>
#include <new>

#include "stats/kesscl.h"

namespace {

struct sn_row {
  const double* x;
  const long long* c;  // c[j] = f_0 + ... + f_(j-1)
  int m;
  int i;

  // Observations whose distance to x_i is at most v.
  long long within(double v) const {
    const double xi = x[i];
    // First p < i with x_i - x_p <= v (those from p up to i - 1 qualify).
    int lo = 0, hi = i;
    while (lo < hi) {
      int mid = lo + (hi - lo) / 2;
      if (xi - x[mid] <= v)
        hi = mid;
      else
        lo = mid + 1;
    }
    const int pl = lo;
    // First q > i with x_q - x_i > v (those from i + 1 up to q - 1 qualify).
    lo = i + 1;
    hi = m;
    while (lo < hi) {
      int mid = lo + (hi - lo) / 2;
      if (x[mid] - xi <= v)
        lo = mid + 1;
      else
        hi = mid;
    }
    return c[lo] - c[pl];
  }
};

void sn_distances(int m, const double* x, const int* f, const long long* c, double* d) {
  const long long h = c[m] / 2 + 1;
  for (int i = 0; i < m; ++i) {
    if (f[i] >= h) {
      d[i] = 0.0;
      continue;
    }
    const sn_row row{x, c, m, i};
    double best = std::numeric_limits<double>::infinity();
    // Left side: the largest p (smallest distance x_i - x_p) that reaches h; -1 none.
    int lo = -1, hi = i - 1;
    while (lo < hi) {
      const int mid = lo + (hi - lo + 1) / 2;
      if (row.within(x[i] - x[mid]) >= h)
        lo = mid;
      else
        hi = mid - 1;
    }
    if (lo >= 0) best = x[i] - x[lo];
    // Right side: the smallest q (smallest distance x_q - x_i) that reaches h; m none.
    lo = i + 1;
    hi = m;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (row.within(x[mid] - x[i]) >= h)
        hi = mid;
      else
        lo = mid + 1;
    }
    if (lo < m && x[lo] - x[i] < best) best = x[lo] - x[i];
    d[i] = best;
  }
}

}  // namespace

int kes_sndist(int m, const double* x, const int* f, double* d) {
  if (m <= 0) return 0;
  std::unique_ptr<long long[]> c(new (std::nothrow) long long[static_cast<size_t>(m) + 1]);
  if (!c) return 1;
  c[0] = 0;
  for (int j = 0; j < m; ++j) c[j + 1] = c[j] + f[j];
  sn_distances(m, x, f, c.get(), d);
  return 0;
}
