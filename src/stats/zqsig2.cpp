// Significant-digit field widths: measure each value, merge, apply the column
// limit, then measure again after rounding at the chosen decimals, since rounding
// can carry a value past a power of ten (9.9999999 becomes 10.000000).
#include "stats/zqsig2.h"

#include <algorithm>
#include <cmath>

#include "util/kes_eps.h"

namespace {


}  // namespace

void zqsig_format(int ndig, int* width, int* decimals, double x) {
  // An infinite value has no digits to measure (its log10 would overflow the integer
  // width); the column's finite values decide.
  if (x == 0.0 || !std::isfinite(x)) {
    *width = 0;
    *decimals = 0;
    return;
  }
  const double ax = std::fabs(x);
  int w = ax < 1.0 ? 1 : static_cast<int>(std::trunc(std::log10(ax))) + 1;
  // The sign takes a column and a significant digit.
  if (x < 0.0) ++w;
  *width = w;
  *decimals = std::max(ndig - w, 0);
}

void zqsig_combine(int da, int db, int dc, int wa, int wb, int wc, int maxw, int* w, int* d) {
  int dd = std::max({da, db, dc});
  const int iw = std::max({wa, wb, wc});
  int ww = iw + dd + (dd > 0 ? 1 : 0);
  if (ww > maxw) {
    const int widest = std::max(wa, wb);
    ww = maxw;
    dd = maxw - widest - 2;
    // No room for a decimal point beside the integer part: whole numbers when they
    // fit the limit, else the best-fit form.
    if (dd < 0) dd = widest <= maxw ? 0 : KES_SIG_BEST;
  }
  *w = ww;
  *d = dd;
}

void zqsig2(double a, double b, double c, int ndig, int maxw, int* w, int* d) {
  if (std::isnan(a)) a = 0.0;
  if (std::isnan(b)) b = 0.0;
  int wa = 0, da = 0, wb = 0, db = 0;
  zqsig_format(ndig, &wa, &da, a);
  zqsig_format(ndig, &wb, &db, b);
  int dc = 0;
  if (c > KES_EPS53 && c < 1.0) dc = static_cast<int>(std::trunc(-std::log10(c))) + 1;
  zqsig_combine(da, db, dc, wa, wb, 1, maxw, w, d);
  if (*d < KES_SIG_BEST) {
    const double half = 0.5 / std::pow(10.0, *d);
    if (a != 0.0) zqsig_format(ndig, &wa, &da, a + std::copysign(half, a));
    if (b != 0.0) zqsig_format(ndig, &wb, &db, b + std::copysign(half, b));
    zqsig_combine(da, db, dc, wa, wb, 1, maxw, w, d);
  }
  if (*d >= *w) *d = KES_SIG_BEST;
}
