// What every canvas draws alike unless it draws it its own way.
#include <cmath>

#include "graph/template_canvas.h"

namespace plat::graph {

std::vector<point> point_ring() {
  std::vector<point> ring;
  for (int k = 0; k < 12; ++k) {
    const double t = k * 3.14159265358979323846 / 6;
    ring.push_back({2.5 * std::cos(t), 2.5 * std::sin(t)});
  }
  return ring;
}

void canvas::point_marker(double x, double y, const paint& p) {
  std::vector<point> ring = point_ring();
  for (point& q : ring) q.x += x, q.y += y;
  polygon(ring, p);
}

void canvas::point_markers(const point* at, std::size_t n, const paint& p) {
  for (std::size_t i = 0; i < n; ++i) point_marker(at[i].x, at[i].y, p);
}

void canvas::polyline_points(const point* at, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) polyline_point(at[i].x, at[i].y);
}

void canvas::polyline_begin(const paint& p) {
  line_.clear();
  line_paint_ = p;
}

void canvas::polyline_point(double x, double y) { line_.push_back({x, y}); }

void canvas::polyline_end() {
  if (line_.size() > 1) polyline(line_, line_paint_);
  line_.clear();
}

}  // namespace plat::graph
