// kes_fit_values: a cell's values as arrays for the tests and tables of its curves.
// A long value list is slow to walk node by node; the arrays the statistics pass kept
// (or one copy made here) serve every curve.

#include "fit/kes_estframe.h"
#include "fitreport/kes_fitrep.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_valnode.h"
#include "records/kes_varsum.h"
#include "stats/kes_cellvals.h"

const kes_cellvals* kes_fit_values(kes_ctx* ctx, kes_cell* cell) {
  kes_varsum* vs = kes_fit_varsum(ctx, cell);
  return vs != nullptr ? kes_cell_values(ctx, vs, ctx->curvar) : nullptr;
}

kes_valiter::kes_valiter(kes_ctx* ctx, kes_cell* cell) : fv(kes_fit_values(ctx, cell)), node(nullptr) {
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  if (fv == nullptr && vs != nullptr) node = vs->values;
}

bool kes_valiter::next(double* x, int* count) {
  if (fv != nullptr) {
    if (i >= fv->m) return false;
    *x = fv->x[i];
    *count = fv->f[i];
    ++i;
    return true;
  }
  if (node == nullptr) return false;
  *x = node->key.value;
  *count = node->count;
  node = node->next;
  return true;
}

void kes_valiter::skip_first() {
  double x;
  int c;
  next(&x, &c);
}
