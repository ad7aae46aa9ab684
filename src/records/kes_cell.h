// One CLASS level cell: one per level of the first CLASS variable and, with two,
// child cells per level of the second. Without CLASS variables one cell stands for
// the whole BY group. Cells come from the BY-group pool; the two text buffers follow
// the record.
#pragma once
#include <cstdint>

#include "records/kes_text_desc.h"

struct kes_plotslot;
struct kes_varsum;

struct kes_cell {
  kes_cell* next;          // left link in the level tree; the next cell once listed
  kes_cell* right;         // right link in the level tree
  std::int16_t balance;    // -1, 0, +1
  kes_textdesc fmt;        // formatted level text (the tree key)
  kes_textdesc key;        // unformatted character value
  double value;            // the CLASS variable's value of the cell's first observation
  double order;            // order count, then the sort key
  int no_output;           // nonzero: no OUTPUT observation for this cell
  int hist_empty;          // set by the histogram requests: the cell has no spread to plot
                           // (a field of its own, so that it never suppresses OUTPUT)
  double* outvals;         // this cell's OUTPUT values (null when there are none)
  kes_plotslot* slots;     // one plot slot per plot slot of the step
  kes_varsum* varsums;     // per-variable records; null for a level with child cells
  kes_cell* child;         // child list head; in a child cell, its parent level
};
