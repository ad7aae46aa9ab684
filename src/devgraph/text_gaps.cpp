// Lines broken behind the texts that stand over the data.
#include "devgraph/text_gaps.h"


kes_text_gap kes_gap_of(kes_ctx* ctx, const kes_gtext& t, double len) {
  const double m = 0.5 * gd_blank(ctx, t);
  const double left = t.align == 2 ? t.x - len : t.align == 4 ? t.x - len / 2 : t.x;
  // The margin above and below is a quarter of the text's height: descent and air.
  return {left - m, t.y - 0.25 * t.height, left + len + m, t.y + 1.25 * t.height};
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
