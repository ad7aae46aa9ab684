// The per-family callbacks of the probability and QQ plot requests, and the reference
// line that given parameter values set.
#pragma once

struct kes_ctx;
struct kes_cell;
struct kes_plotslot;

// First callback, once per usable cell: takes or estimates the family's parameters and
// sets the cell's reference line. *a and *b (the shape-value counts of the graphs)
// become 1 for a shape that is estimated. 0 when the cell can be plotted, else the
// estimate's status after its note.
using kes_prob_first = int (*)(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int* a, int* b);
// Second callback, per cell and shape pair (i, j): puts the shapes into the cell's
// curve, re-estimates where a later shape needs it, turns the line round under
// ROTATE and, in the key cell, gives the standardized quantiles of p_low and p_high.
// *q_low and *q_high arrive holding the cell's data minimum and maximum. The number
// of quantiles that failed, or a re-estimate's status.
using kes_prob_second = int (*)(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int i, int j, double p_low,
                                double p_high, double* q_low, double* q_high);

struct kes_probfns {
  kes_prob_first first;
  kes_prob_second second;
};

// The callbacks of a distribution code 0..8, or null.
const kes_probfns* kes_probdisp(int code);

// The reference line of the cell from parameter values given on the statement: the
// intercept, slope and alternative slope slots (0: none) of the request's family.
// Sets the request's line flag when the cell gets a line.
void kesline(kes_ctx* ctx, kes_plotslot* slot, int intercept_slot, int slope_slot, int alt_slope_slot);

int kesnrm1(kes_ctx*, kes_cell*, kes_plotslot*, int*, int*);
int keslog1(kes_ctx*, kes_cell*, kes_plotslot*, int*, int*);
int kesexp1(kes_ctx*, kes_cell*, kes_plotslot*, int*, int*);
int keswbl1(kes_ctx*, kes_cell*, kes_plotslot*, int*, int*);
int kesgam1(kes_ctx*, kes_cell*, kes_plotslot*, int*, int*);
int kesbet1(kes_ctx*, kes_cell*, kes_plotslot*, int*, int*);
int kessb1(kes_ctx*, kes_cell*, kes_plotslot*, int*, int*);
int kessu1(kes_ctx*, kes_cell*, kes_plotslot*, int*, int*);
int kesw21(kes_ctx*, kes_cell*, kes_plotslot*, int*, int*);

int kesnrm2(kes_ctx*, kes_cell*, kes_plotslot*, int, int, double, double, double*, double*);
int keslog2(kes_ctx*, kes_cell*, kes_plotslot*, int, int, double, double, double*, double*);
int kesexp2(kes_ctx*, kes_cell*, kes_plotslot*, int, int, double, double, double*, double*);
int keswbl2(kes_ctx*, kes_cell*, kes_plotslot*, int, int, double, double, double*, double*);
int kesgam2(kes_ctx*, kes_cell*, kes_plotslot*, int, int, double, double, double*, double*);
int kesbet2(kes_ctx*, kes_cell*, kes_plotslot*, int, int, double, double, double*, double*);
int kessb2(kes_ctx*, kes_cell*, kes_plotslot*, int, int, double, double, double*, double*);
int kessu2(kes_ctx*, kes_cell*, kes_plotslot*, int, int, double, double, double*, double*);
int kesw22(kes_ctx*, kes_cell*, kes_plotslot*, int, int, double, double, double*, double*);
// What kesw22 returns for a cell with no value above the two-parameter Weibull
// threshold, after its note: the cell has nothing to plot, and no other note is due.
// Negative, apart from every count of failed quantiles (0 to 2) and every status.
constexpr int KES_PROB_NOTHING_ABOVE_THRESHOLD = -1;
