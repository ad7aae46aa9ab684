// The marks of probability, QQ, P-P and CDF plots in one cell of a device page: the
// points and lines that the point makers compute (kes_points.h), taken to the device
// through the panel's transforms and clipped to its frame.
#pragma once
#include <functional>

struct kes_ctx;
struct kes_cell;
struct kes_preq;
struct kes_layout;

// Probability and QQ points in attribute entry 0's marker; none when its code is negative.
// The number of points that have a place (a quantile and a value). With `seen`, the
// count of the cell's points the point maker gave, with a place or not, goes there, and
// `drawn` is called with each piece of the points drawn, in device units.
struct kes_seen_points {
  long given = 0;
  std::function<void(const double* xy, int n)> drawn;
};
int kesgpts(kes_ctx* ctx, kes_preq* request, kes_cell* cell, kes_seen_points* seen = nullptr);
// The cell's own distribution reference line across the plot area, in the first curve
// entry's colour, style and width; note KES_MSG_REFERENCE_LINE_OUTSIDE_PLOT when none of it is inside.
// True when drawn, its ends in `drawn` (x1 y1 x2 y2 in device units) when given.
bool kesgdl(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double* drawn = nullptr);
// P-P points, and the 45-degree line of a P-P plot.
void keszdrw(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
void kesg45(kes_ctx* ctx);
// The fitted distribution function: 0, or 1 when it cannot be computed or drawn.
int kescgr(kes_ctx* ctx, kes_cell* cell);
// The empirical distribution function as a step line in entry 0's line.
void kesecdf(kes_ctx* ctx, kes_cell* cell);

// Markers at n (x, y) device points, in batches the device takes, clipped to clip
// (left, bottom, right, top).
void kes_draw_marks(const double* xy, int n, int code, float size, unsigned char flags, int colour, const double* clip);
// The frame of the current panel (the plot area with the axes' offsets) as a clip rectangle.
void kes_frame_clip(const kes_layout* lay, double* clip);

// The axes of a QQ, probability or P-P plot on the linear axes of the device page:
// the key cell's theoretical axis becomes its horizontal range and its data axis the
// vertical one, with their ticks; a CDF plot gets its tick count. Histograms are left
// as they are.
void kes_prob_page_axes(kes_ctx* ctx);
