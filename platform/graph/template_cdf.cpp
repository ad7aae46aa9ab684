// The graph templates of CDF plots, CDFPlot and CompCDFPlot, from "CDFData": per cell
// the fitted distribution function (a curve of the palette) and the empirical one as
// a step line, the vertical axis 0 to _YMAX by fifths (or the VAXIS= ticks of _YTICKS), the horizontal axis a nice
// scale over every cell's points; the legend names the fitted curve by _CDFLAB. With
// OVERLAY the groups share a cell, each step line and curve in the group's look.
#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_cell_page.h"
#include "graph/template_graph_parts.h"
#include "graph/template_inset_layout.h"
#include "graph/template_insets.h"
#include "graph/template_overlay.h"
#include "graph/template_parts.h"
#include "graph/template_prob_parts.h"
#include "host/template_dynamics.h"

namespace plat::graph {
namespace {

struct cdf_cell {
  class_key key;
  row_runs rows;
  std::span<const point> fitted;           // a curve of a few hundred points (cdf_cells::fitted)
  std::size_t fitted_read = 0;             // its points, counted as they are read
  bool any_empirical = false;              // the empirical points stay in the data object
  unplotted_values alone;                  // values without a step
  double lo = INFINITY, hi = -INFINITY;    // the range of every point's x
  std::vector<refline> hrefs, vrefs;
  // Whether the cell draws a line: its steps, or a fitted curve (of two points at least).
  bool draws() const { return any_empirical || fitted.size() > 1; }
};

// The cells and every cell's fitted curve, one cell's after another, each cell's a view.
struct cdf_cells : keeps_views {
  std::vector<cdf_cell> cells;
  std::vector<point> fitted;
};

const std::vector<cdf_cell>& read_cells(const out::graph_table& t) {
  return kept_once<cdf_cells>(t, "cdf", [&t] {
    cdf_cells read;
    // The cells are read one after another: each cell's points follow the last cell's.
    read.cells = read_plot_cells<cdf_cell, 4>(
        t, {"CDFX", "CDFY", "ECDFX", "ECDFY"}, [&](cdf_cell& cell, const std::array<double, 4>& v) {
          // A point whose x is not finite (a fitted curve run past the largest
          // double) has no place: it neither draws nor stretches the axis.
          const double x = v[0], y = v[1];
          if (std::isfinite(x) && !std::isnan(y)) {
            read.fitted.push_back({x, y});
            ++cell.fitted_read;
            cell.lo = std::min(cell.lo, x), cell.hi = std::max(cell.hi, x);
          }
          const double u = v[2], w = v[3];
          if (std::isfinite(u) && !std::isnan(w)) {
            cell.any_empirical = true;
            cell.lo = std::min(cell.lo, u), cell.hi = std::max(cell.hi, u);
          } else if (!std::isnan(u)) {
            cell.alone.add(u);
          }
        });
    std::size_t first = 0;
    for (cdf_cell& cell : read.cells) {
      cell.fitted = std::span<const point>(read.fitted).subspan(first, cell.fitted_read);
      first += cell.fitted_read;
    }
    return read;
  }).cells;
}

// The empirical function's points (x, height after x) of a cell as a step line in the
// frame, given to the canvas as they are read; the line's trace, for placing insets,
// keeps a vertex only where it has moved half a pixel.
void draw_steps(canvas& c, const frame& f, const out::graph_table& t, const cdf_cell& cell, const paint& look,
                cell_ink* ink) {
  const column_reader col(t);
  const num_column ex = col.numbers("ECDFX"), ey = col.numbers("ECDFY");
  // The trace thinned to half-pixel steps, the piece on the stack: a cell's steps cost
  // no allocation beyond its trace.
  std::vector<point> trace;
  constexpr std::size_t kPiece = 1024;
  std::array<point, kPiece> piece;
  std::size_t n = 0;
  const auto vertex = [&](double px, double py) {
    piece[n++] = {px, py};
    if (n == kPiece) c.polyline_points(piece.data(), n), n = 0;
    if (trace.empty() || std::abs(px - trace.back().x) >= 0.5 || std::abs(py - trace.back().y) >= 0.5)
      trace.push_back({px, py});
  };
  c.polyline_begin(look);
  bool first = true;
  double last_y = 0;
  each_row<2>({ex, ey}, cell.rows, [&](std::size_t, const std::array<double, 2>& v) {
    const double x = v[0], y = v[1];
    if (!std::isfinite(x) || std::isnan(y)) return;
    if (!first) vertex(f.px(x), f.py(last_y));
    vertex(f.px(x), f.py(y));
    first = false;
    last_y = y;
  });
  c.polyline_points(piece.data(), n);
  c.polyline_end();
  ink->add_line(trace);
}

}  // namespace

bool draw_cdf(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why) {
  if (p.tables.empty() || p.tables[0]->name != "CDFData") {
    *why = "the graph has no CDFData";
    return false;
  }
  const std::vector<cdf_cell>& cells = read_cells(*p.tables[0]);
  const double ymax = p.number(KES_DYN_YMAX, 100);
  scale fifths{-0.04 * ymax, 1.04 * ymax, {}};
  fifths.ticks.reserve(6);
  for (int k = 0; k <= 5; ++k) fifths.ticks.push_back(ymax * k / 5);
  const scale ys = vaxis_scale(p, fifths);
  const std::vector<double>& yticks = ys.ticks;
  // The range of every cell's points, found at the first panel.
  auto [lo, hi] = kept_once<std::pair<double, double>>(*p.tables[0], "cdf range", [&cells] {
    double l = INFINITY, h = -INFINITY;
    for (const cdf_cell& cell : cells) l = std::min(l, cell.lo), h = std::max(h, cell.hi);
    return std::make_pair(l, h);
  });
  if (!(hi >= lo)) lo = 0, hi = 1;
  // Both axes reach past the data, so that the first and the last steps lie inside the frame.
  const scale xs = padded_scale(lo, hi, 5);

  const plot_layout& layout = plot_layout_of(p, *p.tables[0]);
  const plot_cells& drawn = layout.cells;
  const std::vector<class_key>& keys = drawn.keys;
  panel_grid grid = panel_cells(layout.places, p);
  std::vector<legend_entry> legend;
  bool any_fitted = false;
  for (int index : grid.index)
    for (int m : members_at(drawn, index))
      any_fitted = any_fitted || cells[m].fitted.size() > 1;
  if (drawn.overlay) {
    // Each group's step line and fitted curve share its colour and pattern.
    legend = group_legend(drawn, groups_drawn(drawn, grid, [&](int m) { return cells[m].draws(); }), false, true,
                          1.5);
  } else if (p.flag(KES_DYN_CURVELEGEND) && any_fitted) {
    legend_entry e;
    e.label = p.text(KES_DYN_CDFLAB, "Fitted");
    e.stroke = fit_line(p, curve_paint(0, false));
    legend.push_back(e);
  }
  paint empirical;
  empirical.stroke = kInk;
  empirical.width = 1.5;
  cell_page_kind kind;
  kind.ranged = [&](frame f) {
    f.xlo = xs.lo;
    f.xhi = xs.hi;
    f.ylo = ys.lo;
    f.yhi = ys.hi;
    return f;
  };
  // The step lines and fitted curves of a cell, and what it says of the groups it
  // leaves out.
  kind.draw_cell = [&](canvas& on, const frame& f, int index, cell_ink* ink) {
    const std::span<const int> members = drawn.members[index];
    const cdf_cell& cell = cells[members.front()];
    draw_wall(on, f);
    if (p.flag(KES_DYN_GRID)) draw_grid(on, f, yticks);
    on.clip_begin(f.x, f.y, f.w, f.h);
    bool any = false;
    std::vector<left_out_group> undrawn;
    std::vector<point> line;  // each fitted curve's page px in turn
    for (int m : members) {
      const int g = drawn.group_of[m];
      if (cells[m].any_empirical) draw_steps(on, f, *p.tables[0], cells[m], group_line(g, 1.5, empirical), ink);
      std::vector<point>& curve = emptied(line, cells[m].fitted.size());
      for (const point& q : cells[m].fitted) curve.push_back({f.px(q.x), f.py(q.y)});
      if (curve.size() > 1) on.polyline(curve, g < 0 ? fit_line(p, curve_paint(0, false)) : group_line(g, 2, paint{}));
      ink->add_line(curve);
      any = any || cells[m].draws();
      if (!cells[m].draws()) undrawn.push_back({g, cells[m].alone});
    }
    on.clip_end();
    if (!any && !drawn.overlay) ink->boxes.push_back(draw_no_values(on, f, cell.alone.why().c_str()));
    end_plot_cell(on, notes, f, p, cell.hrefs, cell.vrefs, drawn, members, undrawn, ink);
  };
  kind.lay_out = [&](canvas& on) {
    page_frame pg = begin_page(on, p, grid, legend, yticks, "CDF plot");
    keep_x_texts_on_page(&pg, p, grid, xs.lo, xs.hi, xs.ticks);
    return pg;
  };
  kind.draw_axes = [&](canvas& on, const frame& f, std::size_t slot, axis_scratch& axes) {
    draw_axes_of_cell(on, f, p, grid, slot, axes, xs.ticks, yticks);
  };
  // The vertical axis keeps 0 to 100 % (or 1): a box over the steps stands beside the cell.
  draw_cell_page(p, c, notes, &grid, keys, legend, kind);
  return true;
}

}  // namespace plat::graph
