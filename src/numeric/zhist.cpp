// zhist.cpp - default histogram bins.
//
// Both functions share the count and width rule: the bin count is the ceiling of
// (2n)^(1/3), the raw width spreads that many bins (zhist2) or midpoints (zhist) over
// the range, and the width is rounded down to a nice leading value (1, 1.2, 1.5, 2,
// 2.5, 3, 4, 5, 6, 8, 10) times a power of ten. The bins are then laid on a grid of
// half-widths covering the range; when that takes an odd number of half-widths the
// extra half goes to the end with more room to spare.
//
// A range no wider than the relative fuzz, a count n <= 0, a zero raw width, or (for
// zhist) a count that gives fewer than two midpoints takes the degenerate path: one
// bin at the low end, of width |lo| (1 when lo is 0; for values all equal, halved
// until the edges beside it are finite, or inside the largest double). The last guard keeps zhist from
// dividing by zero for 0 < n <= 0.5; a range too wide for a finite width (or NaN
// ends) takes it too, so that the decade scaling always ends.
#include "numeric/zhist.h"

#include <cfloat>
#include <cmath>

#include "util/kes_eps.h"

namespace {

constexpr double HIST_MAX_BINS = 214748364.0;     // cap on the bin count
constexpr double HIST_CEIL_SLACK = 8.0 * ZEPS53;  // K a hair above a whole number
constexpr double HIST_NICE_SLACK = 0.0001;        // mantissa slack against the table
constexpr double HIST_SNAP_MAX = 1.0 / 432000.0;  // largest snapping tolerance

// Nice leading values, ascending; the leading 0 stops the downward search.
constexpr double HIST_NICE[] = {0.0, 1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0};
constexpr int HIST_NNICE = static_cast<int>(sizeof HIST_NICE / sizeof HIST_NICE[0]);

int degenerate(double lo, double out[2]) {
  out[0] = lo;
  out[1] = lo == 0.0 ? 1.0 : std::fabs(lo);
  return 1;
}

// Values all equal: one bin of width |lo|, halved near the ends of the doubles until
// the edges of the bin and of the bins beside it are finite (1.25e308 alone would
// otherwise lie in a bin whose upper edge is infinite, and count in none). A value
// within 2^-39 of the largest double has no such bin (a narrower one would have
// edges a few doubles apart): its bin, a sixteenth of it wide, ends at the largest
// double (or its negative), which the counting keeps in it.
// `first` is the bin's midpoint (zhist) or its lower endpoint (zhist2).
int one_value(double lo, double out[2], bool endpoints) {
  degenerate(lo, out);
  if (!std::isfinite(lo)) return 1;
  const auto fits = [lo](double w) { return std::isfinite(lo - 2 * w) && std::isfinite(lo + 2 * w); };
  double w = out[1];
  for (int k = 0; k < 40 && !fits(w); ++k) w /= 2.0;
  if (fits(w)) {
    out[1] = w;
    return 1;
  }
  w = out[1] / 16.0;
  const double lower = lo > 0 ? DBL_MAX - w : -DBL_MAX;
  out[0] = endpoints ? lower : lower + w / 2.0;
  out[1] = w;
  return 1;
}

// The raw width rounded down to a nice leading value times its power of ten.
double nice_width(double w0) {
  double m = w0;
  while (m <= 1.0) m *= 10.0;
  while (m > 10.0) m /= 10.0;
  double u = 10.0;
  if (m + HIST_NICE_SLACK < 10.0) {
    int i = HIST_NNICE - 1;
    while (i > 0 && HIST_NICE[i] > m + HIST_NICE_SLACK) --i;
    u = HIST_NICE[i];
  }
  return w0 * u / m;
}

// A value within g of the whole number below it becomes that number.
double snap(double v, double g) {
  const double fl = std::floor(v + g);
  return fl + g >= v ? fl : v;
}

// Count of bins from n; `slack` lets a K a hair above a whole number round down.
double bin_count(double n, double slack) {
  const double k = std::pow(2.0 * n, 1.0 / 3.0);
  if (!(k <= HIST_MAX_BINS)) return HIST_MAX_BINS;
  return std::ceil(k - slack);
}

}  // namespace

int zhist(double n, double a, double b, double out[2]) {
  const double lo = std::fmin(a, b), hi = std::fmax(a, b);
  const double mid = std::fabs(lo) / 2.0 + std::fabs(hi) / 2.0;  // finite for any finite ends
  if (!(n > 0.0)) return degenerate(lo, out);
  if (hi - lo <= ZSQRT_EPS53 * mid) return one_value(lo, out, false);
  const double nb = bin_count(n, HIST_CEIL_SLACK);
  if (nb < 2.0) return degenerate(lo, out);
  const double d = hi - lo, f = ZSQRT_EPS53 * d;
  const double h1 = d / (2.0 * nb) - f;
  const double w0 = ((hi - h1) - (lo + h1)) / (nb - 1.0);
  if (!(w0 > 0.0 && std::isfinite(w0))) return degenerate(lo, out);
  const double g = std::fmin(f, HIST_SNAP_MAX);
  const double w = snap(nice_width(w0), g);
  const double h = w / 2.0;
  double s = snap(std::floor((lo + h + f) / h) * h, g);
  const double e = std::ceil((hi - h + f) / h) * h;
  const int nh = static_cast<int>(std::floor((e - s + f) / h));
  if (nh % 2 != 0 && (lo - s) > (hi - e + f)) s -= h;
  out[0] = s;
  out[1] = w;
  return (nh + 3) / 2;
}

int zhist2(double n, double a, double b, double out[2]) {
  const double lo = std::fmin(a, b), hi = std::fmax(a, b);
  const double mid = std::fabs(lo) / 2.0 + std::fabs(hi) / 2.0;  // finite for any finite ends
  if (!(n > 0.0)) return degenerate(lo, out);
  if (hi - lo <= ZSQRT_EPS53 * mid) return one_value(lo, out, true);
  const double nb = bin_count(n, 0.0);
  const double d = hi - lo, f = ZSQRT_EPS53 * d;
  const double w0 = d / nb;
  if (!(w0 > 0.0 && std::isfinite(w0))) return degenerate(lo, out);
  const double w = nice_width(w0);
  const double h = w / 2.0;
  double s = std::floor((lo + f) / h) * h;
  const double e = std::ceil((hi + f) / h) * h;
  const int nh = static_cast<int>(std::floor((e - s + f) / h));
  if (nh % 2 != 0 && (lo - s) > (e - hi)) s -= h;
  out[0] = s;
  out[1] = w;
  return (nh + 1) / 2;
}
