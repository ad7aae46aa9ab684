// Where the labels of a cell's reference lines stand: every label clear of the bars'
// value texts and of the other labels, and where it can of the other lines. The HREF
// and VREF drawers both place all labels the same way, so that each breaks its lines
// behind the other's labels and a label drawn later still finds its place.
#pragma once
#include <functional>
#include <vector>

#include "devgraph/gdev.h"
#include "devgraph/text_gaps.h"

struct kes_ctx;
struct kes_cell;

// Where a value stands on each axis of the page (a percent axis puts it at its quantile).
struct kes_ref_axes {
  std::function<double(double)> x, y;
};
// The page's own axes of the current request.
kes_ref_axes kes_page_axes(kes_ctx* ctx);

struct kes_ref_labels {
  std::vector<kes_gtext> h, v;     // by the values' order; len 0 where none is drawn
  std::vector<double> hw, vw;      // their lengths along the baseline, -1 where none is drawn
  std::vector<int> h_room, v_room; // each label's index in rooms, -1 where none is drawn
  std::vector<kes_text_gap> rooms; // the bars' value texts, then every label
  std::vector<kes_text_gap> boxes; // the cell's boxes in the plot area
  // The gaps a line keeps: every text and box but its own label (index own in rooms).
  std::vector<kes_text_gap> gaps_but(int own) const;
};

// The labels of the cell's HREF= and VREF= lines, clear of its boxes (placed first): HREF labels right of their line on
// the first row (from the top, or from the foot with HREFLABPOS=3 or 4), else left of
// it, else on the rows after; VREF labels on the side of the line toward the frame's
// nearer edge at its start (or end with VREFLABPOS=2), else on its other side, else
// along it past the texts in the way. Where the frame has room a label also keeps off
// the data's lines (a CDF plot's steps and curve, a histogram's fitted curves).
kes_ref_labels kes_place_ref_labels(kes_ctx* ctx, kes_cell* cell, const kes_ref_axes& to);
