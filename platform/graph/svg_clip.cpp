// Cutting segments and polygons to a rectangle (svg_clip.h).
#include "graph/svg_clip.h"

#include <algorithm>
#include <cmath>

#include "graph/svg_writer.h"

namespace plat::graph {
namespace {

// Which of the box's sides a point lies beyond: 1 left, 2 right, 4 top, 8 bottom.
int side_code(const svg_box& b, const svg_point& p) {
  return (p.x < b.x0 ? 1 : p.x > b.x1 ? 2 : 0) | (p.y < b.y0 ? 4 : p.y > b.y1 ? 8 : 0);
}

// Where the segment p-o crosses the line x = e (vertical) or y = e. The fraction of
// the way is taken from the end nearer the line: it is then at most a half, and a far
// end (1e46 px) cannot swamp the near one's digits.
svg_point crossing(const svg_point& p, const svg_point& o, double e, bool vertical) {
  const double pd = vertical ? p.x : p.y, od = vertical ? o.x : o.y;
  const bool from_p = std::fabs(pd - e) <= std::fabs(od - e);
  const svg_point& n = from_p ? p : o;
  const svg_point& f = from_p ? o : p;
  const double nd = from_p ? pd : od, fd = from_p ? od : pd;
  const double t = fd == nd ? 0 : (e - nd) / (fd - nd);
  if (vertical) return {e, n.y + t * (f.y - n.y)};
  return {n.x + t * (f.x - n.x), e};
}

// The edges of a box in turn: which side code an edge keeps out, its line and whether
// that line is vertical.
struct edge {
  int code;
  double at;
  bool vertical;
};

}  // namespace

svg_box svg_box::meet(const svg_box& o) const {
  return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
}

bool clip_segment(const svg_box& box, svg_point& a, svg_point& b) {
  if (!(box.x0 <= box.x1 && box.y0 <= box.y1)) return false;
  int ca = side_code(box, a), cb = side_code(box, b);
  // Each cut puts one end on a side's line; a few more than the four sides allow for
  // a cut that rounding leaves a hair outside the next side.
  for (int k = 0; k < 12; ++k) {
    if ((ca | cb) == 0) return true;
    if ((ca & cb) != 0) return false;
    const bool first = ca != 0;
    svg_point& p = first ? a : b;
    const svg_point& o = first ? b : a;
    const int c = first ? ca : cb;
    const svg_point q = (c & 1)   ? crossing(p, o, box.x0, true)
                        : (c & 2) ? crossing(p, o, box.x1, true)
                        : (c & 4) ? crossing(p, o, box.y0, false)
                                  : crossing(p, o, box.y1, false);
    if (!std::isfinite(q.x) || !std::isfinite(q.y)) return false;
    p = q;
    (first ? ca : cb) = side_code(box, p);
  }
  return false;
}

std::vector<svg_point> clip_polygon(const svg_box& box, const std::vector<svg_point>& pts) {
  if (!(box.x0 <= box.x1 && box.y0 <= box.y1)) return {};
  const edge edges[4] = {{1, box.x0, true}, {2, box.x1, true}, {4, box.y0, false}, {8, box.y1, false}};
  std::vector<svg_point> in = pts, out;
  for (const edge& e : edges) {
    out.clear();
    const auto keeps = [&](const svg_point& p) { return (side_code(box, p) & e.code) == 0; };
    for (std::size_t i = 0; i < in.size(); ++i) {
      const svg_point& p = in[i];
      const svg_point& prev = in[(i + in.size() - 1) % in.size()];
      const bool pin = keeps(p), qin = keeps(prev);
      if (pin != qin) out.push_back(crossing(prev, p, e.at, e.vertical));
      if (pin) out.push_back(p);
    }
    in.swap(out);
    if (in.empty()) break;
  }
  return in;
}

}  // namespace plat::graph
