// Comparisons of bounded sums: by the difference in doubles against the bound of
// everything that rounded, and where that leaves a tie of exact sums open, by an exact
// expansion of the four products.
#include "numeric/bounded_sum.h"

#include <cmath>

namespace {

// The sign of the exact sum of t[0..n): each term is grown into a nonoverlapping
// expansion of increasing magnitude by exact two-sums, whose largest part has the sign
// of the whole.
int expansion_sign(const double* t, int n) {
  double e[16];
  int m = 0;
  for (int i = 0; i < n; ++i) {
    double q = t[i];
    int k = 0;
    for (int j = 0; j < m; ++j) {
      const double s = q + e[j];
      const double b = s - q;
      const double h = (q - (s - b)) + (e[j] - b);
      q = s;
      if (h != 0.0) e[k++] = h;
    }
    if (q != 0.0) e[k++] = q;
    m = k;
  }
  return m == 0 ? 0 : e[m - 1] > 0.0 ? 1 : -1;
}

// x y as p + r exactly into t; false where r may fall below the doubles.
bool split_product(double x, double y, double* t) {
  const double p = x * y;
  if (p == 0.0 && x != 0.0 && y != 0.0) return false;
  if (p != 0.0 && !(std::fabs(p) >= 0x1p-969)) return false;
  t[0] = p;
  t[1] = std::fma(x, y, -p);
  return true;
}

}  // namespace

int kes_bounded_compare(double a, const kes_bounded_sum& c, double b, const kes_bounded_sum& s) {
  if (!std::isfinite(c.hi_ + c.lo_) || !std::isfinite(s.hi_ + s.lo_) || !std::isfinite(c.err_) ||
      !std::isfinite(s.err_) || !std::isfinite(a * c.hi_) || !std::isfinite(b * s.hi_))
    return kes_bounded_undecided;
  if (const int d = kes_bounded_compare_fast(a, c, b, s); d != kes_bounded_undecided) return d;
  if (!c.exact() || !s.exact()) return kes_bounded_undecided;
  // Sums far below 1 (subnormal weights) are raised together, exactly, so that the
  // products' errors stay among the doubles.
  const int up = std::fmax(c.hi_, s.hi_) < 0x1p-500 ? 600 : 0;
  double t[8];
  if (!split_product(a, std::ldexp(c.hi_, up), t) || !split_product(a, std::ldexp(c.lo_, up), t + 2) ||
      !split_product(-b, std::ldexp(s.hi_, up), t + 4) || !split_product(-b, std::ldexp(s.lo_, up), t + 6))
    return kes_bounded_undecided;
  return expansion_sign(t, 8);
}
