// The frame the probability and QQ callbacks share (kes_probfns.h): the two common
// callbacks of the location-scale families and the steps the two-parameter Weibull's
// callbacks take from them.
#pragma once

struct kes_ctx;
struct kes_cell;
struct kes_plotslot;

// First and second callback of codes 0..7.
int kes_prob_first_common(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int code, int* a, int* b);
int kes_prob_second_common(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, int code, int i, int j, double p_low,
                           double p_high, double* q_low, double* q_high);
// The successful end of a first callback: the cell's curve counts as fitted. 0.
int kes_prob_first_end(kes_ctx* ctx, kes_plotslot* slot, int code);
// Under ROTATE, a fitted cell's line data = a + b q becomes q = -a/b + (1/b) data.
void kes_prob_turn_line(kes_ctx* ctx, kes_plotslot* slot, double a, double b);
// The standardized quantiles of p_low and p_high of a fitted cell: the key cell's (the
// count that failed), or another's, which only widen the common range (a quantile that
// cannot be had leaves the widest empty end) and return status.
int kes_prob_quantiles(kes_ctx* ctx, kes_cell* cell, kes_plotslot* slot, double p_low, double p_high,
                       double* q_low, double* q_high, int status);
