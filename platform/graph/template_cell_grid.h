// The parts of a page around its cells: title lines, the strips with CLASS levels
// above the cells, and the grid of plot areas with the bands beside them.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_look.h"
#include "graph/template_scale.h"

namespace plat::graph {

inline constexpr double kStripHeight = 18;
// A strip above a cell with its CLASS levels, at a text size of its own when shrunk.
void draw_strip(canvas& c, double x, double y, double w, const std::string& text, double size = kStripSize);
// Title lines centred at the top of the page (bold first line, BY line after);
// returns the height they take.
double draw_titles(canvas& c, double width, const std::vector<std::string>& lines);

// Room of each row and column of a grid of cells beside their plot areas, px, for the
// inset boxes that stand out of them: above each row's frames (under their strips),
// below them, left and right of each column's. Missing entries are 0.
struct cell_bands {
  std::vector<double> top, bottom, left, right;
  static double of(const std::vector<double>& v, int k) {
    return k >= 0 && static_cast<std::size_t>(k) < v.size() ? v[static_cast<std::size_t>(k)] : 0;
  }
  double down() const;    // all the rows' bands
  double across() const;  // all the columns' bands
};
// Plot areas of an nrows x ncols grid of cells inside [left, right] x [top, bottom]
// (px), each with a strip above it when strips is set and its bands around it; all of
// one size; row-major.
std::vector<frame> cell_grid(double left, double top, double right, double bottom, int nrows, int ncols, bool strips,
                             const cell_bands& bands = {});
// The gap between cells side by side (and between rows), px.
double cell_gap();

}  // namespace plat::graph
