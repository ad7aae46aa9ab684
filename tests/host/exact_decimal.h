// Exact decimals m x 10^q for tests, apart from any double: their digits, and the
// double strtod reads for them (the one nearest the decimal).
#pragma once

#include <cstdlib>
#include <string>

namespace kes_test_decimal {

inline std::string digits(__int128 m) {
  if (m == 0) return "0";
  std::string s;
  const bool neg = m < 0;
  for (__int128 a = neg ? -m : m; a > 0; a /= 10) s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(a % 10)));
  return (neg ? "-" : "") + s;
}

inline double nearest(__int128 m, int q) {
  return std::strtod((digits(m) + "e" + std::to_string(q)).c_str(), nullptr);
}

}  // namespace kes_test_decimal
