#include "util/param_text.h"

#include <cstdlib>
#include <cstring>

#include "host/host_services.h"
#include "util/kes_text.h"

int kes_param_text(double v, char out[KES_PARAM_TEXT + 1]) {
  constexpr int kBestDecimals = 99;
  char field[KES_PARAM_TEXT];
  std::memset(field, ' ', sizeof field);
  xpfs(v, -KES_PARAM_TEXT, kBestDecimals, field);
  const int n = wzstrip(field, KES_PARAM_TEXT);
  std::memcpy(out, field, static_cast<std::size_t>(n));
  out[n] = '\0';
  return n;
}

double kes_param_value(double v) {
  char text[KES_PARAM_TEXT + 1];
  if (kes_param_text(v, text) == 0) return v;
  char* end = nullptr;
  const double shown = std::strtod(text, &end);
  return end != text && *end == '\0' ? shown : v;
}
