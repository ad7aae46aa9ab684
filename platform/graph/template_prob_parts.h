// What the templates of QQ, probability, P-P and CDF plots draw alike.
#pragma once
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_parts.h"

namespace plat::graph {

inline constexpr const char* kPointInk = "#1F1F1F";
inline constexpr const char* kLineInk = "#D55E00";

// Open circles of 5 px at the points (data values) of a cell.
void draw_points(canvas& c, const frame& f, const std::vector<point>& pts);

}  // namespace plat::graph
