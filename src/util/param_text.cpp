#include "util/param_text.h"

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

// Significant digits of a number's text, up to its exponent.
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

}  // namespace

int kes_param_text(double v, char out[KES_PARAM_TEXT + 1]) {
  // In the widest field the best text is the shortest that reads back as v.
  const int n = best_in(v, KES_PARAM_TEXT, out);
  if (n <= KES_PARAM_FIELD || digits_of(out) <= KES_PARAM_EXACT_DIGITS) return n;
  return best_in(v, KES_PARAM_FIELD, out);
}

double kes_param_value(double v) {
  char text[KES_PARAM_TEXT + 1];
  if (kes_param_text(v, text) == 0) return v;
  char* end = nullptr;
  const double shown = std::strtod(text, &end);
  return end != text && *end == '\0' ? shown : v;
}
