// The pieces of every graph template (see template_parts.h).
#include "graph/template_parts.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "graph/graph_style.h"
#include "graph/text_cuts.h"
#include "host/kes_decimal_grid.h"
#include "host/kes_tick_text.h"
#include "host/kes_utf8.h"

namespace plat::graph {
namespace {

constexpr const char* kDashes[5] = {"", "6 4", "2 3", "6 3 2 3", "12 4"};

text_style tick_style(anchor a) {
  text_style t;
  t.size = kTickSize;
  t.align = a;
  t.colour = kInk;
  return t;
}

}  // namespace

paint curve_paint(int i, bool kernel) {
  paint p;
  // The palette's yellow barely shows as a thin line on white: lines take a darker one.
  p.stroke = i % 8 == 7 ? kCurveYellowLine : kCurveColours[i % 8];
  p.dash = kDashes[i % 5];
  p.width = kernel ? 1.5 : 2;
  return p;
}

namespace {

// A tick at v lies on [lo, hi] (within rounding).
bool in_range(double v, double lo, double hi) {
  const double tol = kes_range_pad(1e-9, lo, hi);
  return v >= lo - tol && v <= hi + tol;
}

// The gap between the doubles next to x (|x| finite): the unit of rounding there.
double double_spacing(double x) {
  return x >= DBL_MIN ? std::ldexp(1.0, std::ilogb(x) - (DBL_MANT_DIG - 1)) : std::ldexp(1.0, DBL_MIN_EXP - DBL_MANT_DIG);
}

}  // namespace

scale nice_scale(double lo, double hi, int target) {
  scale s;
  if (!std::isfinite(lo) || !std::isfinite(hi)) {
    // Nothing finite to scale: a unit scale rather than ticks of NaN.
    lo = std::isfinite(lo) ? lo : std::isfinite(hi) ? hi : 0;
    hi = lo;
  }
  if (hi < lo) std::swap(lo, hi);
  if (!(hi > lo)) {
    const double d = lo == 0 ? 1 : std::fabs(lo) * 0.1;
    lo -= d;
    hi += d;
  }
  const double raw = kes_steps_between(lo, hi, std::max(target, 1));
  if (!std::isfinite(raw) || !(raw > 0)) {
    s.lo = lo, s.hi = hi, s.ticks = {lo, hi};
    return s;
  }
  int e = static_cast<int>(std::floor(std::log10(raw)));
  double mag = std::pow(10.0, e);
  // The step of 1, 2, 5 or 10 times mag nearest the raw step on a log scale, so
  // that the scale keeps about `target` intervals.
  double r = raw / mag;
  double m = r < std::sqrt(2.0) ? 1 : r < std::sqrt(10.0) ? 2 : r < std::sqrt(50.0) ? 5 : 10;
  // A range a few doubles wide (the logarithms of 1e15 +- 10): a step finer than the
  // doubles there would round neighbouring ticks to one value or to values a unit of
  // rounding apart. The step is at least four such units, the least of 1, 2, 5 or 10
  // times a power of ten that is: a tick then rounds by at most an eighth of a step,
  // so that the ticks stay distinct, evenly placed, and their decimals true.
  const double finest = 4 * double_spacing(std::fmax(std::fabs(lo), std::fabs(hi)));
  if (m * mag < finest) {
    e = static_cast<int>(std::floor(std::log10(finest)));
    mag = std::pow(10.0, e);
    r = finest / mag;
    m = r <= 1 ? 1 : r <= 2 ? 2 : r <= 5 ? 5 : 10;
  }
  const double step = m * mag;
  double first = std::floor(lo / step + 1e-9), last = std::ceil(hi / step - 1e-9);
  // Ends a few doubles apart whose quotients round to one multiple of the step: a
  // tick on each side of it, so that the scale still reaches both ends.
  if (last <= first) first -= 1, last += 1;
  // Tick k is the double nearest its decimal k x m x 10^e (0.3, not 0.30000000000000004;
  // at 1e15 by 0.5 too, where k x m passes the doubles' integers).
  const double ten = std::pow(10.0, std::abs(e));
  const int n = kes_clamped_int(std::min(last - first, 4.0 * std::max(target, 1) + 4), 0, INT_MAX);
  bool beyond = false;
  s.ticks.reserve(static_cast<std::size_t>(n) + 1);
  for (int i = 0; i <= n; ++i) {
    const double k = (first + i) * m;
    // Below 1e-308 the power of ten that divides passes the doubles: subnormal ticks
    // are then the product with the step's power, which is itself representable.
    double v = !std::isfinite(ten) || !(std::fabs(first + i) < 0x1p53)
                   ? k * mag
                   : kes_decimal_double(static_cast<__int128>(static_cast<long long>(first + i)) * static_cast<int>(m), e);
    if (v == 0) v = 0;  // no -0
    // A tick past the largest double is left out; the range then ends at the data's.
    if (!std::isfinite(v)) {
      beyond = true;
      continue;
    }
    s.ticks.push_back(v);
  }
  if (s.ticks.empty()) s.ticks = {lo, hi};
  s.lo = beyond ? std::fmin(lo, s.ticks.front()) : s.ticks.front();
  s.hi = beyond ? std::fmax(hi, s.ticks.back()) : s.ticks.back();
  return s;
}

scale padded_scale(double lo, double hi, int target) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || hi < lo) lo = 0, hi = 1;
  double pad = kes_range_pad(0.04, lo, hi);
  if (!(pad > 0)) pad = lo == 0 ? 0.5 : std::fabs(lo) * 0.1;
  // The ends stop at the largest doubles.
  const double plo = std::fmax(lo - pad, -DBL_MAX), phi = std::fmin(hi + pad, DBL_MAX);
  scale s = nice_scale(plo, phi, target);
  s.lo = plo;
  s.hi = phi;
  // The ticks inside kept in place.
  const auto outside = [&](double v) { return !in_range(v, s.lo, s.hi); };
  s.ticks.erase(std::remove_if(s.ticks.begin(), s.ticks.end(), outside), s.ticks.end());
  // A range narrower than the finest step (a few units of rounding wide) holds one
  // tick or none: its ends are then its ticks, their texts telling them apart.
  if (s.ticks.size() < 2) s.ticks = {s.lo, s.hi};
  return s;
}

std::vector<double> parse_numbers(const std::string& text) {
  // The words between white space, as a stream reads them, counted first.
  const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  const auto each_word = [&](auto each) {
    for (std::size_t i = 0; i < text.size();) {
      if (space(text[i])) {
        ++i;
        continue;
      }
      std::size_t j = i;
      while (j < text.size() && !space(text[j])) ++j;
      each(i, j - i);
      i = j;
    }
  };
  std::size_t words = 0;
  each_word([&](std::size_t, std::size_t) { ++words; });
  std::vector<double> out;
  out.reserve(words);
  std::string word;
  each_word([&](std::size_t at, std::size_t n) {
    word.assign(text, at, n);
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (end != word.c_str() && *end == '\0' && std::isfinite(v)) out.push_back(v);
  });
  return out;
}

std::vector<std::string> tick_texts(const std::vector<double>& in) {
  // A tick at zero reached as a sum of steps (start + i * width) lands a few ulps off:
  // it reads "0", not "-0.0" or "1.1E-16". Off by less than a billionth of the
  // smallest step counts as zero.
  double step = 0;
  for (std::size_t i = 1; i < in.size(); ++i) {
    const double d = std::fabs(in[i] - in[i - 1]);
    if (d > 0 && (step == 0 || d < step)) step = d;
  }
  std::vector<double> ticks(in);
  for (double& v : ticks)
    if (step > 0 && std::fabs(v) < step * 1e-9) v = 0;
  return kes_tick_texts(ticks);
}

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

// Extent of a tick text along its axis (px).
struct span {
  double lo, hi;
};

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

// What an axis finds of its ticks before it writes their texts, kept from one axis to
// the next: every cell of a page draws its axes, and none need allocate.
struct axis_scratch {
  std::vector<std::size_t> at;
  std::vector<span> spans;
  std::vector<bool> allowed, shown;
  void clear() {
    at.clear();
    spans.clear();
    allowed.clear();
  }
};
axis_scratch& scratch_of_axes() {
  static thread_local axis_scratch s;
  s.clear();
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
  paint p;
  p.stroke = kFrameColour;
  const text_style t = tick_style(anchor::middle);
  axis_scratch& s = scratch_of_axes();
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    if (!in_range(ticks[i], f.xlo, f.xhi)) continue;
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
  paint p;
  p.stroke = kFrameColour;
  const text_style t = tick_style(anchor::end);
  const double above = text_above(kTickSize), below = text_below(kTickSize);
  axis_scratch& s = scratch_of_axes();
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    if (!in_range(ticks[i], f.ylo, f.yhi)) continue;
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

std::vector<std::size_t> char_ends(const std::string& s) {
  std::vector<std::size_t> ends{0};
  for (std::size_t i = 1; i <= s.size(); ++i)
    if (i == s.size() || !kes_utf8_continues(s[i])) ends.push_back(i);
  return ends;
}

std::string fit_text(const std::string& s, const text_style& t, double width) {
  if (text_advance(s, t) <= width) return s;
  // The longest prefix, cut at a character boundary, that fits with the ellipsis.
  const std::vector<std::size_t> ends = char_ends(s);
  const std::size_t lo =
      longest_fitting(ends, [&](std::size_t end) { return text_advance(s.substr(0, end) + kEllipsis, t) <= width; });
  if (lo == 0) return text_advance(kEllipsis, t) <= width ? kEllipsis : std::string();
  return s.substr(0, ends[lo]) + kEllipsis;
}

double shrunk_size(const std::string& s, const text_style& t, double width) {
  const double w = text_advance(s, t);
  return w > width && width > 0 ? std::max(t.size * kLeastTextScale, t.size * width / w) : t.size;
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

namespace {
// Reference lines recede behind the data: grey, thin, dashed, with small grey labels.
paint ref_paint() {
  paint p;
  p.stroke = kRefColour;
  p.dash = "4 3";
  return p;
}
text_style ref_text(anchor a) {
  text_style t;
  t.size = kRefLabelSize;
  t.colour = kRefColour;
  t.align = a;
  return t;
}
}  // namespace

namespace {
// The values outside their axes of the graph being drawn (every cell draws the same
// values): kept until the graph's drawer takes them.
std::set<double> g_hrefs_outside, g_vrefs_outside;
}  // namespace

refs_outside take_refs_outside() {
  const refs_outside out{static_cast<int>(g_hrefs_outside.size()), static_cast<int>(g_vrefs_outside.size())};
  g_hrefs_outside.clear();
  g_vrefs_outside.clear();
  return out;
}

namespace {
bool on_axis(double v, double lo, double hi) { return v >= lo && v <= hi; }
kes_room room_of(const frame& r) { return {r.x, r.y, r.x + r.w, r.y + r.h}; }
frame frame_of(const kes_room& r) { return frame{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0}; }
// The air about a label's text: a px from ascent and descent, 1.5 px beyond its ends.
kes_label_air label_air() { return {1.5, text_above(kRefLabelSize) + 1, text_below(kRefLabelSize) + 1, 1, 1}; }
}  // namespace

ref_layout place_ref_labels(const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
                            bool h_at_min, bool v_at_min, const std::vector<frame>& taken) {
  ref_layout out;
  out.h.resize(hrefs.size());
  out.v.resize(vrefs.size());
  out.h_room.assign(hrefs.size(), -1);
  out.v_room.assign(vrefs.size(), -1);
  std::vector<kes_room> texts;
  for (const frame& t : taken) texts.push_back(room_of(t));
  // Every line drawn, with its owner (HREF i as i, VREF i as -1 - i).
  std::vector<kes_room> lines;
  std::vector<long> line_of;
  for (std::size_t i = 0; i < hrefs.size(); ++i)
    if (on_axis(hrefs[i].value, f.xlo, f.xhi))
      lines.push_back({f.px(hrefs[i].value), f.y, f.px(hrefs[i].value), f.y + f.h}), line_of.push_back(static_cast<long>(i));
  for (std::size_t i = 0; i < vrefs.size(); ++i)
    if (on_axis(vrefs[i].value, f.ylo, f.yhi))
      lines.push_back({f.x, f.py(vrefs[i].value), f.x + f.w, f.py(vrefs[i].value)}), line_of.push_back(-1 - static_cast<long>(i));
  const auto others = [&](long own) {
    std::vector<kes_room> rest;
    for (std::size_t k = 0; k < lines.size(); ++k)
      if (line_of[k] != own) rest.push_back(lines[k]);
    return rest;
  };
  const kes_room bounds{f.x, f.y, f.x + f.w, f.y + f.h};
  // The label of line `own` takes the first of its places that reads, its text the
  // one fitted to that side (an HREF label's room reaches back to its line at line_x).
  const auto settle = [&](const std::vector<kes_label_spot>& spots, const std::string& at_start,
                          const std::string& at_end, long own, double line_x) {
    kes_room got;
    const kes_label_spot at = kes_ref_label_place(spots, label_air(), line_x, bounds, texts, others(own), &got);
    texts.push_back(got);
    out.rooms.push_back(frame_of(got));
    ref_label l;
    l.style = ref_text(at.end ? anchor::end : anchor::start);
    l.x = at.x, l.y = at.y, l.text = at.end ? at_end : at_start;
    return l;
  };
  const text_style style = ref_text(anchor::start);
  const double pitch = text_above(kRefLabelSize) + text_below(kRefLabelSize) + 2;
  const int rows = std::max(1, static_cast<int>(std::floor((f.h - 6) / pitch)));
  for (std::size_t i = 0; i < hrefs.size(); ++i) {
    const refline& r = hrefs[i];
    if (!on_axis(r.value, f.xlo, f.xhi) || r.label.empty()) continue;
    const double x = f.px(r.value);
    const double first = h_at_min ? f.y + f.h - 3 - text_below(kRefLabelSize) : f.y + 3 + text_above(kRefLabelSize);
    std::vector<double> ys;
    for (int row = 0; row < rows; ++row) ys.push_back(h_at_min ? first - row * pitch : first + row * pitch);
    // Each side holds the label as much as its room takes.
    const std::string right = fit_text(r.label, style, f.x + f.w - x - 4), left = fit_text(r.label, style, x - f.x - 4);
    const auto spots = kes_href_spots(x, 3, ys, right.empty() ? -1 : text_advance(right, style),
                                      left.empty() ? -1 : text_advance(left, ref_text(anchor::end)), right != r.label,
                                      left != r.label);
    if (spots.empty()) continue;
    out.h_room[i] = static_cast<int>(out.rooms.size());
    out.h[i] = settle(spots, right, left, static_cast<long>(i), x);
  }
  for (std::size_t i = 0; i < vrefs.size(); ++i) {
    const refline& r = vrefs[i];
    if (!on_axis(r.value, f.ylo, f.yhi) || r.label.empty()) continue;
    const double y = f.py(r.value);
    const anchor a = v_at_min ? anchor::start : anchor::end;
    const double start = v_at_min ? f.x + 3 : f.x + f.w - 3;
    const std::string text = fit_text(r.label, ref_text(a), f.w - 6);
    if (text.empty()) continue;
    // Above the line, then under it.
    const auto spots = kes_vref_spots(start, !v_at_min, y - 3, y + 3 + text_above(kRefLabelSize),
                                      text_advance(text, ref_text(a)), text != r.label, texts, 1.5);
    out.v_room[i] = static_cast<int>(out.rooms.size());
    out.v[i] = settle(spots, text, text, -1 - static_cast<long>(i), NAN);
  }
  return out;
}

void draw_refs(canvas& c, const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
               bool h_at_min, bool v_at_min, const std::vector<frame>& taken) {
  const ref_layout placed = place_ref_labels(f, hrefs, vrefs, h_at_min, v_at_min, taken);
  // Each line is broken behind the texts it would cross: the values over the bars and
  // the other lines' labels.
  const paint p = ref_paint();
  const auto line = [&](double x1, double y1, double x2, double y2, int own) {
    std::vector<kes_room> gaps;
    for (const frame& t : taken) gaps.push_back(room_of(t));
    for (std::size_t k = 0; k < placed.rooms.size(); ++k)
      if (static_cast<int>(k) != own) gaps.push_back(room_of(placed.rooms[k]));
    for (const auto& [a, b] : kes_pieces_outside(x1, y1, x2, y2, gaps))
      c.line(x1 + a * (x2 - x1), y1 + a * (y2 - y1), x1 + b * (x2 - x1), y1 + b * (y2 - y1), p);
  };
  for (std::size_t i = 0; i < hrefs.size(); ++i) {
    if (!on_axis(hrefs[i].value, f.xlo, f.xhi)) {
      g_hrefs_outside.insert(hrefs[i].value);
      continue;
    }
    const double x = f.px(hrefs[i].value);
    line(x, f.y, x, f.y + f.h, placed.h_room[i]);
  }
  for (std::size_t i = 0; i < vrefs.size(); ++i) {
    if (!on_axis(vrefs[i].value, f.ylo, f.yhi)) {
      g_vrefs_outside.insert(vrefs[i].value);
      continue;
    }
    const double y = f.py(vrefs[i].value);
    line(f.x, y, f.x + f.w, y, placed.v_room[i]);
  }
  for (const ref_label& l : placed.h)
    if (!l.text.empty()) c.text(l.x, l.y, l.text, l.style);
  for (const ref_label& l : placed.v)
    if (!l.text.empty()) c.text(l.x, l.y, l.text, l.style);
}

std::vector<frame> ref_label_boxes(const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
                                   bool h_at_min, bool v_at_min, const std::vector<frame>& taken) {
  return place_ref_labels(f, hrefs, vrefs, h_at_min, v_at_min, taken).rooms;
}

namespace {
constexpr double kSwatch = 24;
constexpr double kRowHeight = 16;
constexpr double kEntryGap = 14;

text_style legend_style() {
  text_style t;
  t.size = kLegendSize;
  return t;
}

// Columns of equal width that fit the widest entry; more, narrower ones (their texts
// cut with an ellipsis) when the rows would run past max_height.
int legend_columns(const std::string& title, const std::vector<legend_entry>& entries, double width, double max_height,
                   double* colw) {
  double widest = 0;
  for (const auto& e : entries) widest = std::max(widest, kSwatch + 6 + text_advance(e.label, legend_style()));
  *colw = std::min(widest + kEntryGap, width);
  const int n = static_cast<int>(entries.size());
  int cols = std::min(std::max(1, kes_clamped_int(width / *colw, 0, INT_MAX)), n);
  const double rows_room = max_height - (title.empty() ? 0 : kRowHeight) - 6;
  const int most_rows = std::isfinite(rows_room) ? std::max(1.0, std::min(rows_room / kRowHeight, 1e6)) : n;
  // Columns narrow no further than about fifteen characters: a page grows with a
  // longer legend rather than cut its texts past reading.
  const int narrowest = std::max(1, kes_clamped_int(width / (kSwatch + 6 + 8 * kLegendSize + kEntryGap), 0, INT_MAX));
  while ((n + cols - 1) / cols > most_rows && cols < std::min(n, narrowest)) {
    ++cols;
    *colw = width / cols;
  }
  return cols;
}
}  // namespace

double legend_height(const std::string& title, const std::vector<legend_entry>& entries, double width,
                     double max_height) {
  if (entries.empty()) return 0;
  double colw = 0;
  const int cols = legend_columns(title, entries, width, max_height, &colw);
  const int rows = (static_cast<int>(entries.size()) + cols - 1) / cols;
  return (title.empty() ? 0 : kRowHeight) + rows * kRowHeight + 6;
}

void draw_legend(canvas& c, double x, double y, double width, const std::string& title,
                 const std::vector<legend_entry>& entries, double max_height) {
  if (entries.empty()) return;
  double colw = 0;
  const int cols = legend_columns(title, entries, width, max_height, &colw);
  const double used = cols * colw - kEntryGap;
  const double left = x + std::max(0.0, (width - used) / 2);
  paint border;
  border.stroke = "#BDBDBD";
  c.rect(x, y, width, legend_height(title, entries, width, max_height), border);
  double top = y + 3;
  text_style t = legend_style();
  if (!title.empty()) {
    t.bold = true;
    c.text(x + width / 2 - text_advance(title, t) / 2, top + text_above(kLegendSize) + 1, title, t);
    t.bold = false;
    top += kRowHeight;
  }
  // A long entry shrinks to 80 % of the size before it is cut, so that its numbers stay;
  // entries cut are cut apart, so that different levels never read the same. The gap
  // to the next column stays free (the widest entry fits to rounding).
  const double room = colw - kEntryGap - kSwatch - 6 + 1e-6;
  std::vector<std::string> labels;
  for (const legend_entry& e : entries) labels.push_back(e.label);
  const std::vector<sized_text> shown = shrink_or_cut_apart(labels, t, room);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int row = static_cast<int>(i) / cols, col = static_cast<int>(i) % cols;
    const double ex = left + col * colw, ey = top + row * kRowHeight + kRowHeight / 2;
    const legend_entry& e = entries[i];
    if (e.filled) {
      paint fill;
      fill.fill = e.stroke.stroke;
      fill.fill_opacity = 0.25;
      c.rect(ex, ey - 5, kSwatch, 10, fill);
    }
    if (e.line) c.line(ex, ey, ex + kSwatch, ey, e.stroke);
    if (e.marker >= 0) {
      paint dot;
      dot.stroke = e.stroke.stroke;
      dot.marker = e.marker;
      c.point_marker(ex + kSwatch / 2, ey, dot);
    }
    text_style fitted = t;
    fitted.size = shown[i].size;
    c.text(ex + kSwatch + 6, ey + text_above(kLegendSize) / 2 - 1, shown[i].text, fitted);
  }
}

void draw_strip(canvas& c, double x, double y, double w, const std::string& text, double size) {
  paint p;
  p.fill = kStripFill;
  p.stroke = kFrameColour;
  c.rect(x, y, w, kStripHeight, p);
  text_style t;
  t.size = size;
  t.align = anchor::middle;
  c.text(x + w / 2, y + kStripHeight / 2 + text_above(kStripSize) / 2 - 1, fit_text(text, t, w - 6), t);
}

double draw_titles(canvas& c, double width, const std::vector<std::string>& lines) {
  double y = 8;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    text_style t;
    t.size = i == 0 ? kTitleSize : kLabelSize;
    t.bold = i == 0;
    t.align = anchor::middle;
    y += text_above(t.size) + 2;
    c.text(width / 2, y, fit_text(lines[i], t, width - 20), t);
    y += text_below(t.size) + 2;
  }
  return y + 4;
}

double cell_gap() { return text_above(kTickSize) + 4; }

double cell_bands::down() const {
  double sum = 0;
  for (double v : top) sum += v;
  for (double v : bottom) sum += v;
  return sum;
}

double cell_bands::across() const {
  double sum = 0;
  for (double v : left) sum += v;
  for (double v : right) sum += v;
  return sum;
}

std::vector<frame> cell_grid(double left, double top, double right, double bottom, int nrows, int ncols, bool strips,
                             const cell_bands& bands) {
  nrows = std::max(nrows, 1);
  ncols = std::max(ncols, 1);
  const double gap = cell_gap();
  const double strip = strips ? kStripHeight : 0;
  // The bands come out of the room first: every plot area keeps one size.
  const double cw = (right - left - (ncols - 1) * gap - bands.across()) / ncols;
  const double ch = (bottom - top - (nrows - 1) * gap - bands.down()) / nrows - strip;
  std::vector<frame> out;
  out.reserve(static_cast<std::size_t>(nrows) * static_cast<std::size_t>(ncols));
  double down = 0;  // bands of the rows above, and of this row above its frames
  for (int r = 0; r < nrows; ++r) {
    down += cell_bands::of(bands.top, r);
    double across = 0;
    for (int k = 0; k < ncols; ++k) {
      across += cell_bands::of(bands.left, k);
      frame f;
      f.x = left + k * (cw + gap) + across;
      f.y = top + r * (ch + strip + gap) + strip + down;
      f.w = cw;
      f.h = std::max(ch, 10.0);
      out.push_back(f);
      across += cell_bands::of(bands.right, k);
    }
    down += cell_bands::of(bands.bottom, r);
  }
  return out;
}

}  // namespace plat::graph
