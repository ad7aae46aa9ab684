// Vector 30: number fields.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/host_routines.h"
#include "core/number_text.h"

namespace {

// Exponent form with `decimals` decimals before the exponent: "1.50E+03", "2E+05".
std::string exponent_text(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*E", decimals, v);
  return buf;
}

}  // namespace

extern "C" int plat_xpfs(double value, int width, int decimals, char* field) {
  const int w = std::abs(width);
  if (field == nullptr || w < 1) return 0;
  std::string text;
  if (std::isnan(value)) text = plat::missing_text(value);
  else if (decimals >= 0) text = plat::fixed_text(value, w, decimals);
  else text = exponent_text(value, -decimals);
  if (static_cast<int>(text.size()) > w) text = plat::best_text(value, w);
  const int n = std::min(static_cast<int>(text.size()), w);
  std::memset(field, ' ', static_cast<size_t>(w));
  std::memcpy(field + (width < 0 ? 0 : w - n), text.data(), static_cast<size_t>(n));
  return n;
}
