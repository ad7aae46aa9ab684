// Placing inset boxes on a device graph: the frame region of a cell, the placement in
// the plot area, the page margins and the side margins, and the shrinking they share.
#pragma once

struct kes_ctx;
struct kes_cell;
struct kes_insetbox;
struct kes_layout;

// The frame region of a cell and what placement reads of the layout. Lengths in
// percent of the graphics area.
struct kes_inset_frame {
  double L, R, B, T;                        // frame region
  double plot_left, plot_width;             // plot area
  double plot_bottom, plot_height;
  double hbefore, hafter, vbefore, vafter;  // axis offsets before and after the data
  double aspect;                            // the device's aspect factor
  double xscale, xoffset, yscale, yoffset;  // data to page, after the powers of two
  int xexp = 0, yexp = 0;                   // (see kes_layout)
};

// The frame region of the current request's layout for the cell (CPROP lowers its top
// by the proportion band).
kes_inset_frame kes_inset_frame_of(kes_ctx* ctx, kes_cell* cell);

// Steps of the placement inside the frame (kesivld runs them in this order).
void kes_inset_positions(kes_ctx* ctx, const kes_inset_frame& f);
void kes_inset_fit(kes_ctx* ctx, const kes_inset_frame& f);
void kes_inset_overlaps(kes_ctx* ctx);

// Multiplies the box's lengths by s: text height, box width and height, margins,
// column spacing, row gap, block widths, blank and sample widths; the label and value
// widths with `columns`, the shadow with `shadow`.
void kes_inset_scale(kes_insetbox* box, double s, bool columns, bool shadow);
// Shadow and header rule after the box's rectangle changed.
void kes_inset_follow(kes_insetbox* box);

// A box's margin above and below its rows, and the gap between rows (device text cells
// aside): half the text's height, at most 2.5 percent but never under a quarter of
// it, so that a tall text's descent stays inside the box and its rows never meet.
void kes_inset_row_spacing(kes_insetbox* box);

// True for the page-margin words "TM", "BM", "LM", "RM".
bool kes_inset_margin_word(const char* w);

// The page-margin layout on the page area (left, bottom, right, top; reduced in
// place), g the gap at the page's sides, d the default text height: 0.
int kes_inset_margins(kes_ctx* ctx, double* area, double g, double d);
// Columns of a top or bottom box in the available width a, one column needing w1.
int kes_inset_columns(const kes_insetbox* box, double a, double w1);
// A box leaves the device's text cells for the default graphics font (side 0 top, 1
// bottom, 2 left, 3 right), after its note, and is measured again.
void kesuncell(kes_insetbox* box, int side, kes_ctx* ctx);
// The side-margin boxes fitted to the frame's bottom and top: 0.
int kes_inset_side_fit(kes_ctx* ctx, double bottom, double top);

// Places the boxes of every cell of the chart: 0.
int kesivld(kes_ctx* ctx, kes_cell* cell, const double* offsets);
// The page-margin boxes and the page area left for the plot: 0.
int kesimrg(kes_ctx* ctx);
// The side-margin boxes fitted to the frame's height: 0.
int kessrnk(kes_ctx* ctx);
// Draws every enabled box; then releases the blanked areas registered for the cell.
void kesidrw(kes_ctx* ctx);
// Releases every blanked area the boxes registered (each cell's end).
void kes_inset_release(kes_ctx* ctx);
void kes_inset_release_box(kes_insetbox* box);
