// The stem panel: stem-and-leaf lines (kesstem, with lowfun for the first line) or,
// with a WEIGHT variable, bar lines of sums of weights (keswbar). One walk serves
// both: lines of K/10 stems each rise from the smallest value; values times the stem
// scale S are taken while they lie below the line's bound.
#include <cmath>

#include "records/kes_valview.h"
#include "stats/lp_page.h"

namespace {

double stem_of(double top) { return top < 0 ? std::ceil(top) : std::floor(top); }

// The line's value on the vertical scale: the middle of its stems.
double line_value(const kes_lppage* pg, int s, double top) { return (s * pg->K / 20 + top) * 10 / pg->scale; }

// Bound of the scaled values of the line at `top`; a "-0" line takes what is below 0.
double line_bound(const kes_lppage* pg, int s, double top, bool* minus0) {
  const double t = KES_LP_TOL, K = pg->K;
  const double value = line_value(pg, s, top);
  *minus0 = std::fabs(stem_of(top)) <= t && value < 0;
  if (*minus0 && value > -K / pg->scale) return 0;
  return 10 * top + (s + 1) * (K - 1) / 2 + 0.5 + (pg->split ? 0.0 : s * 0.5);
}

// The leaf digit of scaled value a on a line of stem `stem`: its distance from the
// stem rounded to the nearest integer, halves to the even one. The distance is taken
// from the stem, not from the line's start, so that the upper line of a stem split in
// two (5 leaves a line) shows 5 to 9 rather than the offsets 0 to 4.
char leaf_digit(double a, double stem, int s) {
  const double t = KES_LP_TOL;
  const double base = 10 * stem;
  double d = std::fabs(a - base);
  if ((s > 0 && a < base) || (s < 0 && a > base)) d = 0;
  const double r = std::fmod(d, 2.0);
  double n;
  if (r <= 0.5 + t) n = std::floor(d + 0.499);
  else if (r >= 1.5 - t) n = std::floor(d + 0.501);
  else n = std::floor(d + 0.5);
  return "0123456789"[static_cast<long long>(std::fmod(n, 10.0))];
}

double weight_of(const kes_valview& vw, int i) {
  return vw.w != nullptr ? kes_view_weight(vw, vw.w[i]) : static_cast<double>(vw.f[i]);
}

int walk(kes_lppage* pg, const kes_valview* vals, bool weighted) {
  const double t = KES_LP_TOL, S = pg->scale, K = pg->K;
  const int limit = pg->L;
  pg->largest = 0;
  pg->nminus0 = 0;
  if (vals == nullptr || vals->m == 0) {
    pg->L = 0;
    return 0;
  }
  const kes_valview& vw = *vals;
  int v = 0;  // the next value to place
  const double m = vw.x[0];
  const double x = m * S / K;
  double top = x >= 0 ? std::floor(x + t) * K / 10 : std::ceil(x - t) * K / 10;
  int s = m >= 0 ? 1 : -1;
  for (int i = 1;; ++i) {
    if (s == -1 && top > t) {
      top -= K / 10;
      s = 1;
    }
    if (i == 1 && pg->split && lowfun(pg, s, top, vw.x[v])) top -= K / 10;
    kes_lpline& line = pg->lines[KES_LP_STEM][i];
    line.stem = stem_of(top);
    line.value = line_value(pg, s, top);
    bool minus0 = false;
    const double u = line_bound(pg, s, top, &minus0);
    if (minus0) ++pg->nminus0;
    double total = 0;
    int pos = 8;
    for (; v < vw.m && kesrow(pg, vw.x[v] * S, u); ++v) {
      total += weighted ? weight_of(vw, v) : vw.f[v];
      if (!pg->split) continue;
      const char digit = leaf_digit(vw.x[v] * S, line.stem, s);
      for (int k = 0; k < vw.f[v] && pos < 8 + KES_LP_MAXLEAVES; ++k) line.text[pos++] = digit;
    }
    line.upper = u;
    line.total = total;
    if (total > pg->largest) pg->largest = total;
    if (pg->split && total > KES_LP_MAXLEAVES) {
      kes_lp_blank(pg, 1, i);
      return 1;
    }
    if (v == vw.m) {
      pg->L = i;
      return 0;
    }
    if (i >= limit) {
      kes_lp_blank(pg, 1, i);
      return 2;
    }
    top += K / 10;
  }
}

}  // namespace

int lowfun(const kes_lppage* pg, int sign, double top, double first) {
  const double below = top - pg->K / 10;
  bool minus0 = false;
  const double u = line_bound(pg, sign, below, &minus0);
  return kesrow(pg, first * pg->scale, u);
}

int kesstem(kes_lppage* pg, const kes_valview* values) { return walk(pg, values, false); }

int keswbar(kes_lppage* pg, const kes_valview* values) {
  pg->split = 0;
  return walk(pg, values, true);
}
