// Counts, weighted sums and extreme observations of one analysis variable in one cell,
// gathered in the first pass over a BY group.
#pragma once

struct kes_ctx;
struct kes_varsum;

// Adds value x (after ROUND=) of variable v with frequency f (above 0) and clamped
// weight c to record r: counts, weighted sums (of weight c f), extremes.
void kes_obs_update(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c);

// The weighted sums alone (counts and extremes untouched), weight c f. A failure sets
// the record's overflow code; the first one writes message
// KES_MSG_WEIGHTED_SUMS_OVERFLOW for variable v.
void kes_obs_sums(kes_ctx* ctx, kes_varsum* r, int v, double x, double c, int f);

// Enters value x with frequency f into the extreme lists of r; the observation's
// number and ID values come from the pass state and the data set.
void kes_obs_extremes(kes_ctx* ctx, kes_varsum* r, double x, int f);

// End of a pass: NOBS := N + NMISS; the pass total := total (the single cell of a step
// without CLASS variables) or N + NMISS (a CLASS cell).
void kes_final_counts(kes_varsum* r, bool single_cell, double total);

// Rounds x to the nearest multiple of u > 0, exact halves to the even multiple (with
// a small band around the halves). *failed is set, and the result is the standard
// missing value, when the computation overflows.
double kes_round_value(double x, double u, bool* failed);
