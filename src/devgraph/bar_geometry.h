// The bars of a histogram cell as kesgbr2 draws them: their paint and their
// rectangles, for the drawers of what stands over them.
#pragma once
#include <vector>

#include "devgraph/gdev.h"
#include "devgraph/text_gaps.h"

struct kes_ctx;
struct kes_cell;
struct kes_plotslot;

struct kes_bar_paint {
  char pattern[8];  // the device's pattern word
  int fill;         // its colour; 0 with the empty pattern
  int outline;
};

// The bars' pattern, fill and outline colours.
kes_bar_paint kes_bar_paint_of(kes_ctx* ctx);
// Whether the cell draws bars at all (NOBARS, a hanging cell's bars are off).
bool kes_bars_drawn(kes_ctx* ctx, const kes_cell* cell, const kes_plotslot* s);
// Bin i's bar from its base to its top (device units); false when it is not drawn.
bool kes_bar_rect(kes_ctx* ctx, const kes_plotslot* s, int i, double* left, double* base, double* right,
                  double* top);
// The value text over bin i's bar (BARLABEL= given), standing over the bar from left
// to right whose top is top: set in t, its characters in buf (40 of them); the text's
// length along its baseline.
double kes_bar_label(kes_ctx* ctx, const kes_plotslot* s, int i, double left, double right, double top,
                     kes_gtext* t, char* buf);
// The gaps that the value texts over a cell's bars keep in the lines behind them; none
// without BARLABEL= or bars.
std::vector<kes_text_gap> kes_bar_label_gaps(kes_ctx* ctx, kes_cell* cell);
