// Cutting lines and shapes to the rectangle in which they can be seen, so that the SVG
// writer never writes a coordinate far off the page: a viewer may drop a line whose
// ends lie 10^40 px away, though the part between them crosses the plot.
//
// Intersections are found from the end nearer the edge that is crossed, so that a line
// with one end at 1e46 px and the other on the page is cut where it truly crosses.
#pragma once
#include <vector>

namespace plat::graph {

struct svg_point;

// A rectangle of the page, x0 <= x1 and y0 <= y1 when it holds anything.
struct svg_box {
  double x0, y0, x1, y1;
  bool holds(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
  svg_box grown(double by) const { return {x0 - by, y0 - by, x1 + by, y1 + by}; }
  svg_box meet(const svg_box& o) const;
};

// The part of the segment a-b inside the box, in a and b (a stays the end nearer the
// first given); false when no part of it is inside.
bool clip_segment(const svg_box& box, svg_point& a, svg_point& b);

// The polygon cut to the box (its edges along the box's edges where it was cut);
// empty when nothing of it is inside.
std::vector<svg_point> clip_polygon(const svg_box& box, const std::vector<svg_point>& pts);

}  // namespace plat::graph
