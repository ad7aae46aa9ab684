// Lines broken behind the texts that stand over the data.
#include "devgraph/text_gaps.h"

#include <algorithm>
#include <utility>

namespace {

// The stretch [*lo, *hi] of the way along the segment that lies inside the gap
// (clipping against each of its four sides in turn); false when none does.
bool inside(double x1, double y1, double dx, double dy, const kes_text_gap& g, double* lo, double* hi) {
  *lo = 0, *hi = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - g.x0, g.x1 - x1, y1 - g.y0, g.y1 - y1};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0) {
      if (q[k] < 0) return false;  // parallel to this side and outside it
      continue;
    }
    const double r = q[k] / p[k];
    if (p[k] < 0) *lo = std::max(*lo, r);
    else *hi = std::min(*hi, r);
  }
  return *lo < *hi;
}

}  // namespace

kes_text_gap kes_gap_of(kes_ctx* ctx, const kes_gtext& t, double len) {
  const double m = 0.5 * gd_blank(ctx, t);
  const double left = t.align == 2 ? t.x - len : t.align == 4 ? t.x - len / 2 : t.x;
  // The margin above and below is a quarter of the text's height: descent and air.
  return {left - m, t.y - 0.25 * t.height, left + len + m, t.y + 1.25 * t.height};
}

std::vector<std::pair<double, double>> kes_pieces_outside(double x1, double y1, double x2, double y2,
                                                          const std::vector<kes_text_gap>& gaps) {
  std::vector<std::pair<double, double>> cut;
  for (const kes_text_gap& g : gaps) {
    double lo, hi;
    if (inside(x1, y1, x2 - x1, y2 - y1, g, &lo, &hi)) cut.emplace_back(lo, hi);
  }
  std::sort(cut.begin(), cut.end());
  std::vector<std::pair<double, double>> pieces;
  double from = 0;
  for (const auto& [lo, hi] : cut) {
    if (lo > from) pieces.emplace_back(from, lo);
    from = std::max(from, hi);
  }
  if (from < 1) pieces.emplace_back(from, 1.0);
  return pieces;
}

std::vector<kes_text_gap> kes_gaps_but(const std::vector<kes_text_gap>& gaps, int own) {
  std::vector<kes_text_gap> rest;
  rest.reserve(gaps.size());
  for (std::size_t i = 0; i < gaps.size(); ++i)
    if (static_cast<int>(i) != own) rest.push_back(gaps[i]);
  return rest;
}

void kes_line_around(kes_ctx* ctx, double x1, double y1, double x2, double y2, int style, int colour,
                     const std::vector<kes_text_gap>& gaps) {
  if (gaps.empty()) {
    gd_line(ctx, x1, y1, x2, y2, style, colour);
    return;
  }
  const double dx = x2 - x1, dy = y2 - y1;
  for (const auto& [a, b] : kes_pieces_outside(x1, y1, x2, y2, gaps))
    gd_line(ctx, x1 + a * dx, y1 + a * dy, x1 + b * dx, y1 + b * dy, style, colour);
}
