// A cell's note in the corner of its plot area clear of its points (corner_note.h).
#include "devgraph/corner_note.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

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

// The text on two lines: split at the blank nearest its middle.
std::pair<std::string, std::string> halves(const std::string& text) {
  std::size_t best = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == ' ' && (best == std::string::npos || std::abs(static_cast<long>(2 * i) - static_cast<long>(text.size())) <
                                                            std::abs(static_cast<long>(2 * best) - static_cast<long>(text.size()))))
      best = i;
  if (best == std::string::npos) return {text, std::string()};
  return {text.substr(0, best), text.substr(best + 1)};
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
  const auto [first, second] = halves(widest);
  kes_gtext t1 = note_text(c, first), t2 = note_text(c, second);
  t1.height = t2.height = height_;
  const double widths[kForms] = {len > room ? room : len,
                                 std::max(gd_measure(ctx, &t1, nullptr), gd_measure(ctx, &t2, nullptr))};
  const double edge = height_ / 2;
  // A marker reaches about half a text height past its centre.
  const double reach = height_ / 2;
  for (int form = 0; form < kForms; ++form) {
    const double w = widths[form], tall = (form + 1) * 1.25 * height_;
    const double left = c->ox + edge, right = c->ox + c->width - edge;
    const double low = c->oy + edge, high = c->oy + c->height - edge - tall, middle = c->oy + (c->height - tall) / 2;
    const double xs[kCorners] = {right - w, left, right - w, left, right - w, left};
    const double ys[kCorners] = {low, high, high, low, middle, middle};
    for (int k = 0; k < kCorners; ++k) {
      x0_[form][k] = xs[k] - reach, x1_[form][k] = xs[k] + w + reach;
      y0_[form][k] = ys[k] - reach, y1_[form][k] = ys[k] + tall + reach;
    }
  }
}

void kes_corner_note::see(const double* xy, int n) {
  for (int i = 0; i < n; ++i)
    for (int form = 0; form < kForms; ++form)
      for (int k = 0; k < kCorners; ++k)
        if (xy[2 * i] >= x0_[form][k] && xy[2 * i] <= x1_[form][k] && xy[2 * i + 1] >= y0_[form][k] &&
            xy[2 * i + 1] <= y1_[form][k])
          ++held_[form][k];
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

void kes_corner_note::see_rooms(const std::vector<kes_room>& rooms) {
  // The text's own room: the reach about it keeps it off markers, whose centres are seen.
  const double reach = height_ / 2;
  for (int form = 0; form < kForms; ++form)
    for (int k = 0; k < kCorners; ++k)
      for (const kes_room& r : rooms)
        if (kes_rooms_meet({x0_[form][k] + reach, y0_[form][k] + reach, x1_[form][k] - reach, y1_[form][k] - reach},
                           r)) {
          ++held_[form][k];
          barred_[form][k] = true;
        }
}

bool kes_corner_note::readable() const { return height_ >= gd_least_text(ctx_); }

bool kes_corner_note::has_clear_corner() const {
  for (int f = 0; f < kForms; ++f)
    for (int k = 0; k < kCorners; ++k)
      if (held_[f][k] == 0) return true;
  return false;
}

void kes_corner_note::draw(const std::string& text) const {
  // A note shrunk below the least height would not read: the log says it.
  if (!readable()) return;
  // The first clear corner on one line, else on two, else the one line where fewest
  // points stand.
  int form = 0, best = -1;
  for (int f = 0; f < kForms && best < 0; ++f)
    for (int k = 0; k < kCorners && best < 0; ++k)
      if (held_[f][k] == 0) form = f, best = k;
  if (best < 0) {
    for (int k = 0; k < kCorners; ++k)
      if (!barred_[0][k] && (best < 0 || held_[0][k] < held_[0][best])) best = k;
    if (best < 0) return;
  }
  const kes_chart* c = &ctx_->curreq->layout->c;
  const double reach = height_ / 2;
  const bool right = best % 2 == 0;
  const auto [first, second] = halves(text);
  const std::string lines[2] = {form == 0 ? text : first, second};
  for (int line = 0; line <= form; ++line) {
    kes_gtext t = note_text(c, lines[line]);
    t.height = height_;
    t.align = right ? 2 : 1;
    t.x = right ? x1_[form][best] - reach : x0_[form][best] + reach;
    // The last line's baseline a quarter of the text's height over the box's foot.
    t.y = y0_[form][best] + reach + 0.25 * height_ + (form - line) * 1.25 * height_;
    gd_text(ctx_, t);
  }
}
