// The graph templates of P-P plots, PPPlot and CompPPPlot, from "PPPlotData": per cell
// the fitted distribution function at each distinct value (open circles) against the
// empirical one, both axes 0 to 1 by 0.2, and the line y = x when the data object has
// its RefInt column and _REFLINE is on.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_graph_parts.h"
#include "graph/template_insets.h"
#include "graph/template_parts.h"
#include "graph/template_prob_parts.h"

namespace plat::graph {
namespace {

struct pp_cell {
  class_key key;
  std::vector<point> pts;
  bool line = false;
  std::vector<refline> hrefs, vrefs;
};

std::vector<pp_cell> read_cells(const out::graph_table& t) {
  return read_plot_cells<pp_cell>(t, [](const column_reader& col, const std::vector<out::cell>& row, pp_cell& cell) {
    const double x = col.num(row, "Theoretical"), y = col.num(row, "Empirical");
    if (!std::isnan(x) && !std::isnan(y)) cell.pts.push_back({x, y});
    if (!std::isnan(col.num(row, "RefInt"))) cell.line = true;
  });
}

}  // namespace

void draw_points(canvas& c, const frame& f, const std::vector<point>& pts) {
  paint dot;
  dot.stroke = kPointInk;
  for (const point& q : pts) {
    std::vector<point> ring;
    for (int k = 0; k < 12; ++k) {
      const double t = k * 3.14159265358979323846 / 6;
      ring.push_back({f.px(q.x) + 2.5 * std::cos(t), f.py(q.y) + 2.5 * std::sin(t)});
    }
    c.polygon(ring, dot);
  }
}

void read_refs(const column_reader& col, const std::vector<out::cell>& row, std::vector<refline>& hrefs,
               std::vector<refline>& vrefs) {
  const double h = col.num(row, "HRefValue");
  if (!std::isnan(h)) hrefs.push_back({h, col.text(row, "HRefLabel")});
  const double v = col.num(row, "VRefValue");
  if (!std::isnan(v)) vrefs.push_back({v, col.text(row, "VRefLabel")});
}

bool draw_pp(const out::graph_panel& p, canvas& c, std::string* why) {
  if (p.tables.empty() || p.tables[0]->name != "PPPlotData") {
    *why = "the graph has no PPPlotData";
    return false;
  }
  const std::vector<pp_cell> cells = read_cells(*p.tables[0]);
  const std::vector<double> ticks = {0, 0.2, 0.4, 0.6, 0.8, 1};
  std::vector<class_key> keys;
  for (const pp_cell& cell : cells) keys.push_back(cell.key);
  const panel_grid grid = panel_cells(keys, static_cast<int>(p.number("_NROWS", 1)),
                                      static_cast<int>(p.number("_NCOLS", 1)), static_cast<int>(p.number("_PANEL", 1)));
  page_frame page = begin_page(c, p, grid, {}, ticks, "P-P plot");
  if (p.flag("_SQUARE") || p.flag("_ASPECTRATIO")) {
    // Square cells: the narrower side of the grid sets both, the gaps and strips
    // between them left out; the grid stands in the middle of the room across, its
    // vertical axis label with it.
    const double gap = cell_gap(), strip = grid.strips ? kStripHeight : 0;
    const double w = page.grid_right - page.grid_left, h = page.grid_bottom - page.grid_top;
    const double side = std::max(10.0, std::min((w - (grid.ncols - 1) * gap) / grid.ncols,
                                                (h - (grid.nrows - 1) * gap) / grid.nrows - strip));
    const double across = side * grid.ncols + (grid.ncols - 1) * gap;
    const double shift = std::max(0.0, (w - across) / 2);
    page.grid_left += shift;
    page.ylabel_x += shift;
    page.grid_right = page.grid_left + across;
    page.cells = cell_grid(page.grid_left, page.grid_top, page.grid_right,
                           page.grid_top + (side + strip) * grid.nrows + (grid.nrows - 1) * gap, grid.nrows, grid.ncols,
                           grid.strips);
  }
  for (std::size_t i = 0; i < page.cells.size(); ++i) {
    const int index = grid.index[i];
    frame f = page.cells[i];
    // Points at 0 and 1 are drawn whole inside the frame.
    f.xlo = f.ylo = -0.04;
    f.xhi = f.yhi = 1.04;
    draw_slot_strip(c, f, *p.tables[0], grid, i);
    if (!grid.drawn(i)) continue;
    if (index >= 0) {
      const pp_cell& cell = cells[index];
      draw_wall(c, f);
      if (p.flag("_GRID")) draw_grid(c, f, ticks);
      c.clip_begin(f.x, f.y, f.w, f.h);
      if (p.flag("_REFLINE") && cell.line) {
        paint l;
        l.stroke = kLineInk;
        l.width = 1.5;
        c.line(f.px(0), f.py(0), f.px(1), f.py(1), l);
      }
      draw_points(c, f, cell.pts);
      c.clip_end();
      if (cell.pts.empty()) draw_no_values(c, f);
      draw_hrefs(c, f, cell.hrefs, p.text("_HREFLABPOS") == "MIN");
      draw_vrefs(c, f, cell.vrefs, p.text("_VREFLABPOS") == "MIN");
      draw_border(c, f);
      cell_ink ink;
      for (const point& q : cell.pts) ink.points.push_back({f.px(q.x), f.py(q.y)});
      draw_cell_insets(c, f, p, keys[index], ink);
    }
    draw_axes_of_cell(c, f, p, grid, i, ticks, ticks);
  }
  finish_page(c, p, page, {});
  return true;
}

}  // namespace plat::graph
