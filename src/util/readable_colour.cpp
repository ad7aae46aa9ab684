// Default texts over the program's fills (readable_colour.h).
#include "util/readable_colour.h"

#include <algorithm>
#include <cmath>

#include "host/host_services.h"

namespace {

// Below this ratio a text does not read at a glance on its fill.
constexpr double kReadable = 3;

double contrast_ratio(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

}  // namespace

double kes_colour_luminance(int colour) {
  int rgb = 0;
  if (colour < 0 || ggcrgb(0, colour, &rgb) != 0) return -1;
  const auto linear = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear((rgb >> 16) & 255) + 0.7152 * linear((rgb >> 8) & 255) + 0.0722 * linear(rgb & 255);
}

int kes_readable_colour(int text, int fill) {
  if (fill < 0) return text;
  const double under = kes_colour_luminance(fill), over = kes_colour_luminance(text);
  if (under < 0 || over < 0 || contrast_ratio(under, over) >= kReadable) return text;
  return ggcnum(0, contrast_ratio(under, 0) >= contrast_ratio(under, 1) ? "BLACK   " : "WHITE   ");
}
