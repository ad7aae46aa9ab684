// The graph templates of P-P plots, PPPlot and CompPPPlot, from "PPPlotData": per cell
// the fitted distribution function at each distinct value (open circles) against the
// empirical one, both axes 0 to 1 by 0.2, and the line y = x when the data object has
// its RefInt column and _REFLINE is on.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graph/device_state.h"
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

struct pp_cell {
  class_key key;
  row_runs rows;  // its points stay in the data object
  bool line = false;
  long points = 0;         // values with a fitted probability: the points drawn
  unplotted_values alone;  // values without a fitted probability
  std::vector<refline> hrefs, vrefs;
};

const std::vector<pp_cell>& read_cells(const out::graph_table& t) {
  return kept_once<std::vector<pp_cell>>(t, "pp", [&t] {
    return read_plot_cells<pp_cell, 3>(
        t, {"RefInt", "Theoretical", "Empirical"}, [](pp_cell& cell, const std::array<double, 3>& v) {
          if (!std::isnan(v[0])) cell.line = true;
          if (!std::isnan(v[1]) && !std::isnan(v[2])) ++cell.points;
          if (std::isnan(v[1]) && !std::isnan(v[2])) {
            cell.alone.add(v[2]);
          }
        });
  });
}

}  // namespace

paint fit_line(const out::graph_panel& p, paint look) {
  // A colour name the graphs do not know draws in the foreground colour, as on the
  // device, and the log says so.
  if (const std::string name = p.text(KES_DYN_LINECOLOR); !name.empty()) {
    const std::string hex = known_colour(name);
    look.stroke = hex.empty() ? kInk : hex;
  }
  const double w = p.number(KES_DYN_LINETHICKNESS, NAN);
  if (w >= 1) look.width = std::min(w, 20.0);
  const double t = p.number(KES_DYN_LINEPATTERN, NAN);
  if (t >= 0) look.dash = dash_of(static_cast<int>(std::min(t, 46.0)), look.width);
  return look;
}

scale vaxis_scale(const out::graph_panel& p, scale fallback) {
  const std::vector<double> given = parse_numbers(p.text(KES_DYN_YTICKS));
  if (given.size() < 2 || !(given.back() > given.front())) return fallback;
  scale s;
  s.ticks = given;
  s.lo = given.front();
  s.hi = given.back();
  kes_pad_range(0.04, &s.lo, &s.hi);
  return s;
}

paint point_paint() {
  paint dot;
  dot.stroke = kInk;
  return dot;
}

void point_batch::finish() {
  c_.point_markers(piece_.data(), n_, paint_);
  for (std::size_t i = 0; i < n_; ++i) ink_->add_mark(piece_[i]);
  n_ = 0;
}

void square_cells(page_frame& page, const panel_grid& grid, double row_room, double column_room) {
  const double gap = cell_gap(), strip = grid.strips ? kStripHeight : 0;
  // The bands beside the cells keep their room, and so does the room kept between rows
  // and columns: the plot areas take what is left.
  const double rooms_across = (grid.ncols - 1) * column_room, rooms_down = (grid.nrows - 1) * row_room;
  const double w = page.grid_right - page.grid_left - grid.bands.across() - rooms_across;
  const double h = page.grid_bottom - page.grid_top - grid.bands.down() - rooms_down;
  const double side = std::max(10.0, std::min((w - (grid.ncols - 1) * gap) / grid.ncols,
                                              (h - (grid.nrows - 1) * gap) / grid.nrows - strip));
  const double across = side * grid.ncols + (grid.ncols - 1) * gap;
  const double shift = std::max(0.0, (w - across) / 2);
  page.grid_left += shift;
  page.ylabel_x += shift;
  page.grid_right = page.grid_left + across + grid.bands.across() + rooms_across;
  page.cells = cell_grid(page.grid_left, page.grid_top, page.grid_right - rooms_across,
                         page.grid_top + (side + strip) * grid.nrows + (grid.nrows - 1) * gap + grid.bands.down(),
                         grid.nrows, grid.ncols, grid.strips, grid.bands);
  for (std::size_t i = 0; i < page.cells.size(); ++i) {
    page.cells[i].x += static_cast<double>(static_cast<int>(i) % grid.ncols) * column_room;
    page.cells[i].y += static_cast<double>(static_cast<int>(i) / grid.ncols) * row_room;
  }
}

void ref_columns::read(const row_runs& rows, std::vector<refline>& hrefs,
                       std::vector<refline>& vrefs) const {
  if (!h.present() && !v.present()) return;
  each_row<2>({h, v}, rows, [&](std::size_t r, const std::array<double, 2>& x) {
    if (!std::isnan(x[0])) hrefs.push_back({x[0], hl(r)});
    if (!std::isnan(x[1])) vrefs.push_back({x[1], vl(r)});
  });
}

bool draw_pp(const out::graph_panel& p, canvas& c, graph_notes& notes, std::string* why) {
  if (p.tables.empty() || p.tables[0]->name != "PPPlotData") {
    *why = "the graph has no PPPlotData";
    return false;
  }
  const std::vector<pp_cell>& cells = read_cells(*p.tables[0]);
  const column_reader col(*p.tables[0]);
  const num_column theoretical = col.numbers("Theoretical"), empirical = col.numbers("Empirical");
  const std::vector<double> ticks = {0, 0.2, 0.4, 0.6, 0.8, 1};
  // Points at 0 and 1 are drawn whole inside the frame.
  const scale ys = vaxis_scale(p, scale{-0.04, 1.04, ticks});
  const plot_layout& layout = plot_layout_of(p, *p.tables[0]);
  const plot_cells& drawn = layout.cells;
  const std::vector<class_key>& keys = drawn.keys;
  panel_grid grid = panel_cells(layout.places, p);
  // The diagonal is one line for every group: the legend names the groups by their markers.
  const std::vector<legend_entry> legend =
      drawn.overlay ? group_legend(drawn, groups_drawn(drawn, grid, [&](int m) { return cells[m].points > 0; }), true,
                                   false, 1.5)
                    : std::vector<legend_entry>{};
  cell_page_kind kind;
  kind.lay_out = [&](canvas& on) {
    page_frame page = begin_page(on, p, grid, legend, ys.ticks, "P-P plot");
    if (p.flag(KES_DYN_SQUARE) || p.flag(KES_DYN_ASPECTRATIO)) square_cells(page, grid);
    return page;
  };
  kind.ranged = [&](frame f) {
    f.xlo = -0.04;
    f.xhi = 1.04;
    f.ylo = ys.lo;
    f.yhi = ys.hi;
    return f;
  };
  // The points and the diagonal of a cell, and what it says of the groups it leaves out.
  kind.draw_cell = [&](canvas& on, const frame& f, int index, cell_ink* ink) {
    const std::span<const int> members = drawn.members[index];
    const pp_cell& cell = cells[members.front()];
    draw_wall(on, f);
    if (p.flag(KES_DYN_GRID)) draw_grid(on, f, ys.ticks);
    on.clip_begin(f.x, f.y, f.w, f.h);
    bool line = false;
    std::vector<left_out_group> undrawn;
    for (int m : members) {
      line = line || cells[m].line;
      point_batch dots(on, group_points(drawn.group_of[m]), ink);
      each_row<2>({theoretical, empirical}, cells[m].rows, [&](std::size_t, const std::array<double, 2>& v) {
        if (std::isnan(v[0]) || std::isnan(v[1])) return;
        dots.add({f.px(v[0]), f.py(v[1])});
      });
      dots.finish();
      if (cells[m].points == 0) undrawn.push_back({drawn.group_of[m], cells[m].alone});
    }
    // The line over the points, so that it stays in sight over any number of them.
    if (p.flag(KES_DYN_REFLINE) && line) {
      paint l;
      // Over groups the diagonal takes a colour no group has.
      l.stroke = drawn.overlay ? kFrameColour : kLineInk;
      l.width = 1.5;
      on.line(f.px(0), f.py(0), f.px(1), f.py(1), fit_line(p, l));
      const point ends[2] = {{f.px(0), f.py(0)}, {f.px(1), f.py(1)}};
      ink->add_line(ends, 2);
    }
    on.clip_end();
    if (ink->points.empty() && !drawn.overlay) ink->boxes.push_back(draw_no_values(on, f, cell.alone.why().c_str()));
    end_plot_cell(on, notes, f, p, cell.hrefs, cell.vrefs, drawn, members, undrawn, ink);
  };
  kind.draw_axes = [&](canvas& on, const frame& f, std::size_t slot, axis_scratch& axes) {
    draw_axes_of_cell(on, f, p, grid, slot, axes, ticks, ys.ticks);
  };
  // Both axes keep 0 to 1: a box over the points stands beside the cell.
  draw_cell_page(p, c, notes, &grid, keys, legend, kind);
  return true;
}

}  // namespace plat::graph
