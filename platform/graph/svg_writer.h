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
// What cannot be seen is cut away before it is written: lines, polylines, polygons and
// rectangles are cut to the rectangle of the clip paths around them (the page when
// there is none), grown by a margin in which no cut shows under the stroke; markers and
// texts that lie wholly outside it are left out. So no coordinate lies far off the
// page, and a line whose ends lie very far out is still drawn where it crosses.
//
// A file's size is set by the page, not by the data: markers and polyline vertices
// that a reader could not tell apart at the page's resolution (a quarter pixel) are
// left out, markers are references to one definition of their shape and paint, and a
// group with nothing in it is not written (one closed and opened again with the same
// attributes stays one group).
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
#include <cstdint>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "graph/font_metrics.h"
#include "graph/graph_style.h"
#include "graph/svg_clip.h"

namespace plat::graph {

// The page of a graph, device or template, whose size is not given, in px.
inline constexpr double kPageWidth = 640;
inline constexpr double kPageHeight = 480;

// What a reader can tell apart on the page, in px: markers and vertices closer than this
// are one. The writer works to a little less, so that its rounding of numbers to
// hundredths keeps what it writes within a quarter pixel of what it was given.
inline constexpr double kPageResolution = 0.25;

// A number as the writer prints it: rounded to two decimals, trailing zeros and a
// lone point dropped, "-0" printed as "0".
std::string svg_number(double v);
// The same text appended to out: a document is made of hundreds of thousands of
// numbers, and appending them to a string whose room is kept costs no allocation.
void append_number(std::string& out, double v);

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
  bool operator==(const svg_paint&) const = default;
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

// How far beyond the edge of what can be seen a shape of this paint is cut: its stroke
// never shows the cut.
double cut_margin(const svg_paint& p);

enum class svg_anchor { start, middle, end };

struct svg_text_style {
  double size = 11;             // font size in px
  weight w = weight::regular;
  svg_anchor anchor = svg_anchor::start;
  std::string fill = kInk;
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
  // A polyline given point by point, for lines of any number of points: a vertex within
  // a quarter pixel of the segment through its written neighbours is left out, and a
  // point within 0.002 px of the last one kept is not looked at.
  void polyline_begin(const svg_paint& p);
  void polyline_point(double x, double y);
  // Points of the polyline begun, as polyline_point with each in turn.
  void polyline_points(const svg_point* at, std::size_t n);
  void polyline_end();
  // A marker: `shape` is path data about (0, 0), written once per shape and paint as a
  // definition that each marker references at its place. A marker is left out when one
  // of the same shape and paint was written within a quarter pixel of it in the same
  // group.
  void marker(std::string_view shape, const svg_paint& p, double x, double y);
  // Markers of one shape and paint at each place, as marker() at each in turn.
  void markers(std::string_view shape, const svg_paint& p, const svg_point* at, std::size_t n);
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
  // Lines, polylines, polygons and rectangles cut at the edge of what can be seen, and
  // elements left out as lying wholly outside it.
  long long cut() const { return cut_; }
  long long unseen() const { return unseen_; }
  // Markers left out as coinciding with one already written.
  long long markers_merged() const { return markers_merged_; }
  // The complete document; the writer is left empty.
  std::string finish();

 private:
  // ` name="number"` and ` name="escaped text"`, appended to out.
  static void add_number_attr(std::string& out, const char* name, double v);
  static void add_text_attr(std::string& out, const char* name, std::string_view text);
  // A vertex of a points attribute, "x,y".
  static void add_point(std::string& out, const svg_point& q);
  void add_paint_attrs(std::string& out, const svg_paint& p) const;
  // <tag name="number" ... paint/>, made in element_.
  void put_painted(std::string_view tag, std::initializer_list<std::pair<const char*, double>> numbers,
                   const svg_paint& p);
  // <polygon points="..." paint/>, made in element_.
  void put_polygon(const std::vector<svg_point>& pts, const svg_paint& p);
  bool finite(std::initializer_list<double> v);
  void put(std::string_view element);
  void flush_close();
  // The start tags of the open groups one after another, appended to out.
  void add_scope(std::string& out) const;
  // N of an id "clipN" as next_id makes it; 0 for any other id.
  static std::size_t clip_number(std::string_view id);
  // The rectangle of a clip path made by clip_rect, by its id; null for any other id.
  const svg_box* clip_box(std::string_view id) const;
  // The definition and place set of a marker's shape and paint (memo_), written when new.
  void marker_kind(std::string_view shape, const svg_paint& p);
  // A marker of that kind at (x, y), unless one was written within the tolerance.
  void marker_place(double x, double y);

  // A group begun: written with the first element inside it.
  struct open_group {
    std::string tag;
    bool written = false;
    bool mergeable = false;  // no id: one closed and begun again can stay one
    svg_box box{};           // what can be seen inside it: its clip within its parent's
  };
  // What can be seen where the next element goes.
  svg_box seen() const { return depth_ == 0 ? svg_box{0, 0, width_, height_} : groups_[depth_ - 1].box; }

  double width_, height_;
  bool white_;
  std::string title_, desc_, body_;
  // The element being made, its room kept from one element to the next: the elements
  // come by the hundred thousand, and each made of new strings costs most of its time
  // in the allocator.
  std::string element_;
  std::vector<std::pair<std::string, int>> counters_;
  // The open groups are the first depth_; those after them keep their room for the
  // next groups begun.
  std::vector<open_group> groups_;
  std::size_t depth_ = 0;
  std::string closing_;     // a written group just ended: its end tag, until something else comes
  std::string closing_tag_; // and its start tag, when it may go on
  int dropped_ = 0;
  long long markers_merged_ = 0;
  long long cut_ = 0, unseen_ = 0;
  // The rectangle of clip path "clipN" at N - 1 (held: made by clip_rect).
  struct clip_entry {
    bool held = false;
    svg_box box{};
  };
  std::vector<clip_entry> clips_;

  // The polyline being given point by point: each point is cut to the box, and the
  // pieces inside go on to be thinned (a piece ends where the line leaves the box).
  struct line_state {
    bool open = false, bad = false;
    svg_paint paint;
    svg_box box{};
    svg_point raw{};      // the last point given, and whether it lay inside the box
    bool has_raw = false, raw_in = false;
    std::string points;   // the vertices written so far, piece after piece
    std::size_t piece_at = 0;  // where the piece being made starts in points
    int written = 0;      // its vertices
    std::vector<std::pair<std::size_t, std::size_t>> pieces;  // pieces ended (begin, end in points)
    bool was_cut = false;
    svg_point a{}, b{};   // the last vertex written; the last point seen (not yet written)
    bool has_b = false;
    // The directions from a within which every point since a lies within the
    // tolerance of the segment: unit vectors lo to hi, counter-clockwise.
    bool cone = false, empty = false;
    double lo_x = 0, lo_y = 0, hi_x = 0, hi_y = 0;
    double reach2 = 0;    // the square of the farthest of those points' distance from a
  } line_;
  void line_reset();  // a line's state afresh, its buffers keeping their room
  void line_vertex(const svg_point& q);
  void line_take(const svg_point& q);
  void line_feed(const svg_point& q);  // a point of the piece inside the box
  void line_piece_end();               // writes the piece and starts the next one

  // Texts one after another in one string, found by their number: lookup keys whose
  // room is kept from one to the next.
  class text_list {
   public:
    std::size_t size() const { return ends_.size(); }
    // The number of the text, size() when it is not held.
    std::size_t find(std::string_view t) const;
    void add(std::string_view t);
    void clear();

   private:
    std::string text_;
    std::vector<std::size_t> ends_;
  };

  // The places written of each place set, by buckets of the resolution: a table with
  // open addressing of buckets, each the head of a chain of places, all in flat vectors
  // that keep their room.
  class place_index {
   public:
    // Whether a place of the set lies in bucket (bx, by) within d2 (squared) of q.
    bool near(std::size_t set, long long bx, long long by, const svg_point& q, double d2) const;
    void add(std::size_t set, long long bx, long long by, const svg_point& w);
    void clear();

   private:
    struct place {
      svg_point at;
      std::uint32_t next;  // the next of its bucket, as index + 1; 0 at the end
    };
    struct bucket {
      long long bx, by;
      std::size_t set;
      std::uint32_t head;  // the last place added, as index + 1; 0: an empty slot
    };
    std::size_t slot(std::size_t set, long long bx, long long by) const;
    void grow();
    std::vector<bucket> buckets_;  // a power of two of them, at most half used
    std::size_t used_ = 0;
    std::vector<place> places_;
  };

  // Markers: definitions by shape and paint, and the places written per definition and
  // group (a place set).
  text_list symbol_keys_;                 // shape + '\n' + paint attributes
  std::vector<std::string> symbol_ids_;  // the id of each
  text_list mark_sets_;                   // symbol id + '\n' + the open groups' tags
  std::vector<svg_point> mark_last_;      // the place last written of each set
  place_index places_;
  std::string key_;                       // the key looked up
  // The definition and place set of the last marker, while its shape, paint and group
  // stay the same (a batch of markers looks them up once).
  struct marker_memo {
    bool valid = false;
    long serial = 0;
    std::string shape;
    double reach = 0;  // how far the shape reaches from its centre
    svg_paint paint;
    std::string id;
    std::size_t set = 0;
    svg_box box{};  // where a marker of the shape can be seen at all
  } memo_;
  long group_serial_ = 0;   // counts changes of the open groups
};

// Path data pieces: "M x y", "L x y", "Z"; the append forms add them to d.
std::string path_move(double x, double y);
std::string path_line(double x, double y);
inline std::string path_close() { return "Z"; }
void append_path_move(std::string& d, double x, double y);
void append_path_line(std::string& d, double x, double y);

// Text escaped for SVG character data and attribute values (&, <, >, "), with bytes
// that are not UTF-8 taken as Latin-1; the append form adds it to out.
std::string svg_escape(std::string_view text);
void append_escaped(std::string& out, std::string_view text);

}  // namespace plat::graph
