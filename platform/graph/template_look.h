// The look of the graph templates: text sizes, lengths and colours, and the strokes
// of fitted and kernel curves. The look follows the graph style of the project.
#pragma once
#include "graph/graph_style.h"
#include "graph/template_canvas.h"

namespace plat::graph {

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

// A text of a size, aligned at its anchor, in a colour.
inline text_style text_look(double size, anchor a, const char* colour) {
  text_style t;
  t.size = size;
  t.align = a;
  t.colour = colour;
  return t;
}

// The stroke of curve i (palette colour and line style in step), fitted or kernel.
paint curve_paint(int i, bool kernel);

}  // namespace plat::graph
