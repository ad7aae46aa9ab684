// Missing values of the host: their kinds, bit patterns and order.
//
// Every NaN is a missing value. The kind of a missing value is the negated signed
// byte 5 (bits 40 to 47) of its bit pattern, which is also the key by which value
// trees and key comparisons order missing values among themselves (below every
// number). The host writes these patterns:
//
//   text   kind   bit pattern
//   ._      1     0xFFFFFF0000000000
//   .       2     0xFFFFFE0000000000   (the standard missing value, consts->std_missing)
//   .A      3     0xFFFFFD0000000000
//   ...
//   .Z     28     0xFFFFE40000000000   (kind 3 + letter - 'A')
//
// so that ._ < . < .A < ... < .Z. A NaN of any other pattern is missing too; it
// prints as "." and orders by its own byte-5 code (byte 5 of 0 counts as kind 2).
#pragma once
#include <cstdint>
#include <cstring>

inline constexpr int HOST_MISS_UNDERSCORE = 1;
inline constexpr int HOST_MISS_STD = 2;
inline constexpr int HOST_MISS_A = 3;
inline constexpr int HOST_MISS_Z = 28;
inline constexpr std::uint64_t HOST_MISSING_STD_BITS = 0xFFFFFE0000000000ULL;

inline std::uint64_t host_double_bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// The missing value of a kind from 1 to 28.
inline double host_missing_of_kind(int kind) {
  std::uint64_t b = 0xFFFF000000000000ULL |
                    (static_cast<std::uint64_t>(static_cast<std::uint8_t>(-kind)) << 40);
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

inline bool host_is_missing(double v) { return v != v; }

// The order code of a missing value (the negated signed byte 5); 0 for a number. A
// NaN whose byte 5 is 0 (the quiet NaN that arithmetic makes) counts as standard.
inline int host_missing_code(double v) {
  if (v == v) return 0;
  int c = -static_cast<int>(static_cast<std::int8_t>((host_double_bits(v) >> 40) & 0xFF));
  return c == 0 ? HOST_MISS_STD : c;
}

// The kind for printing: 1 to 28, with foreign NaN patterns counted as standard.
inline int host_missing_kind(double v) {
  int c = host_missing_code(v);
  return (c >= HOST_MISS_UNDERSCORE && c <= HOST_MISS_Z) ? c : HOST_MISS_STD;
}

// The letter after the dot: '_', 0 for the standard missing value, or 'A' to 'Z'.
inline char host_missing_letter(int kind) {
  if (kind == HOST_MISS_UNDERSCORE) return '_';
  if (kind >= HOST_MISS_A && kind <= HOST_MISS_Z) return static_cast<char>('A' + kind - HOST_MISS_A);
  return 0;
}

// Three-way order of doubles: missing values below numbers and among themselves by
// code; numbers numerically (-0 equals 0).
inline int host_compare_values(double a, double b) {
  int ca = host_missing_code(a), cb = host_missing_code(b);
  if (ca != 0 || cb != 0) {
    if (ca == 0) return 1;
    if (cb == 0) return -1;
    return ca < cb ? -1 : (ca > cb ? 1 : 0);
  }
  return a < b ? -1 : (a > b ? 1 : 0);
}
