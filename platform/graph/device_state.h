// The stand-in's graphics device: one vector device that writes every segment (one
// graph) as an SVG file through the SVG writer. This header joins its parts: the
// state of the step (options records, the device, the open segment, colours, blanked
// areas), the conversion from percent of the graphics area to SVG pixels, and the
// graph files of the run.
#pragma once
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graph/svg_writer.h"
#include "host/host_graph.h"

namespace plat::graph {

// The default text height in pixels at the page of no given size (one character cell high).
constexpr double kCellHeightPx = 12;
// One character cell wide: the mean advance of the digits and lower-case letters of
// the metric at the cell height, in pixels.
constexpr double kCellWidthPx = 7.2;

// A segment being drawn: one graph, one file.
struct segment {
  int number = 0;
  std::string name;        // the segment name as asked (NAME=, or the default)
  std::string descr;       // its description (the SVG title)
  std::string byline;
  std::string catalog;     // folder of a GOUT= catalog inside the graphs folder, or empty
  std::unique_ptr<svg_writer> writer;
  std::vector<std::pair<std::string, std::string>> clips;  // "x y w h" -> clip id
  // The rectangle asked for last, at the page size then, and its id: batches of
  // markers come by the hundred thousand, each with the same rectangle.
  host_gclip last_clip{};
  double last_clip_page[2] = {0, 0};
  std::string last_clip_id;
  // The marker shape written last (its code and radius): batches of one kind come by
  // the hundred thousand, and each is made once for its segment.
  int last_marker_code = -1;
  double last_marker_r = 0;
  std::string last_marker_shape;
};

// A closed segment, waiting to be handed on (ggplvem) and kept for the step.
struct closed_segment {
  std::string name, file, descr;
};

// A blanked area: drawing it covers is painted over with the background when the
// area is released.
struct blanked {
  int id;
  double area[4];
  bool live;
};

struct step_state {
  std::vector<std::unique_ptr<gdevopts>> options;
  gdevice device{};
  bool started = false;
  std::deque<std::string> catalogs;         // catalog entries made by ggadcat (stable addresses)
  std::string byline;  // the BY line xbyline handed back last: read through its pointer until the next call
  std::string heading_byline;  // the BY line the last ggphdrl made room for: ggphdr draws it when given none
  std::unique_ptr<segment> open;            // the segment drawn on
  int segments = 0;                         // segments opened in the step
  std::vector<std::unique_ptr<closed_segment>> closed;
  std::vector<std::string> colours;         // colour number - 1 -> "#RRGGBB"
  std::vector<std::string> unknown_colours; // names noted as unknown
  std::vector<blanked> blanks;
  host_ggcb control{};
  int control_word = 0;                     // the graph control block's word
  std::vector<std::unique_ptr<gdeventry>> registry;
};

// The state of the current step (made on first use, dropped when the step ends).
step_state& state();

// Page size of the device in pixels.
double page_width();
double page_height();
// Percent of the graphics area to pixels (y from the top).
double px_x(double pct);
double px_y(double pct);
// The same for many points, the page's size read once.
struct page_px {
  double w = page_width(), h = page_height();
  double x(double pct) const { return pct * w / 100.0; }
  double y(double pct) const { return h - pct * h / 100.0; }
};
double px_w(double pct);   // a horizontal length
double px_h(double pct);   // a vertical length

// The writer of the open segment, or null (drawing without one is refused).
svg_writer* writer();

// "#RRGGBB" of a colour number; empty for a negative number (not drawn).
std::string colour_hex(int number);
// The "#RRGGBB" of a colour name a statement gives, for either kind of graph; an unknown
// name is said once per name and step (it draws in the foreground colour) and gives "".
std::string known_colour(std::string_view name);
// The device colour number of a colour name of any length (blanks around it ignored):
// 1, the foreground, for a blank or unknown name (said as known_colour says it).
int colour_number(std::string_view name);

// The SVG dash array of a line type (1 solid: empty) for a line of that width.
std::string dash_of(int line_type, double width);
// The current line width in pixels (0 is a hairline of half a pixel).
double line_px();

// The clip path id of a rectangle in percent (made once per segment), or empty.
std::string clip_of(const host_gclip* clip);

// The run's graph files: a file name for a segment name, unique within the run's
// graphs folder (case-blind), with ".svg".
std::string unique_graph_file(const std::string& name);
// Forgets the names given so far (a new run).
void forget_graph_files();

}  // namespace plat::graph
