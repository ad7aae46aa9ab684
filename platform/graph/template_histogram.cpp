// The graph templates of histograms, single ("orbo.kestravine.Graphics.Histogram")
// and comparative ("...CompHistogram"): bars from "HistogramData", hanging bars, bar
// labels, fitted and kernel curves with their legend, the fill under one curve,
// reference lines, grid, axes and titles, and the CLASS cells of one panel.
#include <algorithm>
#include <cmath>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/number_text.h"
#include "graph/template_canvas.h"
#include "graph/template_cell_page.h"
#include "graph/template_graph_parts.h"
#include "graph/template_inset_layout.h"
#include "graph/template_insets.h"
#include "graph/template_parts.h"
#include "host/template_dynamics.h"

namespace plat::graph {
namespace {

struct bar {
  double x, height;
  double origin = NAN, hang = NAN;  // a hanging bar spans [hang, origin]
  std::string label;
};
struct curve {
  // Its label's place among the labels of every cell (hist_cells::labels), which is its
  // style, so that a curve keeps its colour when another cell lacks a curve before it.
  int style;
  std::span<const point> pts;  // data values: a view of the graph's (hist_cells::points)
};
struct hist_cell {
  std::span<const bar> bars;  // a view of the graph's bars (hist_cells::bars)
  std::span<const curve> curves;  // and of its curves
  std::vector<refline> hrefs, vrefs;
  // The values of a cell that draws none (NOBARS, and no curve fitted there).
  unplotted_values bare;
};

// The cells with what every panel takes from all of them: their keys and places on
// the panels, the bin positions' finest spacing (infinite with fewer than two) and
// least value, the range of heights the common vertical scale must hold, and the
// curves' labels in the order of their styles (with whether a cell fills under it).
struct hist_cells : keeps_views {
  std::vector<hist_cell> cells;  // viewing the lists below
  // Every cell's bars, curves and curve points, one cell's after another.
  std::vector<bar> bars;
  std::vector<curve> curves;
  std::vector<point> points;
  std::vector<class_key> keys;
  cell_places places;
  double step = INFINITY, first_x = NAN;
  double lo = 0, hi = 0;
  std::vector<std::string> labels;
  std::vector<bool> filled;
};

// The cells of the data object in the order their first rows come, with their keys,
// bars and curves, read once for every panel of the graph.
void read_rows(const out::graph_table& t, hist_cells* out) {
  const column_reader col(t);
  const num_column bin_x = col.numbers("BinX"), count = col.numbers("BinCount"), origin = col.numbers("HangYorigin"),
                   hang = col.numbers("HangY"), cx = col.numbers("CurveX"), cy = col.numbers("CurveY"),
                   href = col.numbers("HRefValue"), vref = col.numbers("VRefValue"),
                   bare_n = col.numbers("CellValues"), bare_lo = col.numbers("CellMin"),
                   bare_hi = col.numbers("CellMax");
  const text_column bar_label = col.texts("BarLabel"), curve_label = col.texts("CurveLabel"),
                    href_label = col.texts("HRefLabel"), vref_label = col.texts("VRefLabel");
  // Curves were asked for: a cell that draws none lost its fits.
  const char* bare_cause = t.column("CurveLabel") >= 0 ? "no curve: the fit failed" : "NOBARS";
  const std::vector<cell_rows>& index_of = cells_of(t);
  // The bars counted first: the graph's list is made once, at its length.
  std::size_t bars = 0;
  for (const cell_rows& index : index_of)
    for (const auto& [first, end] : index.runs)
      for (std::size_t row = first; row < end; ++row) bars += std::isnan(bin_x(row)) ? 0 : 1;
  out->bars.reserve(bars);
  out->cells.reserve(index_of.size());
  out->keys.reserve(index_of.size());
  // Where each cell's bars and curves, and each curve's points, start in the lists.
  std::vector<std::size_t> first_bar, first_curve, first_point;
  first_bar.reserve(index_of.size() + 1);
  first_curve.reserve(index_of.size() + 1);
  // The curves' labels in the order they first come: a graph has a few.
  const auto style_of = [&](const std::string& label) {
    const std::size_t at = static_cast<std::size_t>(
        std::find(out->labels.begin(), out->labels.end(), label) - out->labels.begin());
    if (at == out->labels.size()) out->labels.push_back(label);
    return static_cast<int>(at);
  };
  for (const cell_rows& index : index_of) {
    hist_cell& c = out->cells.emplace_back();
    out->keys.push_back(index.key);
    first_bar.push_back(out->bars.size());
    first_curve.push_back(out->curves.size());
    for (const auto& [first, end] : index.runs)
      for (std::size_t row = first; row < end; ++row) {
        if (const double n = bare_n(row); n > 0) {
          c.bare.n = static_cast<long>(n);
          c.bare.lo = bare_lo(row);
          c.bare.hi = bare_hi(row);
          c.bare.cause = bare_cause;
        }
        const double x = bin_x(row);
        if (!std::isnan(x)) out->bars.push_back(bar{x, count(row), origin(row), hang(row), bar_label(row)});
        const double px = cx(row), py = cy(row);
        if (!std::isnan(px) && !std::isnan(py)) {
          const int style = style_of(curve_label(row));
          if (out->curves.size() == first_curve.back() || out->curves.back().style != style) {
            out->curves.push_back(curve{style, {}});
            first_point.push_back(out->points.size());
          }
          out->points.push_back({px, py});
        }
        const double h = href(row);
        if (!std::isnan(h)) c.hrefs.push_back({h, href_label(row)});
        const double v = vref(row);
        if (!std::isnan(v)) c.vrefs.push_back({v, vref_label(row)});
      }
  }
  // The views, now that the lists are whole.
  first_bar.push_back(out->bars.size());
  first_curve.push_back(out->curves.size());
  first_point.push_back(out->points.size());
  const auto part = [](const auto& all, const std::vector<std::size_t>& first, std::size_t i) {
    return std::span(all).subspan(first[i], first[i + 1] - first[i]);
  };
  for (std::size_t i = 0; i < out->curves.size(); ++i) out->curves[i].pts = part(out->points, first_point, i);
  for (std::size_t i = 0; i < out->cells.size(); ++i) {
    out->cells[i].bars = part(out->bars, first_bar, i);
    out->cells[i].curves = part(out->curves, first_curve, i);
  }
}

const hist_cells& read_cells(const out::graph_table& t) {
  return kept_once<hist_cells>(t, "histogram", [&t] {
    hist_cells h;
    read_rows(t, &h);
    std::vector<double> xs;
    xs.reserve(h.bars.size());
    for (const bar& b : h.bars) xs.push_back(b.x);
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 1; i < xs.size(); ++i)
      if (xs[i] - xs[i - 1] > 0) h.step = std::min(h.step, xs[i] - xs[i - 1]);
    if (!xs.empty()) h.first_x = xs.front();
    h.places = place_cells(h.keys);
    for (const hist_cell& c : h.cells) {
      for (const bar& b : c.bars) {
        h.hi = std::max(h.hi, std::isnan(b.origin) ? b.height : b.origin);
        if (!std::isnan(b.hang)) h.lo = std::min(h.lo, b.hang);
      }
      for (const curve& k : c.curves)
        for (const point& q : k.pts) h.hi = std::max(h.hi, q.y);
      for (const refline& r : c.vrefs) h.hi = std::max(h.hi, r.value);
    }
    h.filled.assign(h.labels.size(), false);
    for (const hist_cell& c : h.cells)
      if (!c.curves.empty()) h.filled[static_cast<std::size_t>(c.curves.front().style)] = true;
    return h;
  });
}

bool is_kernel(const std::string& label) { return label.find("Kernel") != std::string::npos; }

// The end of the vertical axis's scale: 100 for percents, 1 for proportions; a count
// has none. Without bars (NOBARS) the curves' heights are on the same scale.
double scale_end(const out::graph_table& t) {
  int k = t.column("BinCount");
  if (k < 0) k = t.column("CurveY");
  const std::string label = k < 0 ? "" : t.columns[static_cast<std::size_t>(k)].label;
  return label == "Percent" ? 100 : label == "Proportion" ? 1 : INFINITY;
}

// The tallest height the axis holds: a curve may rise past the scale's end (a narrow
// density's peak, over 100 %), but the axis stops there and the frame cuts the curve.
double held_height(const hist_cells& read, double end) { return std::min(read.hi, end); }

// The common vertical scale of every cell of the graph, unless the dynamics fix it.
// Its own scale runs from 0 (or the lowest hanging bar) to the tallest height held to
// the scale's end: every nice step (1, 2 or 5 times a power of ten, no longer than the
// scale) divides 100 and 1, so no tick passes the end.
scale vertical_scale(const out::graph_panel& p, const hist_cells& read, bool hanging) {
  const std::vector<double> given = parse_numbers(p.text(KES_DYN_YTICKS));
  const double ymax = p.number(KES_DYN_YMAX, NAN);
  if (!given.empty()) {
    scale s;
    s.ticks = given;
    s.lo = p.number(KES_DYN_YMIN, given.front());
    s.hi = std::isnan(ymax) ? given.back() : ymax;
    return s;
  }
  const double end = scale_end(*p.tables[0]);
  const double lo = hanging ? read.lo : 0;
  double hi = held_height(read, end);
  if (!std::isnan(ymax)) hi = ymax;
  scale s = nice_scale(lo, hi > lo ? hi : lo + 1, 5);
  // Held there even should a step not divide the end.
  while (s.ticks.size() > 2 && s.ticks.back() > end) s.ticks.pop_back();
  s.hi = std::min(s.hi, end);
  if (!std::isnan(ymax) && s.hi > ymax) {
    while (s.ticks.size() > 2 && s.ticks.back() > ymax * (1 + 1e-12)) s.ticks.pop_back();
    s.hi = ymax;
  } else if (std::isnan(ymax) && s.ticks.size() >= 2 && s.hi - hi < 0.06 * (s.hi - s.lo)) {
    // The tallest bar or curve would touch the frame (or leave no room for its bar
    // label) and merge into the strip above: the axis runs on to the next tick; past
    // the scale's end (100 %) the frame alone reaches 4 % beyond the last tick, as
    // a P-P plot's does past 1.
    const double next = s.hi + (s.ticks[1] - s.ticks[0]);
    if (next <= end) {
      s.ticks.push_back(next);
      s.hi = next;
    } else {
      s.hi += 0.04 * (s.hi - s.lo);
    }
  }
  return s;
}

// The vertical ticks beside a cell: a cell whose bars stand (no curve to hang them
// from) reads no value below 0, though the common scale runs below it for the cells
// that hang. Both lists are found once a page.
struct cell_tick_sets {
  std::vector<double> all, standing;
  explicit cell_tick_sets(const std::vector<double>& ticks) : all(ticks) {
    standing.reserve(ticks.size());
    for (double t : ticks)
      if (t >= 0) standing.push_back(t);
  }
  const std::vector<double>& of(const hist_cell& cell, bool hanging) const {
    const bool hangs = hanging && std::any_of(cell.bars.begin(), cell.bars.end(), [](const bar& b) {
                         return !std::isnan(b.origin) && !std::isnan(b.hang);
                       });
    return hangs ? all : standing;
  }
};

// Bar width: the spacing of the bin positions.
double bar_width(const hist_cells& h, double xmin, double xmax, bool midpoints) {
  if (std::isfinite(h.step)) return h.step;
  return midpoints ? xmax - xmin : (std::isnan(h.first_x) ? xmax - xmin : xmax - h.first_x);
}


// The rectangles (page px) of the cell's bars that are drawn, each given to each(r):
// from 0 (or the axis foot) to their heights, hanging bars from their origins down to
// where they hang.
template <class Each>
void each_bar_rect(const hist_cell& cell, const frame& f, double w, bool midpoints, bool hanging, Each each) {
  const double base = std::max(f.ylo, 0.0);
  for (const bar& b : cell.bars) {
    const double left = midpoints ? b.x - w / 2 : b.x;
    double top = b.height, bottom = base;
    if (hanging && !std::isnan(b.origin) && !std::isnan(b.hang)) {
      top = b.origin;
      bottom = b.hang;
    } else if (!(b.height > 0)) {
      continue;
    }
    const double y0 = f.py(std::min(top, f.yhi)), y1 = f.py(std::max(bottom, f.ylo));
    each(frame{f.px(left), y0, f.px(left + w) - f.px(left), y1 - y0});
  }
}

// A value text over a bar as it is drawn, and its room.
struct bar_text {
  double x, y;  // the middle of its baseline
  std::string text;
  double size;
  frame room;
};

// The value texts over the bars: centred over their bar, 3 px above it and under the
// frame's top. Where neighbours would meet, all of the cell's shrink alike down to
// four fifths of their size; past that they take two rows, each rising over the one
// before it where they would meet (kes_set_values); where even two rows cannot hold
// them, only the tallest bars that leave each other room keep theirs (kes_values_kept)
// and *left_out counts the others.
std::vector<bar_text> bar_texts(const hist_cell& cell, const frame& f, double w, bool midpoints, bool hanging,
                                int* left_out = nullptr) {
  std::vector<bar_text> out;
  std::vector<double> centres, widths, tallness, tops, bases;
  const double floor = std::max(f.ylo, 0.0);
  for (const bar& b : cell.bars) {
    if (b.label.empty()) continue;
    const bool hangs = hanging && !std::isnan(b.origin);
    const double top = hangs ? b.origin : b.height;
    const double cx = f.px(midpoints ? b.x : b.x + w / 2);
    out.push_back({cx, f.py(top) - 3, b.label, kRefLabelSize, frame{}});
    tops.push_back(f.py(std::min(top, f.yhi)));
    bases.push_back(f.py(std::max(hangs && !std::isnan(b.hang) ? b.hang : floor, f.ylo)));
    centres.push_back(cx);
    widths.push_back(text_advance(b.label, text_style{kRefLabelSize}));
    tallness.push_back(-out.back().y);
  }
  constexpr double kAir = 2;
  const std::vector<bool> keep = kes_values_kept(centres, widths, tallness, kAir, text_advance(" ", text_style{kRefLabelSize}));
  std::size_t kept = 0;
  for (std::size_t i = 0; i < out.size(); ++i)
    if (keep[i]) {
      if (kept != i) out[kept] = std::move(out[i]);
      tops[kept] = tops[i], bases[kept] = bases[i];
      centres[kept] = centres[i], widths[kept++] = widths[i];
    }
  if (left_out != nullptr) *left_out = static_cast<int>(out.size() - kept);
  out.resize(kept), centres.resize(kept), widths.resize(kept), tops.resize(kept), bases.resize(kept);
  const kes_values_set set = kes_set_values(centres, widths, kAir);
  const double size = kRefLabelSize * set.scale;
  const double above = text_above(size), below = text_below(size);
  std::vector<kes_room> rooms;
  for (bar_text& t : out) {
    t.size = size;
    t.y = std::max(f.y + above, t.y);
    const double across = text_advance(t.text, text_style{size});
    rooms.push_back({t.x - across / 2 - kAir / 2, t.y - above, t.x + across / 2 + kAir / 2, t.y + below});
  }
  const std::vector<double> rise = kes_value_rises(rooms, set.two_rows, false);
  for (std::size_t i = 0; i < out.size(); ++i) {
    kes_room& r = rooms[i];
    if (r.y0 - rise[i] >= f.y) {
      r.y0 -= rise[i], r.y1 -= rise[i], out[i].y -= rise[i];
    } else if (rise[i] > 0) {
      // A text that would leave the frame goes down into its bar instead, its top 3 px
      // under the bar's, where the bar holds it; a bar too short keeps it on its top.
      const double drop = tops[i] + 3 - r.y0;
      if (r.y1 + drop <= bases[i]) r.y0 += drop, r.y1 += drop, out[i].y += drop;
    }
  }
  // The later of two texts that still meet (one kept on a bar too short to take it) is
  // left out, counted with the thinned ones.
  const std::vector<bool> apart = kes_texts_apart(rooms);
  std::size_t placed = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (!apart[i]) continue;
    const kes_room& r = rooms[i];
    out[i].room = frame{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0};
    if (placed != i) out[placed] = std::move(out[i]);
    ++placed;
  }
  if (left_out != nullptr) *left_out += static_cast<int>(out.size() - placed);
  out.resize(placed);
  return out;
}

std::vector<frame> rooms_of(const std::vector<bar_text>& texts) {
  std::vector<frame> rooms;
  for (const bar_text& t : texts) rooms.push_back(t.room);
  return rooms;
}

// The cell's curves as ink, in page px: points every few px along each.
void add_curve_ink(const hist_cell& cell, const frame& f, cell_ink* ink) {
  std::vector<point> line;  // each curve's page px in turn
  for (const curve& k : cell.curves) {
    std::vector<point>& pts = emptied(line, k.pts.size());
    for (const point& q : k.pts) pts.push_back({f.px(q.x), f.py(q.y)});
    ink->add_line(pts);
  }
}

// What a cell draws, in page px, for the placing of its inset boxes: its bars (with
// room for their labels), curves and reference lines with their labels (which keep
// off the curves, as draw_cell places them).
cell_ink ink_of(const hist_cell& cell, const frame& f, const out::graph_panel& p, double w, bool midpoints,
               bool hanging) {
  cell_ink ink;
  each_bar_rect(cell, f, w, midpoints, hanging, [&](const frame& r) { ink.bars.push_back(r); });
  const std::vector<frame> values = rooms_of(bar_texts(cell, f, w, midpoints, hanging));
  for (const frame& r : values) ink.bars.push_back(r);
  add_curve_ink(cell, f, &ink);
  add_reference_ink(f, cell.hrefs, cell.vrefs, p.text(KES_DYN_HREFLABPOS) == "MIN",
                    p.text(KES_DYN_VREFLABPOS) == "MIN", &ink, values);
  // The words of an empty cell, where draw_cell puts them.
  if (std::none_of(cell.bars.begin(), cell.bars.end(), [](const bar& b) { return b.height > 0; }) &&
      cell.curves.empty()) {
    no_canvas measure;
    ink.boxes.push_back(draw_no_values(measure, f, cell.bare.why().c_str()));
  }
  return ink;
}

void draw_cell(canvas& c, graph_notes& notes, const frame& f, const hist_cell& cell, const out::graph_panel& p,
               double w, bool midpoints, const std::vector<double>& yticks, const std::vector<std::string>& labels) {
  draw_wall(c, f);
  if (p.flag(KES_DYN_GRID)) draw_grid(c, f, yticks);
  c.clip_begin(f.x, f.y, f.w, f.h);
  const double base = std::max(f.ylo, 0.0);
  paint barpaint;
  barpaint.fill = kBarFill;
  barpaint.stroke = kFrameColour;
  const bool hanging = p.flag(KES_DYN_HANG);
  each_bar_rect(cell, f, w, midpoints, hanging, [&](const frame& r) { c.rect(r.x, r.y, r.w, r.h, barpaint); });
  std::vector<point> line;  // the fill's outline, then each curve's page px in turn
  // The fill under the one curve, translucent over the bars, the lines on top.
  if (p.flag(KES_DYN_CFILL) && !cell.curves.empty() && cell.curves[0].pts.size() > 1) {
    const curve& k = cell.curves[0];
    std::vector<point>& poly = emptied(line, k.pts.size() + 2);
    poly.push_back({f.px(k.pts.front().x), f.py(base)});
    for (const point& q : k.pts) poly.push_back({f.px(q.x), f.py(std::min(q.y, f.yhi))});
    poly.push_back({f.px(k.pts.back().x), f.py(base)});
    paint fill;
    fill.fill = curve_paint(k.style, is_kernel(labels[static_cast<std::size_t>(k.style)])).stroke;
    fill.fill_opacity = 0.25;
    c.polygon(poly, fill);
  }
  for (std::size_t i = 0; i < cell.curves.size(); ++i) {
    std::vector<point>& pts = emptied(line, cell.curves[i].pts.size());
    for (const point& q : cell.curves[i].pts) pts.push_back({f.px(q.x), f.py(q.y)});
    const int style = cell.curves[i].style;
    c.polyline(pts, curve_paint(style, is_kernel(labels[static_cast<std::size_t>(style)])));
  }
  c.clip_end();
  // Bar labels above their bars.
  int left_out = 0;
  const std::vector<bar_text> values = bar_texts(cell, f, w, midpoints, hanging, &left_out);
  notes.count_values_left_out(left_out, static_cast<int>(values.size()) + left_out);
  for (const bar_text& v : values) {
    text_style t;
    t.size = v.size;
    t.align = anchor::middle;
    c.text(v.x, v.y, v.text, t);
  }
  const bool any_bar = std::any_of(cell.bars.begin(), cell.bars.end(), [](const bar& b) { return b.height > 0; });
  if (!any_bar && cell.curves.empty()) draw_no_values(c, f, cell.bare.why().c_str());
  cell_ink curves;
  add_curve_ink(cell, f, &curves);
  draw_refs(c, notes, f, cell.hrefs, cell.vrefs, p.text(KES_DYN_HREFLABPOS) == "MIN",
            p.text(KES_DYN_VREFLABPOS) == "MIN", rooms_of(values), curves.points);
  draw_border(c, f);
}

// Whether the vertical axis is the graph's own, free to run on past the data.
bool own_vertical_axis(const out::graph_panel& p, const scale& ys) {
  return parse_numbers(p.text(KES_DYN_YTICKS)).empty() && std::isnan(p.number(KES_DYN_YMAX, NAN)) &&
         ys.ticks.size() >= 2 && ys.ticks[1] > ys.ticks[0];
}

}  // namespace

bool draw_histogram(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why) {
  if (p.tables.empty() || p.tables[0]->name != "HistogramData") {
    *why = "the graph has no HistogramData";
    return false;
  }
  const hist_cells& read = read_cells(*p.tables[0]);
  const std::vector<hist_cell>& cells = read.cells;
  const std::vector<class_key>& keys = read.keys;
  const bool midpoints = p.text(KES_DYN_XVALUES, "MIDPOINTS") != "LEFTPOINTS";
  const std::vector<double> xticks = parse_numbers(p.text(KES_DYN_XTICKS));
  double xmin = p.number(KES_DYN_XMIN, NAN), xmax = p.number(KES_DYN_XMAX, NAN);
  if (std::isnan(xmin) || std::isnan(xmax) || !(xmax > xmin)) {
    const scale s = nice_scale(xticks.empty() ? 0 : xticks.front(), xticks.empty() ? 1 : xticks.back());
    xmin = s.lo;
    xmax = s.hi;
  }
  const double w = bar_width(read, xmin, xmax, midpoints);
  const bool hanging = p.flag(KES_DYN_HANG);
  scale ys = vertical_scale(p, read, hanging);
  // Room beside the end bars, so that they do not sit on the frame; a bar that ends at
  // the largest double has none past it.
  double xlo = xmin, xhi = xmax;
  kes_pad_range(0.04, &xlo, &xhi);

  // The cells of this panel.
  panel_grid grid = panel_cells(read.places, p);

  const std::vector<std::string>& labels = read.labels;
  // Legend: the curves the cells of this panel draw, in the order of their styles; a
  // fit that failed in every one of them has no curve and no entry, nor has a curve
  // the frame cuts away whole (above the scale's end wherever it runs).
  std::vector<legend_entry> legend;
  if (p.flag(KES_DYN_CURVELEGEND)) {
    // A curve shows where two neighbouring points are finite (a segment is drawn) and
    // one of them is under the scale's end.
    const auto shows = [&](const curve& k) {
      for (std::size_t i = 1; i < k.pts.size(); ++i) {
        const point &a = k.pts[i - 1], &b = k.pts[i];
        if (std::isfinite(a.y) && std::isfinite(b.y) && std::isfinite(a.x) && std::isfinite(b.x) &&
            std::min(a.y, b.y) <= ys.hi)
          return true;
      }
      return false;
    };
    std::vector<bool> drawn(labels.size(), false);
    for (int index : grid.index)
      if (index >= 0)
        for (const curve& k : cells[index].curves)
          if (shows(k)) drawn[static_cast<std::size_t>(k.style)] = true;
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (!drawn[i]) continue;
      legend_entry e;
      e.label = labels[i];
      e.stroke = curve_paint(static_cast<int>(i), is_kernel(e.label));
      e.filled = p.flag(KES_DYN_CFILL) && read.filled[i];
      legend.push_back(e);
    }
  }

  cell_page_kind kind;
  kind.lay_out = [&](canvas& on) {
    page_frame pg = begin_page(on, p, grid, legend, ys.ticks, "histogram");
    keep_x_texts_on_page(&pg, p, grid, xlo, xhi, xticks);
    return pg;
  };
  kind.ranged = [&](frame f) {
    f.xlo = xlo;
    f.xhi = xhi;
    f.ylo = ys.lo;
    f.yhi = ys.hi;
    return f;
  };
  // The cells' ticks, found again should the boxes raise the axis.
  cell_tick_sets tick_sets(ys.ticks);
  const auto cell_ticks = [&](const hist_cell& cell) -> const std::vector<double>& {
    if (tick_sets.all != ys.ticks) tick_sets = cell_tick_sets(ys.ticks);
    return tick_sets.of(cell, hanging);
  };
  kind.draw_cell = [&](canvas& on, const frame& f, int index, cell_ink*) {
    draw_cell(on, notes, f, cells[index], p, w, midpoints, cell_ticks(cells[index]), labels);
  };
  // The boxes keep off what ink_of finds in a cell, without drawing it.
  kind.measure = [&](canvas&, const frame& f, int index, cell_ink* out) {
    *out = ink_of(cells[index], f, p, w, midpoints, hanging);
  };
  // A slot without a cell stands: it has no bar to hang.
  const hist_cell no_cell{};
  kind.draw_axes = [&](canvas& on, const frame& f, std::size_t slot, axis_scratch& axes) {
    const int index = grid.index[slot];
    const hist_cell& cell = index < 0 ? no_cell : cells[index];
    draw_axes_of_cell(on, f, p, grid, slot, axes, xticks, cell_ticks(cell));
  };
  // Boxes at the top may raise the axis by whole ticks; boxes still over the bars stand
  // beside their cells.
  if (own_vertical_axis(p, ys)) {
    const double end = scale_end(*p.tables[0]);
    kind.rise = axis_rise{&ys, ys.lo, held_height(read, end), end};
  }
  draw_cell_page(p, c, notes, &grid, keys, legend, kind);
  return true;
}

}  // namespace plat::graph
