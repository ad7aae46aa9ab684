// Reference lines and their labels (see template_refs.h).
#include "graph/template_refs.h"

#include <algorithm>
#include <cmath>

#include "graph/template_look.h"
#include "graph/template_text_fit.h"
#include "host/kes_text_room.h"

namespace plat::graph {
namespace {
// Reference lines recede behind the data: grey, thin, dashed, with small grey labels.
paint ref_paint() {
  paint p;
  p.stroke = kRefColour;
  p.dash = "4 3";
  return p;
}
text_style ref_text(anchor a) { return text_look(kRefLabelSize, a, kRefColour); }
}  // namespace

namespace {
bool on_axis(double v, double lo, double hi) { return v >= lo && v <= hi; }
kes_room room_of(const frame& r) { return {r.x, r.y, r.x + r.w, r.y + r.h}; }
frame frame_of(const kes_room& r) { return frame{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0}; }
// The air about a label's text: a px from ascent and descent, 1.5 px beyond its ends.
kes_label_air label_air() { return {1.5, text_above(kRefLabelSize) + 1, text_below(kRefLabelSize) + 1, 1, 1}; }
}  // namespace

ref_layout place_ref_labels(const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
                            bool h_at_min, bool v_at_min, const std::vector<frame>& taken,
                            const std::vector<point>& marks) {
  ref_layout out;
  out.h.resize(hrefs.size());
  out.v.resize(vrefs.size());
  out.h_room.assign(hrefs.size(), -1);
  out.v_room.assign(vrefs.size(), -1);
  std::vector<kes_room> texts;
  for (const frame& t : taken) texts.push_back(room_of(t));
  std::vector<kes_segment> data;
  data.reserve(marks.size());
  for (const point& m : marks) data.push_back({m.x, m.y, m.x, m.y});
  kes_ref_lines lines;
  for (std::size_t i = 0; i < hrefs.size(); ++i)
    if (on_axis(hrefs[i].value, f.xlo, f.xhi))
      lines.add({f.px(hrefs[i].value), f.y, f.px(hrefs[i].value), f.y + f.h}, static_cast<long>(i));
  for (std::size_t i = 0; i < vrefs.size(); ++i)
    if (on_axis(vrefs[i].value, f.ylo, f.yhi))
      lines.add({f.x, f.py(vrefs[i].value), f.x + f.w, f.py(vrefs[i].value)}, -1 - static_cast<long>(i));
  const kes_room bounds{f.x, f.y, f.x + f.w, f.y + f.h};
  // The label of line `own` takes the first of its places that reads, its text the
  // one fitted to that side (an HREF label's room reaches back to its line at line_x).
  const auto settle = [&](const std::vector<kes_label_spot>& spots, const std::string& at_start,
                          const std::string& at_end, long own, double line_x) {
    kes_room got;
    const kes_label_spot at = kes_ref_label_place(spots, label_air(), line_x, bounds, texts, lines.but(own), &got, data);
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
    const auto spots = kes_vref_spots(start, !v_at_min, y, y + 3 + text_above(kRefLabelSize), y - 3, f.y, f.y + f.h,
                                      text_advance(text, ref_text(a)), text != r.label, texts, 1.5);
    out.v_room[i] = static_cast<int>(out.rooms.size());
    out.v[i] = settle(spots, text, text, -1 - static_cast<long>(i), NAN);
  }
  return out;
}

void draw_refs(canvas& c, graph_notes& notes, const frame& f, const std::vector<refline>& hrefs,
               const std::vector<refline>& vrefs, bool h_at_min, bool v_at_min, const std::vector<frame>& taken,
               const std::vector<point>& marks) {
  const ref_layout placed = place_ref_labels(f, hrefs, vrefs, h_at_min, v_at_min, taken, marks);
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
      notes.hrefs_outside.insert(hrefs[i].value);
      continue;
    }
    const double x = f.px(hrefs[i].value);
    line(x, f.y, x, f.y + f.h, placed.h_room[i]);
  }
  for (std::size_t i = 0; i < vrefs.size(); ++i) {
    if (!on_axis(vrefs[i].value, f.ylo, f.yhi)) {
      notes.vrefs_outside.insert(vrefs[i].value);
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
                                   bool h_at_min, bool v_at_min, const std::vector<frame>& taken,
                                   const std::vector<point>& marks) {
  return place_ref_labels(f, hrefs, vrefs, h_at_min, v_at_min, taken, marks).rooms;
}

}  // namespace plat::graph
