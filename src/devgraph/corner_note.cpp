// A cell's note in the corner of its plot area clear of its points (corner_note.h).
#include "devgraph/corner_note.h"

#include <algorithm>
#include <cmath>

#include "devgraph/chart_access.h"
#include "devgraph/chart_layout.h"
#include "devgraph/chart_texts.h"
#include "devgraph/gdev.h"

namespace {

// The text record of a note: the reference labels' font and height, on the wall.
kes_gtext note_text(const kes_chart* c, const std::string& text) {
  kes_gtext t = kes_ref_label(c, c->colors.on_wall, text.c_str());
  t.len = static_cast<int>(text.size());
  return t;
}

}  // namespace

kes_corner_note::kes_corner_note(kes_ctx* ctx, const std::string& widest) : ctx_(ctx) {
  const kes_chart* c = &ctx->curreq->layout->c;
  kes_gtext t = note_text(c, widest);
  const double len = gd_measure(ctx, &t, nullptr);
  height_ = t.height;
  // Half a text height from the frame; a note too long for the area shrinks to it.
  const double room = c->width - height_;
  if (len > room && len > 0 && room > 0) height_ *= room / len;
  const double edge = height_ / 2, w = len > room ? room : len;
  // A marker reaches about half a text height past its centre.
  const double reach = height_ / 2;
  const double left = c->ox + edge, right = c->ox + c->width - edge;
  const double low = c->oy + edge, high = c->oy + c->height - edge - 1.25 * height_;
  const double xs[kCorners] = {right - w, left, right - w, left};
  const double ys[kCorners] = {low, high, high, low};
  for (int k = 0; k < kCorners; ++k) {
    x0_[k] = xs[k] - reach, x1_[k] = xs[k] + w + reach;
    y0_[k] = ys[k] - reach, y1_[k] = ys[k] + 1.25 * height_ + reach;
  }
}

void kes_corner_note::see(const double* xy, int n) {
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < kCorners; ++k)
      if (xy[2 * i] >= x0_[k] && xy[2 * i] <= x1_[k] && xy[2 * i + 1] >= y0_[k] && xy[2 * i + 1] <= y1_[k]) ++held_[k];
}

void kes_corner_note::see_line(const double* ends) {
  // Points along it closer than the least reach of a corner, so that none steps over one.
  const double dx = ends[2] - ends[0], dy = ends[3] - ends[1];
  const double step = height_ > 0 ? height_ / 2 : 1;
  const long n = std::clamp(static_cast<long>(std::hypot(dx, dy) / step), 1L, 10000L);
  for (long i = 0; i <= n; ++i) {
    const double at[2] = {ends[0] + dx * static_cast<double>(i) / static_cast<double>(n),
                          ends[1] + dy * static_cast<double>(i) / static_cast<double>(n)};
    see(at, 1);
  }
}

void kes_corner_note::draw(const std::string& text) const {
  int best = 0;
  for (int k = 1; k < kCorners; ++k)
    if (held_[k] < held_[best]) best = k;
  const kes_chart* c = &ctx_->curreq->layout->c;
  kes_gtext t = note_text(c, text);
  t.height = height_;
  const double reach = height_ / 2;
  const bool right = best == 0 || best == 2;
  t.align = right ? 2 : 1;
  t.x = right ? x1_[best] - reach : x0_[best] + reach;
  // The baseline a quarter of the text's height over its foot.
  t.y = y0_[best] + reach + 0.25 * height_;
  gd_text(ctx_, t);
}
