// zsupport.h - the ends of the support of a law with a threshold.
//
// A fitted curve with threshold theta (and, for a bounded law, upper end top) counts x
// as outside its support at or within 1e-7 |theta| of theta, or below it (likewise at
// or within 1e-7 |top| of top, or above it): so near an end the density's logarithms
// and powers of x - theta would be of a difference that has lost its digits.  The margin
// is relative, so a zero end has none.
//
// A NaN x or end counts as outside (the tests are !(x > edge), true for a NaN): a NaN
// never reaches a density's logarithms and powers to come back as a NaN height that a
// curve's maximum or area would take in unnoticed; the caller answers with the law's
// value outside its support.  An infinite end follows from the same sums: theta = +inf
// or top = -inf leave no x inside, and theta = -inf or top = +inf give a NaN edge,
// which is outside too.
#pragma once
#include <cmath>

// The relative margin of a support's end.
inline constexpr double ZSUPPORT_MARGIN = 1e-7;

// x lies at or within 1e-7 |theta| above the threshold theta, or below it.
inline bool zbelow_support(double x, double theta) {
  return !(x > theta + ZSUPPORT_MARGIN * std::fabs(theta));
}

// x lies at or within 1e-7 |top| below the upper end top, or above it.
inline bool zabove_support(double x, double top) { return !(x < top - ZSUPPORT_MARGIN * std::fabs(top)); }
