// Counts, sizes and axis steps made from doubles, which may be NaN, infinite or past
// every integer, and whose differences may overflow: the one checked conversion that
// the renderers and plot requests of both sides use, so that no such count turns
// negative or wraps.
#pragma once

#include <cfloat>
#include <climits>
#include <cstdint>
#include <cmath>

#include "host/kes_decimal_grid.h"

// v as an Int within [lo, hi]: NaN gives lo, a value past an end (an infinity too) gives
// that end; inside, v is cut toward zero as a cast does.
template <typename Int>
constexpr Int kes_clamped_int(double v, Int lo, Int hi) noexcept {
  if (!(v >= static_cast<double>(lo))) return lo;
  // Compared with "<": the largest integers round up when made doubles.
  if (!(v < static_cast<double>(hi))) return hi;
  return static_cast<Int>(v);
}

// (hi - lo) / step where hi - lo is past the largest double (an axis from -1e308 to
// 1e308): the quotient, taken apart, stays finite whenever it can.
inline double kes_steps_between(double lo, double hi, double step) noexcept {
  const double span = hi - lo;
  return std::isfinite(span) ? span / step : hi / step - lo / step;
}

// The i-th tick from start by step: the double nearest the decimal start + i x step
// where the start and the step are decimals (kes_grid_point).
inline double kes_tick_at(double start, double step, long i) {
  return kes_grid_point(start, static_cast<double>(i), step);
}

// Where v lies from lo (0) to hi (1); where hi - lo is past the largest double, the
// fraction is found at half scale, so that an axis from -1e308 to 1e308 still places
// its values.
inline double kes_axis_fraction(double v, double lo, double hi) noexcept {
  const double span = hi - lo;
  if (std::isfinite(span) || !std::isfinite(lo) || !std::isfinite(hi)) return (v - lo) / span;
  return (v / 2 - lo / 2) / (hi / 2 - lo / 2);
}

// *lo and *hi moved apart by frac x (hi - lo) each, as one pad; where that pad or an
// end passes the largest double, the pad is taken apart and the ends stop at it.
inline double kes_range_pad(double frac, double lo, double hi) noexcept {
  const double pad = frac * (hi - lo);
  return std::isfinite(pad) ? pad : frac * hi - frac * lo;
}
inline void kes_pad_range(double frac, double* lo, double* hi) noexcept {
  const double pad = kes_range_pad(frac, *lo, *hi);
  *lo = std::fmax(*lo - pad, -DBL_MAX);
  *hi = std::fmin(*hi + pad, DBL_MAX);
}

// The span of an axis from lo to hi: the difference of their decimals where both are
// short decimals (the ends of a nice axis, whose doubles near 1e9 lie up to half a
// unit off them: 6e-6, not the 5.96e-6 of their doubles), else hi - lo.
inline double kes_axis_span(double lo, double hi) { return kes_decimal_difference(lo, hi); }

// The length on the page of one step of an axis from lo to hi drawn 'length' long:
// step x length / (hi - lo), found at half scale where hi - lo is past the doubles, and
// divided first where a step near the largest double times the length passes them.
inline double kes_step_length(double step, double length, double lo, double hi) {
  const double span = kes_axis_span(lo, hi);
  if (std::isfinite(span) || !std::isfinite(lo) || !std::isfinite(hi)) {
    const double v = step * length / span;
    return std::isfinite(v) || !std::isfinite(step) ? v : step / span * length;
  }
  return step / 2 / (hi / 2 - lo / 2) * length;
}
