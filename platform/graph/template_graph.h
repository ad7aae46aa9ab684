// The stand-in's graph templates: each template name under "orbo.kestravine.Graphics."
// draws a graph panel from its data objects and dynamics.
#pragma once
#include <string>

#include "output/graph_objects.h"

namespace plat::graph {

class canvas;

// Draws the panel on the canvas with its template; false with *why when the
// template is not one of the stand-in's or its data cannot be drawn.
bool draw_template_graph(const out::graph_panel& p, canvas& c, std::string* why);

// The panel as an SVG document; false with *why.
bool render_template_svg(const out::graph_panel& p, std::string* svg, std::string* why);
// Draws the panel into an SVG file at path; false with *why. *unwritable tells a file
// that could not be written (why then ends in the system's reason) from a panel that
// cannot be drawn.
bool write_template_svg(const out::graph_panel& p, const std::string& path, std::string* why,
                        bool* unwritable = nullptr);
// write_template_svg for the output system (its panel drawer): what is not drawn is
// logged, a file that cannot be written fails the step, and *why is the listing's word.
bool draw_panel_file(const out::graph_panel& p, const std::string& path, std::string* why);

}  // namespace plat::graph
