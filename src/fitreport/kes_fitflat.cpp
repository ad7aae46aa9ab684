// kes_fit_values: a cell's values as arrays for the tests and tables of its curves.
// A long value list is slow to walk node by node; one copy serves every curve.
#include <cstring>
#include <initializer_list>

#include "driver/kes_cell.h"
#include "driver/kes_ctx.h"
#include "driver/kes_valnode.h"
#include "driver/kes_varsum.h"
#include "driver/pool_alloc.h"
#include "fit/kes_estframe.h"
#include "fitreport/kes_fitrep.h"
#include "stats/kes_flatvals.h"

const kes_cellvals* kes_fit_values(kes_ctx* ctx, kes_cell* cell) {
  kes_fitrows* fr = kes_fit_rows(ctx);
  kes_varsum* vs = kes_fit_varsum(ctx, cell);
  if (fr == nullptr || vs == nullptr) return nullptr;
  if (fr->flat != nullptr && fr->flat_cell == cell && fr->flat_var == ctx->curvar) return fr->flat;
  kes_fit_values_release(ctx);
  kes_flatvals fv;
  // The nodes in the order they were made are read faster than the list.
  kes_valnode* const* listed = vs->listed != nullptr && vs->nlisted == vs->ndistinct ? vs->listed : nullptr;
  if (kes_flatten(vs->values, vs->ndistinct, &fv, listed) != 0) return nullptr;
  // Kept in the run pool, so that a request that ends early leaves nothing behind
  // the step.
  const long m = fv.m > 0 ? fv.m : 1;
  auto* r = static_cast<kes_cellvals*>(vmalcp_handler(ctx->runpool, sizeof(kes_cellvals), KES_ALLOC_4));
  double* x = static_cast<double*>(vmalcp_handler(ctx->runpool, m * 8, KES_ALLOC_4));
  int* f = static_cast<int*>(vmalcp_handler(ctx->runpool, m * 4, KES_ALLOC_4));
  if (r == nullptr || x == nullptr || f == nullptr) {
    for (void* p : {static_cast<void*>(r), static_cast<void*>(x), static_cast<void*>(f)})
      if (p != nullptr) vmfree_handler(ctx->runpool, p, -1, KES_FREE_FLAGS);
    return nullptr;
  }
  if (fv.m > 0) {
    std::memcpy(x, fv.x, sizeof(double) * static_cast<size_t>(fv.m));
    std::memcpy(f, fv.f, sizeof(int) * static_cast<size_t>(fv.m));
  }
  *r = kes_cellvals{fv.m, x, f};
  fr->flat = r;
  fr->flat_cell = cell;
  fr->flat_var = ctx->curvar;
  return r;
}

void kes_fit_values_release(kes_ctx* ctx) {
  kes_fitrows* fr = ctx->fitrows;
  if (fr == nullptr || fr->flat == nullptr) return;
  vmfree_handler(ctx->runpool, fr->flat->x, -1, KES_FREE_FLAGS);
  vmfree_handler(ctx->runpool, fr->flat->f, -1, KES_FREE_FLAGS);
  vmfree_handler(ctx->runpool, fr->flat, -1, KES_FREE_FLAGS);
  fr->flat = nullptr;
  fr->flat_cell = nullptr;
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
