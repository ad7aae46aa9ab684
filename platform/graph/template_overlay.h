// The cells a plot template draws and the groups inside them. With _OVERLAY the levels
// of the last CLASS variable are drawn together in one cell, each group in its own
// colour and marker (lines: colour and pattern) and named in a legend titled by
// _GROUPLABEL; without it every CLASS cell of the data object is a cell of its own.
#pragma once
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_graph_parts.h"
#include "graph/template_insets.h"
#include "graph/template_parts.h"
#include "output/graph_objects.h"

namespace plat::graph {

// The data cells of each cell drawn, in row order: one list of them all, counted
// before it is filled, each cell's read as a view of it.
class cell_members {
 public:
  // From the cell drawn of each data cell (each below `cells`).
  cell_members(const std::vector<std::size_t>& cell_of, std::size_t cells);
  cell_members() = default;
  std::span<const int> operator[](std::size_t cell) const {
    return {all_.data() + start_[cell], start_[cell + 1] - start_[cell]};
  }
  std::size_t size() const { return start_.size() - 1; }

 private:
  std::vector<int> all_;
  std::vector<std::size_t> start_{0};
};

struct plot_cells {
  bool overlay = false;
  std::vector<class_key> keys;                 // the cells drawn, their groups' level left out
  cell_members members;                        // per cell drawn: its data cells, in row order
  std::vector<std::string> groups;             // the overlaid levels in the order they come
  std::vector<int> group_of;                   // per data cell: its group, -1 without overlay
};
// The data cells of grid slot `index` (none for -1), without a copy.
std::span<const int> members_at(const plot_cells& cells, int index);
// The cells drawn from the keys of a data object's cells (in the order cells_of gives).
plot_cells plot_cells_of(const out::graph_panel& p, const out::graph_table& t, const std::vector<class_key>& data_keys);
// The cells drawn from a data object's cells and their places on the panels, found at
// a graph's first panel and kept with the object for the rest.
struct plot_layout {
  plot_cells cells;
  cell_places places;
};
const plot_layout& plot_layout_of(const out::graph_panel& p, const out::graph_table& t);

// The marker shape of group g (g >= 0).
int group_marker(int g);
// The points of group g (-1: the plain points of a plot without groups).
paint group_points(int g);
// The line of group g, `width` px wide; group -1 takes `plain`, the plot's own line.
paint group_line(int g, double width, const paint& plain);
// The groups a panel draws: group g when some cell of the panel draws a mark of it
// (draws(m) of data cell m: the same fact its cell's note of what it leaves out reads).
std::vector<bool> groups_drawn(const plot_cells& cells, const panel_grid& grid, const std::function<bool(int)>& draws);
// The legend of the groups drawn: each level with its marker (when `markers`) and its
// line (when `lines`), in the group's look. A group drawn nowhere on the panel has no
// entry; the notes of its cells say why (note_left_out).
std::vector<legend_entry> group_legend(const plot_cells& cells, const std::vector<bool>& drawn, bool markers,
                                       bool lines, double width);

// A group of a cell drawn with nothing the cell can place: its values (without spread,
// or none) say why.
struct left_out_group {
  int group;
  unplotted_values values;
};
// Names, inside the cell, each overlaid group that the cell does not draw, and why ("Dry: 1 value, not drawn"; a level without values in the cell: "Dry:
// no nonmissing values"), in a box at the free corner that covers least of the cell's
// ink, or, where that corner holds ink, beside the frame as an inset box (the layout
// finds it in ink->notes and draws it with the cell's boxes); a box inside joins the
// ink, so that the cell's own insets keep clear of it. The rows
// `also` (values of the cell's groups left out for another reason) join that box, with
// or without OVERLAY. A level too long for its row is cut apart from the others, so
// that what follows it shows.
struct left_out_row {
  int group = -1;    // the group the row names, or none
  std::string what;  // "3 values at the threshold, not drawn"
};
void note_left_out(canvas& c, const frame& f, const plot_cells& cells, std::span<const int> members,
                   const std::vector<left_out_group>& undrawn, cell_ink* ink,
                   const std::vector<left_out_row>& also = {});
// The end of a cell of a Q-Q, probability, P-P or CDF plot: its reference lines (they
// join the ink), the note of what it leaves out (note_left_out) and its border.
void end_plot_cell(canvas& c, graph_notes& notes, const frame& f, const out::graph_panel& p,
                   const std::vector<refline>& hrefs, const std::vector<refline>& vrefs, const plot_cells& cells,
                   std::span<const int> members, const std::vector<left_out_group>& undrawn, cell_ink* ink,
                   const std::vector<left_out_row>& also = {});
// The name of group g in the cell's notes: its level, "." for a blank one.
std::string group_name(const plot_cells& cells, int g);

// The legend title of a page: _GROUPLABEL on an overlaid graph, else _LEGENDTITLE.
std::string legend_title_of(const out::graph_panel& p);

}  // namespace plat::graph
