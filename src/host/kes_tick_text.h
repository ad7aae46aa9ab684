// The texts of tick values, midpoints and percents, for both renderers and the
// listing's labels: a text read as a decimal is the value it labels. A value that is a
// short decimal (the double nearest a decimal of at most kes_short_digits significant
// digits: every nice tick, listed midpoint and percent) is written as that decimal,
// and so is one whose shortest decimal ends no later than its step's last digit (a
// tick of 17 digits). Any other value is rounded to the step's last
// digit, finer where neighbours would read alike: a tick reached as start + k x step
// reads the decimal start + k x step, a fitted quantile as many digits as tell it
// from its neighbours. All texts of one list share one form, fixed or E notation.
#pragma once

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

// Every decimal of this many significant digits is its double's shortest text: a
// value whose shortest text is longer is taken as computed, not given.
inline constexpr int kes_short_digits = 15;

// A decimal: its significant digits (no trailing zeros, "" for zero), the power of ten
// of the first, and its sign.
struct kes_decimal {
  std::string digits;
  int exp = 0;
  bool negative = false;
  bool zero() const { return digits.empty(); }
  // The power of ten of the last digit.
  int last_place() const { return zero() ? INT_MAX : exp - static_cast<int>(digits.size()) + 1; }
};

namespace kes_tick_detail {

// The decimal of a scientific text "d.ddde[+-]x".
inline kes_decimal parse_scientific(const char* b, const char* e, bool negative) {
  kes_decimal d;
  d.negative = negative;
  const char* p = b;
  for (; p != e && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.digits.push_back(*p);
  if (p != e) d.exp = std::atoi(std::string(p + 1, e).c_str());
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.negative = false;
  return d;
}

}  // namespace kes_tick_detail

// The shortest decimal that reads back as v (finite).
inline kes_decimal kes_shortest_decimal(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
  if (v == 0) return {};
  return kes_tick_detail::parse_scientific(buf, r.ptr, v < 0);
}

// v rounded to the power of ten `place` (finite v; ties as the exact value lies).
inline kes_decimal kes_rounded_decimal(double v, int place) {
  if (v == 0) return {};
  const kes_decimal s = kes_shortest_decimal(v);
  // Digits after the first that the rounding keeps; past the last a double has
  // (767 after the first), the exact value.
  const int after = std::min(s.exp - place, 780);
  if (after < 0) {
    // The place lies above the first digit: v rounds to 0 or to one unit there.
    if (after < -1 || std::fabs(v) <= 5 * std::pow(10.0, place - 1)) return {};
    return {"1", place, v < 0};
  }
  char buf[800];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, after);
  return kes_tick_detail::parse_scientific(buf, r.ptr, v < 0);
}

// Whether a value's shortest decimal is short: of at most kes_short_digits digits, and
// of fewer than a subnormal holds (one near 1e-310 holds 13, its 14 digits are the
// doubles' own).
// The finest last digit a subnormal's short decimal has: the doubles there lie
// 4.94e-324 apart, so a digit at 1e-323 is as likely noise as given.
inline constexpr int kes_subnormal_place = -322;

inline bool kes_is_short(const kes_decimal& d) {
  if (static_cast<int>(d.digits.size()) > kes_short_digits) return false;
  return d.zero() || d.exp >= -307 || d.last_place() >= kes_subnormal_place;
}

// The place a value of no short decimal is rounded to for `digits` significant digits
// where its first digit is at `first`: never finer than a subnormal's short decimal,
// whose digits past it carry the rounding of the sum that made the value (a midpoint
// 3.665987e-318 stands for 3.666e-318).
inline int kes_digits_place(int first, int digits) { return std::max(first - digits + 1, kes_subnormal_place); }

// The form of a list's texts: fixed with `decimals` decimals, or E notation with
// `decimals` decimals after the first digit, either with more where a value's decimal
// needs them;
// values with no short decimal placed at `place` (kes_placed_decimal). A value's own
// form (`own`) shows each value's shortest decimal alone.
struct kes_tick_style {
  bool exponent = false;
  int decimals = 0;
  bool own = false;
  int place = 0;
  // The decimals of an axis's start and step, as integers times 10^grid_exp: tick k
  // reads start + k x step, computed here rather than rounded from the sum of doubles
  // (whose error passes half a unit where the step is a few hundred doubles wide).
  bool grid = false;
  bool grid_summed = false;  // ticks of a list, perhaps added up step by step
  double grid_from = 0, grid_by = 0;
  __int128 grid_start = 0, grid_step = 0;
  int grid_exp = 0;
};
inline kes_tick_style kes_own_tick_style() {
  kes_tick_style s;
  s.own = true;
  return s;
}

// The text of a decimal in a style; zero reads 0 in every style. trim: the short
// axis forms (.5 for 0.5, 1E5 for 1.0E5).
inline std::string kes_decimal_text(const kes_decimal& d, bool exponent, int decimals, bool trim = false) {
  std::string out;
  if (d.zero()) {
    out = "0";
  } else if (exponent) {
    const int shown = std::max(decimals, static_cast<int>(d.digits.size()) - 1);
    out = d.negative ? "-" : "";
    out.push_back(d.digits[0]);
    std::string rest = d.digits.substr(1);
    rest.resize(static_cast<std::size_t>(shown), '0');
    if (trim && rest.find_first_not_of('0') == std::string::npos) rest.clear();
    if (!rest.empty()) out += "." + rest;
    out += "E" + std::to_string(d.exp);
  } else {
    const int shown = std::max({decimals, -d.last_place(), 0});
    std::string whole, frac;
    const int n = static_cast<int>(d.digits.size());
    if (d.exp >= 0) {
      whole = d.digits.substr(0, static_cast<std::size_t>(std::min(n, d.exp + 1)));
      whole.resize(static_cast<std::size_t>(d.exp + 1), '0');
      if (n > d.exp + 1) frac = d.digits.substr(static_cast<std::size_t>(d.exp + 1));
    } else {
      whole = "0";
      frac = std::string(static_cast<std::size_t>(-d.exp - 1), '0') + d.digits;
    }
    frac.resize(static_cast<std::size_t>(shown), '0');
    if (trim && whole == "0" && !frac.empty()) whole.clear();
    out = (d.negative ? "-" : "") + whole + (frac.empty() ? "" : "." + frac);
  }
  return out;
}

// The decimal a value stands for where values with no short decimal are placed at
// the power of ten `place` (a step's last digit): its shortest decimal where that is
// short or ends at `place` or before (a tick of 17 digits); else the value rounded at
// `place` (a sum of steps: 0.30000000000000004 reads 0.3, the decimal the steps
// stand for).
inline kes_decimal kes_placed_decimal(double v, int place) {
  const kes_decimal d = kes_shortest_decimal(v);
  if (kes_is_short(d) || place == INT_MAX || d.last_place() >= place) return d;
  return kes_rounded_decimal(v, place);
}

namespace kes_tick_detail {

// m x 10^q as a decimal.
inline kes_decimal integer_decimal(__int128 m, int q) {
  kes_decimal d;
  if (m == 0) return d;
  d.negative = m < 0;
  for (unsigned __int128 a = d.negative ? -static_cast<unsigned __int128>(m) : m; a > 0; a /= 10)
    d.digits.insert(d.digits.begin(), static_cast<char>('0' + static_cast<int>(a % 10)));
  d.exp = q + static_cast<int>(d.digits.size()) - 1;
  while (d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// A decimal as m x 10^q with q at most `q`; false where m passes 10^36.
inline bool decimal_integer(const kes_decimal& d, int q, __int128* m) {
  *m = 0;
  if (d.zero()) return true;
  const int last = d.last_place();
  if (static_cast<int>(d.digits.size()) + (last - q) > 36) return false;
  for (char c : d.digits) *m = *m * 10 + (c - '0');
  for (int i = q; i < last; ++i) *m *= 10;
  if (d.negative) *m = -*m;
  return true;
}

// The double nearest a decimal.
inline double decimal_value(const kes_decimal& d) {
  if (d.zero()) return 0;
  const std::string t = d.digits + "e" + std::to_string(d.last_place());
  return (d.negative ? -1 : 1) * std::strtod(t.c_str(), nullptr);
}

// The unit of rounding of the doubles at x.
inline double ulp(double x) { return std::nextafter(std::fabs(x), INFINITY) - std::fabs(x); }

}  // namespace kes_tick_detail

// The decimal tick k of a grid stands for, where v is that tick as the sum of doubles
// start + k x step: the sum's rounding (of the start, of the step k times, of the
// product and of the sum, or of k additions) bounds how far v lies from it.
inline bool kes_grid_decimal(double v, const kes_tick_style& s, kes_decimal* out) {
  using kes_tick_detail::ulp;
  const double start = s.grid_from, step = s.grid_by;
  const double k = std::nearbyint((v - start) / step);
  if (!(std::fabs(k) < 1e15)) return false;
  const __int128 m = s.grid_start + static_cast<__int128>(k) * s.grid_step;
  *out = kes_tick_detail::integer_decimal(m, s.grid_exp);
  const double at = kes_tick_detail::decimal_value(*out);
  // A list may be a running sum (start + step + step ...): each addition rounds at the
  // largest of the sums.
  const double bound = s.grid_summed
                           ? (std::fabs(k) + 2) * (ulp(std::fmax(std::fabs(start), std::fabs(v))) + ulp(step)) + ulp(at)
                           : (ulp(start) + std::fabs(k) * ulp(step) + ulp(k * step) + ulp(v) + ulp(at)) / 2;
  if (!(bound < std::fabs(step) / 2 && std::fabs(at - v) <= bound)) return false;
  // The text reads the value to its last digit: the decimal must be the value rounded
  // at that digit. Where the doubles' spacing nears the grid's last digit (below the
  // normal doubles, or near 1e15 where it is 0.125) k steps' rounding may stray past
  // it, and a grid of another step would pass the bound: 971.625 + 56.75 k taken for
  // 972 + 57 k.
  const kes_decimal r = kes_rounded_decimal(v, s.grid_exp);
  return r.digits == out->digits && r.exp == out->exp && r.negative == out->negative;
}

// The decimal a value of a list in this style stands for.
inline kes_decimal kes_styled_decimal(double v, const kes_tick_style& s) {
  if (s.own) return kes_shortest_decimal(v);
  if (kes_decimal g; s.grid && kes_grid_decimal(v, s, &g)) return g;
  return kes_placed_decimal(v, s.place);
}

// The text of a value's decimal alone: fixed from 1e-4 up to 1e7, else the narrower
// form.
inline std::string kes_alone_text(const kes_decimal& d, bool trim = false) {
  const std::string fixed = kes_decimal_text(d, false, 0, trim);
  if (d.zero() || (d.exp >= -4 && d.exp < 7)) return fixed;
  const std::string e = kes_decimal_text(d, true, 0, trim);
  return e.size() < fixed.size() ? e : fixed;
}

// The text of one value of a list in the list's style.
inline std::string kes_tick_text_of(double v, const kes_tick_style& s, bool trim = false) {
  if (!std::isfinite(v)) return std::isnan(v) ? "." : v < 0 ? "-Inf" : "Inf";
  const kes_decimal d = kes_styled_decimal(v, s);
  if (!s.own) return kes_decimal_text(d, s.exponent, s.decimals, trim);
  return kes_alone_text(d, trim);
}

namespace kes_tick_detail {

// The place of the last digit of a step as a step: its own decimal's where short, else
// that of its first two significant digits (a step between ticks at an offset carries
// the offset's rounding: 0.12000000004768372 near 1e9 steps by 0.12).
inline int step_place(double step) {
  const kes_decimal d = kes_shortest_decimal(step);
  if (kes_is_short(d)) return d.last_place();
  return kes_rounded_decimal(step, d.exp - 1).last_place();
}

// The finite values of a list, and the least gap between neighbours where step is
// not a positive finite spacing.
inline std::vector<double> finite_values(const std::vector<double>& values, double* step) {
  std::vector<double> v;
  v.reserve(values.size());
  for (double x : values)
    if (std::isfinite(x)) v.push_back(x);
  if (!(*step > 0 && std::isfinite(*step))) {
    *step = 0;
    for (std::size_t i = 1; i < v.size(); ++i) {
      const double g = std::fabs(v[i] - v[i - 1]);
      if (g > 0 && std::isfinite(g) && (*step == 0 || g < *step)) *step = g;
    }
  }
  return v;
}

}  // namespace kes_tick_detail

// The place values of a list with no short decimal are rounded to (INT_MAX: no step
// and none has none): the step's last digit or the finest of the short decimals', or that of
// `digits` significant digits of the largest where finer, or finer still where two
// neighbours of different values would read alike. step: the list's spacing; 0 or NaN for values at uneven places, whose least
// gap stands for it; a lone value keeps six digits or `digits`.
inline int kes_long_place(const std::vector<double>& values, double step = 0, int digits = 0) {
  const std::vector<double> v = kes_tick_detail::finite_values(values, &step);
  int first = INT_MIN;  // the first digit of the largest value with no short decimal
  int short_last = INT_MAX;  // the finest last digit of the short decimals
  for (double x : v) {
    const kes_decimal d = kes_shortest_decimal(x);
    if (d.zero()) continue;
    if (kes_is_short(d)) short_last = std::min(short_last, d.last_place());
    else first = std::max(first, d.exp);
  }
  // Ticks from a start by a step stand on the grid of both: 2.5e-6 by 5e-6 needs 1e-7.
  // With no value of no short decimal here, others of the same ticks (every few of
  // which were given) take the step's place.
  if (first == INT_MIN) return step > 0 ? std::min(kes_tick_detail::step_place(step), short_last) : INT_MAX;
  int p = std::min(step > 0 ? kes_tick_detail::step_place(step) : kes_digits_place(first, 6), short_last);
  if (digits > 0) p = std::min(p, first - digits + 1);
  for (;; --p) {
    bool apart = true;
    for (std::size_t i = 1; i < v.size() && apart; ++i) {
      if (v[i] == v[i - 1]) continue;
      const kes_decimal a = kes_placed_decimal(v[i - 1], p), b = kes_placed_decimal(v[i], p);
      apart = a.digits != b.digits || a.exp != b.exp || a.negative != b.negative;
    }
    if (apart || p < -1100) return p;
  }
}

// Sets the grid of a style to start + k x step where the start and the step are
// decimals of at most 17 and kes_short_digits digits; false where they are not.
inline bool kes_set_grid(kes_tick_style* s, double start, double step) {
  const kes_decimal a = kes_shortest_decimal(start), d = kes_shortest_decimal(step);
  if (!std::isfinite(start) || step == 0 || !std::isfinite(step) || !kes_is_short(d)) return false;
  const int q = std::min(a.zero() ? INT_MAX : a.last_place(), d.last_place());
  if (!kes_tick_detail::decimal_integer(a, q, &s->grid_start) || !kes_tick_detail::decimal_integer(d, q, &s->grid_step))
    return false;
  s->grid = true, s->grid_from = start, s->grid_by = step, s->grid_exp = q;
  return true;
}

// Whether every value of a list is a tick of the style's grid.
inline bool kes_grid_holds(const std::vector<double>& values, const kes_tick_style& s) {
  kes_decimal g;
  for (double v : values)
    if (!std::isfinite(v) || !kes_grid_decimal(v, s, &g)) return false;
  return true;
}

// A list of ticks, as the module hands them on or as sums of steps: where all stand
// on the grid of one of them and the step the caller knows, or the mean gap in one, two
// or three significant digits (a gap of two doubles is itself a short decimal, but
// no step), each reads its decimal on that grid.
inline void kes_find_grid(const std::vector<double>& values, kes_tick_style* s, double step = 0) {
  // Two values make a grid of any two: it takes three to show one.
  if (values.size() < (step > 0 ? 2 : 3) || !std::isfinite(values.front()) || !std::isfinite(values.back())) return;
  const double mean = (values.back() - values.front()) / static_cast<double>(values.size() - 1);
  if (!(std::fabs(mean) > 0) || !std::isfinite(mean)) return;
  const kes_tick_style plain = *s;
  const int lead = kes_shortest_decimal(mean).exp;
  // The grid is anchored at the value of the shortest decimal: the first of a sum of
  // steps may carry the sum's error in its 17 digits.
  double anchor = values.front();
  std::size_t fewest = SIZE_MAX;
  for (double v : values) {
    const std::size_t n = kes_shortest_decimal(v).digits.size();
    if (std::isfinite(v) && n < fewest) fewest = n, anchor = v;
  }
  for (int digits = 0; digits <= 3; ++digits) {
    const double by = digits == 0 ? step : kes_tick_detail::decimal_value(kes_rounded_decimal(mean, lead - digits + 1));
    if (!(std::fabs(by) > 0)) continue;
    // The anchor's decimal at the step's last digit (a nice tick the doubles hold to
    // fewer digits than it has), or its own (a midpoint a digit past the step's).
    const double rounded = kes_tick_detail::decimal_value(kes_rounded_decimal(anchor, kes_shortest_decimal(by).last_place()));
    for (const double from : {rounded, anchor})
      for (const bool summed : {false, true}) {
        *s = plain;
        s->grid_summed = summed;
        if (kes_set_grid(s, from, by) && kes_grid_holds(values, *s)) return;
      }
  }
  *s = plain;
}

namespace kes_tick_detail {

// The form of a style for its values: the decimals of the finest last digit of the
// values' decimals, in E notation where the values reach 1e7 or stay below 1e-4 and
// E texts are narrower.
inline void set_form(const std::vector<double>& v, kes_tick_style* s) {
  int finest = INT_MAX;
  double big = 0;
  std::vector<kes_decimal> d;
  d.reserve(v.size());
  for (double x : v) {
    if (!std::isfinite(x)) continue;
    big = std::max(big, std::fabs(x));
    d.push_back(kes_styled_decimal(x, *s));
    finest = std::min(finest, d.back().last_place());
  }
  if (finest == INT_MAX) finest = 0;
  const int f_decimals = std::max(0, -finest);
  std::size_t fixed_w = 0, e_w = 0;
  for (const kes_decimal& x : d) {
    fixed_w = std::max(fixed_w, kes_decimal_text(x, false, f_decimals).size());
    e_w = std::max(e_w, kes_decimal_text(x, true, 0).size());
  }
  const bool out_of_plain = big >= 1e7 || (big > 0 && big < 1e-4);
  s->exponent = (out_of_plain && e_w < fixed_w) || f_decimals >= 60;
  s->decimals = s->exponent ? 0 : f_decimals;
}

}  // namespace kes_tick_detail

// The style of a list of values (ticks in order; step: their spacing, as for
// kes_long_place): its decimals show the finest last digit of the values' decimals;
// its form is E notation, each value with the digits of its decimal, where the values
// reach 1e7 or stay below 1e-4 and E texts are narrower, else fixed.
inline kes_tick_style kes_tick_style_of(const std::vector<double>& values, double step = 0) {
  kes_tick_style s;
  const double given = step > 0 && std::isfinite(step) ? step : 0;
  const std::vector<double> v = kes_tick_detail::finite_values(values, &step);
  s.place = kes_long_place(v, step);
  kes_find_grid(v, &s, given);
  kes_tick_detail::set_form(v, &s);
  return s;
}

// The style of the ticks start + k x step of an axis (values: those ticks as sums of
// doubles, or every few of them): each reads the decimal start + k x step where the
// start and the step are decimals of at most 17 and kes_short_digits digits.
inline kes_tick_style kes_grid_tick_style(const std::vector<double>& values, double start, double step) {
  const kes_tick_style s = kes_tick_style_of(values, step);
  // The step itself, or, where it carries the rounding of the range it divides
  // (0.09999999999999987), its decimal in one, two or three significant digits.
  const int lead = kes_shortest_decimal(step).exp;
  for (int digits = 0; digits <= 3; ++digits)
    for (const bool summed : {false, true}) {
      kes_tick_style g = s;
      g.grid_summed = summed;
      const double by = digits == 0 ? step : kes_tick_detail::decimal_value(kes_rounded_decimal(step, lead - digits + 1));
      if (!kes_set_grid(&g, start, by) || !kes_grid_holds(values, g)) continue;
      kes_tick_detail::set_form(values, &g);
      return g;
    }
  return s;
}

// The texts of a list of values in its style.
inline std::vector<std::string> kes_tick_texts(const std::vector<double>& values, double step = 0, bool trim = false) {
  const kes_tick_style s = kes_tick_style_of(values, step);
  std::vector<std::string> out;
  out.reserve(values.size());
  for (double v : values) out.push_back(kes_tick_text_of(v, s, trim));
  return out;
}

// The text of one value alone (a percent): its shortest decimal.
inline std::string kes_value_text(double v) { return kes_tick_text_of(v, kes_own_tick_style()); }

// The texts of a list of values each alone (percents and the lists handed to the
// template): ticks on a grid as its decimals (kes_find_grid), short decimals as they
// are, others with `digits` significant digits, or with the digits of the gap to the
// nearer neighbour where that is finer, or finer still where they would read alike.
inline std::vector<std::string> kes_value_texts(const std::vector<double>& values, int digits) {
  kes_tick_style grid;
  kes_find_grid(values, &grid);
  const std::size_t n = values.size();
  std::vector<kes_decimal> d(n);
  std::vector<int> place(n, INT_MAX);
  for (std::size_t i = 0; i < n; ++i) {
    const double v = values[i];
    if (!std::isfinite(v)) continue;
    if (grid.grid && kes_grid_decimal(v, grid, &d[i])) continue;
    d[i] = kes_shortest_decimal(v);
    if (kes_is_short(d[i])) continue;
    double gap = INFINITY;
    if (i > 0 && values[i - 1] != v) gap = std::fabs(v - values[i - 1]);
    if (i + 1 < n && values[i + 1] != v) gap = std::fmin(gap, std::fabs(values[i + 1] - v));
    place[i] = kes_digits_place(d[i].exp, std::max(digits, 1));
    if (std::isfinite(gap) && gap > 0) place[i] = std::min(place[i], kes_tick_detail::step_place(gap));
    d[i] = kes_rounded_decimal(v, place[i]);
  }
  // Neighbours of different values that read alike take a digit more, until they part
  // (at the latest at their shortest decimals).
  for (bool again = true; again;) {
    again = false;
    for (std::size_t i = 1; i < n; ++i) {
      if (values[i] == values[i - 1] || !std::isfinite(values[i]) || !std::isfinite(values[i - 1])) continue;
      if (d[i].digits != d[i - 1].digits || d[i].exp != d[i - 1].exp || d[i].negative != d[i - 1].negative) continue;
      for (std::size_t j : {i - 1, i})
        if (place[j] != INT_MAX) d[j] = kes_rounded_decimal(values[j], --place[j]);
      again = place[i] != INT_MAX || place[i - 1] != INT_MAX;
    }
  }
  std::vector<std::string> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    out.push_back(std::isfinite(values[i]) ? kes_alone_text(d[i]) : kes_tick_text_of(values[i], {}));
  return out;
}

// The number a text reads as (a leading '.' as in ".5" too); NaN for a text that
// reads as no number.
inline double kes_tick_read_back(const std::string& t) {
  char* end = nullptr;
  const double r = std::strtod(t.c_str(), &end);
  return end != t.c_str() && end == t.c_str() + t.size() ? r : NAN;
}
