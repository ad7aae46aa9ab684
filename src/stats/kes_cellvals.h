// The distinct values of one analysis variable in one cell as arrays, ascending, with
// their counts. The statistics pass copies the value list into arrays anyway; its
// HISTOGRAM requests (bins, fits, their tests and tables) read the same arrays
// instead of walking the list node by node or copying it again.
#pragma once

struct kes_ctx;
struct kes_varsum;
struct kes_flatvals;

struct kes_cellvals {
  int m;
  double* x;
  int* f;
};

// True when a HISTOGRAM request plots variable v.
bool kes_var_histogram(const kes_ctx* ctx, int v);

// Keeps a copy of fv (the copied list of rec, a record of variable v) in v's pool for
// its HISTOGRAM requests, when there are any. Keeps nothing when memory cannot be had:
// the requests then make the arrays again or walk the list.
void kes_keep_cell_values(kes_ctx* ctx, kes_varsum* rec, int v, const kes_flatvals& fv);

// The arrays of rec (a record of variable v): the kept ones, else made from the list
// now and kept in v's pool until the pool goes with the variable's lists. Null when
// memory cannot be had.
const kes_cellvals* kes_cell_values(kes_ctx* ctx, kes_varsum* rec, int v);
