#include "util/param_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_services.h"
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
