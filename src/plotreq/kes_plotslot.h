// The record of one plot request for one analysis variable in one cell, zero-filled
// when the cell is made.
#pragma once

struct kes_curve;

struct kes_plotslot {
  int curve;          // current-curve index
  int ncurves;        // curves of the request
  int nkernels;       // kernel curves (the last ones)
  int nfitted;        // fitted curves of this cell
  kes_curve* curves;  // the curve array
};
