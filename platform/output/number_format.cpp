// Number texts of the listing and the JSON file.
#include "output/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/host_missing.h"


namespace plat::out {
namespace {

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

// "-0" after rounding a tiny negative value reads as zero.
void fix_negative_zero(std::string& s) {
  if (s == "-0") s = "0";
}

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

// Digits of the shortest exact text of v (its precision).
int shortest_digits(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
  std::string s(buf, r.ptr);
  return significant_digits(s.substr(0, s.find('e')));
}

// d.dddEx with m significant digits, trailing mantissa zeros dropped.
std::string e_form(double v, int m) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", m - 1, v);
  std::string s(buf);
  std::size_t e = s.find('e');
  std::string mant = s.substr(0, e);
  strip_fraction(mant);
  int exp = std::atoi(s.c_str() + e + 1);
  return mant + "E" + std::to_string(exp);
}

}  // namespace

char missing_kind(double v) {
  if (!std::isnan(v)) return 0;
  char c = host_missing_letter(host_missing_kind(v));
  return c == 0 ? '.' : c;
}

std::string shortest_text(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string format_best(double v, int width) {
  if (width < 1) return std::string();
  if (std::isnan(v)) return ".";
  if (std::isinf(v)) {
    std::string s = v < 0 ? "-Inf" : "Inf";
    return s.size() <= static_cast<std::size_t>(width) ? s : std::string(width, '*');
  }
  if (v == 0) return "0";
  const std::size_t w = static_cast<std::size_t>(width);

  // The exact text, when it fits.
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  std::string exact(buf, r.ptr);
  if (exact.size() <= w) return exact;

  // The most decimals of a rounded fixed text that fit.
  std::string fixed;
  const int neg = v < 0 ? 1 : 0;
  const int intlen = static_cast<int>(printf_fixed(std::fabs(v), 0).size());
  for (int d = std::clamp(width - neg - intlen - 1, 0, 60); d >= 0; --d) {
    std::string s = printf_fixed(v, d);
    if (s.size() <= w) {
      strip_fraction(s);
      fix_negative_zero(s);
      fixed = s;
      break;
    }
  }
  // The E form with the most significant digits that fit (no more than v has).
  std::string efix;
  for (int m = std::min(shortest_digits(v), 17); m >= 1; --m) {
    std::string s = e_form(v, m);
    if (s.size() <= w) {
      efix = s;
      break;
    }
  }
  const int sig_f = fixed.empty() ? -1 : significant_digits(fixed);
  const int sig_e = efix.empty() ? -1 : significant_digits(efix);
  if (!fixed.empty() && (sig_f >= 3 || sig_f >= sig_e)) return fixed;
  if (!efix.empty()) return efix;
  if (!fixed.empty()) return fixed;
  return std::string(w, '*');
}

std::string format_fixed(double v, int width, int decimals) {
  if (std::isnan(v)) return ".";
  if (!std::isfinite(v) || decimals < 0 || decimals > 60) return format_best(v, width);
  std::string s = printf_fixed(v, decimals);
  if (s.size() > static_cast<std::size_t>(width)) return format_best(v, width);
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

int decimals_needed(double v, int max_decimals) {
  if (!std::isfinite(v) || max_decimals <= 0) return 0;
  if (max_decimals > 60) max_decimals = 60;
  std::string s = printf_fixed(v, max_decimals);
  int k = max_decimals;
  while (k > 0 && s.back() == '0') {
    s.pop_back();
    --k;
  }
  return k;
}

std::string format_pvalue(double v) {
  if (std::isnan(v)) return ".";
  if (v < 0.0001) return "<.0001";
  return printf_fixed(v, 4);
}

}  // namespace plat::out
