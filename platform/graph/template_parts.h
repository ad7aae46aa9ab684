// The pieces every graph template is drawn from: nice scales and tick texts, the
// data-to-page frame of a cell, walls, frames and grids, axes with their labels,
// reference lines, curve styles, legends, panel strips, titles and the grid of cells
// of a page. The look follows the graph style of the project.
#pragma once
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "graph/graph_style.h"
#include "graph/svg_writer.h"
#include "graph/template_canvas.h"
#include "host/kes_checked.h"
#include "host/kes_text_room.h"
#include "host/text_ellipsis.h"

namespace plat::graph {

// ---- the look ----
inline constexpr double kLabelSize = 12;
inline constexpr double kTickSize = 11;
inline constexpr double kLegendSize = 11;
inline constexpr double kStripSize = 11;
inline constexpr double kRefLabelSize = 10;
inline constexpr double kTickLength = 5;
inline constexpr double kGap = 4;  // between a tick and its text, a text and a label
inline constexpr const char* kFrameColour = "#4A4A4A";
inline constexpr const char* kGridColour = "#E6E6E6";
inline constexpr const char* kRefColour = "#6E6E6E";
inline constexpr const char* kBarFill = "#C6DBEF";
inline constexpr const char* kStripFill = "#EFEFEF";
inline constexpr const char* kCurveYellowLine = "#B8A200";

// The stroke of curve i (palette colour and line style in step), fitted or kernel.
paint curve_paint(int i, bool kernel);

// ---- scales and numbers ----
struct scale {
  double lo = 0, hi = 1;
  std::vector<double> ticks;
};
// A nice scale over [lo, hi] with about `target` intervals of 1, 2 or 5 times a power
// of ten; lo and hi are widened to the ticks. Values that are not finite give a unit scale.
scale nice_scale(double lo, double hi, int target = 5);
// The data range [lo, hi] widened by 4 % on each side, so that the first and last
// values are drawn inside the frame, with the nice ticks that fall inside it.
scale padded_scale(double lo, double hi, int target = 5);
// The numbers of a blank-separated list (tick lists of dynamics); bad words skipped.
std::vector<double> parse_numbers(const std::string& text);
// Tick texts, as the module's axes write them (kes_tick_texts): each reads its tick
// exactly, in one form for the axis; a tick within a billionth of the least step of
// zero reads 0.
std::vector<std::string> tick_texts(const std::vector<double>& ticks);

// ---- a cell of a page ----
struct frame {
  double x = 0, y = 0, w = 0, h = 0;       // plot area in px
  double xlo = 0, xhi = 1, ylo = 0, yhi = 1;  // data range
  double px(double v) const { return x + kes_axis_fraction(v, xlo, xhi) * w; }
  double py(double v) const { return y + h - kes_axis_fraction(v, ylo, yhi) * h; }
};

// The white wall and, after the data, the frame line.
void draw_wall(canvas& c, const frame& f);
void draw_border(canvas& c, const frame& f);
// Light lines at the vertical ticks (behind the data).
void draw_grid(canvas& c, const frame& f, const std::vector<double>& yticks);

// Axes: ticks out of the frame and their texts. Where texts would come closer than
// tick_text_room() (one character) they are thinned (see thin_tick_texts).
void draw_x_axis(canvas& c, const frame& f, const std::vector<double>& ticks, bool ticks_shown, bool values_shown);
void draw_y_axis(canvas& c, const frame& f, const std::vector<double>& ticks, bool ticks_shown, bool values_shown);
// The same with texts of their own at the ticks (percents at quantile positions). A
// text reaches at most `reach_left` / `reach_right` px beyond the frame's sides, so that
// the axes of cells side by side keep their texts apart.
void draw_x_axis(canvas& c, const frame& f, const std::vector<double>& ticks, const std::vector<std::string>& texts,
                 bool ticks_shown, bool values_shown, double reach_left = INFINITY, double reach_right = INFINITY);
void draw_y_axis(canvas& c, const frame& f, const std::vector<double>& ticks, const std::vector<std::string>& texts,
                 bool ticks_shown, bool values_shown);
// The least room between two tick texts, px.
double tick_text_room();
// Which of the tick texts at these extents along their axis (lo, hi in px, in tick
// order) are shown: of even ticks every k-th, for the smallest k that keeps `room`
// between them; of uneven ones each that keeps `room` from the one shown before it.
std::vector<bool> thin_tick_texts(const std::vector<std::pair<double, double>>& extents, double room);
// Widest text of a tick list.
double tick_text_width(const std::vector<std::string>& texts);
// Axis labels, centred along the axis; the vertical one turned 90 degrees. A label
// too long for its room shrinks, then ends in an ellipsis.
void draw_x_label(canvas& c, double centre, double baseline, double room, const std::string& text);
void draw_y_label(canvas& c, double baseline_x, double centre, double room, const std::string& text);

// ---- reference lines ----
struct refline {
  double value;
  std::string label;
};
// A reference label as it is drawn: its text fitted to its room, its baseline's start
// (or end) and its style; an empty text draws nothing.
struct ref_label {
  double x = 0, y = 0;
  std::string text;
  text_style style;
};
struct ref_layout {
  std::vector<ref_label> h, v;     // by the lines' order
  std::vector<int> h_room, v_room; // each label's index in rooms, -1 where none is drawn
  std::vector<frame> rooms;        // of the labels drawn (page px), for the boxes to keep off
};
// Where the labels of HREF= lines (at the top, or at the bottom with h_at_min) and of
// VREF= lines (at the right, or at the left with v_at_min) stand: each in the first of
// its places that covers none of the texts taken nor another label, and where it can
// no other line. An HREF label stands right of its line, else left of it, on the first
// row, else on the rows after; a VREF label above its line, else under it, at its
// end, else along it past the texts in the way.
ref_layout place_ref_labels(const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
                            bool h_at_min, bool v_at_min, const std::vector<frame>& taken = {});
// The lines and their labels, each line broken behind the texts it would cross.
void draw_refs(canvas& c, const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
               bool h_at_min, bool v_at_min, const std::vector<frame>& taken = {});
std::vector<frame> ref_label_boxes(const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
                                   bool h_at_min, bool v_at_min, const std::vector<frame>& taken = {});
// The HREF= and VREF= values the graph drawn since the last call left out, each value
// once: they lie outside their axis. The graph's log says how many.
struct refs_outside {
  int h = 0, v = 0;
};
refs_outside take_refs_outside();

// ---- legends ----
struct legend_entry {
  std::string label;
  paint stroke;
  bool filled = false;
  bool line = true;   // the swatch shows the stroke as a line
  int marker = -1;    // and, when not negative, a point marker of this shape in its colour
};
// Height of the legend laid out in width (title line, then rows of entries that wrap
// into columns, as many columns as keep it within max_height); 0 for no entries.
double legend_height(const std::string& title, const std::vector<legend_entry>& entries, double width,
                     double max_height = INFINITY);
void draw_legend(canvas& c, double x, double y, double width, const std::string& title,
                 const std::vector<legend_entry>& entries, double max_height = INFINITY);

// ---- panels and titles ----
inline constexpr double kStripHeight = 18;
// A strip above a cell with its CLASS levels, at a text size of its own when shrunk.
void draw_strip(canvas& c, double x, double y, double w, const std::string& text, double size = kStripSize);
// Title lines centred at the top of the page (bold first line, BY line after);
// returns the height they take.
double draw_titles(canvas& c, double width, const std::vector<std::string>& lines);
// A text cut to fit width, ending in an ellipsis when cut.
std::string fit_text(const std::string& s, const text_style& t, double width);
// The size at which s fits width: t's when it fits, else smaller in proportion, down
// to kLeastTextScale of t's, so that a long text shrinks a little before it is cut.
inline constexpr double kLeastTextScale = 0.8;
double shrunk_size(const std::string& s, const text_style& t, double width);
// The mark of a cut, where a text ends early or leaves out its middle.
inline const std::string kEllipsis{KES_ELLIPSIS};
// The byte ends of the prefixes of 0, 1, 2 ... characters of s.
std::vector<std::size_t> char_ends(const std::string& s);
// The index into ends of the longest prefix that fits, by bisection: fits(end) holds
// for the prefix of ends.front() (or it is empty) and not for that of ends.back(), and
// once false stays false for longer ones; a long text is measured a few dozen times.
template <class Fits>
std::size_t longest_fitting(const std::vector<std::size_t>& ends, Fits fits) {
  std::size_t lo = 0, hi = ends.size() - 1;
  while (hi - lo > 1) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (fits(ends[mid])) lo = mid;
    else hi = mid;
  }
  return lo;
}

// Room of each row and column of a grid of cells beside their plot areas, px, for the
// inset boxes that stand out of them: above each row's frames (under their strips),
// below them, left and right of each column's. Missing entries are 0.
struct cell_bands {
  std::vector<double> top, bottom, left, right;
  static double of(const std::vector<double>& v, int k) {
    return k >= 0 && static_cast<std::size_t>(k) < v.size() ? v[static_cast<std::size_t>(k)] : 0;
  }
  double down() const;    // all the rows' bands
  double across() const;  // all the columns' bands
};
// Plot areas of an nrows x ncols grid of cells inside [left, right] x [top, bottom]
// (px), each with a strip above it when strips is set and its bands around it; all of
// one size; row-major.
std::vector<frame> cell_grid(double left, double top, double right, double bottom, int nrows, int ncols, bool strips,
                             const cell_bands& bands = {});
// The gap between cells side by side (and between rows), px.
double cell_gap();

}  // namespace plat::graph
