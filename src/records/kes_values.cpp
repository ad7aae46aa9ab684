// kes_cell_values_noted: a cell's values, or the memory message when they were lost.
#include "records/kes_values.h"

#include "host/host_services.h"

const kes_valview* kes_cell_values_noted(const kes_ctx* ctx, const kes_cell* cell) {
  const kes_valview* v = kes_cell_values(ctx, cell);
  if (v == nullptr && cell != nullptr && cell->varsums != nullptr) {
    const kes_varsum& rec = cell->varsums[ctx->curvar];
    xmemmsg(kes_valview_bytes(rec.ndistinct, rec.weight_given != 0, 0));
  }
  return v;
}
