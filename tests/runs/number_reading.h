// A number's text taken apart, for tests that compare the texts of a value at an
// offset or in another unit with its text as read.
#pragma once
#include <cmath>
#include <cstdlib>
#include <string>

namespace kes_test {

struct number_reading {
  std::string digits;  // significant digits, no leading or trailing zeros
  int exp = 0;         // the power of ten of the first
  int decimals = 0;    // the value's decimals: the mantissa's less its power of ten
  double value = NAN;
  std::string text;
};

inline number_reading read_number(const std::string& t) {
  number_reading r;
  r.text = t;
  r.value = std::strtod(t.c_str(), nullptr);
  const std::size_t e = t.find_first_of("Ee");
  const std::string mant = t.substr(0, e);
  const int e10 = e == std::string::npos ? 0 : std::atoi(t.c_str() + e + 1);
  const std::size_t dot = mant.find('.');
  r.decimals = (dot == std::string::npos ? 0 : static_cast<int>(mant.size() - dot - 1)) - e10;
  int place = (dot == std::string::npos ? static_cast<int>(mant.size()) : static_cast<int>(dot)) - 1 + e10;
  for (char c : mant) {
    if (c < '0' || c > '9') continue;
    if (r.digits.empty() && c == '0') {
      --place;
      continue;
    }
    if (r.digits.empty()) r.exp = place;
    r.digits.push_back(c);
  }
  while (!r.digits.empty() && r.digits.back() == '0') r.digits.pop_back();
  return r;
}

}  // namespace kes_test
