// Number texts of the listing that only tables use: decimals shared by a column and
// p-values.
#include "output/number_format.h"

#include <cmath>
#include <cstdio>

namespace plat::out {
namespace {

std::string printf_fixed(double v, int decimals) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

}  // namespace

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

int fixed_width(double v, int decimals) { return static_cast<int>(printf_fixed(v, decimals).size()); }

int significant_digits(double v, int decimals) {
  int n = 0;
  bool started = false;
  for (char c : printf_fixed(v, decimals)) {
    if (c < '0' || c > '9') continue;
    started = started || c != '0';
    n += started;
  }
  return n;
}

std::string format_pvalue(double v) {
  if (std::isnan(v)) return ".";
  if (v < 0.0001) return "<.0001";
  return printf_fixed(v, 4);
}

}  // namespace plat::out
