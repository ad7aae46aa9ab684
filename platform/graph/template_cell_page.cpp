// The page and cell loop every template plot kind shares.
#include "graph/template_cell_page.h"

namespace plat::graph {

void draw_cell_page(const out::graph_panel& p, canvas& c, graph_notes& notes, panel_grid* grid,
                    const std::vector<class_key>& keys, const std::vector<legend_entry>& legend,
                    const cell_page_kind& kind) {
  const cell_drawer& measure = kind.measure ? kind.measure : kind.draw_cell;  // no copy
  const std::vector<cell_plan> boxes =
      plan_insets(p, grid, keys, kind.lay_out, kind.ranged, measure, kind.rise, kind.axes, kind.notes);
  const page_frame page = kind.lay_out(c);
  page_strips strips;
  // One ink for every cell of the page, emptied for each (plan_ink): its lists keep
  // their room from cell to cell.
  cell_ink ink;
  // One scratch for the axes of every cell, in the same way.
  axis_scratch axes;
  for (std::size_t i = 0; i < page.cells.size(); ++i) {
    const int index = grid->index[i];
    const frame f = kind.ranged(page.cells[i]);
    draw_slot_strip(c, f, *p.tables[0], *grid, i, &strips);
    if (!grid->drawn(i)) continue;
    if (index >= 0) {
      plan_ink(boxes[i], &ink);
      kind.draw_cell(c, f, index, &ink);
      draw_cell_plan(c, notes, f, boxes[i]);
    }
    kind.draw_axes(c, f, i, axes);
  }
  if (kind.after_cells) kind.after_cells(c, page);
  finish_page(c, notes, p, page, legend);
}

}  // namespace plat::graph
