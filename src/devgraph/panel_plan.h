// The panels of a comparative device chart in the order they are drawn: which page
// each falls on, where it sits on the page, which cell it shows, which level labels
// go beside it and which of its edges carry ticks, values and axis labels. The chart
// driver walks the plan and moves the plot area to each panel's place.
#pragma once
#include <cstdint>
#include <vector>

#include "records/kes_chart.h"

struct kes_panel {
  int page;              // from 0
  bool opens, closes;    // the page opens before this panel, closes after it
  int cell;              // index of the cell: in the level list (one CLASS variable) or
                         // row * L2 + column (two); -1 for a place beyond the last level
  int row, col;          // the levels of a two-variable panel (one variable: i, -1)
  int vslot;             // rows from the bottom of the page; -1 when rows are not laid out
  int hslot;             // columns from the left; -1 when columns are not laid out
  int top_label;         // column label drawn above the panel, -1 none
  int side_label;        // row (or level) label drawn beside the panel, -1 none
  std::uint8_t edge[KES_NEDGES];
};

// The plan of nclass (1 or 2) CLASS variables with l1 levels of the first and l2 of
// the second, nr rows and nc columns per page (NROWS=, NCOLS=). Two variables place
// every position of each page's block, the empty ones too; one variable only its cells.
std::vector<kes_panel> kes_panel_plan(int nclass, int l1, int l2, int nr, int nc);

// The columns of cells a page of that plan draws side by side: one with one CLASS
// variable laid out in rows (NROWS= of 2 or more; NCOLS= is then not used), else the
// NCOLS= columns, but no more than the levels that go across. The cells are sized for
// these columns, so that the columns drawn span the plot width.
int kes_drawn_columns(int nclass, int l1, int l2, int nr, int nc);
