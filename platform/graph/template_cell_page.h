// The page of a template graph's cells, drawn alike for every plot kind: the inset
// boxes of every cell planned first, then, slot by slot, its strip, its cell with its
// boxes and its axes, and last the axis labels and the legend. What a kind measures
// and draws in a cell, beside it and on the page comes as hooks.
#pragma once
#include <cstddef>
#include <functional>
#include <vector>

#include "graph/template_graph_parts.h"
#include "graph/template_inset_layout.h"

namespace plat::graph {

struct cell_page_kind {
  // Lays the page out: begin_page and the room the kind takes from it.
  std::function<page_frame(canvas&)> lay_out;
  // A slot's frame with the data ranges of its axes.
  std::function<frame(const frame&)> ranged;
  // Draws cell `index` (of the panel's keys) in its frame, its ink left in *ink.
  cell_drawer draw_cell;
  // Finds a cell's ink for the boxes' places without drawing it; when unset, the
  // boxes are planned by draw_cell on a canvas that draws nothing.
  cell_drawer measure;
  // The axes of a drawn grid slot, after its cell, with the page's axis scratch.
  std::function<void(canvas&, const frame&, std::size_t slot, axis_scratch&)> draw_axes;
  // The vertical axis boxes at the top may raise, and the sides of a slot whose axis
  // values stand beside its frame (plan_insets).
  axis_rise rise;
  slot_axes axes;
  // Some cell notes values it leaves out: its note's place is planned even where no
  // cell has boxes.
  bool notes = false;
  // What the kind draws on the page after every cell, before the labels and legend.
  std::function<void(canvas&, const page_frame&)> after_cells;
};

// Draws the panel's page of cells (`keys`, placed on `grid`) with its legend.
// What the page leaves out is counted in the graph's notes.
void draw_cell_page(const out::graph_panel& p, canvas& c, graph_notes& notes, panel_grid* grid,
                    const std::vector<class_key>& keys, const std::vector<legend_entry>& legend,
                    const cell_page_kind& kind);

}  // namespace plat::graph
