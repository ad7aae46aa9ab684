// Walls, frames, grids, axes and axis labels (see template_axes.h).
#include "graph/template_axes.h"

#include <algorithm>
#include <cmath>

#include "graph/template_look.h"
#include "graph/template_text_fit.h"

namespace plat::graph {
namespace {

text_style tick_style(anchor a) { return text_look(kTickSize, a, kInk); }

}  // namespace


void draw_wall(canvas& c, const frame& f) {
  paint p;
  p.fill = "#FFFFFF";
  c.rect(f.x, f.y, f.w, f.h, p);
}

void draw_border(canvas& c, const frame& f) {
  paint p;
  p.stroke = kFrameColour;
  c.rect(f.x, f.y, f.w, f.h, p);
}

void draw_grid(canvas& c, const frame& f, const std::vector<double>& yticks) {
  paint p;
  p.stroke = kGridColour;
  for (double v : yticks)
    if (v > f.ylo && v < f.yhi) c.line(f.x, f.py(v), f.x + f.w, f.py(v), p);
}

double tick_text_width(const std::vector<std::string>& texts) {
  double w = 0;
  for (const std::string& t : texts) w = std::max(w, text_advance(t, tick_style(anchor::end)));
  return w;
}

void draw_x_axis(canvas& c, const frame& f, const std::vector<double>& ticks, bool ticks_shown, bool values_shown) {
  draw_x_axis(c, f, ticks, tick_texts(ticks), ticks_shown, values_shown);
}

namespace {

using span = axis_scratch::span;

// Which tick texts are shown, into *shown: of evenly placed ticks every k-th of those
// in the frame, for the smallest k at which each shown text keeps `room` px from the
// next; a text that may not be shown (beyond its reach, where `allowed` is given and
// false) is left out without breaking the rhythm of the others.
void thin_texts(const std::vector<span>& spans, const std::vector<bool>* allowed, double room,
                std::vector<bool>* shown_out) {
  const std::size_t n = spans.size();
  std::vector<bool>& shown = *shown_out;
  shown.assign(n, false);
  const auto may = [&](std::size_t i) { return allowed == nullptr || (*allowed)[i]; };
  const auto gap_after = [&](const span& before, const span& s) {
    return std::max(s.lo - before.hi, before.lo - s.hi);
  };
  // Ticks at uneven places (percents at their quantiles) keep every text that has
  // room after the last one shown, so that the round percents in the middle stay.
  bool even = true;
  for (std::size_t i = 2; i < n && even; ++i) {
    const double d0 = (spans[1].lo + spans[1].hi - spans[0].lo - spans[0].hi) / 2;
    const double d = (spans[i].lo + spans[i].hi - spans[i - 1].lo - spans[i - 1].hi) / 2;
    even = std::fabs(d - d0) <= 0.01 * std::fabs(d0);
  }
  if (!even) {
    const span* before = nullptr;
    for (std::size_t i = 0; i < n; ++i) {
      if (!may(i) || (before != nullptr && gap_after(*before, spans[i]) < room)) continue;
      shown[i] = true;
      before = &spans[i];
    }
    return;
  }
  for (std::size_t k = 1; k <= std::max<std::size_t>(n, 1); ++k) {
    bool fits = true;
    const span* before = nullptr;
    for (std::size_t i = 0; i < n && fits; i += k) {
      if (!may(i)) continue;
      if (before != nullptr) fits = gap_after(*before, spans[i]) >= room;
      before = &spans[i];
    }
    if (!fits) continue;
    for (std::size_t i = 0; i < n; ++i) shown[i] = i % k == 0 && may(i);
    return;
  }
}

// The page's scratch, emptied of the axis drawn before (shown is found afresh).
axis_scratch& emptied_for_axis(axis_scratch& s) {
  s.at.clear();
  s.spans.clear();
  s.allowed.clear();
  return s;
}

}  // namespace

double tick_text_room() { return text_advance("0", tick_style(anchor::middle)); }

std::vector<bool> thin_tick_texts(const std::vector<std::pair<double, double>>& extents, double room) {
  std::vector<span> spans;
  spans.reserve(extents.size());
  for (const auto& [lo, hi] : extents) spans.push_back({lo, hi});
  std::vector<bool> shown;
  thin_texts(spans, nullptr, room, &shown);
  return shown;
}

void draw_x_axis(canvas& c, const frame& f, const std::vector<double>& ticks, const std::vector<std::string>& texts,
                 bool ticks_shown, bool values_shown, double reach_left, double reach_right) {
  axis_scratch one_axis;
  draw_x_axis(c, f, ticks, texts, ticks_shown, values_shown, reach_left, reach_right, one_axis);
}

void draw_x_axis(canvas& c, const frame& f, const std::vector<double>& ticks, const std::vector<std::string>& texts,
                 bool ticks_shown, bool values_shown, double reach_left, double reach_right, axis_scratch& scratch) {
  paint p;
  p.stroke = kFrameColour;
  const text_style t = tick_style(anchor::middle);
  axis_scratch& s = emptied_for_axis(scratch);
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    if (!on_scale(ticks[i], f.xlo, f.xhi)) continue;
    const double x = f.px(ticks[i]), w = text_advance(texts[i], t);
    if (ticks_shown) c.line(x, f.y + f.h, x, f.y + f.h + kTickLength, p);
    s.at.push_back(i);
    s.spans.push_back({x - w / 2, x + w / 2});
    s.allowed.push_back(x - w / 2 >= f.x - reach_left && x + w / 2 <= f.x + f.w + reach_right);
  }
  if (!values_shown) return;
  thin_texts(s.spans, &s.allowed, tick_text_room(), &s.shown);
  const double y = f.y + f.h + kTickLength + kGap + text_above(kTickSize);
  for (std::size_t j = 0; j < s.at.size(); ++j)
    if (s.shown[j]) c.text(f.px(ticks[s.at[j]]), y, texts[s.at[j]], t);
}

void draw_y_axis(canvas& c, const frame& f, const std::vector<double>& ticks, bool ticks_shown, bool values_shown) {
  draw_y_axis(c, f, ticks, tick_texts(ticks), ticks_shown, values_shown);
}

void draw_y_axis(canvas& c, const frame& f, const std::vector<double>& ticks, const std::vector<std::string>& texts,
                 bool ticks_shown, bool values_shown) {
  axis_scratch one_axis;
  draw_y_axis(c, f, ticks, texts, ticks_shown, values_shown, one_axis);
}

void draw_y_axis(canvas& c, const frame& f, const std::vector<double>& ticks, const std::vector<std::string>& texts,
                 bool ticks_shown, bool values_shown, axis_scratch& scratch) {
  paint p;
  p.stroke = kFrameColour;
  const text_style t = tick_style(anchor::end);
  const double above = text_above(kTickSize), below = text_below(kTickSize);
  axis_scratch& s = emptied_for_axis(scratch);
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    if (!on_scale(ticks[i], f.ylo, f.yhi)) continue;
    const double y = f.py(ticks[i]);
    if (ticks_shown) c.line(f.x - kTickLength, y, f.x, y, p);
    const double base = y + above / 2 - 1;
    s.at.push_back(i);
    s.spans.push_back({base - above, base + below});
  }
  if (!values_shown) return;
  thin_texts(s.spans, nullptr, 2, &s.shown);
  for (std::size_t j = 0; j < s.at.size(); ++j)
    if (s.shown[j]) c.text(f.x - kTickLength - kGap, f.py(ticks[s.at[j]]) + above / 2 - 1, texts[s.at[j]], t);
}

namespace {
// A label shrinks to 80% of its size before it is cut.
text_style label_style(const std::string& s, double room, anchor a) {
  text_style t;
  t.size = kLabelSize;
  t.align = a;
  t.size = shrunk_size(s, t, room);
  return t;
}
}  // namespace

void draw_x_label(canvas& c, double centre, double baseline, double room, const std::string& text) {
  if (text.empty()) return;
  const text_style t = label_style(text, room, anchor::middle);
  c.text(centre, baseline, fit_text(text, t, room), t);
}

void draw_y_label(canvas& c, double baseline_x, double centre, double room, const std::string& text) {
  if (text.empty()) return;
  text_style t = label_style(text, room, anchor::middle);
  t.rotate = 90;
  c.text(baseline_x, centre, fit_text(text, t, room), t);
}

}  // namespace plat::graph
