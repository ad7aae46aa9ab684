// What the templates of QQ, probability, P-P and CDF plots draw alike.
#pragma once
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_graph_parts.h"
#include "graph/template_parts.h"

namespace plat::graph {

inline constexpr const char* kPointInk = "#1F1F1F";
inline constexpr const char* kLineInk = "#D55E00";

// The fitted line or curve of a plot in its look, restyled by the family's COLOR=, W=
// and L= that the module passes as "_LINECOLOR", "_LINETHICKNESS" and "_LINEPATTERN".
paint fit_line(const out::graph_panel& p, paint look);

// Open circles of 5 px at the points (data values) of a cell.
void draw_points(canvas& c, const frame& f, const std::vector<point>& pts);

// The cell of the key in the list, added at its end when new (cells in the order their
// first rows come).
template <class Cell>
Cell& cell_of(std::vector<Cell>& cells, const class_key& key) {
  for (Cell& c : cells)
    if (c.key == key) return c;
  cells.push_back(Cell{});
  cells.back().key = key;
  return cells.back();
}

// The HREF= and VREF= values of a row, with their labels, added to a cell's lists.
void read_refs(const column_reader& col, const std::vector<out::cell>& row, std::vector<refline>& hrefs,
               std::vector<refline>& vrefs);

// The cells of a plot's data table: each row goes to its cell (made at the first row of
// its key), where read_row takes what the plot draws and the reference lines are added.
template <class Cell, class ReadRow>
std::vector<Cell> read_plot_cells(const out::graph_table& t, ReadRow read_row) {
  const column_reader col(t);
  std::vector<Cell> cells;
  for (const auto& row : t.rows) {
    Cell& cell = cell_of(cells, col.key(row));
    read_row(col, row, cell);
    read_refs(col, row, cell.hrefs, cell.vrefs);
  }
  return cells;
}

}  // namespace plat::graph
