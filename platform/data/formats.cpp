#include "data/formats.h"

#include <algorithm>
#include <cmath>

#include "host/host_missing.h"

namespace plat {
namespace {

constexpr int kMaxNumWidth = 32;

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

std::string format_best(double v, int width) {
  width = std::clamp(width, 1, kMaxNumWidth);
  return right(best_text(v, width), width);
}

std::string format_number(double v, const format_def& f) {
  if (f.kind != format_def::fixed) return format_best(v, f.kind == format_def::best ? f.width : 12);
  const int width = std::clamp(f.width, 1, kMaxNumWidth);
  return right(fixed_text(v, width, f.decimals), width);
}

std::string format_text_value(std::string_view s, int width) {
  if (width < 0) width = 0;
  std::string r(s.substr(0, static_cast<size_t>(width)));
  r.resize(static_cast<size_t>(width), ' ');
  return r;
}

std::string number_to_csv(double v) {
  // No CSV text of an infinity reads back as a number: write the missing value so that
  // the column stays numeric.
  if (std::isinf(v)) return ".";
  return host_is_missing(v) ? missing_text(v) : shortest_text(v);
}

}  // namespace plat
