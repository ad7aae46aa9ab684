// zsupport.h - the ends of the support of a law with a threshold.
//
// A fitted curve with threshold theta (and, for a bounded law of width sigma, upper end
// theta + sigma) counts x as outside its support at or within 1e-7 of the law's unit
// (its scale, in the data's own unit) above theta, or below it (likewise at or within
// 1e-7 sigma below the upper end, or above it): so near an end the density's
// logarithms and powers of x - theta would be of a difference that has lost its
// digits.  The margin is taken in the data's unit and the test is of the difference
// x - theta, never of x against theta plus a margin: so the same data moved by any c
// (Unix seconds, 1.7e9) keep the same points inside, where a margin relative to theta
// (170 at 1.7e9) would take in the whole data.
//
// A NaN x, end or unit counts as outside (the tests are !(d > margin), true for a
// NaN): a NaN never reaches a density's logarithms and powers to come back as a NaN
// height that a curve's maximum or area would take in unnoticed; the caller answers
// with the law's value outside its support.  An infinite difference is outside too:
// theta = +inf leaves no x inside, nor does theta = -inf (an infinite distance to the
// threshold has no finite density).
#pragma once
#include <cfloat>
#include <cmath>

// The margin of a support's end, in units of the law's scale.
inline constexpr double ZSUPPORT_MARGIN = 1e-7;

namespace zsupport_detail {
// d is no more than the margin of `unit`, or not finite.
inline bool within_margin(double d, double unit) { return !(d > ZSUPPORT_MARGIN * unit && d <= DBL_MAX); }
}  // namespace zsupport_detail

// x lies at or within 1e-7 unit above the threshold theta, or below it.
inline bool zbelow_support(double x, double theta, double unit) {
  return zsupport_detail::within_margin(x - theta, unit);
}

// x lies at or within 1e-7 sigma below the upper end theta + sigma, or above it.  The
// distance to that end is sigma less the distance x - theta: the end itself, a sum
// rounded in the unit of theta, is never formed.
inline bool zabove_support(double x, double theta, double sigma) {
  return zsupport_detail::within_margin(sigma - (x - theta), sigma);
}
