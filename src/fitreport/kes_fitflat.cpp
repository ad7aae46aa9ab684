// kes_fit_values: a cell's values for the tests and tables of its curves, read
// through its record's view.

#include "fit/kes_estframe.h"
#include "fitreport/kes_fitrep.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_valview.h"
#include "records/kes_varsum.h"

const kes_valview* kes_fit_values(kes_ctx* ctx, kes_cell* cell) {
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  return vs != nullptr ? vs->view : nullptr;
}

kes_valiter::kes_valiter(kes_ctx* ctx, kes_cell* cell) : fv(kes_fit_values(ctx, cell)) {}

bool kes_valiter::next(double* x, int* count) {
  if (fv == nullptr || i >= fv->m) return false;
  *x = fv->x[i];
  *count = fv->f[i];
  ++i;
  return true;
}

void kes_valiter::skip_first() {
  double x;
  int c;
  next(&x, &c);
}
