// Inset boxes of template graphs, read from a panel's dynamics (_INSET<n> and _I<n>_...
// inside the plot area, _MARGIN<m> and _M<m>_... in the page margins) and from the
// "InsetData" rows of comparative graphs, laid out and drawn in the graph style:
// an opaque white fill, a 1 px #4A4A4A border, 4 px padding, labels left and values
// right, a bold header.
//
// Two boxes in one margin are both drawn: in the top and bottom margins the second
// lies below the first, in the side margins under it; each keeps its own columns.
#pragma once
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_graph_parts.h"
#include "graph/template_notes.h"
#include "graph/template_parts.h"
#include "output/graph_objects.h"

namespace plat::graph {

// Between a plot-area box and the frame, an axis's values or another box.
inline constexpr double kEdge = 4;

struct inset_row {
  std::string label, value;
};

struct inset_box {
  int margin = 0;              // 0 inside the plot area, 1 top, 2 bottom, 3 left, 4 right
  std::string header;
  bool border = true;
  bool fill = false;
  std::string valign = "TOP", halign = "LEFT";
  bool automatic = false;      // the corner was chosen for the box, not by the program
  int pairs = 1;               // label-value pairs side by side (margin boxes)
  bool pairs_asked = false;    // NCOLS= gave pairs
  int columns = 1;             // the same in a plot-area or side-margin box, set when it is fitted
  double gutter = 4;           // percent of the page width between pairs
  std::vector<inset_row> rows;
  // Fitted to a cell: the text size (every length of the box follows it), the width
  // labels are cut to, and the rows left out at the end for want of room.
  double size = kLegendSize;
  double label_room = INFINITY;
  int left_out = 0;
};

// The boxes the dynamics describe, in the order they were written.
std::vector<inset_box> read_inset_boxes(const out::graph_panel& p);
// The box of one CLASS cell from "InsetData" (its row whose CLASS texts are the
// cell's); false when the graph has none for it or every value is blank.
bool inset_data_box(const out::graph_panel& p, const class_key& key, inset_box* box);

// The box's size in px when laid out `width` px wide (margin boxes) or at its natural
// width (0).
double inset_box_width(const inset_box& b);
double inset_box_height(const inset_box& b, double width);
// Draws the box with its top-left corner at (x, y), `width` px wide (0: natural).
void draw_inset_box(canvas& c, const inset_box& b, double x, double y, double width);
// The box fitted into room_w x room_h px: its text shrinks to a readable least, then
// its labels are cut, then its pairs go side by side in as many columns as the width
// holds, then the rows that still do not fit are left out from the end (left_out
// counts them; a box with no room for one row keeps none).
inset_box fit_inset_box(const inset_box& b, double room_w, double room_h);
// The least text size a plot-area box shrinks to.
inline constexpr double kLeastInsetSize = 8;
// The widest row a cell's note box (rows without values) holds at its own size, inside
// the frame or beside it.
double note_row_room(const frame& f);
// What a cell draws, in page px: points (markers and curve vertices) and bars. A box
// whose corner was chosen for it goes to the free corner that covers least of it.
struct cell_ink {
  std::vector<point> points;
  std::vector<frame> bars;   // x, y, w, h only: bars, and the texts the cell writes
  std::vector<frame> boxes;  // boxes the cell drew already: later ones keep off them
  // Where the cell's note box stands: found by the layout (`decide`: inside where it
  // keeps clear of the ink, else beside the frame), then kept for the drawing.
  enum class note_at { decide, inside, beside } note = note_at::inside;
  std::vector<inset_box> notes;  // note boxes found to stand beside the frame
  void add_line(const std::vector<point>& pts);  // vertices every few px along it
  void add_line(const point* pts, std::size_t n);
  // A point drawn at `at`, kept only half a pixel or more from the last one kept, so
  // that a plot of any number of points leaves as many as the page has room for.
  void add_mark(const point& at);
  // Empty again, its lists keeping their room for the next cell.
  void clear();
};
// The plot-area boxes of a cell as they are drawn: each fitted inside the frame, 4 px
// from its edges, at its alignment (or the free corner that covers least ink). No box
// lies over an earlier one: a box that would takes another free corner when its corner
// was chosen for it, else stands under (or, at the bottom, over) the boxes it meets on
// its side, else is left out (`overlapped`). With `keep_clear` a box whose place holds
// ink (a marker within its reach) or meets an earlier box is not placed there:
// `beside` says it goes out of the frame. The rectangle is empty for a box not drawn.
struct placed_inset {
  inset_box box;
  double x = 0, y = 0, w = 0, h = 0;
  bool overlapped = false;
  bool beside = false;
  int number = 0;  // the box's place among the cell's boxes
};
std::vector<placed_inset> place_plot_insets(const frame& f, const std::vector<inset_box>& boxes, const cell_ink& ink = {},
                                            bool keep_clear = false);
// Draws the plot-area boxes where place_plot_insets puts them, opaque over what the
// cell drew before them.
void draw_plot_insets(canvas& c, graph_notes& notes, const frame& f, const std::vector<inset_box>& boxes,
                      const cell_ink& ink = {});
// Draws a box placed for a cell, its top-left corner at (x, y) on the page, and counts
// the rows it leaves out for the graph's notes.
void draw_placed_box(canvas& c, graph_notes& notes, const placed_inset& q, double x, double y);

// The plot-area boxes of one cell: those of the dynamics, and the cell's own InsetData
// row of a comparative graph.
std::vector<inset_box> cell_inset_boxes(const out::graph_panel& p, const class_key& key);
// The reference lines of a cell as ink the boxes keep clear of: its HREF= lines up it,
// its VREF= lines across it, and their labels where draw_refs puts them clear of the
// texts taken and the ink drawn so far (at the bottom, at the left, when `h_at_min`,
// `v_at_min`).
void add_reference_ink(const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
                       bool h_at_min, bool v_at_min, cell_ink* ink, const std::vector<frame>& taken = {});

// Room the margin boxes take: top, bottom, left, right (px), for a page `width` px wide.
struct inset_room {
  double top = 0, bottom = 0, left = 0, right = 0;
};
inset_room inset_margin_room(const std::vector<inset_box>& boxes, double width);
// The height the boxes of the taller side margin take, stacked.
double side_insets_height(const std::vector<inset_box>& boxes);
// The side-margin boxes fitted into `room_h` px of height, each at least `room_w` px wide
// when it must be fitted: their pairs go side by side, their text shrinks, and the rows
// still without room are left out from the end (left_out counts them).
void fit_side_insets(std::vector<inset_box>* boxes, double room_w, double room_h);
// Draws the boxes of one margin from (x, y) down, `width` px wide, counting the rows
// they leave out for the graph's notes.
void draw_margin_insets(canvas& c, graph_notes& notes, const std::vector<inset_box>& boxes, int margin, double x,
                        double y, double width);

}  // namespace plat::graph
