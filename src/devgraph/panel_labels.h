// The boxed texts that name the panels of a comparative device page: the bands with
// the CLASS variables' names down the left side and across the top, a box beside each
// row with its level and a box over each cell with its level.
#pragma once

struct kes_ctx;
struct kes_textdesc;

// The CLASS-variable bands of the page.
void kesgclb(kes_ctx* ctx);
// The side box of the current row (the panel's place as the driver left it).
void kesgslb(kes_ctx* ctx, const kes_textdesc& level);
// The top box of the current cell.
void kesgtlb(kes_ctx* ctx, const kes_textdesc& level);

// The two bands: the side band carries the first CLASS variable's name, the top band
// the second's (one CLASS variable: its name, on the side when its panels stand in
// rows, else on top).
bool kes_side_band(const kes_ctx* ctx);
bool kes_top_band(const kes_ctx* ctx);
// One CLASS variable in rows labels its cells at the side, else on top.
bool kes_levels_at_side(const kes_ctx* ctx);

// A text's height shrunk so that its extent fits fraction x span: first in proportion,
// then by 0.95 while it still exceeds, a bounded number of times. measure gives the
// extent at a height.
template <class Measure>
double kes_fit_height(double height, double span, double fraction, Measure measure) {
  constexpr int kMaxSteps = 64;  // 0.95^64 is under 4 %: smaller would not be read anyway
  double extent = measure(height);
  if (!(extent > fraction * span) || !(extent > 0)) return height;
  height *= fraction * span / extent;
  for (int i = 0; i < kMaxSteps && measure(height) > fraction * span; ++i) height *= 0.95;
  return height;
}
