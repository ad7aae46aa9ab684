// What the SVG writer leaves out at the page's resolution: polyline vertices that lie
// on the segment through their neighbours, and markers on a marker of their own kind.
// Both work as the points come, so a line or a batch of any length is never held.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graph/svg_writer.h"

namespace plat::graph {
namespace {

// A little under a quarter pixel: numbers are written to hundredths, which moves a
// point by at most 0.0071 px.
constexpr double kTolerance = kPageResolution - 0.01;
// A line's point this close to the last point taken is that point on the page: it is
// not looked at further (the step line of millions of values gives thousands of
// points a pixel). Within the slack the tolerance leaves: 0.24 + 0.002 + 0.0071 < 0.25.
constexpr double kSamePoint = 0.002;

double cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// How far a shape's path reaches from its centre: the largest number in it (arc flags
// and radii only make it larger).
double shape_reach(std::string_view d) {
  const std::string s(d);
  double r = 0;
  for (const char* c = s.c_str(); *c != 0;) {
    char* end = nullptr;
    const double v = std::strchr("+-.0123456789", *c) != nullptr ? std::strtod(c, &end) : 0;
    if (end == nullptr || end == c) {
      ++c;
      continue;
    }
    if (std::isfinite(v)) r = std::max(r, std::fabs(v));
    c = end;
  }
  return r;
}

// Rounded as the file will hold it.
svg_point as_written(const svg_point& q) { return {std::round(q.x * 100) / 100, std::round(q.y * 100) / 100}; }

}  // namespace

void svg_writer::line_reset() {
  std::string points = std::move(line_.points);
  std::vector<std::pair<std::size_t, std::size_t>> pieces = std::move(line_.pieces);
  svg_paint paint = std::move(line_.paint);
  line_ = line_state{};
  points.clear();
  pieces.clear();
  line_.points = std::move(points);
  line_.pieces = std::move(pieces);
  line_.paint = std::move(paint);
}

void svg_writer::polyline_begin(const svg_paint& p) {
  if (line_.open) polyline_end();
  line_reset();
  line_.open = true;
  line_.paint = p;
  line_.box = seen().grown(cut_margin(p));
}

void svg_writer::line_vertex(const svg_point& q) {
  if (line_.points.size() > line_.piece_at) line_.points += ' ';
  add_point(line_.points, q);
  ++line_.written;
  line_.a = q;
  line_.cone = line_.empty = false;
  line_.reach2 = 0;
}

// Narrows the cone of directions from a by a point that the segment from a must pass
// within the tolerance of.
void svg_writer::line_take(const svg_point& q) {
  const double dx = q.x - line_.a.x, dy = q.y - line_.a.y;
  const double d2 = dx * dx + dy * dy;
  if (d2 <= kTolerance * kTolerance) return;  // near a: within the tolerance of any segment from a
  line_.reach2 = std::max(line_.reach2, d2);
  // Most points of a dense line lie near both edges of the cone: it stays as it is.
  if (line_.cone && !line_.empty && std::fabs(cross(line_.lo_x, line_.lo_y, dx, dy)) <= kTolerance &&
      std::fabs(cross(line_.hi_x, line_.hi_y, dx, dy)) <= kTolerance && line_.lo_x * dx + line_.lo_y * dy > 0 &&
      line_.hi_x * dx + line_.hi_y * dy > 0)
    return;
  const double d = std::sqrt(d2);
  const double s = kTolerance / d, c = std::sqrt(1 - s * s);
  const double ux = dx / d, uy = dy / d;
  // The directions within asin(s) of u.
  const double lx = ux * c + uy * s, ly = uy * c - ux * s;
  const double hx = ux * c - uy * s, hy = uy * c + ux * s;
  if (!line_.cone) {
    line_.cone = true;
    line_.lo_x = lx, line_.lo_y = ly, line_.hi_x = hx, line_.hi_y = hy;
    return;
  }
  if (line_.empty) return;
  const auto inside = [](double ax, double ay, double bx, double by, double vx, double vy) {
    return cross(ax, ay, vx, vy) >= 0 && cross(vx, vy, bx, by) >= 0;
  };
  const bool lo_in = inside(line_.lo_x, line_.lo_y, line_.hi_x, line_.hi_y, lx, ly);
  const bool hi_in = inside(line_.lo_x, line_.lo_y, line_.hi_x, line_.hi_y, hx, hy);
  const bool old_lo_in = inside(lx, ly, hx, hy, line_.lo_x, line_.lo_y);
  if (!lo_in && !hi_in && !old_lo_in) {
    line_.empty = true;  // no segment from a passes near every point: the next vertex is kept
    return;
  }
  if (lo_in) line_.lo_x = lx, line_.lo_y = ly;
  if (hi_in) line_.hi_x = hx, line_.hi_y = hy;
}

inline void svg_writer::line_feed(const svg_point& q) {
  if (line_.written == 0) {
    line_vertex(q);
    return;
  }
  if (line_.has_b) {
    const double mx = q.x - line_.b.x, my = q.y - line_.b.y;
    if (mx * mx + my * my <= kSamePoint * kSamePoint) return;
    // b may go when the segment from a to q passes within the tolerance of every point
    // since a (b among them) and reaches as far as the farthest of them.
    const double dx = q.x - line_.a.x, dy = q.y - line_.a.y;
    const double d2 = dx * dx + dy * dy;
    bool covers = !line_.empty && d2 >= line_.reach2;
    if (covers && line_.cone && d2 > 0)
      covers = cross(line_.lo_x, line_.lo_y, dx, dy) >= 0 && cross(dx, dy, line_.hi_x, line_.hi_y) >= 0;
    if (covers && line_.cone && d2 == 0) covers = false;
    if (!covers) {
      line_vertex(line_.b);
    }
  }
  line_.b = q;
  line_.has_b = true;
  line_take(q);
}

void svg_writer::polyline_point(double x, double y) {
  if (!line_.open || line_.bad) return;
  // Most points of a dense line are the last one taken, as far as the page shows (and
  // that one lies inside the box: nothing to cut). A NaN goes on to be found below.
  if (line_.raw_in && line_.has_b) {
    const double mx = x - line_.b.x, my = y - line_.b.y;
    if (mx * mx + my * my <= kSamePoint * kSamePoint) return;
  }
  if (!std::isfinite(x) || !std::isfinite(y)) {
    line_.bad = true;
    return;
  }
  const svg_point q{x, y};
  const bool in = line_.box.holds(x, y);
  // Most points follow one inside the box: nothing to cut.
  if (line_.raw_in && in) {
    line_.raw = q;
    line_feed(q);
    return;
  }
  if (!line_.has_raw) {
    line_.has_raw = true;
    line_.raw = q;
    line_.raw_in = in;
    if (in) line_feed(q);
    return;
  }
  svg_point a = line_.raw, b = q;
  const bool was_in = line_.raw_in;
  line_.raw = q;
  line_.raw_in = in;
  line_.was_cut = true;
  // Both beyond one side: nothing of the segment shows.
  const svg_box& k = line_.box;
  if ((x < k.x0 && a.x < k.x0) || (x > k.x1 && a.x > k.x1) || (y < k.y0 && a.y < k.y0) || (y > k.y1 && a.y > k.y1))
    return;
  if (!clip_segment(line_.box, a, b)) return;
  if (!was_in) line_feed(a);  // where the line comes into the box
  line_feed(b);
  if (!in) line_piece_end();  // and where it leaves
}

void svg_writer::line_piece_end() {
  if (line_.has_b) line_vertex(line_.b);
  if (line_.written >= 2)
    line_.pieces.emplace_back(line_.piece_at, line_.points.size());
  else
    line_.points.resize(line_.piece_at);
  line_.piece_at = line_.points.size();
  line_.written = 0;
  line_.has_b = false;
  line_.cone = line_.empty = false;
  line_.reach2 = 0;
}

void svg_writer::polyline_points(const svg_point* at, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) polyline_point(at[i].x, at[i].y);
}

void svg_writer::polyline_end() {
  if (!line_.open) return;
  line_.open = false;
  if (line_.bad) {
    ++dropped_;
    line_reset();
    return;
  }
  line_piece_end();
  if (line_.was_cut) ++(line_.pieces.empty() ? unseen_ : cut_);
  for (const auto& [begin, end] : line_.pieces) {
    std::string& e = element_;
    e = "<polyline points=\"";
    e.append(line_.points, begin, end - begin);
    e += '"';
    add_paint_attrs(e, line_.paint);
    e += "/>";
    put(e);
  }
  line_reset();
}

void svg_writer::marker(std::string_view shape, const svg_paint& p, double x, double y) {
  const svg_point at{x, y};
  markers(shape, p, &at, 1);
}

void svg_writer::markers(std::string_view shape, const svg_paint& p, const svg_point* at, std::size_t n) {
  bool known = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (!finite({at[i].x, at[i].y})) continue;
    // The definition is looked up (and written) at the first marker that is drawn.
    if (!known) {
      marker_kind(shape, p);
      known = true;
    }
    marker_place(at[i].x, at[i].y);
  }
}

std::size_t svg_writer::text_list::find(std::string_view t) const {
  std::size_t at = 0;
  for (std::size_t i = 0; i < ends_.size(); at = ends_[i++])
    if (std::string_view(text_).substr(at, ends_[i] - at) == t) return i;
  return ends_.size();
}

void svg_writer::text_list::add(std::string_view t) {
  text_ += t;
  ends_.push_back(text_.size());
}

void svg_writer::text_list::clear() {
  text_.clear();
  ends_.clear();
}

std::size_t svg_writer::place_index::slot(std::size_t set, long long bx, long long by) const {
  // The bucket's numbers mixed (splitmix64's finalizer), so that neighbouring buckets
  // spread over the table.
  std::uint64_t h = static_cast<std::uint64_t>(bx) * 0x9E3779B97F4A7C15u + static_cast<std::uint64_t>(by);
  h ^= static_cast<std::uint64_t>(set) * 0xD6E8FEB86659FD93u;
  h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9u;
  h = (h ^ (h >> 27)) * 0x94D049BB133111EBu;
  h ^= h >> 31;
  const std::size_t mask = buckets_.size() - 1;
  std::size_t i = static_cast<std::size_t>(h) & mask;
  while (buckets_[i].head != 0 && !(buckets_[i].bx == bx && buckets_[i].by == by && buckets_[i].set == set))
    i = (i + 1) & mask;
  return i;
}

bool svg_writer::place_index::near(std::size_t set, long long bx, long long by, const svg_point& q, double d2) const {
  if (buckets_.empty()) return false;
  for (std::uint32_t at = buckets_[slot(set, bx, by)].head; at != 0; at = places_[at - 1].next) {
    const double dx = places_[at - 1].at.x - q.x, dy = places_[at - 1].at.y - q.y;
    if (dx * dx + dy * dy <= d2) return true;
  }
  return false;
}

void svg_writer::place_index::grow() {
  std::vector<bucket> old(buckets_.empty() ? 64 : 2 * buckets_.size(), bucket{0, 0, 0, 0});
  old.swap(buckets_);
  for (const bucket& b : old)
    if (b.head != 0) buckets_[slot(b.set, b.bx, b.by)] = b;
}

void svg_writer::place_index::add(std::size_t set, long long bx, long long by, const svg_point& w) {
  if (2 * (used_ + 1) > buckets_.size()) grow();
  bucket& b = buckets_[slot(set, bx, by)];
  if (b.head == 0) {
    b = bucket{bx, by, set, 0};
    ++used_;
  }
  places_.push_back({w, b.head});
  b.head = static_cast<std::uint32_t>(places_.size());
}

void svg_writer::place_index::clear() {
  std::fill(buckets_.begin(), buckets_.end(), bucket{0, 0, 0, 0});
  used_ = 0;
  places_.clear();
}

void svg_writer::marker_kind(std::string_view shape, const svg_paint& p) {
  if (memo_.valid && memo_.serial == group_serial_ && memo_.shape == shape && memo_.paint == p) return;
  std::string& key = key_;
  key.assign(shape);
  key += '\n';
  const std::size_t look = key.size();
  add_paint_attrs(key, p);
  const std::size_t symbol = symbol_keys_.find(key);
  if (symbol == symbol_keys_.size()) {
    symbol_keys_.add(key);
    symbol_ids_.push_back(next_id("mk"));
    std::string& e = element_;
    e = "<defs><path";
    add_text_attr(e, "id", symbol_ids_.back());
    add_text_attr(e, "d", shape);
    e.append(key, look);
    e += "/></defs>";
    put(e);
  }
  const std::string& id = symbol_ids_[symbol];
  // The places written so far of this definition in this group.
  key.assign(id);
  key += '\n';
  add_scope(key);
  std::size_t k = mark_sets_.find(key);
  if (k == mark_sets_.size()) {
    mark_sets_.add(key);
    mark_last_.push_back({INFINITY, INFINITY});
  }
  memo_.valid = true;
  memo_.serial = group_serial_;
  if (memo_.shape != shape) {
    memo_.shape.assign(shape);
    memo_.reach = shape_reach(shape);
  }
  memo_.paint = p;
  memo_.id = id;
  memo_.set = k;
  memo_.box = seen().grown(memo_.reach + cut_margin(p));
}

void svg_writer::marker_place(double x, double y) {
  if (!memo_.box.holds(x, y)) {
    ++unseen_;
    return;
  }
  const std::size_t k = memo_.set;
  const svg_point q{x, y};
  constexpr double kNear2 = kTolerance * kTolerance;
  // Points along a plot come in order: most coincide with the one just written.
  if (const svg_point& w = mark_last_[k]; (w.x - q.x) * (w.x - q.x) + (w.y - q.y) * (w.y - q.y) <= kNear2) {
    ++markers_merged_;
    return;
  }
  // Far off the page every place shares a bucket or two: they are never drawn anyway.
  const auto bucket = [](double v) { return static_cast<long long>(std::floor(std::clamp(v / kTolerance, -1e15, 1e15))); };
  const long long bx = bucket(x), by = bucket(y);
  for (long long i = bx - 1; i <= bx + 1; ++i)
    for (long long j = by - 1; j <= by + 1; ++j)
      if (places_.near(k, i, j, q, kNear2)) {
        ++markers_merged_;
        return;
      }
  const svg_point w = as_written(q);
  places_.add(k, bucket(w.x), bucket(w.y), w);
  mark_last_[k] = w;
  std::string& e = element_;
  e = "<use href=\"#";
  e += memo_.id;
  e += '"';
  add_number_attr(e, "x", x);
  add_number_attr(e, "y", y);
  e += "/>";
  put(e);
}

}  // namespace plat::graph
