// The legend of a page: its entries' swatches and texts in columns.
#pragma once
#include <cmath>
#include <string>
#include <vector>

#include "graph/template_canvas.h"

namespace plat::graph {

struct legend_entry {
  std::string label;
  paint stroke;
  bool filled = false;
  bool line = true;   // the swatch shows the stroke as a line
  int marker = -1;    // and, when not negative, a point marker of this shape in its colour
};
// Height of the legend laid out in width (title line, then rows of entries that wrap
// into columns, as many columns as keep it within max_height); 0 for no entries.
double legend_height(const std::string& title, const std::vector<legend_entry>& entries, double width,
                     double max_height = INFINITY);
void draw_legend(canvas& c, double x, double y, double width, const std::string& title,
                 const std::vector<legend_entry>& entries, double max_height = INFINITY);

}  // namespace plat::graph
