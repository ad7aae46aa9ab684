// The graph templates of CDF plots, CDFPlot and CompCDFPlot, from "CDFData": per cell
// the fitted distribution function (a curve of the palette) and the empirical one as
// a step line, the vertical axis 0 to _YMAX by fifths, the horizontal axis a nice
// scale over every cell's points; the legend names the fitted curve by _CDFLAB.
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

struct cdf_cell {
  class_key key;
  std::vector<point> fitted, empirical;
  std::vector<refline> hrefs, vrefs;
};

std::vector<cdf_cell> read_cells(const out::graph_table& t) {
  return read_plot_cells<cdf_cell>(t, [](const column_reader& col, const std::vector<out::cell>& row, cdf_cell& cell) {
    const double fx = col.num(row, "CDFX"), fy = col.num(row, "CDFY");
    if (!std::isnan(fx) && !std::isnan(fy)) cell.fitted.push_back({fx, fy});
    const double ex = col.num(row, "ECDFX"), ey = col.num(row, "ECDFY");
    if (!std::isnan(ex) && !std::isnan(ey)) cell.empirical.push_back({ex, ey});
  });
}

// The empirical function's points (x, height after x) as a step line in the frame.
std::vector<point> steps(const frame& f, const std::vector<point>& pts) {
  std::vector<point> out;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (i > 0) out.push_back({f.px(pts[i].x), f.py(pts[i - 1].y)});
    out.push_back({f.px(pts[i].x), f.py(pts[i].y)});
  }
  return out;
}

}  // namespace

bool draw_cdf(const out::graph_panel& p, canvas& c, std::string* why) {
  if (p.tables.empty() || p.tables[0]->name != "CDFData") {
    *why = "the graph has no CDFData";
    return false;
  }
  const std::vector<cdf_cell> cells = read_cells(*p.tables[0]);
  const double ymax = p.number("_YMAX", 100);
  std::vector<double> yticks;
  for (int k = 0; k <= 5; ++k) yticks.push_back(ymax * k / 5);
  double lo = INFINITY, hi = -INFINITY;
  for (const cdf_cell& cell : cells) {
    for (const point& q : cell.fitted) lo = std::min(lo, q.x), hi = std::max(hi, q.x);
    for (const point& q : cell.empirical) lo = std::min(lo, q.x), hi = std::max(hi, q.x);
  }
  if (!(hi >= lo)) lo = 0, hi = 1;
  // Both axes reach past the data, so that the first and the last steps lie inside the frame.
  const scale xs = padded_scale(lo, hi, 5);

  std::vector<class_key> keys;
  for (const cdf_cell& cell : cells) keys.push_back(cell.key);
  const panel_grid grid = panel_cells(keys, static_cast<int>(p.number("_NROWS", 1)),
                                      static_cast<int>(p.number("_NCOLS", 1)), static_cast<int>(p.number("_PANEL", 1)));
  std::vector<legend_entry> legend;
  bool any_fitted = false;
  for (int index : grid.index) any_fitted = any_fitted || (index >= 0 && cells[index].fitted.size() > 1);
  if (p.flag("_CURVELEGEND") && any_fitted) {
    legend_entry e;
    e.label = p.text("_CDFLAB", "Fitted");
    e.stroke = curve_paint(0, false);
    legend.push_back(e);
  }
  const page_frame page = begin_page(c, p, grid, legend, yticks, "CDF plot");
  paint empirical;
  empirical.stroke = kPointInk;
  empirical.width = 1.5;
  for (std::size_t i = 0; i < page.cells.size(); ++i) {
    const int index = grid.index[i];
    frame f = page.cells[i];
    f.xlo = xs.lo;
    f.xhi = xs.hi;
    f.ylo = -0.04 * ymax;
    f.yhi = 1.04 * ymax;
    draw_slot_strip(c, f, *p.tables[0], grid, i);
    if (!grid.drawn(i)) continue;
    if (index >= 0) {
      const cdf_cell& cell = cells[index];
      draw_wall(c, f);
      if (p.flag("_GRID")) draw_grid(c, f, yticks);
      c.clip_begin(f.x, f.y, f.w, f.h);
      cell_ink ink;
      if (!cell.empirical.empty()) {
        const std::vector<point> line = steps(f, cell.empirical);
        c.polyline(line, empirical);
        ink.add_line(line);
      }
      std::vector<point> curve;
      for (const point& q : cell.fitted) curve.push_back({f.px(q.x), f.py(q.y)});
      if (curve.size() > 1) c.polyline(curve, curve_paint(0, false));
      ink.add_line(curve);
      c.clip_end();
      if (cell.empirical.empty() && curve.empty()) draw_no_values(c, f);
      draw_hrefs(c, f, cell.hrefs, p.text("_HREFLABPOS") == "MIN");
      draw_vrefs(c, f, cell.vrefs, p.text("_VREFLABPOS") == "MIN");
      draw_border(c, f);
      draw_cell_insets(c, f, p, keys[index], ink);
    }
    draw_axes_of_cell(c, f, p, grid, i, xs.ticks, yticks);
  }
  finish_page(c, p, page, legend);
  return true;
}

}  // namespace plat::graph
