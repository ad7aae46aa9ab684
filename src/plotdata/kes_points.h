// The points of probability, QQ, P-P and CDF plots in one cell, before any device
// transform: the device drawers and the template graphs both plot them. Point arrays
// are (x, y) pairs of doubles from the current variable's pool (the BY group's when it
// has none); a null result with -1 follows the host's memory note.
#pragma once

#include "host/host_graph.h"
#include "util/kes_fn_ref.h"

struct kes_ctx;
struct kes_cell;
struct kes_curve;

// Probability and QQ points: for the k-th smallest of the N values (each value repeated
// by its frequency, k from 0) x = Q((k + 1 + RANKADJ) / (N + NADJ)), Q the family's
// standardized quantile, y = the value (log(value - threshold) for the two-parameter
// Weibull, whose values within KES_WEIBULL2_GAP of its threshold or below it have no
// point; the others keep their ranks); exchanged under ROTATE. The points made, or -1.
int kespoints(kes_ctx* ctx, kes_cell* cell, double** out);
// Whether some fitted CLASS cell puts a percent tick of the request elsewhere than
// the key cell does (its shapes were fitted in it): each cell's percent ticks then
// stand at its own places, and every cell shows them.
bool kes_pctl_places_per_cell(kes_ctx* ctx);

// How far above the two-parameter Weibull threshold a value must lie to be plotted.
constexpr double KES_WEIBULL2_GAP = 0.001;

// Points given in pieces, each put(xy, first, count): count pairs from point `first` on,
// in a buffer the next piece reuses (the receiver may change them). A piece holds
// KES_POINT_PIECE points, the last one fewer; a multiple of the device's marker batch,
// so that batches of pieces fall where batches of the whole would.
using kes_piece_fn = kes_fn_ref<void(double* xy, long first, int count)>;
constexpr long KES_POINT_PIECE = 640L * GMARK_BATCH;

// kespoints' points in pieces, without holding them all: N, or -1.
int kespoints_pieces(kes_ctx* ctx, kes_cell* cell, const kes_piece_fn& put);

// Gives back a point array of this file's makers once drawn.
void kes_points_free(kes_ctx* ctx, double* points);

// P-P points, one per distinct value: x = s F(value) with the cell's fitted curve,
// y = s times the running share of the values up to it, s the key cell's scale. The
// number of distinct values, or -1.
int keszpts(kes_ctx* ctx, kes_cell* cell, double** out);

// The points of a drawn fitted curve: a histogram's density, a CDF plot's distribution
// function.
constexpr int KES_CURVE_POINTS = 200;

// The fitted distribution function at KES_CURVE_POINTS points evenly over the key
// cell's horizontal range, scaled by the key cell's scale, into out (two doubles a
// point). 0, or 1 when the
// incomplete gamma or beta function fails.
int kescdfpts(kes_ctx* ctx, kes_cell* cell, double* out);

// The points the renderer asks for of the empirical distribution function's steps:
// each step as two points, (value, before) and (value, after), for a renderer that
// draws lines between points; or one, (value, after), for one that draws the steps.
enum kes_ecdf_form : int { KES_ECDF_STEP_POINTS = 0, KES_ECDF_STEP_ENDS = 1 };

// The empirical distribution function as a step curve from (h min, 0) to (h max, 1 s)
// in the renderer's form: 2m + 2 points with two a step, m + 2 with one (m distinct
// values). The count, or -1 when the cell has no values or no memory.
int kesecdfpts(kes_ctx* ctx, kes_cell* cell, kes_ecdf_form form, double** out);
// The same in pieces: the count, or -1.
int kesecdfpts_pieces(kes_ctx* ctx, kes_cell* cell, kes_ecdf_form form, const kes_piece_fn& put);

// The family's distribution function of a fitted curve at x (codes 0 to 7), for P-P
// points and CDF curves. *failed is set, and 0 returned, where the family's function
// cannot take x.
double kes_curve_cdf(const kes_curve* c, double x, bool* failed);
