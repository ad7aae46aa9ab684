// Where the inset boxes of a template graph's cells stand. A box stands at its corner
// of the plot area where nothing the cell draws lies under it; where its corner holds
// data it stands beside the plot area on that side, out of the frame: N, NE, NW above
// it (under the cell's strip), S, SE, SW under the horizontal axis's values, E right of
// the frame, W left of the vertical axis's values. The rows and columns of cells get
// bands for them and the page grows by the bands; the plot areas keep their size.
//
// The axes keep their scales. One change only: the vertical axis of a histogram or of
// a Q-Q or probability plot may rise by whole ticks so that boxes at its top stand
// clear of the data, while the data keep two thirds of its length and no tick passes
// its scale's end.
//
// The layout takes a bounded number of passes over the cells, whatever the data: one,
// and one more for each tick of a rise tried (kMaxRise at most).
#pragma once
#include <cmath>
#include <functional>
#include <vector>

#include "graph/template_graph_parts.h"
#include "graph/template_insets.h"
#include "graph/template_parts.h"

namespace plat::graph {

enum class box_side { inside, above, below, left, right };

// A box of a cell as it will be drawn: its place from the top-left corner of the
// cell's frame, inside or beside it.
struct planned_box {
  placed_inset placed;  // the fitted box; its x and y are from the frame's corner
  box_side side = box_side::inside;
  bool note = false;    // the cell's note of what it leaves out, beside the frame
};
using cell_plan = std::vector<planned_box>;
// The ink a cell is drawn with under its plan, into *ink (emptied, its room kept): its
// note box inside the frame, or left to the plan when the plan sets it beside.
void plan_ink(const cell_plan& plan, cell_ink* ink);

// The vertical scale a box at the top may raise, with what the data span on it and
// the end no tick may pass.
inline constexpr int kMaxRise = 6;
struct axis_rise {
  scale* axis = nullptr;  // none: the axis keeps its range
  double data_lo = 0, data_hi = 0;
  double end = INFINITY;
};
// `base` risen by k whole ticks into *out; false when the rise is not allowed: the data
// would keep less than two thirds of the axis, a tick would pass the end, or an end
// or a tick would not be finite.
bool rise_scale(const scale& base, int k, const axis_rise& rule, scale* out);

// The sides of a slot of the grid whose axis values stand beside its frame: a box on
// that side stands past them (`right_room` px of a far axis on the right).
struct axis_sides {
  bool below = false, left = false;
  double right_room = 0;
  double below_room = 0;  // further rows of axis values under the frame
};
using slot_axes = std::function<axis_sides(std::size_t slot)>;
// The horizontal axis under the lowest cell of each column, the vertical one left of
// the first column (draw_axes_of_cell).
axis_sides outer_axes(const panel_grid& grid, std::size_t slot);

// What a cell draws (on a canvas that draws nothing) and its ink, in its frame.
using cell_drawer = std::function<void(canvas&, const frame&, int index, cell_ink*)>;
// The boxes of the cell of every slot of the grid (its cell's index in `keys` in
// grid->index) and the grid's bands, with the note
// box of a cell (note_left_out) that would cover its data; `notes` says a cell may
// write one without overlaid groups or boxes. `lay_out`
// lays the page out (on a canvas that draws nothing), `ranged` gives a slot's frame
// its data ranges, `draw` finds a cell's ink. A rise, when `rise.axis` is set, is left
// in *rise.axis.
std::vector<cell_plan> plan_insets(const out::graph_panel& p, panel_grid* grid, const std::vector<class_key>& keys,
                                   const std::function<page_frame(canvas&)>& lay_out,
                                   const std::function<frame(const frame&)>& ranged, const cell_drawer& draw,
                                   const axis_rise& rise = {}, const slot_axes& axes = {}, bool notes = false);
// Draws a cell's planned boxes about its frame.
void draw_cell_plan(canvas& c, graph_notes& notes, const frame& f, const cell_plan& plan);
// The passes over a graph's cells the layouts made since the start of the run.
long inset_layout_passes();

}  // namespace plat::graph
