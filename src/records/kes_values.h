// The one way to a cell's values after the data pass: the current variable's view in
// a cell, and the walk over a view's distinct values.
#pragma once

#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"

// The current variable's values in the cell; null when the cell has no records (a
// level with child cells) or the data pass could not keep the values.
inline const kes_valview* kes_cell_values(const kes_ctx* ctx, const kes_cell* cell) {
  return cell != nullptr && cell->varsums != nullptr ? cell->varsums[ctx->curvar].view : nullptr;
}

// The same for a stage that cannot go on without them: when the cell has a record
// whose values the data pass could not keep, null after the host's memory message
// (naming the bytes the view would have taken).
const kes_valview* kes_cell_values_noted(const kes_ctx* ctx, const kes_cell* cell);

// The distinct values of a view in ascending order with their frequency sums; a null
// view has none.
struct kes_valiter {
  const kes_valview* fv;
  int i = 0;
  explicit kes_valiter(const kes_valview* values) : fv(values) {}
  bool next(double* x, int* count) {
    if (fv == nullptr || i >= fv->m) return false;
    *x = fv->x[i];
    *count = fv->f[i];
    ++i;
    return true;
  }
  // Passes over the first distinct value (and its ties).
  void skip_first() {
    double x;
    int c;
    next(&x, &c);
  }
};

// Calls visit(x, f) for every distinct value x of the view with its frequency sum f
// (an int), ascending, so that sums over it keep one order everywhere.
template <class Visit>
void kes_each_value(const kes_valview* v, Visit&& visit) {
  kes_valiter it(v);
  double x;
  int f;
  while (it.next(&x, &f)) visit(x, f);
}
