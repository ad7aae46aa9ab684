// A cell's wall, frame line and grid, its axes with their tick texts, and the axis
// labels of the page.
#pragma once
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_scale.h"

namespace plat::graph {

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
// What an axis finds of its ticks before it writes their texts. A page owns one for the
// axes of all its cells and passes it to each, so that an axis allocates nothing once
// the first has been drawn; each axis empties it before it reads it. `tick_key` holds
// the name a panel's tick texts are kept under (draw_axes_of_cell).
struct axis_scratch {
  struct span {
    double lo, hi;  // extent of a tick text along its axis, px
  };
  std::vector<std::size_t> at;
  std::vector<span> spans;
  std::vector<bool> allowed, shown;
  std::string tick_key;
};
// The axes with texts of their own, drawn with the page's scratch.
void draw_x_axis(canvas& c, const frame& f, const std::vector<double>& ticks, const std::vector<std::string>& texts,
                 bool ticks_shown, bool values_shown, double reach_left, double reach_right, axis_scratch& scratch);
void draw_y_axis(canvas& c, const frame& f, const std::vector<double>& ticks, const std::vector<std::string>& texts,
                 bool ticks_shown, bool values_shown, axis_scratch& scratch);
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

}  // namespace plat::graph
