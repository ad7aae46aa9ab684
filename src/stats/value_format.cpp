// The widening of a common display format: decimals are shared by the column, so the
// width is the widest integer part plus the shared decimals and their point.
#include "stats/value_format.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxDecimals = 9;  // decimals a column shows at most
constexpr int kMaxWidth = 15;    // and its widest field
constexpr int kBest = 99;        // decimals value that asks for the best form

int fraction_width(int decimals) { return decimals > 0 ? decimals + 1 : 0; }

}  // namespace

void kes_widen_format(double x, int* width, int* decimals) {
  const double ax = std::fabs(x);
  const int intdig = (ax < 1.0 ? 1 : static_cast<int>(std::floor(std::log10(ax))) + 1) + (x < 0 ? 1 : 0);
  // Decimals that show x exactly to 9 significant digits.
  int d = 0;
  for (; d < kMaxDecimals; ++d) {
    const double scale = std::pow(10.0, d);
    if (std::fabs(std::round(x * scale) / scale - x) <= 1e-9 * (ax > 1.0 ? ax : 1.0)) break;
  }
  const int int_width = std::max(*width - fraction_width(*decimals), intdig);
  *decimals = std::max(*decimals, d);
  *width = int_width + fraction_width(*decimals);
}

void kes_cap_format(int* width, int* decimals) {
  if (*width <= kMaxWidth) return;
  *width = kMaxWidth;
  *decimals = kBest;
}
