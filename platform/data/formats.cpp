#include "data/formats.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/host_missing.h"

namespace plat {
namespace {

constexpr int kMaxNumWidth = 32;
constexpr int kMaxSig = 15;

std::string right(std::string s, int width) {
  if (static_cast<int>(s.size()) >= width) return s;
  return std::string(static_cast<size_t>(width) - s.size(), ' ') + s;
}

bool read_int(std::string_view& t, int* v) {
  size_t i = 0;
  long x = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9' && x < 100000) x = x * 10 + (t[i++] - '0');
  if (i == 0) return false;
  *v = static_cast<int>(x);
  t.remove_prefix(i);
  return true;
}

// Number of significant digits shown in a decimal text.
int significant_digits(const std::string& s) {
  int n = 0;
  bool lead = true;
  for (char c : s) {
    if (c == 'E') break;
    if (c < '0' || c > '9') continue;
    if (lead && c == '0') continue;
    lead = false;
    ++n;
  }
  return n;
}

// Fixed notation with d decimals, trailing zeros after the point removed.
std::string fixed_trimmed(double v, int d) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", d, v);
  std::string s(buf);
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

// E notation with m decimals of the mantissa: "1.2345E-12", "-3E100".
std::string e_form(double v, int m) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*E", m, v);
  std::string s(buf);
  size_t e = s.find('E');
  std::string mant = s.substr(0, e);
  int ex = std::atoi(s.c_str() + e + 1);
  if (mant.find('.') != std::string::npos) {
    while (mant.back() == '0') mant.pop_back();
    if (mant.back() == '.') mant.pop_back();
  }
  return mant + "E" + std::to_string(ex);
}

}  // namespace

bool parse_format(std::string_view text, format_def* f) {
  std::string u;
  for (char c : text) u.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
  std::string_view t(u);
  format_def r;
  if (!t.empty() && t[0] == '$') {
    t.remove_prefix(1);
    if (t.substr(0, 4) == "CHAR") t.remove_prefix(4);
    r.kind = format_def::text;
    if (!read_int(t, &r.width) || r.width < 1 || r.width > 32767) return false;
    if (!t.empty() && t[0] == '.') t.remove_prefix(1);
    if (!t.empty()) return false;
    *f = r;
    return true;
  }
  if (t.substr(0, 4) == "BEST") {
    t.remove_prefix(4);
    r.kind = format_def::best;
    r.width = 12;
    if (!t.empty() && t[0] != '.' && !read_int(t, &r.width)) return false;
    if (!t.empty() && t[0] == '.') t.remove_prefix(1);
    if (!t.empty() || r.width < 1 || r.width > kMaxNumWidth) return false;
    *f = r;
    return true;
  }
  if (!t.empty() && t[0] == 'F') t.remove_prefix(1);
  r.kind = format_def::fixed;
  if (!read_int(t, &r.width)) return false;
  r.decimals = 0;
  if (!t.empty()) {
    if (t[0] != '.') return false;
    t.remove_prefix(1);
    if (!t.empty() && !read_int(t, &r.decimals)) return false;
  }
  if (!t.empty() || r.width < 1 || r.width > kMaxNumWidth || r.decimals >= r.width) return false;
  *f = r;
  return true;
}

std::string format_text(const format_def& f) {
  switch (f.kind) {
    case format_def::text: return "$" + std::to_string(f.width) + ".";
    case format_def::fixed:
      return std::to_string(f.width) + "." + (f.decimals > 0 ? std::to_string(f.decimals) : std::string());
    default: return "BEST" + std::to_string(f.width) + ".";
  }
}

format_def default_format(bool numeric, int length) {
  format_def f;
  if (numeric) return f;
  f.kind = format_def::text;
  f.width = length < 1 ? 1 : length;
  return f;
}

std::string missing_text(double v) {
  char l = host_missing_letter(host_missing_kind(v));
  std::string s(".");
  if (l != 0) s.push_back(l);
  return s;
}

std::string format_best(double v, int width) {
  if (width < 1) width = 1;
  if (width > kMaxNumWidth) width = kMaxNumWidth;
  if (host_is_missing(v)) return right(missing_text(v), width);
  if (std::isinf(v)) return std::string(static_cast<size_t>(width), '*');
  if (v == 0) return right("0", width);
  double a = std::fabs(v);
  // Integers print whole when they fit.
  if (a < 1e15 && std::floor(a) == a) {
    std::string s = fixed_trimmed(v, 0);
    if (static_cast<int>(s.size()) <= width) return right(s, width);
  }
  int mag = static_cast<int>(std::floor(std::log10(a)));  // position of the first digit
  // Fixed: the most decimals that fit, at most kMaxSig significant digits.
  std::string best_fixed;
  int dmax = kMaxSig - 1 - mag;
  if (dmax > width) dmax = width;
  for (int d = dmax; d >= 0; --d) {
    std::string s = fixed_trimmed(v, d);
    if (static_cast<int>(s.size()) <= width && significant_digits(s) > 0) {
      best_fixed = s;
      break;
    }
  }
  std::string best_e;
  for (int m = kMaxSig - 1; m >= 0; --m) {
    std::string s = e_form(v, m);
    if (static_cast<int>(s.size()) <= width) {
      best_e = s;
      break;
    }
  }
  if (!best_fixed.empty() && (best_e.empty() || significant_digits(best_fixed) >= significant_digits(best_e)))
    return right(best_fixed, width);
  if (!best_e.empty()) return right(best_e, width);
  return std::string(static_cast<size_t>(width), '*');
}

std::string format_number(double v, const format_def& f) {
  if (f.kind != format_def::fixed) return format_best(v, f.kind == format_def::best ? f.width : 12);
  int width = f.width < 1 ? 1 : (f.width > kMaxNumWidth ? kMaxNumWidth : f.width);
  if (host_is_missing(v)) return right(missing_text(v), width);
  if (std::isinf(v)) return std::string(static_cast<size_t>(width), '*');
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", f.decimals, v);
  std::string s(buf);
  if (s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
  if (static_cast<int>(s.size()) <= width) return right(s, width);
  return format_best(v, width);
}

std::string format_text_value(std::string_view s, int width) {
  if (width < 0) width = 0;
  std::string r(s.substr(0, static_cast<size_t>(width)));
  r.resize(static_cast<size_t>(width), ' ');
  return r;
}

std::string number_to_csv(double v) {
  if (host_is_missing(v)) return missing_text(v);
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace plat
