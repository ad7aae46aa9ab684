// Inset boxes of template graphs (template_insets.h).
#include "graph/template_insets.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <unordered_map>

#include "core/number_text.h"
#include "graph/template_parts.h"
#include "host/template_dynamics.h"
#include "host/kes_checked.h"

namespace plat::graph {
namespace {

constexpr double kPad = 4;        // padding inside the border
constexpr double kColumnGap = 12; // between labels and values
constexpr double kMarkerReach = 3; // half a marker, and half a px more
constexpr double kBetween = 6;    // between two boxes of one margin
constexpr const char* kFill = "#FFFFFF";
// The smallest text a box in a small cell shrinks to before it leaves rows out.
constexpr double kLeastSize = kLeastInsetSize;

// Lengths of a box scale with its text.
double unit(const inset_box& b) { return b.size / kLegendSize; }
double row_height(const inset_box& b) { return text_above(b.size) + text_below(b.size) + 2 * unit(b); }

text_style style(const inset_box& b, bool bold = false, anchor a = anchor::start) {
  text_style t;
  t.size = b.size;
  t.bold = bold;
  t.align = a;
  t.colour = kInk;
  return t;
}

// "_I3_LABEL2" -> prefix "_I", box 3, rest "LABEL2".
bool split(const std::string& name, const char* prefix, int* number, std::string* rest) {
  const std::size_t n = std::char_traits<char>::length(prefix);
  if (name.compare(0, n, prefix) != 0 || name.size() <= n || !std::isdigit(static_cast<unsigned char>(name[n])))
    return false;
  std::size_t i = n;
  while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) ++i;
  if (i >= name.size() || name[i] != '_') return false;
  *number = std::atoi(name.c_str() + n);
  *rest = name.substr(i + 1);
  return true;
}

std::string value_text(const out::dyn_value& d) {
  if (d.is_text) return d.text;
  // A number shows as the fitted parameters do: exact, in at most 8 characters.
  return plat::best_text(d.num, 8);
}

bool truthy(const out::dyn_value& d) { return d.is_text ? d.text == "ON" || d.text == "1" : d.num != 0; }

// One attribute of a box from its dynamic.
void set(inset_box& b, const std::string& rest, const out::dyn_value& d) {
  if (rest == "HEADER") b.header = value_text(d);
  else if (rest == "BORDER") b.border = truthy(d);
  else if (rest == "CFILL") b.fill = truthy(d);
  else if (rest == "VALIGN") b.valign = value_text(d);
  else if (rest == "HALIGN") b.halign = value_text(d);
  else if (rest == "AUTOALIGN") b.automatic = truthy(d);
  else if (rest == "NCOLS") b.pairs = std::max(1, kes_clamped_int(d.num, 0, INT_MAX) / 2), b.pairs_asked = true;
  else if (rest == "GUTTER") b.gutter = std::atof(value_text(d).c_str());
  else if (rest.compare(0, 5, "LABEL") == 0 || rest.compare(0, 5, "VALUE") == 0) {
    const int k = std::atoi(rest.c_str() + 5);
    if (k < 1) return;
    if (static_cast<int>(b.rows.size()) < k) b.rows.resize(static_cast<std::size_t>(k));
    (rest[0] == 'L' ? b.rows[k - 1].label : b.rows[k - 1].value) = value_text(d);
  }
}

double column_width(const inset_box& b, bool labels) {
  double w = 0;
  for (const inset_row& r : b.rows) w = std::max(w, text_advance(labels ? r.label : r.value, style(b)));
  return labels ? std::min(w, b.label_room) : w;
}

double pair_width(const inset_box& b) {
  const double v = column_width(b, false);
  return column_width(b, true) + (v > 0 ? kColumnGap * unit(b) + v : 0);
}

double header_width(const inset_box& b) { return std::min(text_advance(b.header, style(b, true)), b.label_room); }
double header_height(const inset_box& b) { return b.header.empty() ? 0 : row_height(b) + 2 * unit(b); }

// Between two pairs side by side.
double pair_gutter(const inset_box& b) { return b.margin == 0 ? kColumnGap * unit(b) : b.gutter / 100 * kPageWidth; }

// Pairs side by side in a margin box that may take `width` px, and the width they take;
// a side-margin box (width 0) sets one pair a line, or the columns it was fitted to.
int pairs_per_line(const inset_box& b, double width) {
  const int rows = static_cast<int>(b.rows.size());
  if (b.margin == 0 || (b.margin >= 3 && width <= 0)) return std::max(1, std::min(b.columns, rows));
  if (width <= 0) return 1;
  const double pw = pair_width(b), gutter = pair_gutter(b);
  const int fit = kes_clamped_int((width - 2 * kPad + gutter) / (pw + gutter), 0, INT_MAX);
  return std::max(1, std::min({b.pairs, fit, rows > 0 ? rows : 1}));
}
double laid_width(const inset_box& b, double width) {
  const int n = pairs_per_line(b, width);
  const double w = n * pair_width(b) + (n - 1) * b.gutter / 100 * kPageWidth + 2 * kPad;
  return std::min(width, std::max(w, text_advance(b.header, style(b, true)) + 2 * kPad));
}

}  // namespace

std::vector<inset_box> read_inset_boxes(const out::graph_panel& p) {
  std::vector<inset_box> boxes;
  std::map<int, std::size_t> inside;   // box number -> index
  std::map<int, std::size_t> margins;  // margin number -> index of its latest box
  for (const out::dyn_value& d : p.dynamics) {
    int n = 0;
    std::string rest;
    if (d.name.compare(0, 6, KES_DYN_INSET_PREFIX) == 0 && d.name.size() > 6 &&
        std::isdigit(static_cast<unsigned char>(d.name[6]))) {
      inside[std::atoi(d.name.c_str() + 6)] = boxes.size();
      boxes.emplace_back();
    } else if (d.name.compare(0, 7, KES_DYN_MARGIN_PREFIX) == 0 && d.name.size() > 7 &&
               std::isdigit(static_cast<unsigned char>(d.name[7]))) {
      // Each _MARGIN<m> starts a box: two boxes in one margin repeat the names.
      const int m = std::atoi(d.name.c_str() + 7);
      margins[m] = boxes.size();
      inset_box b;
      b.margin = m >= 1 && m <= 4 ? m : 1;
      b.pairs = m <= 2 ? 3 : 1;
      boxes.push_back(b);
    } else if (split(d.name, KES_DYN_INSET_BOX_PREFIX, &n, &rest) && inside.count(n)) {
      set(boxes[inside[n]], rest, d);
    } else if (split(d.name, KES_DYN_MARGIN_BOX_PREFIX, &n, &rest) && margins.count(n)) {
      set(boxes[margins[n]], rest, d);
    }
  }
  return boxes;
}

bool inset_data_box(const out::graph_panel& p, const class_key& key, inset_box* box) {
  const out::graph_table* t = nullptr;
  for (const auto& tab : p.tables)
    if (tab->name == "InsetData") t = tab.get();
  if (t == nullptr) return false;
  // The table's cells are found once, and by their keys; a cell's first row holds its values.
  const std::vector<cell_rows>& cells = cells_of(*t);
  using cell_index = std::unordered_map<class_key, std::size_t, class_key_hash>;
  const cell_index& at = kept_once<cell_index>(*t, "cells by key", [&cells] {
    cell_index m;
    for (std::size_t i = 0; i < cells.size(); ++i) m.emplace(cells[i].key, i);
    return m;
  });
  if (const auto it = at.find(key); it != at.end()) {
    const std::size_t row = cells[it->second].runs.front().first;
    inset_box b;
    b.header = p.text(KES_DYN_INSETTITLE);
    b.valign = p.text(KES_DYN_INSETVALIGN, "TOP");
    b.halign = p.text(KES_DYN_INSETHALIGN, "LEFT");
    b.border = p.dynamic(KES_DYN_INSETBORDER) == nullptr || p.flag(KES_DYN_INSETBORDER);
    b.fill = p.flag(KES_DYN_INSETCFILL);
    bool any = false;
    std::vector<bool> heading;
    const std::vector<double> heads = parse_numbers(p.text(KES_DYN_INSETHEADINGS));
    for (std::size_t i = 0; i < t->columns.size(); ++i) {
      const out::column_info& c = t->columns[i];
      if (c.name.compare(0, 8, "InsetRow") != 0) continue;
      const std::string& v = t->text(row, static_cast<int>(i));
      any = any || !v.empty();
      b.rows.push_back({c.label, v});
      heading.push_back(std::find(heads.begin(), heads.end(), std::atof(c.name.c_str() + 8)) != heads.end());
    }
    if (!any) return false;
    // A heading's value is its curve's number within the family: part of the heading
    // when the family has several curves, else left out, never shown as a statistic.
    std::vector<int> same(b.rows.size(), 0);
    for (std::size_t i = 0; i < b.rows.size(); ++i)
      for (std::size_t j = 0; j < b.rows.size(); ++j) same[i] += heading[j] && b.rows[j].label == b.rows[i].label;
    for (std::size_t i = 0; i < b.rows.size(); ++i) {
      if (!heading[i]) continue;
      if (same[i] > 1 && !b.rows[i].value.empty()) b.rows[i].label += " " + b.rows[i].value;
      b.rows[i].value.clear();
    }
    *box = b;
    return true;
  }
  return false;
}

double inset_box_width(const inset_box& b) {
  const int n = pairs_per_line(b, 0);
  const double pairs = n * pair_width(b) + (n - 1) * pair_gutter(b);
  return std::max(pairs, header_width(b)) + 2 * kPad * unit(b);
}

double inset_box_height(const inset_box& b, double width) {
  const int per_line = pairs_per_line(b, width);
  const int lines = (static_cast<int>(b.rows.size()) + per_line - 1) / per_line;
  return 2 * kPad * unit(b) + header_height(b) + lines * row_height(b);
}

double note_row_room(const frame& f) { return f.w - 2 * kEdge - 2 * kPad; }

inset_box fit_inset_box(const inset_box& given, double room_w, double room_h) {
  inset_box b = given;
  const double w = inset_box_width(b), h = inset_box_height(b, 0);
  if (w <= room_w && h <= room_h) return b;
  // Every length of the box is in proportion to its text: a smaller text, to a
  // readable least, first.
  const double shrink = std::min(room_w / w, room_h / h);
  b.size = std::max(kLeastSize, std::floor(kLegendSize * shrink * 10) / 10);
  // Still too wide: the labels (and the header) give way, cut with an ellipsis; the
  // values are never cut.
  if (inset_box_width(b) > room_w) {
    const double values = column_width(b, false);
    b.label_room = room_w - 2 * kPad * unit(b) - (values > 0 ? kColumnGap * unit(b) + values : 0);
  }
  // Still too tall: the pairs go side by side, as many as the width holds, so that
  // every row asked for is shown; only past that are rows left out from the end.
  while (inset_box_height(b, 0) > room_h && pairs_per_line(b, 0) < static_cast<int>(b.rows.size())) {
    inset_box wider = b;
    ++wider.columns;
    if (inset_box_width(wider) > room_w) break;
    b = wider;
  }
  const double per_row = row_height(b);
  const double free = room_h - 2 * kPad * unit(b) - header_height(b);
  const long fit = free > 0 ? kes_clamped_int<long>(std::floor(free / per_row + 1e-9), 0, INT_MAX) * pairs_per_line(b, 0) : 0;
  if (fit < static_cast<long>(b.rows.size())) {
    b.left_out = static_cast<int>(static_cast<long>(b.rows.size()) - fit);
    b.rows.resize(static_cast<std::size_t>(fit));
  }
  // No room even for one label beside its value, or for one row: no box at all.
  if (b.label_room < text_advance("M" + kEllipsis, style(b)) || b.rows.empty()) {
    b.left_out = static_cast<int>(given.rows.size());
    b.rows.clear();
  }
  return b;
}

void draw_inset_box(canvas& c, const inset_box& b, double x, double y, double width) {
  // A margin box is as wide as its pairs need, at most the width it may take.
  if (b.rows.empty() && b.left_out > 0) return;  // fitted away: nothing of it has room
  const double w = width > 0 ? laid_width(b, width) : inset_box_width(b);
  const double h = inset_box_height(b, width);
  const double pad = kPad * unit(b);
  // Opaque always: a curve running through the box would cross its texts.
  paint frame;
  frame.stroke = b.border ? kFrameColour : "none";
  frame.fill = kFill;
  c.rect(x, y, w, h, frame);
  double line_y = y + pad;
  if (!b.header.empty()) {
    const text_style hs = style(b, true);
    c.text(x + pad, line_y + text_above(b.size) + unit(b), fit_text(b.header, hs, header_width(b) + 0.01), hs);
    line_y += header_height(b);
    if (b.border) c.line(x, line_y, x + w, line_y, frame);
  }
  const double pw = pair_width(b);
  const int per_line = pairs_per_line(b, width);
  const double gutter = per_line < 2 ? 0 : pair_gutter(b);
  const double value_right = per_line == 1 ? x + w - pad : 0;
  // A plot-area box reads down its columns, a margin box across its lines.
  const int lines = (static_cast<int>(b.rows.size()) + per_line - 1) / per_line;
  const bool down = b.margin == 0;
  for (std::size_t i = 0; i < b.rows.size(); ++i) {
    const int k = static_cast<int>(i);
    const int col = down ? k / lines : k % per_line, line = down ? k % lines : k / per_line;
    const double left = x + pad + col * (pw + gutter);
    const double base = line_y + line * row_height(b) + text_above(b.size) + unit(b);
    const std::string& label = b.rows[i].label;
    c.text(left, base, std::isfinite(b.label_room) ? fit_text(label, style(b), b.label_room + 0.01) : label, style(b));
    if (!b.rows[i].value.empty())
      c.text(per_line == 1 ? value_right : left + pw, base, b.rows[i].value, style(b, false, anchor::end));
  }
}

void cell_ink::add_line(const std::vector<point>& pts) { add_line(pts.data(), pts.size()); }

void cell_ink::add_line(const point* pts, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    points.push_back(pts[i]);
    if (i == 0) continue;
    const double dx = pts[i].x - pts[i - 1].x, dy = pts[i].y - pts[i - 1].y;
    const int steps = kes_clamped_int(std::hypot(dx, dy) / 4, 0, 1000);
    for (int k = 1; k < steps; ++k)
      points.push_back({pts[i - 1].x + dx * k / steps, pts[i - 1].y + dy * k / steps});
  }
}

void cell_ink::clear() {
  points.clear();
  bars.clear();
  boxes.clear();
  notes.clear();
  note = note_at::inside;
}

void cell_ink::add_mark(const point& at) {
  if (points.empty() || std::abs(at.x - points.back().x) >= 0.5 || std::abs(at.y - points.back().y) >= 0.5)
    points.push_back(at);
}

namespace {

struct place {
  double x, y;
};

place corner_place(const frame& f, const std::string& valign, const std::string& halign, double w, double h) {
  const double x = halign == "RIGHT" ? f.x + f.w - kEdge - w : halign == "CENTER" ? f.x + (f.w - w) / 2 : f.x + kEdge;
  const double y = valign == "BOTTOM" ? f.y + f.h - kEdge - h : valign == "CENTER" ? f.y + (f.h - h) / 2 : f.y + kEdge;
  return {x, y};
}

// How much of the cell's drawing a box at (x, y) would cover: points inside it, and
// bar area in units of a 5 x 5 px square.
double covered(const cell_ink& ink, double x, double y, double w, double h) {
  double n = 0;
  for (const point& q : ink.points)
    if (q.x >= x && q.x <= x + w && q.y >= y && q.y <= y + h) n += 1;
  for (const frame& r : ink.bars) {
    const double ox = std::min(x + w, r.x + r.w) - std::max(x, r.x), oy = std::min(y + h, r.y + r.h) - std::max(y, r.y);
    if (ox > 0 && oy > 0) n += ox * oy / 25;
  }
  return n;
}

}  // namespace

namespace {

bool meets(const placed_inset& a, double x, double y, double w, double h) {
  return a.w > 0 && x < a.x + a.w && a.x < x + w && y < a.y + a.h && a.y < y + h;
}

}  // namespace

std::vector<placed_inset> place_plot_insets(const frame& f, const std::vector<inset_box>& boxes, const cell_ink& ink,
                                            bool keep_clear) {
  static const char* const kCorners[4][2] = {{"TOP", "LEFT"}, {"TOP", "RIGHT"}, {"BOTTOM", "LEFT"}, {"BOTTOM", "RIGHT"}};
  // Corners the program chose are kept; the others are free to an automatic box.
  bool taken[4] = {};
  const auto corner_of = [&](const inset_box& b) {
    for (int k = 0; k < 4; ++k)
      if (b.valign == kCorners[k][0] && b.halign == kCorners[k][1]) return k;
    return -1;
  };
  for (const inset_box& b : boxes)
    if (b.margin == 0 && corner_of(b) >= 0) taken[corner_of(b)] = true;
  // The boxes already in the cell, as placed boxes, so that the new ones keep off them.
  std::vector<placed_inset> before;
  for (const frame& r : ink.boxes) before.push_back({inset_box{}, r.x, r.y, r.w, r.h});
  const auto free_at = [&](double x, double y, double w, double h) {
    return std::none_of(before.begin(), before.end(), [&](const placed_inset& q) { return meets(q, x, y, w, h); });
  };
  // A marker reaches half its size past its centre: a box keeping clear keeps off it.
  const double reach = keep_clear ? kMarkerReach : 0;
  const auto ink_under = [&](double x, double y, double w, double h) {
    return covered(ink, x - reach, y - reach, w + 2 * reach, h + 2 * reach);
  };
  std::vector<placed_inset> placed;
  int number = -1;
  for (const inset_box& given : boxes) {
    if (given.margin != 0) continue;
    ++number;
    // A box stays inside its own cell: a small cell gets a smaller box.
    inset_box b = fit_inset_box(given, f.w - 2 * kEdge, f.h - 2 * kEdge);
    if (b.rows.empty() && b.left_out > 0) {
      placed.push_back({b});
      placed.back().beside = keep_clear;
      placed.back().number = number;
      continue;
    }
    const double w = inset_box_width(b), h = inset_box_height(b, 0);
    place at = corner_place(f, b.valign, b.halign, w, h);
    const int own = corner_of(b);
    if (b.automatic && own >= 0) {
      // The free corner that covers least, of those clear of the earlier boxes.
      const bool clear = free_at(at.x, at.y, w, h);
      double best = clear ? ink_under(at.x, at.y, w, h) : INFINITY;
      int chosen = own;
      for (int k = 0; k < 4 && best > 0; ++k) {
        if (taken[k]) continue;
        const place q = corner_place(f, kCorners[k][0], kCorners[k][1], w, h);
        if (!free_at(q.x, q.y, w, h)) continue;
        const double n = ink_under(q.x, q.y, w, h);
        if (n < best) best = n, chosen = k, at = q;
      }
      if (chosen != own) {
        taken[own] = false, taken[chosen] = true;
        // The box stands where it went: its room is that corner's.
        b.valign = kCorners[chosen][0], b.halign = kCorners[chosen][1];
      }
    }
    if (keep_clear && (!free_at(at.x, at.y, w, h) || ink_under(at.x, at.y, w, h) > 0)) {
      placed_inset out{b};
      out.beside = true;
      out.number = number;
      placed.push_back(out);
      continue;
    }
    if (!free_at(at.x, at.y, w, h)) {
      // Under the boxes it meets (over them at the bottom), when the frame has room.
      const bool bottom = b.valign == "BOTTOM";
      for (int round = 0; round < static_cast<int>(before.size()) && !free_at(at.x, at.y, w, h); ++round)
        for (const placed_inset& q : before)
          if (meets(q, at.x, at.y, w, h)) at.y = bottom ? q.y - kEdge - h : q.y + q.h + kEdge;
      if (at.y < f.y + kEdge - 0.01 || at.y + h > f.y + f.h - kEdge + 0.01 || !free_at(at.x, at.y, w, h)) {
        placed_inset out{b};
        out.box.left_out = 0;
        out.box.rows.clear();
        out.overlapped = true;
        out.number = number;
        placed.push_back(out);
        continue;
      }
    }
    placed.push_back({b, at.x, at.y, w, h});
    placed.back().number = number;
    before.push_back(placed.back());
  }
  return placed;
}

void add_reference_ink(const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
                       bool h_at_min, bool v_at_min, cell_ink* ink, const std::vector<frame>& taken) {
  // A label is text: no box stands over it. It keeps off the data's ink drawn so far,
  // as draw_refs places it.
  const std::vector<frame> labels = ref_label_boxes(f, hrefs, vrefs, h_at_min, v_at_min, taken, ink->points);
  for (const refline& r : vrefs)
    if (r.value >= f.ylo && r.value <= f.yhi) {
      const point ends[2] = {{f.x, f.py(r.value)}, {f.x + f.w, f.py(r.value)}};
      ink->add_line(ends, 2);
    }
  for (const refline& r : hrefs)
    if (r.value >= f.xlo && r.value <= f.xhi) {
      const point ends[2] = {{f.px(r.value), f.y}, {f.px(r.value), f.y + f.h}};
      ink->add_line(ends, 2);
    }
  for (const frame& t : labels) ink->bars.push_back(t);
}

namespace {

// Counts the rows box q leaves out in the graph's cuts.
void count_cut(inset_cuts& cuts, const placed_inset& q) {
  if (q.overlapped) {
    ++cuts.overlapped;
    return;
  }
  if (q.box.left_out <= 0) return;
  const int of = q.box.left_out + static_cast<int>(q.box.rows.size());
  ++cuts.boxes;
  if (q.box.left_out > cuts.most) cuts.most = q.box.left_out, cuts.of = of;
  for (box_cut& c : cuts.each)
    if (c.number == q.number) {
      if (q.box.left_out > c.most) c.most = q.box.left_out, c.of = of;
      return;
    }
  cuts.each.push_back({q.number, q.box.left_out, of});
}

}  // namespace

void draw_placed_box(canvas& c, graph_notes& notes, const placed_inset& q, double x, double y) {
  count_cut(notes.cuts, q);
  if (!q.overlapped) draw_inset_box(c, q.box, x, y, 0);
}

void draw_plot_insets(canvas& c, graph_notes& notes, const frame& f, const std::vector<inset_box>& boxes,
                      const cell_ink& ink) {
  for (const placed_inset& q : place_plot_insets(f, boxes, ink)) draw_placed_box(c, notes, q, q.x, q.y);
}

std::vector<inset_box> cell_inset_boxes(const out::graph_panel& p, const class_key& key) {
  std::vector<inset_box> boxes;
  for (const inset_box& b : read_inset_boxes(p))
    if (b.margin == 0) boxes.push_back(b);
  inset_box cell_box;
  if (inset_data_box(p, key, &cell_box)) boxes.push_back(cell_box);
  return boxes;
}

inset_room inset_margin_room(const std::vector<inset_box>& boxes, double width) {
  inset_room r;
  for (const inset_box& b : boxes) {
    switch (b.margin) {
      case 1: r.top += inset_box_height(b, width) + kBetween; break;
      case 2: r.bottom += inset_box_height(b, width) + kBetween; break;
      case 3: r.left = std::max(r.left, inset_box_width(b) + kBetween); break;
      case 4: r.right = std::max(r.right, inset_box_width(b) + kBetween); break;
      default: break;
    }
  }
  return r;
}

double side_insets_height(const std::vector<inset_box>& boxes) {
  double most = 0;
  for (const int margin : {3, 4}) {
    double h = 0;
    for (const inset_box& b : boxes)
      if (b.margin == margin) h += inset_box_height(b, 0) + kBetween;
    most = std::max(most, h - kBetween);
  }
  return most;
}

void fit_side_insets(std::vector<inset_box>* boxes, double room_w, double room_h) {
  for (const int margin : {3, 4}) {
    double free = room_h;
    for (inset_box& b : *boxes) {
      if (b.margin != margin) continue;
      const int given = static_cast<int>(b.rows.size());
      if (inset_box_height(b, 0) > free) b = fit_inset_box(b, std::max(room_w, inset_box_width(b)), free);
      // A box with no room for a row is left out whole, its rows counted.
      if (b.rows.empty()) b.left_out = given;
      free -= b.rows.empty() ? 0 : inset_box_height(b, 0) + kBetween;
    }
  }
}

void draw_margin_insets(canvas& c, graph_notes& notes, const std::vector<inset_box>& boxes, int margin, double x,
                        double y, double width) {
  inset_cuts& cuts = notes.cuts;
  for (const inset_box& b : boxes) {
    if (b.margin != margin) continue;
    if (b.left_out > 0) {
      const int of = b.left_out + static_cast<int>(b.rows.size());
      if (b.left_out > cuts.margin_most) cuts.margin_most = b.left_out, cuts.margin_of = of;
    }
    if (b.rows.empty()) continue;
    const bool side = margin >= 3;
    const double w = side ? inset_box_width(b) : width;
    const int across = pairs_per_line(b, side ? 0 : w);
    if (b.pairs_asked && across < std::min(b.pairs, static_cast<int>(b.rows.size())) && cuts.pairs_set == 0)
      cuts.pairs_set = across, cuts.pairs_asked = b.pairs;
    draw_inset_box(c, b, x, y, side ? 0 : w);
    y += inset_box_height(b, side ? 0 : w) + kBetween;
  }
}

}  // namespace plat::graph
