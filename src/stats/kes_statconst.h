// Tolerances shared by the statistics engines.
#pragma once
#include "numeric/zmissing.h"

namespace kes_stat {
// 1000 times the smallest double whose square is still normal: sums of weights or
// divisors at or below it are treated as zero.
inline constexpr double TINY = 1000.0 * 1.491668147e-154;
// 1000 times 2^-53: relative rounding noise of a sum.
inline constexpr double EPS13 = 1000.0 * ZEPS53;
// 100000 times 2^-53: a count at or below it holds no usable value.
inline constexpr double EPS11 = 100000.0 * ZEPS53;
// Widening of the box-plot fences, and the tolerance of a fractional count.
inline constexpr double FENCE_EPS = ZSQRT_EPS53;
}  // namespace kes_stat
