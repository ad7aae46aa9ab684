// The bars of a histogram cell as kesgbr2 draws them: their paint and their
// rectangles, for the drawers of what stands over them.
#pragma once

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
