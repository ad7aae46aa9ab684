// Nice scales and their tick texts, and the frame that maps a cell's data ranges to
// its plot area on the page.
#pragma once
#include <string>
#include <vector>

#include "host/kes_checked.h"

namespace plat::graph {

struct scale {
  double lo = 0, hi = 1;
  std::vector<double> ticks;
};
// A nice scale over [lo, hi] with about `target` intervals of 1, 2 or 5 times a power
// of ten; lo and hi are widened to the ticks. Values that are not finite give a unit scale.
scale nice_scale(double lo, double hi, int target = 5);
// The data range [lo, hi] widened by 4 % on each side, so that the first and last
// values are drawn inside the frame, with the nice ticks that fall inside it.
scale padded_scale(double lo, double hi, int target = 5);
// The numbers of a blank-separated list (tick lists of dynamics); bad words skipped.
std::vector<double> parse_numbers(const std::string& text);
// Tick texts, as the module's axes write them (kes_tick_texts): each reads its tick
// exactly, in one form for the axis; a tick within a billionth of the least step of
// zero reads 0.
std::vector<std::string> tick_texts(const std::vector<double>& ticks);
// Whether a tick at v lies on [lo, hi], within rounding.
bool on_scale(double v, double lo, double hi);

struct frame {
  double x = 0, y = 0, w = 0, h = 0;       // plot area in px
  double xlo = 0, xhi = 1, ylo = 0, yhi = 1;  // data range
  double px(double v) const { return x + kes_axis_fraction(v, xlo, xhi) * w; }
  double py(double v) const { return y + h - kes_axis_fraction(v, ylo, yhi) * h; }
};

}  // namespace plat::graph
