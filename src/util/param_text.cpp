#include "util/param_text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <cstdlib>
#include <cstring>

#include "host/host_services.h"
#include "host/kes_tick_text.h"
#include "util/kes_text.h"

namespace {

// v's best text in a field `width` wide, NUL-terminated into out; its length.
int best_in(double v, int width, char* out) {
  constexpr int kBestDecimals = 99;
  char field[KES_PARAM_TEXT];
  std::memset(field, ' ', sizeof field);
  xpfs(v, -width, kBestDecimals, field);
  const int n = wzstrip(field, width);
  std::memcpy(out, field, static_cast<std::size_t>(n));
  out[n] = '\0';
  return n;
}

// Significant digits of a number's text, up to its exponent; trailing zeros count.
int digits_of(const char* s) {
  int n = 0;
  bool started = false;
  for (; *s != '\0' && *s != 'E' && *s != 'e'; ++s) {
    if (*s < '0' || *s > '9') continue;
    started = started || *s != '0';
    if (started) ++n;
  }
  return n;
}

// v in E notation with m significant digits, every one kept: "1.0000E9", "-2.5E-300".
int e_digits(double v, int m, char* out, std::size_t size) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*e", m - 1, v);
  char* e = std::strchr(buf, 'e');
  *e = '\0';
  return std::snprintf(out, size, "%sE%d", buf, std::atoi(e + 1));
}

// v rounded to the most significant digits a field `width` wide holds, its trailing
// zeros and decimal point kept so that it reads as rounded ("0.333333", "1.0000E9"),
// never as a round number it is not (1E9, 1000000000). At least two digits are shown,
// even where a sign and a three-digit exponent pass the field ("-1.0E-300").
int rounded_in(double v, int width, char* out) {
  constexpr std::size_t kSize = KES_PARAM_TEXT + 1;
  char fixed[64] = "";
  for (int d = width - 2; d >= 1 && fixed[0] == '\0'; --d) {
    char s[400];
    if (std::snprintf(s, sizeof s, "%.*f", d, v) <= width) std::memcpy(fixed, s, std::strlen(s) + 1);
  }
  char e[kSize] = "";
  for (int m = 17; m >= 2; --m)
    if (e_digits(v, m, e, kSize) <= width || m == 2) break;
  // Of the two, the one that shows more digits; fixed form where they show as many.
  const char* best = digits_of(fixed) >= digits_of(e) && digits_of(fixed) > 0 ? fixed : e;
  std::memcpy(out, best, std::strlen(best) + 1);
  return static_cast<int>(std::strlen(out));
}

}  // namespace

int kes_param_text(double v, char out[KES_PARAM_TEXT + 1]) {
  // In the widest field the best text is the shortest that reads back as v.
  const int n = best_in(v, KES_PARAM_TEXT, out);
  if (n <= KES_PARAM_FIELD || digits_of(out) <= KES_PARAM_EXACT_DIGITS) return n;
  return rounded_in(v, KES_PARAM_FIELD, out);
}

double kes_param_value(double v) {
  char text[KES_PARAM_TEXT + 1];
  if (kes_param_text(v, text) == 0) return v;
  char* end = nullptr;
  const double shown = std::strtod(text, &end);
  return end != text && *end == '\0' ? shown : v;
}

int kes_scale_place(double scale) {
  if (!(scale > 0) || !std::isfinite(scale)) return INT_MIN;
  // The rounding may carry into a new first digit (9.9999999 reads 10.00000).
  const int place = kes_shortest_decimal(scale).exp - KES_PARAM_DIGITS + 1;
  const kes_decimal r = kes_rounded_decimal(scale, place);
  return r.zero() ? place : r.exp - KES_PARAM_DIGITS + 1;
}

int kes_placed_text(double v, int place, char out[KES_PARAM_TEXT + 1]) {
  std::string t;
  if (!std::isfinite(v)) {
    t = std::isnan(v) ? "." : v < 0 ? "-Inf" : "Inf";
  } else {
    kes_decimal d = kes_shortest_decimal(v);
    const bool location = place != INT_MIN && place != INT_MAX;
    if (place == INT_MIN) place = kes_scale_place(std::fabs(v));
    // No digit finer than the doubles at v hold (at 1.7e9 the seventh decimal is the
    // sum's rounding, not the value's).
    if (place != INT_MIN && place != INT_MAX) {
      const double ulp = std::nextafter(std::fabs(v), INFINITY) - std::fabs(v);
      place = std::max(place, static_cast<int>(std::ceil(std::log10(ulp))));
    }
    const bool rounded = place != INT_MIN && place != INT_MAX && !d.zero() && d.last_place() < place;
    if (rounded) d = kes_rounded_decimal(v, place);
    t = kes_alone_text(d);
    // A location reads in fixed form, as its value moved reads (1000000000000002, not
    // 1.000000000E15); a rounded scale in E form keeps its zeros down to the place, so
    // that it reads as rounded there (3.000000E9, not 3E9), fixed where that is not wider.
    if (location && !d.zero() && d.exp >= 7) {
      t = kes_decimal_text(d, false, 0);
    } else if (!location && rounded && !d.zero() && (place > 0 || !(d.exp >= -4 && d.exp < 7))) {
      // Rounded above the units, a fixed text would show zeros that are not digits
      // (58996610 for 58996612.34): E form.
      const std::string fixed = kes_decimal_text(d, false, 0), e = kes_decimal_text(d, true, std::max(0, d.exp - place));
      t = place <= 0 && fixed.size() <= e.size() ? fixed : e;
    }
    // A fixed text longer than the field (a tiny value of a wide place) in E form.
    if (t.size() > static_cast<std::size_t>(KES_PARAM_TEXT)) t = kes_decimal_text(d, true, 0);
  }
  const std::size_t n = std::min(t.size(), static_cast<std::size_t>(KES_PARAM_TEXT));
  std::memcpy(out, t.data(), n);
  out[n] = '\0';
  return static_cast<int>(n);
}

void kes_law_param_texts(int dist, const double params[4], char out[4][KES_PARAM_TEXT + 1]) {
  // ORDER kes_distcode: the parameter whose scale places each location parameter's
  // last digit (-1: a scale or shape, of its own digits). The lognormal's zeta, the
  // logarithm of its scale, reads as many decimals as a logarithm of 1 would: the
  // scale's digits, moved by log k in unit k; its threshold to exp(zeta)'s.
  constexpr int kOwn = -1, kExpZeta = -2, kLog = -3;
  static constexpr int kRef[][4] = {
      {1, kOwn, kOwn, kOwn},     // normal: mu by sigma
      {kExpZeta, kLog, kOwn, kOwn}, // lognormal: theta, zeta, sigma
      {1, kOwn, kOwn, kOwn},     // exponential
      {1, kOwn, kOwn, kOwn},     // Weibull
      {1, kOwn, kOwn, kOwn},     // gamma
      {1, kOwn, kOwn, kOwn},     // beta
      {1, kOwn, kOwn, kOwn},     // Johnson SB
      {1, kOwn, kOwn, kOwn},     // Johnson SU
      {1, kOwn, kOwn, kOwn},     // two-parameter Weibull
  };
  constexpr int kLaws = static_cast<int>(sizeof kRef / sizeof kRef[0]);
  for (int i = 0; i < 4; ++i) {
    const double v = params[i];
    const int ref = dist >= 0 && dist < kLaws ? kRef[dist][i] : kOwn;
    int place = INT_MIN;
    if (ref == kExpZeta) place = kes_scale_place(std::exp(params[1]));
    else if (ref == kLog) place = kes_scale_place(1.0);
    else if (ref >= 0) place = kes_scale_place(std::fabs(params[ref]));
    kes_placed_text(v, place, out[i]);
  }
}
