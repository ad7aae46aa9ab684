#include "core/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/host_missing.h"

namespace plat {
namespace {

// Most decimals asked of printf: keeps its text within the buffer (a fixed text with
// more would lose to E notation in any width the callers use).
constexpr int kMaxDecimals = 60;

std::string printf_fixed(double v, int decimals) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// Drops trailing zeros of a fraction, and its point when nothing is left after it.
void strip_fraction(std::string& s) {
  if (s.find('.') == std::string::npos) return;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
}

// Significant digits shown in a decimal text ("0.00120" has 3, "1.5E-7" has 2).
int significant_digits(const std::string& s) {
  int n = 0;
  bool started = false;
  for (char c : s) {
    if (c == 'E' || c == 'e') break;
    if (c < '0' || c > '9') continue;
    if (c != '0') started = true;
    if (started) ++n;
  }
  return n;
}

// The digits of the shortest exact text of a positive finite a, and the decimal
// exponent of the first: 1.5e-7 gives "15" and -7.
struct decimal_digits {
  std::string digits;
  int exponent = 0;
};

decimal_digits shortest_digits(double a) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific);
  std::string s(buf, r.ptr);
  const std::size_t e = s.find('e');
  decimal_digits d;
  for (std::size_t i = 0; i < e; ++i)
    if (s[i] != '.') d.digits.push_back(s[i]);
  d.exponent = std::atoi(s.c_str() + e + 1);
  return d;
}

// The shortest exact text of a nonzero finite v in fixed notation. Built from the
// shortest digits rather than from to_chars' fixed form, which spells out the whole
// binary value of a large number (1e23 would read 99999999999999991611392).
std::string exact_fixed(double v, const decimal_digits& d) {
  const int n = static_cast<int>(d.digits.size());
  const int e = d.exponent;
  std::string s = v < 0 ? "-" : "";
  if (e < 0) {
    s += "0." + std::string(static_cast<std::size_t>(-e - 1), '0') + d.digits;
  } else if (n <= e + 1) {
    s += d.digits + std::string(static_cast<std::size_t>(e + 1 - n), '0');
  } else {
    s += d.digits.substr(0, static_cast<std::size_t>(e) + 1) + "." + d.digits.substr(static_cast<std::size_t>(e) + 1);
  }
  return s;
}

// E notation with m significant digits, trailing mantissa zeros dropped: "1.2345E-12",
// "-3E100".
std::string e_form(double v, int m) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", m - 1, v);
  std::string s(buf);
  const std::size_t e = s.find('e');
  std::string mant = s.substr(0, e);
  strip_fraction(mant);
  return mant + "E" + std::to_string(std::atoi(s.c_str() + e + 1));
}

}  // namespace

char missing_kind(double v) {
  if (!host_is_missing(v)) return 0;
  const char c = host_missing_letter(host_missing_kind(v));
  return c == 0 ? '.' : c;
}

std::string missing_text(double v) {
  const char k = missing_kind(v);
  std::string s(".");
  if (k != 0 && k != '.') s.push_back(k);
  return s;
}

std::string shortest_text(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string best_text(double v, int width) {
  if (width < 1) return std::string();
  const std::size_t w = static_cast<std::size_t>(width);
  if (host_is_missing(v)) return missing_text(v);
  if (std::isinf(v)) {
    std::string s = v < 0 ? "-Inf" : "Inf";
    return s.size() <= w ? s : std::string(w, '*');
  }
  if (v == 0) return "0";

  const decimal_digits digits = shortest_digits(std::fabs(v));
  const std::string exact = exact_fixed(v, digits);
  if (exact.size() <= w) return exact;

  // Fixed notation rounded to the most decimals that fit. An integer has no decimals to
  // drop, and its exact text is already the shortest it can be.
  std::string fixed;
  const std::size_t point = exact.find('.');
  if (point != std::string::npos) {
    const int frac = static_cast<int>(exact.size() - point - 1);
    const int room = std::max(width - static_cast<int>(point) - 1, 0);
    for (int d = std::min({frac - 1, room, kMaxDecimals}); d >= 0; --d) {
      std::string s = printf_fixed(v, d);
      if (s.size() > w) continue;  // rounding carried into a new integer digit
      strip_fraction(s);
      // Fewer decimals would show no more digits than this.
      if (significant_digits(s) > 0) fixed = s;
      break;
    }
  }
  // E notation with the most significant digits that fit.
  std::string efix;
  for (int m = static_cast<int>(digits.digits.size()); m >= 1; --m) {
    std::string s = e_form(v, m);
    if (s.size() <= w) {
      efix = s;
      break;
    }
  }
  const int sig_f = fixed.empty() ? 0 : significant_digits(fixed);
  const int sig_e = efix.empty() ? 0 : significant_digits(efix);
  // Of as many digits the nearer text: a carry into a new digit shows a digit v lacks.
  const auto off = [v](const std::string& s) { return std::fabs(std::strtod(s.c_str(), nullptr) - v); };
  if (sig_f > 0 && (sig_f > sig_e || (sig_f == sig_e && off(fixed) <= off(efix)))) return fixed;
  if (sig_e > 0) return efix;
  return std::string(w, '*');
}

std::string e_text(double v, int m) { return e_form(v, std::clamp(m, 1, 17)); }

std::string fixed_text(double v, int width, int decimals) {
  if (host_is_missing(v)) return missing_text(v);
  if (!std::isfinite(v) || decimals < 0 || decimals > kMaxDecimals) return best_text(v, width);
  std::string s = printf_fixed(v, decimals);
  // A value that rounds to zero shows no sign.
  if (s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
  if (width >= 1 && s.size() <= static_cast<std::size_t>(width)) return s;
  return best_text(v, width);
}

}  // namespace plat
