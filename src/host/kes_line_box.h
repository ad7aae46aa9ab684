// The part of a straight line y = a + b x that lies in a box, the one way both
// renderers find where a reference line is drawn. It is found at half scale (exact in
// binary), from where the line meets the box's bottom and top, so that a line through
// data near the largest double has its ends in the box though a + b x passes the
// doubles at an end of the box's horizontal range.
#pragma once

#include <algorithm>
#include <cmath>

// The segment of y = a + b x within [xlo, xhi] x [ylo, yhi] as x1, y1, x2, y2 in seen;
// false when no part of the line lies in the box, or when the line or the box is not
// made of finite numbers.
inline bool kes_line_in_box(double a, double b, double xlo, double xhi, double ylo, double yhi,
                            double* seen) noexcept {
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(xlo) || !std::isfinite(xhi) || !std::isfinite(ylo) ||
      !std::isfinite(yhi) || !(xlo <= xhi) || !(ylo <= yhi))
    return false;
  const double ha = a / 2, hb = b / 2, bottom = ylo / 2, top = yhi / 2;
  double x1 = xlo, x2 = xhi;
  if (hb != 0) {
    // Where the line meets the bottom and the top: no difference here passes the doubles.
    const double at_bottom = (bottom - ha) / hb, at_top = (top - ha) / hb;
    x1 = std::max(x1, std::min(at_bottom, at_top));
    x2 = std::min(x2, std::max(at_bottom, at_top));
    if (!(x1 <= x2)) return false;
  } else if (ha < bottom || ha > top) {
    return false;
  }
  // Within [x1, x2] the line stays in the box: held there against rounding.
  const auto y_at = [&](double x) { return 2 * std::clamp(ha + hb * x, bottom, top); };
  seen[0] = x1;
  seen[1] = y_at(x1);
  seen[2] = x2;
  seen[3] = y_at(x2);
  return true;
}
