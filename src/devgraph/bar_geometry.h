// The bars of a histogram cell as kesgbr2 draws them: their paint and their
// rectangles, for the drawers of what stands over them.
#pragma once
#include <string>
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
// A value text over a bar (BARLABEL=), as it is drawn: its record (whose text points
// at chars), and the room it keeps.
struct kes_bar_text {
  kes_gtext t;
  std::string chars;
  kes_text_gap room;
};
// The value texts over a cell's drawn bars, centred over their bars just above them;
// none without BARLABEL= or bars. Where neighbours would meet, all of the cell's shrink
// alike down to four fifths of their height; past that they take two rows, each
// rising over the one before it where they would meet (kes_set_values); where even two
// rows cannot hold them, only the tallest bars that leave each other room keep theirs
// (kes_values_kept), and *left_out counts the others.
std::vector<kes_bar_text> kes_bar_texts(kes_ctx* ctx, kes_cell* cell, int* left_out = nullptr);
// Their rooms: the gaps they keep in the lines behind them.
std::vector<kes_text_gap> kes_bar_label_gaps(kes_ctx* ctx, kes_cell* cell);
