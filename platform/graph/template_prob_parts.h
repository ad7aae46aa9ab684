// What the templates of QQ, probability, P-P and CDF plots draw alike.
#pragma once
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_graph_parts.h"
#include "graph/template_parts.h"

namespace plat::graph {

inline constexpr const char* kPointInk = "#1F1F1F";
inline constexpr const char* kLineInk = "#D55E00";

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

}  // namespace plat::graph
