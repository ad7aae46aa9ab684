// What the graph templates draw on: a page of rectangles, lines, polylines, polygons
// and texts in px, y growing downwards. The SVG file is one such page; tests record
// the drawing instead.
#pragma once
#include <string>
#include <vector>

#include "graph/graph_style.h"

namespace plat::graph {

struct point {
  double x, y;
};

struct paint {
  std::string stroke = "none";
  double width = 1;
  std::string dash;          // SVG dash array, empty: solid
  std::string fill = "none";
  double fill_opacity = 1;
  // The shape of a data point's marker: 0 circle, then the shapes of marker_shape.
  int marker = 0;
};

enum class anchor { start, middle, end };

struct text_style {
  double size = 11;
  bool bold = false;
  anchor align = anchor::start;
  std::string colour = kInk;
  double rotate = 0;         // degrees, counter-clockwise about the anchor point
};

class canvas {
 public:
  virtual ~canvas() = default;
  // A new page; title and desc say what the graph is and shows.
  virtual void begin(double width, double height, const std::string& title, const std::string& desc) = 0;
  virtual void rect(double x, double y, double w, double h, const paint& p) = 0;
  virtual void line(double x1, double y1, double x2, double y2, const paint& p) = 0;
  virtual void polyline(const std::vector<point>& pts, const paint& p) = 0;
  virtual void polygon(const std::vector<point>& pts, const paint& p) = 0;
  // A data point: a marker of the paint's shape, 5 px across, at (x, y). By default
  // its outline as a polygon (a plus or a cross as two lines).
  virtual void point_marker(double x, double y, const paint& p);
  // Data points at each place, as point_marker at each in turn.
  virtual void point_markers(const point* at, std::size_t n, const paint& p);
  // A polyline given point by point, for lines of any number of points. By default
  // the points are gathered and drawn as one polyline at the end.
  virtual void polyline_begin(const paint& p);
  virtual void polyline_point(double x, double y);
  // Points of the polyline begun, as polyline_point with each in turn.
  virtual void polyline_points(const point* at, std::size_t n);
  virtual void polyline_end();
  // Text at its baseline point.
  virtual void text(double x, double y, const std::string& s, const text_style& t) = 0;
  // What is drawn until clip_end stays inside the rectangle.
  virtual void clip_begin(double x, double y, double w, double h) = 0;
  virtual void clip_end() = 0;
  virtual void end() = 0;

 private:
  std::vector<point> line_;
  paint line_paint_;
};

// A canvas that keeps nothing: a page laid out only to be measured.
struct no_canvas : canvas {
  void begin(double, double, const std::string&, const std::string&) override {}
  void rect(double, double, double, double, const paint&) override {}
  void line(double, double, double, double, const paint&) override {}
  void polyline(const std::vector<point>&, const paint&) override {}
  void polygon(const std::vector<point>&, const paint&) override {}
  void text(double, double, const std::string&, const text_style&) override {}
  void clip_begin(double, double, double, double) override {}
  void clip_end() override {}
  void end() override {}
};

// The list of points `line`, emptied, with room for `n`: the page px of a line about to
// be drawn, in a list its caller owns and keeps for the next line it draws, so that a
// line costs no allocation once a few have been drawn.
inline std::vector<point>& emptied(std::vector<point>& line, std::size_t n) {
  line.clear();
  line.reserve(n);
  return line;
}

// The outline of a data point's circle about (0, 0): 12 corners, radius 2.5 px.
std::vector<point> point_ring();
// The markers that tell groups of points apart, in order: circle, square, triangle,
// diamond, plus, cross; a shape number past them starts the list again.
inline constexpr int kMarkerShapes = 6;
// Whether marker shape k is drawn as two crossing strokes (plus, cross) rather than
// a closed outline.
bool marker_is_strokes(int k);
// The outline of marker shape k about (0, 0), 5 px across; for a plus or a cross the
// ends of its two strokes (first, second, third, fourth: two segments).
std::vector<point> marker_outline(int k);

// The one text metric: the width of a text at a style's size.
double text_advance(const std::string& s, const text_style& t);
// Height above and below the baseline at a size.
double text_above(double size);
double text_below(double size);

}  // namespace plat::graph
