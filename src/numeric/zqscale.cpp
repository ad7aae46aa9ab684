// zqscale.cpp - nice axis scale from candidate increments.
//
// The raw increment (range / |n|) is split into a power of ten and a mantissa in
// [1, 10); the candidate nearest the mantissa on a logarithmic scale (the first whose
// geometric midpoint with its successor lies above it) times that power is the
// increment, and the ends are rounded outward to multiples of it, with a relative
// fuzz so that an end a rounding error past a multiple does not add an interval.
// Under n < 0 the candidates are stepped upward (and up by decades, at most four)
// until the count fits, and exactly -n intervals are laid out.
//
// End flags: 'L' keeps the start, 'U' keeps the end, 'E' centres the axis on the data,
// anything else keeps the snapped ends. Sort flag 'N' sorts the candidates first.
//
// A range is negligible, and widened about its centre, only where it is lost against
// its ends and holds too few doubles for neighbouring ticks to differ: 100 at 1e15 is
// lost against 1e15 by the factor 0.0001 yet spans 800 doubles, and an axis from 0
// would draw every value at one spot.
//
// Mends: no candidates (ncand < 1 or a null array) is refused like a candidate out of
// range, and a range with a non-finite end is refused as degenerate, since neither
// leaves an increment to snap to.
#include "numeric/zqscale.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "host/kes_decimal_grid.h"
#include "numeric/number_routines.h"
#include "util/kes_eps.h"

namespace {

constexpr double QS_NEGLIGIBLE = 0.0001;            // range lost against the ends
constexpr double QS_MIN_DOUBLES = 2.0;  // doubles a raw increment must span to keep its ticks apart
constexpr double QS_CAND_LO = 1.0;
constexpr double QS_CAND_HI = 10.0;
constexpr int QS_MAX_DECADES = 4;  // decade steps allowed before giving up

// Exact decimal constants for the small negative powers.
constexpr double QS_NEG_POW10[] = {1.0, 0.1, 0.01, 0.001, 0.0001, 1e-5, 1e-6, 1e-7, 1e-8};

double pow10_of(int k) { return (k <= 0 && k >= -8) ? QS_NEG_POW10[-k] : zpow10(k); }

// Whether a range d with ends up to `big` in magnitude leaves no nice scale of n
// intervals: lost against its ends, and too narrow for n intervals of distinct ticks.
bool negligible(double big, double d, int n) {
  return big + QS_NEGLIGIBLE * d == big && !zqscale_steps_apart(big, d, n);
}

}  // namespace

bool zqscale_steps_apart(double big, double d, int n) {
  // A nice increment is at least 1/sqrt(2) of the raw one: two doubles keep it above one.
  const double w = d / std::max(std::abs(static_cast<double>(n)), 1.0);
  double ulp = std::nextafter(big, INFINITY) - big;  // the gap the ticks past `big` keep
  if (!std::isfinite(ulp)) ulp = big - std::nextafter(big, 0.0);
  return w >= QS_MIN_DOUBLES * ulp && w >= std::numeric_limits<double>::min();
}

namespace {

struct Scale {
  double cand[ZQSCALE_MAX_CAND];
  double mid[ZQSCALE_MAX_CAND];
  int count = 0;
  double f = 0.0;       // fuzz
  double ustart = 0.0;  // unsnapped range
  double uend = 0.0;
  int k = 0;            // decade of the raw increment
  double start = 0.0, end = 0.0, inc = 0.0, a = 0.0;
  int nint = 0;  // interval count of the last snap

  void midpoints(int n) {
    for (int i = 0; i + 1 < count; ++i) mid[i] = std::sqrt(cand[i] * cand[i + 1]);
    const double w = (uend - ustart) / std::abs(n);
    k = static_cast<int>(std::floor(std::log10(w)));
  }
  int first_index(int n) const {
    const double w = (uend - ustart) / std::abs(n);
    const double m = w / pow10_of(k);
    for (int i = 0; i + 1 < count; ++i)
      if (m < mid[i]) return i;
    return count - 1;
  }
  void snap(int j) {
    inc = kes_decade_multiple(cand[j], k, pow10_of(k) * cand[j]);
    a = std::floor((ustart + f) / inc);
    const double b = std::ceil((uend - f) / inc);
    start = kes_grid_point(0, a, inc);
    end = kes_grid_point(0, b, inc);
    nint = static_cast<int>((b - a) + ZSQRT_EPS53 * (b - a));
  }
  // End flags 'U' (keep the end) and 'L' (keep the start) for `count` intervals;
  // false for the other flags.
  bool keep_end(char endflag, int count) {
    const double span = count * inc;
    if (endflag == 'U') {
      end = uend;
      start = std::min(end - span, ustart);
      return true;
    }
    if (endflag == 'L') {
      start = ustart;
      end = start + span;
      return true;
    }
    return false;
  }
};

}  // namespace

int zqscale(double min, double max, int n, int ncand, const double* cand, zqscale_axis* out,
            char sortflag, char endflag) {
  out->start = min;
  out->end = max;
  out->increment = (max - min) / 2.0;
  out->index = 2;
  if (n == 0) return ZQSCALE_ZERO_COUNT;
  if (cand == nullptr || ncand < 1) return ZQSCALE_BAD_CANDIDATE;
  Scale s;
  s.count = std::min(ncand, ZQSCALE_MAX_CAND);
  std::copy(cand, cand + s.count, s.cand);
  if (s.count == 1) s.cand[s.count++] = s.cand[0];
  for (int i = 0; i < s.count; ++i)
    if (!(s.cand[i] >= QS_CAND_LO && s.cand[i] <= QS_CAND_HI)) return ZQSCALE_BAD_CANDIDATE;
  if (!std::isfinite(min) || !std::isfinite(max)) return ZQSCALE_DEGENERATE;

  double lo = std::min(min, max), hi = std::max(min, max);
  const double d = hi - lo;
  s.f = ZSQRT_EPS53 * d;
  const double big = std::max(std::fabs(lo), std::fabs(hi));
  if (negligible(big, d, n)) {
    double r = std::fabs((lo + hi) / 2.0);
    if (r == 0.0) r = 1.0;
    if (endflag == 'L') {
      hi += 2.0 * r;
    } else if (endflag == 'U') {
      lo -= 2.0 * r;
    } else {
      lo -= r;
      hi += r;
    }
    s.f = ZSQRT_EPS53 * r;
  }
  if (!std::isfinite(hi - lo)) return ZQSCALE_DEGENERATE;
  if (sortflag == 'N' && s.count > 1) {
    // Bubble sort, stopping at the first pass without an exchange.
    for (bool swapped = true; swapped;) {
      swapped = false;
      for (int i = 0; i + 1 < s.count; ++i)
        if (s.cand[i] > s.cand[i + 1]) {
          std::swap(s.cand[i], s.cand[i + 1]);
          swapped = true;
        }
    }
  }
  out->start = lo;
  out->end = hi;
  out->index = s.count;
  out->increment = std::fabs(static_cast<double>(n));
  s.ustart = lo;
  s.uend = hi;
  s.midpoints(n);
  int j = s.first_index(n);
  s.snap(j);

  int result;
  if (n > 0) {
    if (s.nint < 0) return ZQSCALE_DEGENERATE;
    if (!s.keep_end(endflag, s.nint) && endflag == 'E') {
      s.start = std::min((s.ustart + s.uend) / 2.0 - (s.nint / 2) * s.inc, s.ustart);
      s.end = std::max(s.start + s.nint * s.inc, s.uend);
    }
    result = s.nint;
  } else {
    const int want = -n;
    int decades = 0;
    while (s.nint > want) {
      if (++j >= s.count) {
        if (++decades > QS_MAX_DECADES) return ZQSCALE_NO_FIT;
        for (int i = 0; i < s.count; ++i) s.cand[i] *= 10.0;
        j = 0;
      }
      s.snap(j);
    }
    if (s.nint < 0) return ZQSCALE_DEGENERATE;
    if (s.keep_end(endflag, want)) {
      // 'U' or 'L' laid the axis out.
    } else if (endflag == 'E') {
      s.start = std::min(s.start - ((want - s.nint) / 2) * s.inc, s.ustart);
      s.end = std::max(s.start + want * s.inc, s.uend);
    } else {
      s.start = kes_grid_point(0, s.a, s.inc);
      s.end = kes_grid_point(0, s.a + want, s.inc);
    }
    result = want;
  }
  out->start = s.start;
  out->end = s.end;
  out->increment = s.inc;
  out->index = j;
  return result;
}
