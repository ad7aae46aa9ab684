// Expansion arithmetic after the error-free transformations: a + b and a * b are each
// the sum of two doubles exactly (the rounded result and its error).
#include "numeric/exact_sum.h"

#include <cmath>

namespace {

void two_sum(double a, double b, double* s, double* e) {
  *s = a + b;
  const double bb = *s - a;
  *e = (a - (*s - bb)) + (b - bb);
}

// For |a| >= |b|.
void fast_two_sum(double a, double b, double* s, double* e) {
  *s = a + b;
  *e = b - (*s - a);
}

// Adds b to the nonoverlapping expansion e[0..n) of increasing magnitude, in place;
// zero parts are dropped. Returns the new length (at most n + 1).
int grow(double* e, int n, double b) {
  double q = b;
  int k = 0;
  for (int i = 0; i < n; ++i) {
    double h;
    two_sum(q, e[i], &q, &h);
    if (h != 0.0) e[k++] = h;
  }
  if (q != 0.0 || k == 0) e[k++] = q;
  return k;
}

// Shortens the expansion e[0..n) in place to a nonadjacent one with the same sum,
// whose largest part is the sum within one unit of rounding. Returns its length.
int compress(double* e, int n) {
  if (n <= 1) return n;
  double g[kes_exact_sum::kMaxParts + 1];
  int bottom = n - 1;
  double q = e[n - 1];
  for (int i = n - 2; i >= 0; --i) {
    double s, r;
    fast_two_sum(q, e[i], &s, &r);
    if (r != 0.0) {
      g[bottom--] = s;
      q = r;
    } else {
      q = s;
    }
  }
  g[bottom] = q;
  int top = 0;
  for (int i = bottom + 1; i < n; ++i) {
    double s, r;
    fast_two_sum(g[i], q, &s, &r);
    if (r != 0.0) e[top++] = r;
    q = s;
  }
  e[top++] = q;
  return top;
}

}  // namespace

void kes_exact_sum::add(double x) {
  n_ = compress(part_, grow(part_, n_, x));
  // A compressed expansion of doubles spans at most about 40 parts; past the bound
  // the two smallest merge (never reached by sums of doubles).
  if (n_ > kMaxParts) {
    part_[1] += part_[0];
    for (int i = 1; i < n_; ++i) part_[i - 1] = part_[i];
    --n_;
  }
}

double kes_exact_sum::value() const {
  double s = 0.0;
  for (int i = 0; i < n_; ++i) s += part_[i];
  return s;
}

int kes_exact_compare(double a, const kes_exact_sum& c, double b, const kes_exact_sum& s) {
  // Far apart: the rounded sums decide (each within a few units of rounding).
  const double x = a * c.value(), y = b * s.value();
  if (std::fabs(x - y) > 0x1p-40 * (std::fabs(x) + std::fabs(y))) return x > y ? 1 : -1;
  double d[4 * (kes_exact_sum::kMaxParts + 1)];
  int n = 0;
  auto put = [&](double f, const kes_exact_sum& e) {
    for (int i = 0; i < e.n_; ++i) {
      const double p = f * e.part_[i];
      n = grow(d, n, std::fma(f, e.part_[i], -p));
      n = grow(d, n, p);
    }
  };
  put(a, c);
  put(-b, s);
  // The sign of a nonoverlapping expansion is that of its largest part.
  for (int i = n - 1; i >= 0; --i)
    if (d[i] != 0.0) return d[i] > 0.0 ? 1 : -1;
  return 0;
}
