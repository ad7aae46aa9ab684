// The points first + k x step of a grid whose first point and step are decimals (nice
// widths u x 10^e, listed midpoints, a by c): each is the double nearest its decimal,
// not a sum of doubles (3.3 + 0.3/2 + 0.3 adds up to 3.7500000000000004, not 3.75).
// The decimals are read back from the doubles of the first point and the step, which
// hold them where they are short decimals (kes_is_short); a first point of more
// digits (1e15 + 0.25) is taken as a whole number of half steps where that reads back.
#pragma once

#include <cfloat>
#include <climits>
#include <cmath>
#include <string>

#include "host/kes_tick_text.h"

// The double nearest m x 10^q: a product or quotient of two exact doubles rounds once
// where both are exact (|m| < 2^53, 10^|q| for |q| <= 22), else the decimal's text is
// read (strtod rounds correctly).
inline double kes_decimal_double(__int128 m, int q) {
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr __int128 kExact = static_cast<__int128>(1) << 53;
  if (m > -kExact && m < kExact && q >= -22 && q <= 22) {
    const double n = static_cast<double>(static_cast<long long>(m));
    return q >= 0 ? n * kPow10[q] : n / kPow10[-q];
  }
  return kes_tick_detail::decimal_value(kes_tick_detail::integer_decimal(m, q));
}

// The double nearest the decimal of b less that of a, where both are short decimals;
// else b - a (the width of a listed pair of points: 0.3 - 0.2 is 0.1, not
// 0.09999999999999998).
inline double kes_decimal_difference(double a, double b) {
  if (!std::isfinite(a) || !std::isfinite(b)) return b - a;
  const kes_decimal da = kes_shortest_decimal(a), db = kes_shortest_decimal(b);
  if (!kes_is_short(da) || !kes_is_short(db)) return b - a;
  const int q = std::min(da.last_place(), db.last_place());
  __int128 ma = 0, mb = 0;
  if (!kes_tick_detail::decimal_integer(da, q, &ma) || !kes_tick_detail::decimal_integer(db, q, &mb)) return b - a;
  return kes_decimal_double(mb - ma, q);
}

struct kes_decimal_grid {
  double first = 0, step = 0;
  bool exact = false;  // the decimals below hold: first = m0 x 10^q, step = dm x 10^q
  __int128 m0 = 0, dm = 0;
  int q = 0;

  static kes_decimal_grid of(double first, double step) {
    kes_decimal_grid g;
    g.first = first, g.step = step;
    // Below the normal doubles a decimal's double is a few units of the least one: such
    // a grid keeps its sums of doubles, which are exact there.
    if (!std::isfinite(first) || !std::isfinite(step) || !(std::fabs(step) >= DBL_MIN)) return g;
    const kes_decimal ds = kes_shortest_decimal(step);
    if (!kes_is_short(ds)) return g;
    kes_decimal da = kes_shortest_decimal(first);
    if (!kes_is_short(da)) {
      // A whole number of half steps: j x (step / 2) at a digit past the step's last.
      const double j = std::nearbyint(first / (step / 2));
      __int128 half = 0;
      if (!(std::fabs(j) < 0x1p60) || !kes_tick_detail::decimal_integer(ds, ds.last_place() - 1, &half)) return g;
      half /= 2;
      const __int128 m = static_cast<__int128>(static_cast<long long>(j)) * half;
      if (kes_decimal_double(m, ds.last_place() - 1) != first) return g;
      da = kes_tick_detail::integer_decimal(m, ds.last_place() - 1);
    }
    g.q = std::min(da.zero() ? INT_MAX : da.last_place(), ds.last_place());
    if (!kes_tick_detail::decimal_integer(da, g.q, &g.m0) || !kes_tick_detail::decimal_integer(ds, g.q, &g.dm))
      return g;
    // A digit more, so that half steps (the edges of midpoint bins) are whole too.
    const __int128 limit = static_cast<__int128>(1) << 116;
    if ((g.m0 < 0 ? -g.m0 : g.m0) >= limit || (g.dm < 0 ? -g.dm : g.dm) >= limit) return g;
    g.m0 *= 10, g.dm *= 10, --g.q;
    g.exact = true;
    return g;
  }

  // Point k, a whole number or a half (the edges of midpoint bins); another k, or a
  // point past the integers here, is the sum of doubles.
  double point(double k) const {
    if (exact && 2 * k == std::nearbyint(2 * k) && std::fabs(k) < 0x1p52) {
      const __int128 kk = static_cast<long long>(2 * k), half = dm / 2;
      const __int128 limit = static_cast<__int128>(1) << 120;
      if (kk == 0 || (half < 0 ? -half : half) < limit / (kk < 0 ? -kk : kk)) {
        const __int128 m = m0 + kk * half;
        if ((m < 0 ? -m : m) < limit) return kes_decimal_double(m, q);
      }
    }
    // Where the widths between pass the largest double (bins from -1.75e308 by
    // 2.5e307) the halves are added: the point itself is a double.
    const double x = first + k * step;
    return std::isfinite(x) ? x : 2 * (first / 2 + k * (step / 2));
  }
};

// Point k of the grid from `first` by `step`.
inline double kes_grid_point(double first, double k, double step) {
  return kes_decimal_grid::of(first, step).point(k);
}

// The double nearest c x 10^k where c is a short decimal (2.5 x 10^-7, not 2.5 x 1e-7
// rounded twice); `otherwise` where it is not, or where that lies below the normal
// doubles.
inline double kes_decade_multiple(double c, int k, double otherwise) {
  const kes_decimal d = kes_shortest_decimal(c);
  __int128 m = 0;
  if (!std::isfinite(c) || c == 0 || !kes_is_short(d) || !kes_tick_detail::decimal_integer(d, d.last_place(), &m))
    return otherwise;
  const double v = kes_decimal_double(m, d.last_place() + k);
  return std::fabs(v) >= DBL_MIN ? v : otherwise;
}

// The double nearest a nice width u x 10^e given near it (u of at most three
// significant digits): the width a computation of it stands for.
inline double kes_nice_double(double w) {
  if (!std::isfinite(w) || w == 0) return w;
  const kes_decimal d = kes_shortest_decimal(w);
  return kes_tick_detail::decimal_value(kes_rounded_decimal(w, d.exp - 2));
}
