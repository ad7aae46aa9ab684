// zmissing.h - the numerical toolkit's missing value and small shared helpers.
//
// The toolkit's missing value is the double whose bit pattern is 0xFFFFFE0000000000
// (a negative quiet NaN; bytes 00 00 00 00 00 fe ff ff in little-endian memory).
// Toolkit routines store it where a result is undefined.  Every missing-value test
// recognises any NaN, so is_missing() is simply "is NaN".
//
//   double zmissing()          the missing value (bit pattern ZMISSING_BITS)
//   bool   is_missing(double)  true for any NaN
//   double zpow2i(int e)       exact 2^e for |e| <= 1023 (scaling helper)
//   long long zd2ll(double)    double -> integer, saturating, NaN -> 0 (no UB)
//   int       zd2i(double)     double -> int, saturating, NaN -> 0 (no UB)
//
// Shared constants of the toolkit are listed below with their meaning; they are the
// literal values the toolkit's algorithms use (not <cfloat> macros, which print in a
// different form but are the same numbers where they coincide).
#pragma once
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "util/kes_eps.h"

inline constexpr std::uint64_t ZMISSING_BITS = 0xFFFFFE0000000000ULL;

// The toolkit missing value.
inline double zmissing() { return std::bit_cast<double>(ZMISSING_BITS); }

// Any NaN bit pattern counts as missing.
inline bool is_missing(double v) { return std::isnan(v); }

// The smallest normal double.
inline constexpr double ZDBL_MINNORM = 2.225073858507202e-308;
// The largest double.
inline constexpr double ZDBL_BIG = 1.7976931348623157e308;
// 1 / sqrt(2 pi), the standard normal density at 0.
inline constexpr double ZRSQRT_2PI = 0.3989422804014327;
// ln sqrt(2 pi).
inline constexpr double ZLN_SQRT_2PI = 0.9189385332046728;
// ln sqrt(2 pi) to long double's precision, for sums carried in long double.
inline constexpr long double ZLN_SQRT_2PI_L = 0.918938533204672741780329736405617639861L;
// exp underflow bound used by the normal and beta code (ln of about 2.5e-308).
inline constexpr double ZEXP_UNDER = -708.3964185;
// ln of the largest double.
inline constexpr double ZEXP_OVER = 709.782712893384;

// Exact power of two for an integer exponent (ldexp is exact).
inline double zpow2i(int e) { return std::ldexp(1.0, e); }

// Saturating conversions: C++ makes an out-of-range double-to-integer conversion
// undefined, so every such conversion in the toolkit goes through these.
inline long long zd2ll(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9223372036854775807.0) return std::numeric_limits<long long>::max();
  if (v <= -9223372036854775808.0) return std::numeric_limits<long long>::min();
  return static_cast<long long>(v);
}
inline int zd2i(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}
