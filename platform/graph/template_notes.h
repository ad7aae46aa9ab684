// What drawing a graph leaves for its log to say: reference values outside their axes,
// inset rows left out for want of room, bar values left out. The graph's drawer
// (draw_template_graph) owns one for each graph it draws and hands it to what counts,
// so that a graph's notes start empty and are said once, when it has been drawn.
#pragma once
#include <set>
#include <vector>

namespace plat::graph {

// Rows of plot-area boxes left out for want of room: the boxes cut, and the most rows
// one of them left out, of how many; the same for each box by its place among its
// cell's boxes (in that order), so that each has its note; the margin box that set
// fewer pairs across than its NCOLS= asked (pairs set, 0 for none); and the boxes left
// out over an earlier one.
struct box_cut {
  int number = 0, most = 0, of = 0;
};
struct inset_cuts {
  int boxes = 0, most = 0, of = 0;
  std::vector<box_cut> each;
  int pairs_set = 0, pairs_asked = 0;
  int overlapped = 0;  // boxes left out because they would lie over an earlier one
  int margin_most = 0, margin_of = 0;  // the most rows a margin box left out, of how many
};

// Bar values a histogram's cells leave out (they would cover each other) and the values
// they had, summed over the cells drawn.
struct values_left_out {
  int left_out = 0, of = 0;
};

struct graph_notes {
  // The HREF= and VREF= values left out, each once: they lie outside their axis (every
  // cell draws the same values).
  std::set<double> hrefs_outside, vrefs_outside;
  inset_cuts cuts;
  values_left_out values;
  void count_values_left_out(int left_out, int of) {
    if (left_out <= 0) return;
    values.left_out += left_out;
    values.of += of;
  }
};

}  // namespace plat::graph
