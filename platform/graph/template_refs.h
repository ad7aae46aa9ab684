// Reference lines (HREF=, VREF=) and the places of their labels.
#pragma once
#include <string>
#include <vector>

#include "graph/template_canvas.h"
#include "graph/template_notes.h"
#include "graph/template_scale.h"

namespace plat::graph {

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
// row, else on the rows after; a VREF label on its line's side toward the frame's
// nearer edge, else on the other side (kes_vref_under_first), at its end, else along
// it past the texts in the way. Where the frame has room a label also keeps off the
// data's ink (`marks`: the points drawn and points every few px along the data's
// lines), so that no step or curve runs through it.
ref_layout place_ref_labels(const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
                            bool h_at_min, bool v_at_min, const std::vector<frame>& taken = {},
                            const std::vector<point>& marks = {});
// The lines and their labels, each line broken behind the texts it would cross; the
// values outside their axis are counted in the graph's notes.
void draw_refs(canvas& c, graph_notes& notes, const frame& f, const std::vector<refline>& hrefs,
               const std::vector<refline>& vrefs, bool h_at_min, bool v_at_min, const std::vector<frame>& taken = {},
               const std::vector<point>& marks = {});
std::vector<frame> ref_label_boxes(const frame& f, const std::vector<refline>& hrefs, const std::vector<refline>& vrefs,
                                   bool h_at_min, bool v_at_min, const std::vector<frame>& taken = {},
                                   const std::vector<point>& marks = {});

}  // namespace plat::graph
