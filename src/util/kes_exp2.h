// Exact binary-exponent operations (ldexp, frexp, ilogb) whose common case, a normal
// number with a normal result, is a few integer operations on the bits instead of a
// library call: the weighted paths call them once or more per observation and value.
// Every other case goes to the library, so each returns exactly what the library's
// function returns.
#pragma once
#include <bit>
#include <cmath>
#include <cstdint>

namespace kes {

namespace exp2_detail {
constexpr std::uint64_t kExpMask = 0x7ffULL << 52;
inline int biased(double x) { return static_cast<int>((std::bit_cast<std::uint64_t>(x) & kExpMask) >> 52); }
inline double with_biased(double x, int b) {
  return std::bit_cast<double>((std::bit_cast<std::uint64_t>(x) & ~kExpMask) | (static_cast<std::uint64_t>(b) << 52));
}
}  // namespace exp2_detail

// std::ldexp(x, e).
inline double ldexp(double x, int e) {
  const int b = exp2_detail::biased(x);
  if (b != 0 && b != 0x7ff && e > -2100 && e < 2100 && b + e > 0 && b + e < 0x7ff)
    return exp2_detail::with_biased(x, b + e);
  return std::ldexp(x, e);
}

// Of a double only: a long double would be cut to a double silently.
long double ldexp(long double, int) = delete;
long double frexp(long double, int*) = delete;
int ilogb(long double) = delete;

// std::frexp(x, e).
inline double frexp(double x, int* e) {
  const int b = exp2_detail::biased(x);
  if (b != 0 && b != 0x7ff) {
    *e = b - 1022;
    return exp2_detail::with_biased(x, 1022);
  }
  return std::frexp(x, e);
}

// std::ilogb(x).
inline int ilogb(double x) {
  const int b = exp2_detail::biased(x);
  return b != 0 && b != 0x7ff ? b - 1023 : std::ilogb(x);
}

}  // namespace kes
