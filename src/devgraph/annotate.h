// Annotate data sets on device graphs: the request the host's annotate service draws
// from, with the cell's two coordinate systems, and the calls of the chart driver.
#pragma once
#include "host/host_data.h"
#include "host/host_graph.h"

struct kes_ctx;
struct kes_preq;
struct kes_cell;

// An annotate request with its axis blocks and their data ranges.
struct kes_annotate_frame {
  host_annoreq req;
  host_annoaxis h, v;
  double hrange[2], vrange[2];
};

// Draws the request's annotate data sets on the cell (with ANNOKEY only on the key
// cell). Called for every cell after its marks and before its insets.
void kesgano(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
// The probability-plot path: 0 drawn or nothing to draw, 1 not drawn (after its note).
// The percents in data units on the percent axis are placed at their quantiles under
// the cell's curve (the key cell's when cell is null); an observation without a
// percent strictly between 0 and 100 there is noted and not drawn.
// mode 1: the plot statement's data set; 2: the PROC statement's.
int kespano(kes_ctx* ctx, kes_preq* request, kes_cell* cell, kes_dsh annotate, host_annoreq* req, int mode);
// The request and axis blocks of the current request's layout.
void kes_annotate_axes(kes_ctx* ctx, const kes_preq* request, kes_annotate_frame* f);
// ganotat, with the note when the host could not read or draw the data set: 0 or 1.
int kes_annotate_draw(host_annoreq* req);
