// What a text drawn over a cell stands on: a histogram's bar, the wall, or the page.
#pragma once

#include "devgraph/gdev.h"

struct kes_ctx;
struct kes_cell;

// The colour of the fill drawn beneath point (x, y) of the cell: a filled bar, else
// the wall (CFRAME=, or the style's walls); -1 for the page.
int kes_fill_beneath(kes_ctx* ctx, kes_cell* cell, double x, double y);
// The colour a text placed in the default colour takes over what lies beneath its
// middle (w its measured width): its own where it reads, else black or white.
int kes_readable_over(kes_ctx* ctx, kes_cell* cell, const kes_gtext& t, double w);
