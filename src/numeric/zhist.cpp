// zhist.cpp - default histogram bins.
//
// Both functions share the count and width rule: the bin count is the ceiling of
// (2n)^(1/3), the raw width spreads that many bins (zhist2) or midpoints (zhist) over
// the range, and the width is rounded down to a nice leading value (1, 1.2, 1.5, 2,
// 2.5, 3, 4, 5, 6, 8, 10) times a power of ten. The bins are then laid on a grid of
// half-widths covering the range; when that takes an odd number of half-widths the
// extra half goes to the end with more room to spare.
//
// The bins must be there in the doubles: each half-width spans at least
// HIST_MIN_HALF_ULPS doubles at the larger end of the bins, so that every edge is a
// distinct double and the widths are even to rounding. A nice width too narrow for
// that takes the next nice values up, as long as they leave two bins or more; the
// range of 1e9 + 0.05 thus keeps its bins, as 1e15 + 100 does, and only a range a few
// doubles wide gets one bin.
//
// Values all equal, a range too narrow for two distinct bins, a count n <= 0, a zero
// raw width, or (for zhist) a count that gives fewer than two midpoints takes the
// degenerate path: one bin at the low end, of width |lo| (1 when lo is 0; when the
// range has no room, halved until the edges beside it are finite, or inside the
// largest double). The last guard keeps zhist from dividing by zero for
// 0 < n <= 0.5; a range too wide for a finite width (or NaN ends) takes it too, so
// that the decade scaling always ends.
#include "numeric/zhist.h"

#include <cfloat>
#include <cmath>

#include "host/kes_decimal_grid.h"
#include "util/kes_eps.h"

namespace {

constexpr double HIST_MAX_BINS = 214748364.0;     // cap on the bin count
constexpr double HIST_CEIL_SLACK = 8.0 * ZEPS53;  // K a hair above a whole number
constexpr double HIST_NICE_SLACK = 0.0001;        // mantissa slack against the table
constexpr double HIST_SNAP_MAX = 1.0 / 432000.0;  // largest snapping tolerance
constexpr double HIST_MIN_HALF_ULPS = 4.0;        // doubles a half-width spans at least
constexpr int HIST_MAX_WIDENINGS = 400;           // nice steps tried for room (each >= x1.2)

// Nice leading values, ascending; the leading 0 stops the downward search.
constexpr double HIST_NICE[] = {0.0, 1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0};
constexpr int HIST_NNICE = static_cast<int>(sizeof HIST_NICE / sizeof HIST_NICE[0]);

int degenerate(double lo, double out[2]) {
  out[0] = lo;
  out[1] = lo == 0.0 ? 1.0 : std::fabs(lo);
  return 1;
}

// Values all equal, or no room for two bins: one bin of width |lo|, halved near the
// ends of the doubles until the edges of the bin and of the bins beside it are finite (1.25e308 alone would
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

// The next nice width above w: the next table value, 10 going on to 12 of the decade.
double next_nice(double w) {
  double m = w;
  while (m <= 1.0) m *= 10.0;
  while (m > 10.0) m /= 10.0;
  int i = 1;
  while (i < HIST_NNICE && HIST_NICE[i] <= m + HIST_NICE_SLACK) ++i;
  const double u = i < HIST_NNICE ? HIST_NICE[i] : 12.0;
  return w * u / m;
}

// Spacing of the doubles at magnitude x (the binade's, or the subnormals').
double spacing(double x) {
  x = std::fabs(x);
  return x >= DBL_MIN ? std::ldexp(1.0, std::ilogb(x) - 52) : DBL_TRUE_MIN;
}

// Bins laid on the grid of half-widths: the first point, the width, the count and
// the outer edges of the bins.
struct laid {
  double first, width;
  int count;
  double lower, upper;
};

// Do the laid bins exist in the doubles: finite, and each half-width at least
// HIST_MIN_HALF_ULPS doubles at the larger end?
bool distinct(const laid& b) {
  if (!(std::isfinite(b.lower) && std::isfinite(b.upper))) return false;
  return b.width / 2.0 >= HIST_MIN_HALF_ULPS * spacing(std::fmax(std::fabs(b.lower), std::fabs(b.upper)));
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

// The grid of half-widths is walked from k half-widths, the whole number at or below
// lo: the fuzz f, a share of the range, is added to positions within the data's own
// span, so that it still counts where the data sit far from 0 (added to 1e15 + 35 it
// is lost, and the same data got one bin less at 1e15 than at 0).

// zhist's midpoints of width w over [lo, hi], from its fuzz f and snapping g.
laid lay_midpoints(double lo, double hi, double w, double f, double g) {
  const double h = w / 2.0;
  const double k = std::floor(lo / h);
  double s = snap((k + std::floor((lo - k * h + h + f) / h)) * h, g);
  const double e = (k + std::ceil((hi - k * h - h + f) / h)) * h;
  const int nh = static_cast<int>(std::floor((e - s + f) / h));
  if (nh % 2 != 0 && (lo - s) > (hi - e + f)) s -= h;
  const int count = (nh + 3) / 2;
  return {s, w, count, s - h, s + (count - 1) * w + h};
}

// zhist2's bins of width w over [lo, hi], from its fuzz f.
laid lay_endpoints(double lo, double hi, double w, double f) {
  const double h = w / 2.0;
  const double k = std::floor(lo / h);
  double s = (k + std::floor((lo - k * h + f) / h)) * h;
  const double e = (k + std::ceil((hi - k * h + f) / h)) * h;
  const int nh = static_cast<int>(std::floor((e - s + f) / h));
  if (nh % 2 != 0 && (lo - s) > (e - hi)) s -= h;
  const int count = (nh + 1) / 2;
  return {s, w, count, s, s + count * w};
}

// The first point and the width as the doubles nearest their decimals: the width a
// nice u x 10^e, the first point a whole number of half widths (3.45, not the
// 3.4500000000000006 that 3.3 + 0.15 adds up to), so that every point first + k x
// width is its decimal too.
void exact_points(const laid& b, double out[2]) {
  out[1] = kes_nice_double(b.width);
  const double h = kes_nice_double(b.width / 2);
  const double j = std::nearbyint(b.first / h);
  // A first point snapped to a whole number off the half widths keeps its own decimal.
  out[0] = b.first == std::nearbyint(b.first) || !(std::fabs(j) < 0x1p52) ? b.first : kes_grid_point(0, j, h);
}

// The bins from the nice width w up: the first nice width whose bins are distinct
// doubles, while it leaves two bins or more; otherwise one bin (values all equal).
int lay(double lo, double hi, double w, double out[2], bool endpoints, double f, double g) {
  for (int k = 0; k < HIST_MAX_WIDENINGS && w > 0.0 && std::isfinite(w); ++k, w = next_nice(w)) {
    if (!endpoints) w = snap(w, g);
    // The grid is walked in the width as its decimal (12, not 11.999999999999998 as the
    // scaling leaves it): whole widths then move it by exact steps wherever the data sit.
    w = kes_nice_double(w);
    const laid b = endpoints ? lay_endpoints(lo, hi, w, f) : lay_midpoints(lo, hi, w, f, g);
    if (b.count < 2) break;
    if (distinct(b)) {
      exact_points(b, out);
      return b.count;
    }
  }
  return one_value(lo, out, endpoints);
}

}  // namespace

int zhist(double n, double a, double b, double out[2]) {
  const double lo = std::fmin(a, b), hi = std::fmax(a, b);
  if (!(n > 0.0)) return degenerate(lo, out);
  if (lo == hi) return one_value(lo, out, false);
  const double nb = bin_count(n, HIST_CEIL_SLACK);
  if (nb < 2.0) return degenerate(lo, out);
  const double d = hi - lo, f = ZSQRT_EPS53 * d;
  const double h1 = d / (2.0 * nb) - f;
  const double w0 = ((hi - h1) - (lo + h1)) / (nb - 1.0);
  if (!(w0 > 0.0 && std::isfinite(w0))) return degenerate(lo, out);
  const double g = std::fmin(f, HIST_SNAP_MAX);
  return lay(lo, hi, nice_width(w0), out, false, f, g);
}

int zhist2(double n, double a, double b, double out[2]) {
  const double lo = std::fmin(a, b), hi = std::fmax(a, b);
  if (!(n > 0.0)) return degenerate(lo, out);
  if (lo == hi) return one_value(lo, out, true);
  const double nb = bin_count(n, 0.0);
  const double d = hi - lo, f = ZSQRT_EPS53 * d;
  const double w0 = d / nb;
  if (!(w0 > 0.0 && std::isfinite(w0))) return degenerate(lo, out);
  return lay(lo, hi, nice_width(w0), out, true, f, 0.0);
}
