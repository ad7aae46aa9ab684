// What a graph's SVG document draws, sorted into the parts the graph rules speak of:
// texts with their ink, cells, strips, boxes, bars, lines and markers, and the fills
// under the texts.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/svg_reader.h"

namespace kes_test {

// Less than this is the writer's rounding, not a fault.
inline constexpr double kSlack = 0.5;
// Lines shorter than this outside the data may be tick marks.
inline constexpr double kTickReach = 12;

struct box {
  double x0, y0, x1, y1;
  double w() const { return x1 - x0; }
  double h() const { return y1 - y0; }
  bool holds(double x, double y, double inset = 0) const {
    return x > x0 + inset && x < x1 - inset && y > y0 + inset && y < y1 - inset;
  }
  bool same(const box& o) const;
  bool overlaps(const box& o, double by) const;
  // Whether another box lies within this one, no edge more than `slack` outside.
  bool contains(const box& o, double slack = 0.01) const;
  // This box with every edge moved `by` inward.
  box shrunk(double by) const { return {x0 + by, y0 + by, x1 - by, y1 - by}; }
};

// The bounds of a <rect> element as written.
box box_of(const svg_element& rect);

// "(x,y wxh)" for fault details.
std::string place(const box& b);

struct text_item {
  std::string text;
  box ink;            // ascent to descent, rotated as drawn
  double x, y, size;  // anchor point and size as written
  int angle;          // degrees, as written in rotate()
  std::string anchor;
  long in_box = -1;  // the box that holds its centre
  std::string colour;  // its fill, as written
  std::size_t order = 0;  // its place in the document
  double cx() const { return (ink.x0 + ink.x1) / 2; }
  double cy() const { return (ink.y0 + ink.y1) / 2; }
};

enum class box_kind { inset, legend, strip };
struct text_box {
  box b;
  box_kind kind;
};

struct segment {
  double x1, y1, x2, y2;
};

// Whether a segment passes through the inside of a box.
bool crosses(const segment& s, const box& b);
// The part of a segment inside a box, if any.
std::optional<segment> clip(const segment& s, const box& b);

// A filled shape (rectangle or polygon, by its bounds) and where it is drawn.
struct fill_item {
  box b;
  std::string colour;
  std::size_t order;
};

// A drawn mark by what tells it apart in a legend: "line #RRGGBB dashes" for a line or
// curve, "bar #RRGGBB" for a filled rectangle, "marker ID" for a marker.
struct keyed_mark {
  std::string key;
  double x, y;
};

struct graph_parts {
  double width = 0, height = 0;
  bool device = false;
  std::string desc;  // what the document says it draws
  std::vector<text_item> texts;
  std::vector<box> cells;
  std::vector<box> strips;  // device strips: narrow frames of lines
  std::vector<text_box> boxes;
  std::vector<box> bars;       // filled rectangles of data
  std::vector<segment> lines;  // curves and reference lines, segment by segment
  // The vertices of each polyline drawn among the data (in a clip path), as written:
  // a curve reaching past its frame keeps its points there.
  std::vector<std::vector<std::pair<double, double>>> polylines;
  std::vector<segment> short_lines;  // lines outside clip paths shorter than a tick mark's reach
  std::vector<std::pair<double, double>> markers;
  std::vector<std::pair<double, double>> mark_points;  // any drawn mark, for the cells
  std::vector<fill_item> fills;                        // every filled shape, the page first
  std::vector<keyed_mark> data_marks;                  // the marks of the data (clipped, or reference lines)
  std::vector<keyed_mark> swatches;                    // the marks outside the data (legend samples among them)
};

graph_parts read_parts(std::string_view document);

// Whether a text stands inside a cell (a note or a label of the data).
bool inside_cell(const graph_parts& g, const text_item& t);

}  // namespace kes_test
