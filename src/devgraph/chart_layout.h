// The routines of a device chart: margins and page geometry, colours, axes, labels,
// bars, curves, frames and reference lines, and the chart driver that runs them. All
// work on the current request (the context's current request) and variable.
#pragma once
#include <functional>

#include "plotdata/kes_axislabels.h"

struct kes_ctx;
struct kes_cell;
struct kes_preq;
struct kes_axis;
struct kes_axisdraw;
struct kes_layout;
struct host_varinfo;

// Chart driver: 0 after drawing or skipping, else the first failure (1012, 1016,
// 2000 a chart that does not fit its page, 108).
int kesgcht(kes_ctx* ctx);
// One cell of the page; cell may be null (frame and axes only).
void kesgdrw(kes_ctx* ctx, kes_cell* cell, int row);

// Margins, fonts, text heights, tick units, offsets and tick lengths.
void kesgmar(kes_ctx* ctx);
// The extents of an axis' label lines and value texts; mode 0 horizontal, 1 vertical.
void axisfnt(kes_ctx* ctx, kes_axis* axis, kes_axisdraw* draw, const host_varinfo* info, int mode);
// The measured length of horizontal tick value number i.
double labwidth(kes_ctx* ctx, const host_varinfo* info, int format, double value, int i);
// Page geometry: 0, 2000 (no room), 1012; and 0, 2000, 108.
int kesgpag(kes_ctx* ctx);
int kesgpg2(kes_ctx* ctx);

// Colours, fills and line attributes.
int kessymb(kes_ctx* ctx);  // 0, or 1 when the table cannot be had
void kesgpat(kes_ctx* ctx);
void kesgcol(kes_ctx* ctx);
void axiscol(kes_ctx* ctx, kes_axis* axis, int colour);

// Axes and their labels.
void kesgax(kes_ctx* ctx);
void keslinx(kes_ctx* ctx, int use_format);
void kesliny(kes_ctx* ctx, int use_format);
void kesghlb(kes_ctx* ctx);
void kesgvlb(kes_ctx* ctx);

// Marks of a histogram cell.
void kesgbr2(kes_ctx* ctx, kes_cell* cell);
void keshang(kes_ctx* ctx, kes_cell* cell);
int kescmh5(kes_ctx* ctx, kes_cell* cell);
void kesgfrm(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
// Reference lines and their labels, or one of the two: lines drawn behind the bars
// have their labels drawn over them, where they can be read.
enum class kes_ref_part { both, lines, labels };
void kesghrl(kes_ctx* ctx, kes_cell* cell, kes_ref_part part = kes_ref_part::both);
void kesgvrl(kes_ctx* ctx, kes_cell* cell, kes_ref_part part = kes_ref_part::both);
// The same lines where to_device puts each value on its axis (a percent axis).
struct kes_ref_axes;
void kesghrl_at(kes_ctx* ctx, kes_cell* cell, const kes_ref_axes& to, kes_ref_part part = kes_ref_part::both);
void kesgvrl_at(kes_ctx* ctx, kes_cell* cell, const kes_ref_axes& to, kes_ref_part part = kes_ref_part::both);

// Label buffers hold at least this many characters.
constexpr int KES_LABEL_BUFFER = 261;
