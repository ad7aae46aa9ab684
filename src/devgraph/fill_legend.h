// The legend of fill colours under the panels of a device page: the cells' legend
// keys (a fill colour name with its label, from their plot records) gathered once per
// chart, laid out in rows and columns in the room the page keeps for them, and drawn
// as a swatch and a label per entry after an optional title.
#pragma once
#include <vector>

struct kes_ctx;
struct kes_chart;

struct kes_legend_entry {
  char colour[8];   // fill colour name, blank-padded; "EMPTY" for no fill
  char label[16];   // blank-padded
  int colnum;       // device colour number
};

struct kes_legend {
  char title[16];                       // blank: no title
  std::vector<kes_legend_entry> entries;
  int rows = 0, cols = 0;
};

// Columns and rows of n entries in the width available: each entry takes the swatch
// room, the second spacing, the label width and the third spacing, the last without
// its third spacing. Columns 0 when not even one fits.
struct kes_legend_grid {
  int cols, rows;
};
kes_legend_grid kes_legend_fit(double available, double swatch_room, double gap2, double label_w, double gap3, int n);

// The lower-left corner of entry i's swatch: column i mod cols from x0 by pitch, row
// i div cols down from the top row y_top by row height.
struct kes_legend_spot {
  double x, y;
};
kes_legend_spot kes_legend_at(int i, int cols, double x0, double pitch, double y_top, double row_h);

// The entries of the current request's cells, in order of first appearance (with
// CLASS variables ordered by label), the title, the grid, and the room below the plot
// kept for them; note KES_MSG_LEGEND_DOES_NOT_FIT and no legend when it cannot fit.
void kes_legend_layout(kes_ctx* ctx, kes_legend* legend);
// The legend on the current page.
void kesgleg(kes_ctx* ctx, const kes_legend& legend);
