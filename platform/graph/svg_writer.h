// The one SVG writer of the stand-in: every graph file, device or template, is
// written through it.
//
// The document is deterministic: numbers in one fixed format (at most two decimals,
// no exponent, no "-0"), attributes in a fixed order per element, ids from counters
// ("clip1", "clip2", ...), no dates. Two runs that make the same calls write the same
// bytes. Coordinates are SVG pixels, origin top-left, y growing downwards; callers
// that work bottom-up convert. An element with a coordinate that is not finite is not
// written (dropped() counts them), so a bad value never makes an unreadable file.
//
//   svg_writer w(640, 480);
//   w.set_title("Histogram of Height");
//   w.set_desc("Bars of the 12 bins of Height");
//   svg_group g;
//   g.clip = w.clip_rect(50, 20, 560, 400);
//   w.begin_group(g);
//   w.line(50, 420, 610, 420, svg_stroke("#4A4A4A", 1));
//   w.end_group();
//   w.text(320, 470, "Height", svg_text(12, svg_anchor::middle));
//   std::string doc = w.finish();
#pragma once
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "graph/font_metrics.h"

namespace plat::graph {

// A number as the writer prints it: rounded to two decimals, trailing zeros and a
// lone point dropped, "-0" printed as "0".
std::string svg_number(double v);

struct svg_point {
  double x, y;
};

// How a shape is painted. Empty texts are left out of the element; "none" is written.
struct svg_paint {
  std::string fill = "none";    // a colour ("#RRGGBB"), "none", or "url(#id)"
  std::string stroke = "none";
  double stroke_width = 1;      // written when there is a stroke
  std::string dash;             // stroke-dasharray, e.g. "6 4"; empty: solid
  double fill_opacity = 1;      // written when below 1
  double stroke_opacity = 1;    // written when below 1
  bool round_joins = false;     // stroke-linejoin and stroke-linecap round
};

// Paints for the common cases; set further fields on the result.
inline svg_paint svg_stroke(std::string colour, double width = 1, std::string dash = {}) {
  svg_paint p;
  p.stroke = std::move(colour);
  p.stroke_width = width;
  p.dash = std::move(dash);
  return p;
}
inline svg_paint svg_fill(std::string colour, double opacity = 1) {
  svg_paint p;
  p.fill = std::move(colour);
  p.fill_opacity = opacity;
  return p;
}
inline svg_paint svg_fill_stroke(std::string fill, std::string stroke, double width = 1) {
  svg_paint p = svg_stroke(std::move(stroke), width);
  p.fill = std::move(fill);
  return p;
}

enum class svg_anchor { start, middle, end };

struct svg_text_style {
  double size = 11;             // font size in px
  weight w = weight::regular;
  svg_anchor anchor = svg_anchor::start;
  std::string fill = "#1F1F1F";
  double angle = 0;             // degrees counter-clockwise about the anchor point
};
inline svg_text_style svg_text(double size, svg_anchor anchor = svg_anchor::start, double angle = 0,
                               weight w = weight::regular) {
  svg_text_style s;
  s.size = size;
  s.anchor = anchor;
  s.angle = angle;
  s.w = w;
  return s;
}

struct svg_group {
  std::string id;               // written as given (callers take ids from next_id)
  std::string clip;             // id of a clip path, from clip_rect
  std::string cls;              // class attribute
  std::string transform;
};

class svg_writer {
 public:
  // A document of width x height px, with a white background unless told otherwise.
  svg_writer(double width, double height, bool white_background = true);

  double width() const { return width_; }
  double height() const { return height_; }

  // The document's title and description (written first in the file).
  void set_title(std::string_view text) { title_ = text; }
  void set_desc(std::string_view text) { desc_ = text; }

  // A fresh id with the prefix: "p1", "p2", ... (one counter per prefix).
  std::string next_id(std::string_view prefix);
  // A rectangular clip path, written where it is made; returns its id ("clipN").
  std::string clip_rect(double x, double y, double w, double h);

  void begin_group(const svg_group& g = {});
  void end_group();  // closes the innermost group (nothing when none is open)

  void line(double x1, double y1, double x2, double y2, const svg_paint& p);
  void polyline(const std::vector<svg_point>& pts, const svg_paint& p);
  void polygon(const std::vector<svg_point>& pts, const svg_paint& p);
  void rect(double x, double y, double w, double h, const svg_paint& p);
  void circle(double cx, double cy, double r, const svg_paint& p);
  // A path; build d with path_move, path_line and path_close.
  void path(std::string_view d, const svg_paint& p);
  // A text whose drawn width is its measured width (textLength). Returns that width.
  double text(double x, double y, std::string_view text, const svg_text_style& s);
  // A title child for the next element is not offered: titles belong to the document.

  // Elements dropped for a coordinate that was not finite.
  int dropped() const { return dropped_; }
  // The complete document; the writer is left empty.
  std::string finish();

 private:
  std::string paint_attrs(const svg_paint& p) const;
  bool finite(std::initializer_list<double> v);
  void put(std::string_view element);

  double width_, height_;
  bool white_;
  std::string title_, desc_, body_;
  std::vector<std::pair<std::string, int>> counters_;
  int depth_ = 0;
  int dropped_ = 0;
};

// Path data pieces: "M x y", "L x y", "Z".
std::string path_move(double x, double y);
std::string path_line(double x, double y);
inline std::string path_close() { return "Z"; }

// Text escaped for SVG character data and attribute values (&, <, >, ").
std::string svg_escape(std::string_view text);

}  // namespace plat::graph
