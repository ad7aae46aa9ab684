// kes_cell_values: a cell's value arrays kept beside its value list.
#include "stats/kes_cellvals.h"

#include <cstring>
#include <new>

#include "records/kes_ctx.h"
#include "records/kes_preq.h"
#include "records/kes_varsum.h"
#include "records/pool_alloc.h"
#include "stats/kes_flatvals.h"

namespace {

// The arrays in the variable's pool, so that they go with the list they copy: one
// block (record, values, counts), since most CLASS cells hold few values.
const kes_cellvals* keep(kes_ctx* ctx, kes_varsum* rec, int v, const kes_flatvals& fv) {
  host_pool* pool = ctx->varpools != nullptr ? ctx->varpools[v] : nullptr;
  if (pool == nullptr) return nullptr;
  const long m = fv.m;
  static_assert(sizeof(kes_cellvals) % alignof(double) == 0);
  const long bytes = static_cast<long>(sizeof(kes_cellvals)) + m * static_cast<long>(sizeof(double) + sizeof(int));
  auto* block = static_cast<char*>(vmalcp_handler(pool, bytes, KES_ALLOC_4));
  if (block == nullptr) return nullptr;
  auto* x = reinterpret_cast<double*>(block + sizeof(kes_cellvals));
  auto* f = reinterpret_cast<int*>(x + m);
  if (m > 0) {
    std::memcpy(x, fv.x, sizeof(double) * static_cast<size_t>(m));
    std::memcpy(f, fv.f, sizeof(int) * static_cast<size_t>(m));
  }
  auto* r = new (block) kes_cellvals{fv.m, x, f};
  rec->cellvals = r;
  return r;
}

}  // namespace

bool kes_var_histogram(const kes_ctx* ctx, int v) {
  if (ctx->preqs == nullptr) return false;
  for (int i = 0; i < ctx->nplots; ++i) {
    const kes_preq& r = ctx->preqs[i];
    if (r.type == KES_PLOT_HISTOGRAM && r.varslot != nullptr && r.varslot[v] >= 0) return true;
  }
  return false;
}

void kes_keep_cell_values(kes_ctx* ctx, kes_varsum* rec, int v, const kes_flatvals& fv) {
  if (rec->cellvals == nullptr && kes_var_histogram(ctx, v)) keep(ctx, rec, v, fv);
}

const kes_cellvals* kes_cell_values(kes_ctx* ctx, kes_varsum* rec, int v) {
  if (rec->cellvals != nullptr) return rec->cellvals;
  kes_flatvals fv;
  // The nodes in the order they were made are read faster than the list.
  kes_valnode* const* listed = rec->listed != nullptr && rec->nlisted == rec->ndistinct ? rec->listed : nullptr;
  if (kes_flatten(rec->values, rec->ndistinct, &fv, listed) != 0) return nullptr;
  return keep(ctx, rec, v, fv);
}
