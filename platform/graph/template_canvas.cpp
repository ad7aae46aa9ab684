// What every canvas draws alike unless it draws it its own way.
#include <cmath>

#include "graph/template_canvas.h"
#include "host/kes_math_constants.h"

namespace plat::graph {

std::vector<point> point_ring() {
  std::vector<point> ring;
  for (int k = 0; k < 12; ++k) {
    const double t = k * KES_PI / 6;
    ring.push_back({2.5 * std::cos(t), 2.5 * std::sin(t)});
  }
  return ring;
}

bool marker_is_strokes(int k) {
  k %= kMarkerShapes;
  return k == 4 || k == 5;
}

std::vector<point> marker_outline(int k) {
  // Shapes of about the circle's area, so that no group's points weigh more than another's.
  switch (k % kMarkerShapes) {
    case 1: return {{-2.2, -2.2}, {2.2, -2.2}, {2.2, 2.2}, {-2.2, 2.2}};
    case 2: return {{0, -2.9}, {2.7, 1.9}, {-2.7, 1.9}};
    case 3: return {{0, -3}, {3, 0}, {0, 3}, {-3, 0}};
    case 4: return {{-3, 0}, {3, 0}, {0, -3}, {0, 3}};
    case 5: return {{-2.3, -2.3}, {2.3, 2.3}, {-2.3, 2.3}, {2.3, -2.3}};
    default: return point_ring();
  }
}

void canvas::point_marker(double x, double y, const paint& p) {
  std::vector<point> ring = marker_outline(p.marker);
  for (point& q : ring) q.x += x, q.y += y;
  if (!marker_is_strokes(p.marker)) return polygon(ring, p);
  line(ring[0].x, ring[0].y, ring[1].x, ring[1].y, p);
  line(ring[2].x, ring[2].y, ring[3].x, ring[3].y, p);
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
