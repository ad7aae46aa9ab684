// The host's standard numeric reader: a plain number (sign, digits, one ".", an
// exponent) with blanks around it; implied decimals when it has no ".".
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/host_routines.h"
#include "host/host_missing.h"

namespace {

constexpr int invalid_number = static_cast<int>(0x8001d820u);

// True when s (no blanks around it) is a plain number; *has_point tells whether it
// holds a "." or an exponent.
bool plain_number(const std::string& s, bool* has_point) {
  size_t i = 0, digits = 0;
  *has_point = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digits;
  if (i < s.size() && s[i] == '.') {
    *has_point = true;
    for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    *has_point = true;
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t e = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++e;
    if (e == 0) return false;
  }
  return i == s.size();
}

}  // namespace

extern "C" int plat_wzifmn(host_numreq* request) {
  double missing = host_missing_of_kind(HOST_MISS_STD);
  *request->result = missing;
  request->size = 8;
  int n = request->length;
  if (request->width > 0 && request->width < n) n = request->width;
  if (request->text == nullptr || n <= 0) return 0;
  std::string s(request->text, static_cast<size_t>(n));
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return 0;
  s = s.substr(b, s.find_last_not_of(' ') - b + 1);
  if (s == ".") return 0;
  bool has_point;
  if (!plain_number(s, &has_point)) return invalid_number;
  double v = std::strtod(s.c_str(), nullptr);
  if (!std::isfinite(v)) return invalid_number;
  if (!has_point && request->decimals > 0) v /= std::pow(10.0, request->decimals);
  *request->result = v;
  return 0;
}
