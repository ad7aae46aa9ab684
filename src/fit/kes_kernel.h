// Kernel density curves of a histogram cell: set-up, bandwidths, heights, points and
// the OUTKERNEL rows. The kernel curves are the last records of the cell's curve array.
#pragma once

struct kes_ctx;
struct kes_cell;
struct kes_curve;

// Kernel type, bandwidth code and bounds of the cell's kernel curves from the
// statement's options; sets their fitted flags.
void keskern(kes_ctx* ctx, kes_cell* cell);
// Bandwidth of each kernel curve of the cell and the cell's kernel range: 0, or
// non-zero to stop the request.
int keskdfx(kes_ctx* ctx, kes_cell* cell);
// Largest height of kernel curve k of the cell on the request's vertical scale.
double keskdfy(kes_ctx* ctx, kes_cell* cell, int k);
// (x, y) pairs of a kernel curve between a and b, as kesgden gives them (panel
// coordinates with a device layout, else value and height). work holds the cell's n
// distinct values followed by their n frequencies, then room for three arrays of the
// cell's grid size (only that room is used: the cell's values were binned once by
// keskdfx); xy room for 514 pairs. Writes no OUTKERNEL rows.
int keskdf(kes_ctx* ctx, kes_cell* cell, double* work, double* xy, double a, double b,
           int* npoints, kes_curve* curve);
// OUTKERNEL rows of every cell of the current variable for the current request, each
// curve's rows once: the only writer of the data set, called once per request and
// variable whatever graphics ran. Always 0: when its work buffer cannot be had the
// rows are lost after the memory note, and the request's report goes on.
int kesoutk(kes_ctx* ctx);
// The OUTKERNEL rows of one cell between xlo and xhi: 0, or 1 when the data set
// refused a row. work: room for three arrays of the cell's grid size.
int keskcls(kes_ctx* ctx, kes_cell* cell, double* work, double xlo, double xhi);
