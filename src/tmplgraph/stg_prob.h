// What the template graphs of QQ, probability, P-P and CDF plots share: the rows of
// the reference-line columns, the quantile ticks, the percentile positions and the
// reference-line legend text.
#pragma once
#include "host/wob.h"
#include "plotdata/kes_points.h"
#include "util/kes_fn_ref.h"

struct kes_ctx;
struct kes_cell;
struct kes_plotslot;
struct kes_stgraph;
struct kes_curve;

// The most OVERLAY groups of shapes of their own whose percent axes one frame stacks.
constexpr int KES_PCTL_GROUP_ROWS = 4;

// Transform of a reference value before it is written (identity when empty).
using kes_refmap = kes_fn_ref<double(double)>;

// Rows of a cell with n points: n, or as many as the HREF= or VREF= values when more,
// at least 1. (A cell without points writes its one row.)
int kes_stg_rowcount(const kes_ctx* ctx, int n);
// The reference columns of row i (HREF= and VREF= value i and its label while there
// are that many), each value through its map.
void kes_stg_refrow(kes_ctx* ctx, kes_stgraph* g, int i, const kes_refmap& hmap = {}, const kes_refmap& vmap = {});

// The ticks of a quantile axis from start s to end e by d: s, s + d, ... up to and
// including the first not below e (only s when s >= e), a value within 1000 x 2^-53
// of 0 stored as 0. Into out (room for kes_qntl_count values); the count.
int kes_qntl_count(double s, double e, double d);
int kes_qntl_ticks(double s, double e, double d, double* out);

// The family's standardized quantile of percent/100 with the shapes of a slot (the key
// slot's when null), 0 within 2^-26.5 of 0: the place of a percent tick or reference
// line on the axis of a cell fitted with those shapes.
double kes_pctl_position(kes_ctx* ctx, double percent, const kes_plotslot* slot = nullptr);

// The "_REFLINELAB" text of the request's family for the line a + b q (turned round
// first under ROTATE, where the slot holds q = a + b data), into buf (256); its length.
int kes_reflinelab(kes_ctx* ctx, char* buf, double a, double b);

// A cell's points from a point maker (keszpts) when its curve is fitted:
// the count (0 without a fitted curve, and after a memory failure, which sets the
// graph's status to 1016); *fitted says whether the curve is.
using kes_pointmaker = int (*)(kes_ctx* ctx, kes_cell* cell, double** out);
int kes_stg_points(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell, kes_pointmaker make, double** pts, bool* fitted);
// The same with the points given in pieces to put (kespoints_pieces).
using kes_piecemaker = int (*)(kes_ctx* ctx, kes_cell* cell, const kes_piece_fn& put);
int kes_stg_point_pieces(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell, kes_piecemaker make, const kes_piece_fn& put,
                         bool* fitted);

// The y label of P-P and CDF graphs: kesvlab's text, or (NOVLABEL with more than one
// row) a blank with "_YLABELHT".
void* kes_stg_ylabel(kes_ctx* ctx, kes_stgraph* g);
// The group label of the panel (an empty text without OVERLAY).
void* kes_stg_grouplabel(const kes_stgraph* g);

// Axis label texts: x and y of QQ and probability plots (ROTATE exchanges them;
// VAXISLABEL= as kesvlab gives it; NOVLABEL with more than one row blanks y and asks
// for "_YLABELHT").
void kes_stg_xylabels(kes_ctx* ctx, kes_stgraph* g, void** xlabel, void** ylabel);

// The name record of an inline dynamic pair of a panel.
wob_attr kes_stg_pair_name(const char* name);

// The builders and row writers of the QQ, probability, P-P and CDF graphs.
// The family's COLOR=, W= and L= for the fitted line or curve: "_LINECOLOR" (text),
// "_LINETHICKNESS" (double) and "_LINEPATTERN" (int), each only when given.
void kes_stg_linestyle(kes_ctx* ctx, kes_stgraph* g);
// "_YTICKS" when the vertical axis is the VAXIS= list (the data axis; under ROTATE the
// list reaches the quantile axis through its ticks instead).
void kes_stg_yticks(kes_ctx* ctx, kes_stgraph* g);

void kesstgqq(kes_ctx* ctx, kes_stgraph* g);
void kesstgprob(kes_ctx* ctx, kes_stgraph* g);
void kesstgpp(kes_ctx* ctx, kes_stgraph* g);
void kesstgcdf(kes_ctx* ctx, kes_stgraph* g);
void putqq(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell);
void putprob(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell);
void putpp(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell);
void putcdf(kes_ctx* ctx, kes_stgraph* g, kes_cell* cell);
// The "_CDFLAB" text of a fitted curve into buf (256): its parameters, or "EST" for
// those estimated per cell of a comparative graph; its length.
int kes_cdflab(kes_ctx* ctx, const kes_curve* c, char* buf);
