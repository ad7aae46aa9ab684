// Kernel density curves of a histogram cell: set-up, bandwidths, heights, points and
// the OUTKERNEL rows. The kernel curves are the last records of the cell's curve array.
#pragma once

struct kes_ctx;
struct kes_cell;
struct kes_curve;

// Kernel type, bandwidth code and bounds of the cell's kernel curves from the
// statement's options (the curve and kernel counts of the cell's slot with them).
void keskern(kes_ctx* ctx, kes_cell* cell);
// Bandwidth and fitted flag of each kernel curve of the cell, the cell's evaluation
// grid, its kernel extent (also the kernel range klow, khigh) and its values binned
// once for every later evaluation. Always 0: a curve whose memory cannot be had is
// lost after the memory note, the request goes on.
int keskdfx(kes_ctx* ctx, kes_cell* cell);
// Largest height of kernel curve k (its index in the cell's curve array) within the
// bins, on the request's vertical scale, with the curve's bound checks, AMISE and
// notes; -1 when the curve cannot be evaluated (after the memory note when memory
// ran short: the curve is then no longer fitted).
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
// variable whatever graphics ran. 0, or 1016 after the memory note when its work
// buffer cannot be had (the step ends: the data set is not put in place).
int kesoutk(kes_ctx* ctx);
// The OUTKERNEL rows of one cell between xlo and xhi: 0, or 1 when the data set
// refused a row. work: room for three arrays of the cell's grid size.
int keskcls(kes_ctx* ctx, kes_cell* cell, double* work, double xlo, double xhi);
