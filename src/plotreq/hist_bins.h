// The steps of the common histogram bins, with the cell walk the histogram code uses.
#pragma once

#include "records/kes_cells.h"
#include "records/kes_ctx.h"

struct kes_ctx;
struct kes_preq;
struct kes_cell;
struct kes_plotslot;

// Bin limit without NOBINLIMIT, and with it.
constexpr int KES_BIN_LIMIT = 100000;
constexpr int KES_BIN_LIMIT_NONE = 2147483646;

// The key cell's slot, which holds the common bins.
kes_plotslot* kes_hist_keyslot(kes_ctx* ctx, const kes_preq* request);

// The cell's value count, mean, standard deviation and data range into its slot
// (missing values when the cell has no value).
void kes_hist_summary(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot);

// The bin limit of the request (NOBINLIMIT raises it).
int kes_hist_binlimit(const kes_preq* request);

// Bins of one cell (the key cell while the request's key-binning flag is set).
void kescmhb(kes_ctx* ctx, kes_preq* request, kes_cell* cell);
// Total value count of the current variable over the cells into the request.
int kescmhn(kes_ctx* ctx, kes_preq* request);
// Uniform bins across the cells.
void kescmhu(kes_ctx* ctx, kes_preq* request);
// Widens the source bins until the target's data fit: 0, 2 or 3 (too many bins; the
// source is unchanged).
int kescmha(kes_ctx* ctx, kes_preq* request, kes_plotslot* source, kes_plotslot* target);

// Index of the bin that holds x, bins starting at `start` with the given width;
// left-closed bins, or right-closed ones (RTINCLUDE). A value within 2^-26.5 widths of
// an edge, or equal to the edge's double, counts as on it.
long long kes_hist_bin_index(double x, double start, double width, bool right_closed);

// Layout of one cell: kernel set-up and the horizontal widening for its kernel curves
// (0, or the bandwidth step's failure), and the fits with the vertical extent.
int kesxaxs(kes_ctx* ctx, kes_preq* request, kes_cell* cell, int* low_added, int* high_added);
void kesyaxs(kes_ctx* ctx, kes_preq* request, kes_cell* cell, double* ymin, double* ymax);

